#pragma once
// A worksheet as python3-xlrd reads it, a reader independent of this
// program: the workbook's sheet names, the sheet it opens on, and each cell's
// xlrd type, raw value and the text an Italian workstation shows for it
// (numbers with a decimal comma and up to 15 significant digits, dates
// dd/mm/yyyy with the time when there is one, a time alone hh:mm:ss,
// Vero/Falso, errors by their Italian names), formatted in Python.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace tessaro7::testing {

struct XlrdCell {
    int type = 0;       // xlrd's ctype: 1 text, 2 number, 3 date, 4 Boolean, 5 error
    std::string raw;    // the text, or Python's repr of the number
    std::string shown;  // the Italian text form
};

struct XlrdSheet {
    std::vector<std::string> sheets;
    std::size_t active = 0;
    std::size_t rows = 0, columns = 0;
    std::map<std::pair<std::size_t, std::size_t>, XlrdCell> cells;
};

inline constexpr const char* kXlrdDump = R"PY(
import sys, xlrd, xlrd.sheet
# xlrd stops BIFF2-5 sheets at 16384 rows, a limit of old spreadsheet programs, not of the format.
_init = xlrd.sheet.Sheet.__init__
def _init_all_rows(self, *args, **kwargs):
    _init(self, *args, **kwargs)
    self.utter_max_rows = 65536
xlrd.sheet.Sheet.__init__ = _init_all_rows
def hx(s): return s.encode('utf-8').hex()
def shown(book, c):
    if c.ctype == xlrd.XL_CELL_TEXT: return c.value
    if c.ctype == xlrd.XL_CELL_BOOLEAN: return 'Vero' if c.value else 'Falso'
    if c.ctype == xlrd.XL_CELL_ERROR:
        names = {0x00: '#NULLO!', 0x07: '#DIV/0!', 0x0F: '#VALORE!', 0x17: '#RIF!', 0x1D: '#NOME?', 0x24: '#NUM!', 0x2A: '#N/D'}
        return names[c.value]
    if c.ctype == xlrd.XL_CELL_DATE:
        try:
            y, mo, d, h, mi, s = xlrd.xldate_as_tuple(c.value, book.datemode)
        except xlrd.xldate.XLDateError:
            y = None
        if y is not None:
            if (y, mo, d) == (0, 0, 0): return '%02d:%02d:%02d' % (h, mi, s)
            text = '%02d/%02d/%04d' % (d, mo, y)
            return text + (' %02d:%02d:%02d' % (h, mi, s) if (h, mi, s) != (0, 0, 0) else '')
    v = c.value
    if v == 0: return '0'
    return ('%.15g' % v).replace('.', ',').replace('e', 'E')
book = xlrd.open_workbook(sys.argv[1], encoding_override='cp1252' if sys.argv[3] == 'cp1252' else None)
names = book.sheet_names()
active = 0
for i in range(book.nsheets):
    if book.sheet_by_index(i).sheet_visible: active = i
sheet = book.sheet_by_index(active if sys.argv[2] == '' else names.index(sys.argv[2]))
with open(sys.argv[4], 'w') as out:
    for n in names: out.write('S %s\n' % hx(n))
    out.write('A %d\nD %d %d\n' % (active, sheet.nrows, sheet.ncols))
    for r in range(sheet.nrows):
        for c in range(sheet.ncols):
            cell = sheet.cell(r, c)
            if cell.ctype in (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK): continue
            raw = cell.value if cell.ctype == xlrd.XL_CELL_TEXT else repr(cell.value)
            out.write('C %d %d %d %s %s\n' % (r, c, cell.ctype, hx(raw) or '-', hx(shown(book, cell)) or '-'))
)PY";

inline std::string fromHex(const std::string& hex) {
    if (hex == "-") return {};
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return out;
}

// The sheet named `sheet` (empty: the one the workbook opens on). Byte
// strings without a code page are read as Windows-1252 when `cp1252`.
inline XlrdSheet readWithXlrd(const std::filesystem::path& file, const std::string& sheet = "", bool cp1252 = true) {
    std::filesystem::path script = file.string() + ".xlrd.py", out = file.string() + ".xlrd.txt";
    std::ofstream(script) << kXlrdDump;
    std::string command = "/usr/bin/python3 '" + script.string() + "' '" + file.string() + "' '" + sheet + "' " +
                          (cp1252 ? "cp1252" : "none") + " '" + out.string() + "'";
    int rc = std::system(command.c_str());
    std::filesystem::remove(script);
    if (rc != 0) throw std::runtime_error("xlrd cannot read " + file.string());
    XlrdSheet result;
    std::ifstream in(out);
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        std::string tag;
        fields >> tag;
        if (tag == "S") {
            std::string name;
            fields >> name;
            result.sheets.push_back(fromHex(name));
        } else if (tag == "A") {
            fields >> result.active;
        } else if (tag == "D") {
            fields >> result.rows >> result.columns;
        } else if (tag == "C") {
            std::size_t r, c;
            XlrdCell cell;
            std::string raw, shown;
            fields >> r >> c >> cell.type >> raw >> shown;
            cell.raw = fromHex(raw);
            cell.shown = fromHex(shown);
            result.cells[{r, c}] = cell;
        }
    }
    std::filesystem::remove(out);
    return result;
}

}  // namespace tessaro7::testing
