#include "db/RegionalText.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace tessaro7::db {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isBlank(char c) { return c == ' ' || c == '\t'; }

bool allDigits(std::string_view s) {
    for (char c : s)
        if (!isDigit(c)) return false;
    return true;
}

// "1.234.567" with groups of three after the first group of one to three.
bool isGroupedThousands(std::string_view s, std::string& digits) {
    std::size_t start = 0;
    bool first = true;
    while (true) {
        std::size_t dot = s.find('.', start);
        std::string_view group = s.substr(start, dot == std::string_view::npos ? s.npos : dot - start);
        if (!allDigits(group)) return false;
        if (first ? (group.empty() || group.size() > 3) : group.size() != 3) return false;
        digits.append(group);
        first = false;
        if (dot == std::string_view::npos) return true;
        start = dot + 1;
    }
}

// Turns the mantissa into "intdigits.fracdigits" or refuses it.
bool normaliseMantissa(std::string_view m, std::string& out) {
    std::size_t commas = 0, points = 0;
    for (char c : m) {
        if (c == ',') ++commas;
        else if (c == '.') ++points;
        else if (!isDigit(c)) return false;
    }
    if (commas > 1) return false;
    std::string intPart, fracPart;
    if (points == 0) {
        std::size_t comma = m.find(',');
        intPart = std::string(m.substr(0, comma));
        if (comma != std::string_view::npos) fracPart = std::string(m.substr(comma + 1));
    } else if (commas == 1) {
        std::size_t comma = m.find(',');
        if (!isGroupedThousands(m.substr(0, comma), intPart)) return false;
        fracPart = std::string(m.substr(comma + 1));
    } else if (points == 1) {
        std::size_t dot = m.find('.');
        std::string_view before = m.substr(0, dot), after = m.substr(dot + 1);
        bool leadingZeroOnly = before.empty() || before == "0";
        if (after.size() == 3 && !leadingZeroOnly) return false;  // 1.500: thousands or decimals?
        intPart = std::string(before);
        fracPart = std::string(after);
    } else {
        if (!isGroupedThousands(m, intPart)) return false;
    }
    if (intPart.empty() && fracPart.empty()) return false;
    out = (intPart.empty() ? "0" : intPart) + "." + (fracPart.empty() ? "0" : fracPart);
    return true;
}

}  // namespace

std::string numberToText(double value) {
    if (!std::isfinite(value)) return "";
    if (value == 0) return "0";
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
    std::string s(buf, res.ptr);
    for (char& c : s) {
        if (c == '.') c = ',';
        else if (c == 'e') c = 'E';
    }
    return s;
}

std::optional<double> textToNumber(std::string_view text) {
    std::string_view s = trimBlanks(text);
    if (s.empty()) return std::nullopt;
    bool negative = false;
    if (s.front() == '+' || s.front() == '-') {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    std::size_t e = s.find_first_of("eE");
    std::string_view mantissa = s.substr(0, e);
    std::string normal;
    if (!normaliseMantissa(mantissa, normal)) return std::nullopt;
    if (e != std::string_view::npos) {
        std::string_view exp = s.substr(e + 1);
        std::string expSign;
        if (!exp.empty() && (exp.front() == '+' || exp.front() == '-')) {
            expSign = std::string(1, exp.front());
            exp.remove_prefix(1);
        }
        if (exp.empty() || !allDigits(exp)) return std::nullopt;
        normal += "e" + expSign + std::string(exp);
    }
    double v = 0;
    auto res = std::from_chars(normal.data(), normal.data() + normal.size(), v);
    if (res.ec != std::errc() || res.ptr != normal.data() + normal.size() || !std::isfinite(v))
        return std::nullopt;
    return negative ? -v : v;
}

bool isValidDate(int year, int month, int day) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    int last = kDays[month - 1] + (month == 2 && leap ? 1 : 0);
    return day <= last;
}

std::string dateToText(const DateTime& v) {
    char buf[40];
    if (v.hasTime)
        std::snprintf(buf, sizeof buf, "%02d/%02d/%04d %02d:%02d:%02d", v.day, v.month, v.year, v.hour,
                      v.minute, v.second);
    else
        std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", v.day, v.month, v.year);
    return buf;
}

std::string dateToIso(const DateTime& v) {
    char buf[40];
    if (v.hasTime)
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", v.year, v.month, v.day, v.hour,
                      v.minute, v.second);
    else
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", v.year, v.month, v.day);
    return buf;
}

