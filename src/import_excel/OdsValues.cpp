#include "import_excel/OdsValues.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "db/RegionalText.h"

namespace tessaro7::import_excel {

namespace {

// Days from 01/01/1970 of a day of the proleptic Gregorian calendar.
long long daysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    long long era = (y >= 0 ? y : y - 399) / 400;
    unsigned yoe = static_cast<unsigned>(y - era * 400);
    unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

// The digits of `text` from `at`, exactly `count` of them.
std::optional<int> digits(std::string_view text, std::size_t at, std::size_t count) {
    if (at + count > text.size()) return std::nullopt;
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

std::string twoDigits(long long n) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%02lld", n);
    return buf;
}

}  // namespace

std::optional<OdsDate> parseOdsDate(std::string_view text) {
    auto year = digits(text, 0, 4), month = digits(text, 5, 2), day = digits(text, 8, 2);
    if (!year || !month || !day || text[4] != '-' || text[7] != '-' || !db::isValidDate(*year, *month, *day))
        return std::nullopt;
    OdsDate date{*year, *month, *day, 0};
    if (text.size() == 10) return date;
    auto hour = digits(text, 11, 2), minute = digits(text, 14, 2), second = digits(text, 17, 2);
    if (text[10] != 'T' || !hour || !minute || !second || text[13] != ':' || text[16] != ':' || *hour > 23 ||
        *minute > 59 || *second > 59)
        return std::nullopt;
    double fraction = 0;
    std::size_t end = 19;
    if (end < text.size() && (text[end] == '.' || text[end] == ',')) {
        std::size_t start = end++;
        while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
        if (end == start + 1) return std::nullopt;
        std::string number = "0." + std::string(text.substr(start + 1, end - start - 1));
        std::from_chars(number.data(), number.data() + number.size(), fraction);
    }
    std::string_view zone = text.substr(end);
    if (!zone.empty() && zone != "Z" && !(zone.size() == 6 && (zone[0] == '+' || zone[0] == '-') && zone[3] == ':'))
        return std::nullopt;
    date.seconds = *hour * 3600 + *minute * 60 + *second + fraction;
    return date;
}

std::optional<double> parseOdsDuration(std::string_view text) {
    bool negative = !text.empty() && text[0] == '-';
    if (negative) text.remove_prefix(1);
    if (text.empty() || text[0] != 'P') return std::nullopt;
    text.remove_prefix(1);
    double seconds = 0;
    bool inTime = false, any = false;
    while (!text.empty()) {
        if (text[0] == 'T' && !inTime) {
            inTime = true;
            text.remove_prefix(1);
            continue;
        }
        double value = 0;
        auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
        if (ec != std::errc() || end == text.data() + text.size() || value < 0) return std::nullopt;
        char unit = *end;
        text.remove_prefix(static_cast<std::size_t>(end - text.data()) + 1);
        double scale = !inTime && unit == 'D' ? 86400 : inTime && unit == 'H' ? 3600 : inTime && unit == 'M' ? 60
                       : inTime && unit == 'S' ? 1 : 0;
        if (scale == 0) return std::nullopt;
        seconds += value * scale;
        any = true;
    }
    // Beyond a hundred years a duration is no time anyone keeps in a sheet.
    if (!any || !std::isfinite(seconds) || seconds > 36525.0 * 86400) return std::nullopt;
    return negative ? -seconds : seconds;
}

SheetCell odsDateCell(const OdsDate& date, std::string& text) {
    SheetCell cell;
    long long day = daysFromCivil(date.year, static_cast<unsigned>(date.month), static_cast<unsigned>(date.day)) -
                    daysFromCivil(1899, 12, 30);
    // 01/03/1900 is day 61 in every spreadsheet; before it their counts disagree.
    if (day >= 61) {
        cell.type = SheetCell::Type::Date;
        cell.number = static_cast<double>(day) + date.seconds / 86400;
        return cell;
    }
    long long seconds = std::llround(date.seconds);
    if (seconds >= 86400) seconds = 86399;
    db::DateTime value{date.year, date.month, date.day, int(seconds / 3600), int(seconds / 60 % 60), int(seconds % 60),
                       seconds != 0};
    text = db::dateToText(value);
    cell.text = text;
    return cell;
}

SheetCell odsDurationCell(double seconds, std::string& text) {
    SheetCell cell;
    if (seconds >= 0 && std::llround(seconds) < 86400) {
        cell.type = SheetCell::Type::Date;
        cell.number = seconds / 86400;
        return cell;
    }
    long long whole = std::llround(std::fabs(seconds));
    text = (seconds < 0 ? "-" : "") + std::to_string(whole / 3600) + ":" + twoDigits(whole / 60 % 60) + ":" +
           twoDigits(whole % 60);
    cell.text = text;
    return cell;
}

}  // namespace tessaro7::import_excel
