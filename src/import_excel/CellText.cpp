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

std::string dateText(const SheetCell& cell) {
    double serial = cell.number;
    if (!std::isfinite(serial) || serial < 0 || serial + (cell.epoch1904 ? k1904Offset : 0) >= kLastDay + 1)
        return db::numberToText(serial);
    // Under a day the value is a time alone, in both date systems.
    if (serial < 1) {
        long long seconds = std::llround(serial * 86400);
        if (seconds < 86400)
            return twoDigits(int(seconds / 3600)) + ":" + twoDigits(int(seconds / 60 % 60)) + ":" +
                   twoDigits(int(seconds % 60));
    }
    return db::dateToText(db::dateFromSerial(serial + (cell.epoch1904 ? k1904Offset : 0)));
}

}  // namespace

std::string cellText(const SheetCell& cell) {
    switch (cell.type) {
    case SheetCell::Type::Text:
    case SheetCell::Type::Error: return std::string(cell.text);
    case SheetCell::Type::Number: return db::numberToText(cell.number);
    case SheetCell::Type::Date: return dateText(cell);
    case SheetCell::Type::Boolean: return cell.number != 0 ? "Vero" : "Falso";
    case SheetCell::Type::NoResult: return {};
    }
    return {};
}

bool isBuiltInDateFormat(unsigned index) {
    return (index >= 14 && index <= 22) || (index >= 27 && index <= 36) || (index >= 45 && index <= 47) ||
           (index >= 50 && index <= 58);
}

bool isDateFormat(std::string_view format) {
    // Quoted text, escaped and padding characters and bracketed parts ([Red],
    // [$-410]) are not placeholders; of what remains, a date or time
    // placeholder makes a date unless a digit placeholder makes a number.
    bool date = false, number = false;
    for (std::size_t i = 0; i < format.size(); ++i) {
        char c = static_cast<char>(std::tolower(static_cast<unsigned char>(format[i])));
        if (c == '"') {
            std::size_t end = format.find('"', i + 1);
            i = end == std::string_view::npos ? format.size() : end;
        } else if (c == '\\' || c == '_' || c == '*') {
            ++i;
        } else if (c == '[') {
            std::size_t end = format.find(']', i + 1);
            std::string_view inside = format.substr(i + 1, end == std::string_view::npos ? 0 : end - i - 1);
            // [h], [mm], [ss]: elapsed time.
            if (!inside.empty() && inside.find_first_not_of("hHmMsS") == std::string_view::npos) date = true;
            i = end == std::string_view::npos ? format.size() : end;
        } else if (c == 'g' && format.substr(i).size() >= 7) {
            std::string word;
            for (char w : format.substr(i, 7)) word += static_cast<char>(std::tolower(static_cast<unsigned char>(w)));
            if (word == "general") i += 6;
        } else if (c == 'y' || c == 'm' || c == 'd' || c == 'h' || c == 's') {
            date = true;
        } else if (c == '0' || c == '#' || c == '?') {
            number = true;
        }
    }
    return date && !number;
}

std::string_view errorText(unsigned code) {
    switch (code) {
    case 0x00: return "#NULLO!";
    case 0x07: return "#DIV/0!";
    case 0x0F: return "#VALORE!";
    case 0x17: return "#RIF!";
    case 0x1D: return "#NOME?";
    case 0x24: return "#NUM!";
    case 0x2A: return "#N/D";
    default: return "#ERRORE!";
    }
}

std::string_view errorFromName(std::string_view name) {
    static const std::pair<std::string_view, unsigned> kErrors[] = {
        {"#NULL!", 0x00}, {"#DIV/0!", 0x07}, {"#VALUE!", 0x0F}, {"#REF!", 0x17},
        {"#NAME?", 0x1D}, {"#NUM!", 0x24},   {"#N/A", 0x2A},
    };
    for (const auto& [english, code] : kErrors)
        if (name == english) return errorText(code);
    return errorText(0xFF);
}

}  // namespace tessaro7::import_excel
