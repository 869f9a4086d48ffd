#include "import_excel/CellText.h"

#include <cctype>
#include <cmath>
#include <cstdio>

#include "db/RegionalText.h"

namespace tessaro7::import_excel {

namespace {

// Days between the two date systems' origins (01/01/1904 is day 1462 from 30/12/1899).
constexpr double k1904Offset = 1462;
// 31/12/9999, the last day a spreadsheet shows.
constexpr double kLastDay = 2958465;

std::string twoDigits(int n) {
    char buf[4];
    std::snprintf(buf, sizeof buf, "%02d", n % 100);
    return buf;
}

std::string clockText(long long seconds) {
    return twoDigits(int(seconds / 3600)) + ":" + twoDigits(int(seconds / 60 % 60)) + ":" + twoDigits(int(seconds % 60));
}

// A day in the 1900 system. Its origin counts 1900 as a leap year: serial 1
// is 01/01/1900, 59 is 28/02/1900, 60 the day that never was, 29/02/1900,
// and from 61 (01/03/1900) on the count agrees with the calendar.
std::string date1900Text(double serial) {
    if (serial >= 61) return db::dateToText(db::dateFromSerial(serial));
    if (serial < 60) return db::dateToText(db::dateFromSerial(serial + 1));
    db::DateTime time = db::dateFromSerial(serial - 60 + 61);  // the time of day of serial 60
    if (time.day != 1) return "01/03/1900";                    // rounded up to the next day
    return time.hasTime ? "29/02/1900 " + clockText(time.hour * 3600 + time.minute * 60 + time.second)
                        : "29/02/1900";
}

std::string dateText(const SheetCell& cell) {
    double serial = cell.number;
    if (!std::isfinite(serial) || serial < 0 || serial + (cell.epoch1904 ? k1904Offset : 0) >= kLastDay + 1)
        return db::numberToText(serial);
    // Under a day the value is a time alone, in both date systems.
    if (serial < 1) {
        long long seconds = std::llround(serial * 86400);
        if (seconds < 86400) return clockText(seconds);
    }
    if (cell.epoch1904) return db::dateToText(db::dateFromSerial(serial + k1904Offset));
    return date1900Text(serial);
}

// A duration in days as elapsed hours, minutes and seconds ("255:10:10").
std::string elapsedText(double days) {
    if (!std::isfinite(days) || std::fabs(days) > kLastDay) return db::numberToText(days);
    long long seconds = std::llround(std::fabs(days) * 86400);
    char hours[24];
    std::snprintf(hours, sizeof hours, "%s%02lld", days < 0 && seconds > 0 ? "-" : "", seconds / 3600);
    return std::string(hours) + ":" + twoDigits(int(seconds / 60 % 60)) + ":" + twoDigits(int(seconds % 60));
}

// Whether a bracketed part of a format, without its brackets, is an elapsed
// time code: [h], [hh], [mm], [ss]...
bool isElapsedCode(std::string_view inside) {
    if (inside.empty()) return false;
    char first = static_cast<char>(std::tolower(static_cast<unsigned char>(inside[0])));
    if (first != 'h' && first != 'm' && first != 's') return false;
    for (char c : inside)
        if (std::tolower(static_cast<unsigned char>(c)) != first) return false;
    return true;
}

}  // namespace

std::string cellText(const SheetCell& cell) {
    switch (cell.type) {
    case SheetCell::Type::Text:
    case SheetCell::Type::Error: return std::string(cell.text);
    case SheetCell::Type::Number: return db::numberToText(cell.number);
    case SheetCell::Type::Date: return dateText(cell);
    case SheetCell::Type::Elapsed: return elapsedText(cell.number);
    case SheetCell::Type::Boolean: return cell.number != 0 ? "Vero" : "Falso";
    case SheetCell::Type::NoResult: return {};
    }
    return {};
}

bool isBuiltInDateFormat(unsigned index) {
    return (index >= 14 && index <= 22) || (index >= 27 && index <= 36) || (index >= 45 && index <= 47) ||
           (index >= 50 && index <= 58);
}

FormatKind formatKind(std::string_view format) {
    // Only the first section counts (the one for positive numbers). Quoted
    // text, escaped and padding characters and bracketed parts ([Red],
    // [$-410]) hold no codes; of what remains, a day, month or year code
    // makes a date, an hour, minute or second code a time, whatever else
    // follows (".000", "AM/PM"); an elapsed code ([h], [mm], [ss]) a duration.
    FormatKind kind = FormatKind::Number;
    for (std::size_t i = 0; i < format.size() && format[i] != ';'; ++i) {
        char c = static_cast<char>(std::tolower(static_cast<unsigned char>(format[i])));
        if (c == '"') {
            std::size_t end = format.find('"', i + 1);
            i = end == std::string_view::npos ? format.size() : end;
        } else if (c == '\\' || c == '_' || c == '*') {
            ++i;
        } else if (c == '[') {
            std::size_t end = format.find(']', i + 1);
            if (end == std::string_view::npos) break;
            if (isElapsedCode(format.substr(i + 1, end - i - 1))) return FormatKind::Elapsed;
            i = end;
        } else if (c == 'y' || c == 'm' || c == 'd' || c == 'h' || c == 's') {
            kind = FormatKind::Date;
        }
    }
    return kind;
}

bool isDateFormat(std::string_view format) { return formatKind(format) != FormatKind::Number; }

namespace {

// The stored error codes of the binary format, the names the workbook files
// write, and the names an Italian workstation shows.
struct ErrorName {
    unsigned code;
    std::string_view stored;
    std::string_view shown;
};
constexpr ErrorName kErrorNames[] = {
    {0x00, "#NULL!", "#NULLO!"}, {0x07, "#DIV/0!", "#DIV/0!"}, {0x0F, "#VALUE!", "#VALORE!"},
    {0x17, "#REF!", "#RIF!"},    {0x1D, "#NAME?", "#NOME?"},   {0x24, "#NUM!", "#NUM!"},
    {0x2A, "#N/A", "#N/D"},
};
constexpr std::string_view kUnknownError = "#ERRORE!";

}  // namespace

std::string_view errorText(unsigned code) {
    for (const ErrorName& e : kErrorNames)
        if (e.code == code) return e.shown;
    return kUnknownError;
}

std::string_view errorFromName(std::string_view stored) {
    for (const ErrorName& e : kErrorNames)
        if (e.stored == stored) return e.shown;
    return kUnknownError;
}

}  // namespace tessaro7::import_excel
