#pragma once
// Test workbooks in the BIFF8 format, written at test time by python3-xlwt,
// an implementation independent of this program.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace tessaro7::testing {

struct XlDate {
    int year, month, day;
};
struct XlDateTime {
    int year, month, day, hour, minute, second;
};
struct XlTime {
    int hour, minute, second;
};
using XlCell = std::variant<std::monostate, std::string, double, XlDate, XlDateTime, XlTime>;
using XlRow = std::vector<XlCell>;

inline std::string pythonText(const std::string& utf8) {
    static const char* digits = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : utf8) {
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    return "bytes.fromhex('" + hex + "').decode('utf-8')";
}

inline std::string pythonCell(const XlCell& cell) {
    char buf[160];
    if (auto* s = std::get_if<std::string>(&cell)) return pythonText(*s) + ", plain";
    if (auto* d = std::get_if<double>(&cell)) {
        std::snprintf(buf, sizeof buf, "%.17g, plain", *d);
        return buf;
    }
    if (auto* d = std::get_if<XlDate>(&cell)) {
        std::snprintf(buf, sizeof buf, "datetime.date(%d,%d,%d), dates", d->year, d->month, d->day);
        return buf;
    }
    if (auto* d = std::get_if<XlDateTime>(&cell)) {
        std::snprintf(buf, sizeof buf, "datetime.datetime(%d,%d,%d,%d,%d,%d), stamps", d->year, d->month, d->day,
                      d->hour, d->minute, d->second);
        return buf;
    }
    if (auto* t = std::get_if<XlTime>(&cell)) {
        std::snprintf(buf, sizeof buf, "datetime.time(%d,%d,%d), times", t->hour, t->minute, t->second);
        return buf;
    }
    return "";
}

// Writes `file` with the sheets in order; the first is the one the import reads.
inline void writeXlwtWorkbook(const std::filesystem::path& file, const std::vector<std::vector<XlRow>>& sheets) {
    std::filesystem::path script = file.string() + ".py";
    {
        std::ofstream py(script);
        py << "import datetime, xlwt\n"
              "plain = xlwt.easyxf('')\n"
              "dates = xlwt.easyxf(num_format_str='dd/mm/yyyy')\n"
              "stamps = xlwt.easyxf(num_format_str='dd/mm/yyyy hh:mm:ss')\n"
              "times = xlwt.easyxf(num_format_str='hh:mm:ss')\n"
              "wb = xlwt.Workbook()\n";
        for (std::size_t s = 0; s < sheets.size(); ++s) {
            py << "ws = wb.add_sheet('Foglio" << s + 1 << "')\n";
            for (std::size_t r = 0; r < sheets[s].size(); ++r)
                for (std::size_t c = 0; c < sheets[s][r].size(); ++c)
                    if (!std::holds_alternative<std::monostate>(sheets[s][r][c]))
                        py << "ws.write(" << r << ", " << c << ", " << pythonCell(sheets[s][r][c]) << ")\n";
        }
        py << "wb.save(" << pythonText(file.string()) << ")\n";
    }
    std::string command = "/usr/bin/python3 '" + script.string() + "'";
    if (std::system(command.c_str()) != 0) throw std::runtime_error("xlwt could not write " + file.string());
    std::filesystem::remove(script);
}

inline void writeXlwtWorkbook(const std::filesystem::path& file, const std::vector<XlRow>& rows) {
    writeXlwtWorkbook(file, std::vector<std::vector<XlRow>>{rows});
}

}  // namespace tessaro7::testing
