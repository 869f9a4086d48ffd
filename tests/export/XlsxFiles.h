#pragma once
// Reads an .xlsx file back with python3-openpyxl, an independent reader: every
// cell with its type, value, boldness, alignment and number format, and the
// sheet's column widths, frozen panes, autofilter and protection.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>

namespace tessaro7::testing::xlsx {

struct Cell {
    std::string value;  // "s:text", "n:%.17g", "d:YYYY-MM-DD HH:MM:SS"
    bool bold = false;
    std::string align;         // "left", "right", ...
    std::string numberFormat;  // "General", "dd/mm/yyyy", ...
};

struct Sheet {
    std::string title;
    int rows = 0, columns = 0;
    std::map<std::pair<int, int>, Cell> cells;  // 1-based (row, column); empty cells left out
    std::map<std::string, double> widths;       // by column letter
    std::string frozen;                         // the top-left cell of the unfrozen part ("A2")
    std::string filter;                         // the autofilter range ("A1:L6")
    bool protectedSheet = false;
};

inline std::string number(double v) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", v);
    return std::string("n:") + text;
}

inline Sheet readWithOpenpyxl(const std::filesystem::path& file) {
    const std::filesystem::path script = file.string() + ".py", out = file.string() + ".txt";
    std::ofstream(script) << R"(import sys, datetime, warnings, openpyxl
warnings.simplefilter('ignore')  # styles openpyxl fills in itself
wb = openpyxl.load_workbook(sys.argv[1])
ws = wb.worksheets[0]
out = open(sys.argv[2], 'w', encoding='utf-8')
esc = lambda s: s.replace('\\', '\\\\').replace('\t', '\\t').replace('\n', '\\n')
print('sheet', esc(ws.title), ws.max_row, ws.max_column, ws.freeze_panes, ws.auto_filter.ref,
      int(bool(ws.protection.sheet)), sep='\t', file=out)
for letter, d in ws.column_dimensions.items():
    for i in range(d.min or 0, (d.max or 0) + 1):
        print('width', openpyxl.utils.get_column_letter(i), repr(d.width), sep='\t', file=out)
for row in ws.iter_rows():
    for c in row:
        v = c.value
        if v is None: continue
        if isinstance(v, datetime.datetime): v = 'd:' + v.strftime('%Y-%m-%d %H:%M:%S')
        elif isinstance(v, str): v = 's:' + esc(v)
        else: v = 'n:%.17g' % float(v)
        print('cell', c.row, c.column, v, int(bool(c.font.b)), c.alignment.horizontal, c.number_format,
              sep='\t', file=out)
)";
    const std::string command = "/usr/bin/python3 '" + script.string() + "' '" + file.string() + "' '" + out.string() + "'";
    if (std::system(command.c_str()) != 0) throw std::runtime_error("openpyxl cannot read " + file.string());
    Sheet sheet;
    std::ifstream in(out);
    std::string line;
    auto unescape = [](const std::string& s) {
        std::string r;
        for (std::size_t i = 0; i < s.size(); ++i) {
            if (s[i] != '\\' || i + 1 == s.size()) { r += s[i]; continue; }
            const char n = s[++i];
            r += n == 't' ? '\t' : n == 'n' ? '\n' : n;
        }
        return r;
    };
    while (std::getline(in, line)) {
        std::vector<std::string> f;
        std::stringstream fields(line);
        for (std::string part; std::getline(fields, part, '\t');) f.push_back(part);
        if (f[0] == "sheet" && f.size() >= 7) {
            sheet.title = unescape(f[1]);
            sheet.rows = std::stoi(f[2]);
            sheet.columns = std::stoi(f[3]);
            sheet.frozen = f[4];
            sheet.filter = f[5];
            sheet.protectedSheet = f[6] == "1";
        } else if (f[0] == "width" && f.size() >= 3) {
            sheet.widths[f[1]] = std::stod(f[2]);
        } else if (f[0] == "cell" && f.size() >= 7) {
            sheet.cells[{std::stoi(f[1]), std::stoi(f[2])}] = {unescape(f[3]), f[4] == "1", f[5], f[6]};
        }
    }
    std::filesystem::remove(script);
    std::filesystem::remove(out);
    return sheet;
}

}  // namespace tessaro7::testing::xlsx