namespace {

// Reads a run of 1..maxDigits digits.
bool readNumber(std::string_view& s, int minDigits, int maxDigits, int& out) {
    int n = 0, value = 0;
    while (n < static_cast<int>(s.size()) && n < maxDigits && isDigit(s[n])) value = value * 10 + (s[n++] - '0');
    if (n < minDigits) return false;
    s.remove_prefix(n);
    out = value;
    return true;
}

bool readChar(std::string_view& s, char c) {
    if (s.empty() || s.front() != c) return false;
    s.remove_prefix(1);
    return true;
}

bool readTime(std::string_view s, DateTime& d) {
    if (s.empty()) return true;
    if (s.front() != ' ' && s.front() != 'T') return false;
    s.remove_prefix(1);
    if (!readNumber(s, 1, 2, d.hour) || !readChar(s, ':') || !readNumber(s, 2, 2, d.minute)) return false;
    if (readChar(s, ':') && !readNumber(s, 2, 2, d.second)) return false;
    if (readChar(s, '.')) {  // fractions of a second are dropped
        int ignored = 0;
        if (!readNumber(s, 1, 9, ignored)) return false;
    }
    if (!s.empty() || d.hour > 23 || d.minute > 59 || d.second > 59) return false;
    d.hasTime = d.hour != 0 || d.minute != 0 || d.second != 0;
    return true;
}

}  // namespace

std::optional<DateTime> parseDate(std::string_view text) {
    std::string_view s = trimBlanks(text);
    DateTime d;
    std::string_view iso = s;
    if (readNumber(iso, 4, 4, d.year) && readChar(iso, '-') && readNumber(iso, 1, 2, d.month) &&
        readChar(iso, '-') && readNumber(iso, 1, 2, d.day)) {
        if (isValidDate(d.year, d.month, d.day) && readTime(iso, d)) return d;
        return std::nullopt;
    }
    d = DateTime{};
    std::string_view it = s;
    if (readNumber(it, 1, 2, d.day) && readChar(it, '/') && readNumber(it, 1, 2, d.month) && readChar(it, '/') &&
        readNumber(it, 4, 4, d.year)) {
        if (isValidDate(d.year, d.month, d.day) && readTime(it, d)) return d;
    }
    return std::nullopt;
}

DateTime dateFromSerial(double serial) {
    long long totalSeconds = static_cast<long long>(std::llround(serial * 86400.0));
    long long days = totalSeconds / 86400;
    long long secs = totalSeconds % 86400;
    if (secs < 0) {  // times before 30/12/1899 count backwards in days only
        secs += 86400;
        days -= 1;
    }
    // Days from 1970-01-01 for 1899-12-30 is -25569; civil-from-days by H. Hinnant.
    long long z = days - 25569 + 719468;
    long long era = (z >= 0 ? z : z - 146096) / 146097;
    long long doe = z - era * 146097;
    long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    long long y = yoe + era * 400;
    long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    long long mp = (5 * doy + 2) / 153;
    long long dd = doy - (153 * mp + 2) / 5 + 1;
    long long mm = mp < 10 ? mp + 3 : mp - 9;
    DateTime d;
    d.year = static_cast<int>(y + (mm <= 2));
    d.month = static_cast<int>(mm);
    d.day = static_cast<int>(dd);
    d.hour = static_cast<int>(secs / 3600);
    d.minute = static_cast<int>(secs / 60 % 60);
    d.second = static_cast<int>(secs % 60);
    d.hasTime = secs != 0;
    return d;
}

double roundHalfEven(double value) {
    return std::nearbyint(value);  // the default rounding mode rounds halves to even
}

long long leadingNumber(std::string_view text) {
    std::string_view s = text;
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    long long value = 0;
    for (char c : s) {
        if (!isDigit(c)) break;
        if (value > 100000000000000000LL) break;  // far beyond any column or row number
        value = value * 10 + (c - '0');
    }
    return value;
}

double leadingValue(std::string_view text) {
    std::string_view s = text;
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    if (s.empty() || !(isDigit(s.front()) || s.front() == '.')) return 0;
    double value = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range) return negative ? -HUGE_VAL : HUGE_VAL;
    if (ec != std::errc()) return 0;
    return negative ? -value : value;
}

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

}  // namespace tessaro7::db
