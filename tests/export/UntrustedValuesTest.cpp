// Values another program (or a person with sqlite3) may leave in the business
// database, each in one row of every list that has a column of its kind,
// exported in both formats by the batch program and read back by independent
// readers: openpyxl (.xlsx, every XML part parsed first), xlrd (.xls) and
// Gnumeric (both; skipped when not installed), and the .xlsx files by the
// program's own import. Every row must be there, every cell as the table
// says, and the completion messages must count every change.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <sstream>

#include "batch/BatchRunner.h"
#include "export/Clock.h"
#include "export/ExportLists.h"
#include "export/SheetFiles.h"
#include "export/SheetFormat.h"
#include "import_excel/PreviewSheet.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;
using namespace tessaro7;
using exporting::CellType;
using exporting::ExportList;
using exporting::SheetFormat;
namespace t7 = tessaro7::testing;
using t7::sheet::Stored;
using t7::sheet::StoredRow;

enum class Kind { Date, Text, Number };

// One value and the cell each reader must show for it: "s:text", "n:number",
// "d:date and time", or "" for no cell. openpyxl and Gnumeric show an .xlsx
// text as stored, the format's escapes in it; the program's import undoes
// them. Dates come first, in order, as the lists ordered by date need.
struct Entry {
    const char* name;
    Kind kind;
    Stored stored;
    std::string xls, xlsx, imported;  // imported: the .xlsx text as the program's import reads it
    int changedXls = 0, changedXlsx = 0;
    bool cutXls = false, cutXlsx = false, notFinite = false;
};

std::string repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

const std::string kEmoji = "\xF0\x9F\x98\x80";
const std::string kGreek = "Αθηνά Παπαδοπούλου";

const std::vector<Entry>& entries() {
    static const std::vector<Entry> table = {
        {"1900-01-01", Kind::Date, "1900-01-01", "s:01/01/1900", "s:01/01/1900", ""},
        {"1900-02-28", Kind::Date, "1900-02-28", "s:28/02/1900", "s:28/02/1900", ""},
        {"1900-03-01", Kind::Date, "1900-03-01", "s:01/03/1900", "d:1900-03-01 00:00:00", ""},
        {"U+FFFF", Kind::Text, "Prima\xEF\xBF\xBF" "dopo", "s:Prima?dopo", "s:Primadopo", "Primadopo", 1, 1},
        {"U+FFFE", Kind::Text, "Prima\xEF\xBF\xBE" "dopo", "s:Prima?dopo", "s:Primadopo", "Primadopo", 1, 1},
        {"lone surrogate", Kind::Text, "Met\xED\xA0\x80\xC3\xA0", "s:Met?à", "s:Metà", "Metà", 1, 1},
        {"Windows-1252 bytes", Kind::Text, "Caf\xE9", "s:Café", "s:Café", "Café"},
        {"NUL inside", Kind::Text, std::string("Ros\0si", 6), "s:Ros?si", "s:Rossi", "Rossi", 1, 1},
        {"control character", Kind::Text, "Uno\x01" "Due", "s:Uno\x01" "Due", "s:Uno_x0001_Due", "Uno\x01" "Due"},
        {"tab", Kind::Text, "Uno\tDue", "s:Uno\tDue", "s:Uno\tDue", "Uno\tDue"},
        {"CR", Kind::Text, "Uno\rDue", "s:Uno\rDue", "s:Uno_x000D_Due", "Uno\rDue"},
        {"LF", Kind::Text, "Uno\nDue", "s:Uno\nDue", "s:Uno\nDue", "Uno\nDue"},
        {"_x0041_", Kind::Text, "Via _x0041_", "s:Via _x0041_", "s:Via _x005F_x0041_", "Via _x0041_"},
        {"_x005F_", Kind::Text, "_x005F_", "s:_x005F_", "s:_x005F_x005F_", "_x005F_"},
        {"emoji", Kind::Text, "Emoji " + kEmoji, "s:Emoji ?", "s:Emoji " + kEmoji, "Emoji " + kEmoji, 1, 0},
        {"20000 emoji", Kind::Text, repeat(kEmoji, 20000), "s:" + repeat("?", 255), "s:" + repeat(kEmoji, 16383),
         repeat(kEmoji, 16383), 255, 0, true, true},
        {"Greek name", Kind::Text, kGreek, "s:????? ????????????", "s:" + kGreek, kGreek, 17, 0},
        {"1e308", Kind::Number, 1e308, "n:1e+308", "n:1e+308", ""},
        {"+Inf", Kind::Number, HUGE_VAL, "", "", "", 0, 0, false, false, true},
        {"-Inf", Kind::Number, -HUGE_VAL, "", "", "", 0, 0, false, false, true},
        // SQLite stores NaN as Null: the column's rule for Null applies.
        {"NaN", Kind::Number, std::nan(""), "null", "null", ""},
        {"-0.0", Kind::Number, -0.0, "n:0", "n:0", ""},
    };
    return table;
}

// What a column of a list holds in the rows: the key the list is ordered by,
// a field of one of the three kinds, or another field (a filler).
enum class Role { Key, Date, Text, Number, Other };

std::string keyField(const ExportList& list) {
    if (list.number == 1 || list.number == 2 || list.number == 10) return "nominativo";
    if (list.number == 3) return "codice";
    if (list.number == 11) return "data_reg";
    if (list.number == 12) return "data_documento";
    if (list.number == 13) return "data";
    return list.number == 4 ? "" : "fattura_n";
}

Role roleOf(const ExportList& list, const exporting::ExportColumn& column, const std::string& type) {
    if (column.field == keyField(list) && type.find("DATE") == std::string::npos) return Role::Key;
    if (type.find("DATE") != std::string::npos) return Role::Date;
    const bool textField = type.find("CHAR") != std::string::npos;
    if (column.cell == CellType::Text) return textField ? Role::Text : Role::Other;
    return textField ? Role::Other : Role::Number;
}

std::string tableOf(const ExportList& list) {
    std::string t = list.countTable;
    for (char& c : t) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return t;
}

std::string twoDigits(std::size_t n) { return (n < 10 ? "0" : "") + std::to_string(n); }

// The ordering date of row i when it holds no date entry: after every entry date.
std::string fillerDate(std::size_t i) { return "2001-01-" + twoDigits(i + 1); }

// A column of the entry's kind holds the entry; the others their fillers.
bool holdsEntry(Role role, const Entry& e) {
    return (role == Role::Date && e.kind == Kind::Date) || (role == Role::Text && e.kind == Kind::Text) ||
           (role == Role::Number && e.kind == Kind::Number);
}

// The cell a row of entry `e` (number i) gives in a column, in `format`.
std::string expectedCell(const Entry& e, std::size_t i, Role role, const exporting::ExportColumn& column,
                         SheetFormat format) {
    const bool xlsx = format == SheetFormat::Xlsx;
    if (holdsEntry(role, e)) {
        const std::string& cell = xlsx ? e.xlsx : e.xls;
        if (cell != "null") return cell;
        return column.nullRule == exporting::NullRule::Zero ? "n:0" : "";
    }
    switch (role) {
    case Role::Key: return column.cell == CellType::Text ? "s:Riga " + twoDigits(i) : "n:" + std::to_string(i + 1);
    case Role::Date: return xlsx ? "d:" + fillerDate(i) + " 00:00:00" : "s:" + twoDigits(i + 1) + "/01/2001";
    case Role::Text: return "s:Testo";
    case Role::Number: return "n:4";
    case Role::Other: return column.cell == CellType::Text ? "s:7" : "n:7";
    }
    return "";
}

Stored storedValue(const Entry& e, std::size_t i, Role role) {
    if (holdsEntry(role, e)) return e.stored;
    switch (role) {
    case Role::Key: return {};
    case Role::Date: return fillerDate(i);
    case Role::Text: return std::string("Testo");
    case Role::Number: return 4.0;
    case Role::Other: return std::string("7");
    }
    return {};
}

using Cells = std::map<std::pair<int, int>, std::string>;  // (row, column), 1-based

struct ReadBack {
    int rows = 0;
    Cells cells;
    std::vector<std::string> badParts;  // XML parts that do not parse, with the reason
};

constexpr const char* kOpenpyxlDump = R"PY(
import sys, zipfile, datetime, warnings, xml.dom.minidom, openpyxl
warnings.simplefilter('ignore')
out = open(sys.argv[2], 'w')
hx = lambda s: s.encode('utf-8', 'surrogatepass').hex() or '-'
with zipfile.ZipFile(sys.argv[1]) as z:
    for name in z.namelist():
        if name.endswith('.xml') or name.endswith('.rels'):
            try: xml.dom.minidom.parseString(z.read(name))
            except Exception as e: out.write('bad %s\n' % hx(name + ': ' + str(e)))
ws = openpyxl.load_workbook(sys.argv[1]).worksheets[0]
out.write('rows %d\n' % ws.max_row)
for row in ws.iter_rows():
    for c in row:
        v = c.value
        if v is None: continue
        if isinstance(v, datetime.datetime): v = 'd:' + v.strftime('%Y-%m-%d %H:%M:%S')
        elif isinstance(v, str): v = 's:' + v
        else: v = 'n:%.17g' % float(v)
        out.write('cell %d %d %s\n' % (c.row, c.column, hx(v)))
)PY";

ReadBack readWithOpenpyxl(const fs::path& file) {
    const fs::path script = file.string() + ".py", dump = file.string() + ".txt";
    std::ofstream(script) << kOpenpyxlDump;
    const std::string command = "/usr/bin/python3 '" + script.string() + "' '" + file.string() + "' '" + dump.string() + "'";
    if (std::system(command.c_str()) != 0) throw std::runtime_error("openpyxl cannot read " + file.string());
    ReadBack back;
    std::ifstream in(dump);
    for (std::string tag; in >> tag;) {
        std::string hex;
        int row = 0, column = 0;
        if (tag == "rows") in >> back.rows;
        else if (tag == "bad" && in >> hex) back.badParts.push_back(t7::fromHex(hex));
        else if (tag == "cell" && in >> row >> column >> hex) back.cells[{row, column}] = t7::fromHex(hex);
    }
    return back;
}

ReadBack readWithXlrd(const fs::path& file) {
    const t7::XlrdSheet sheet = t7::readWithXlrd(file);
    ReadBack back;
    back.rows = static_cast<int>(sheet.rows);
    for (const auto& [at, cell] : sheet.cells)
        back.cells[{static_cast<int>(at.first + 1), static_cast<int>(at.second + 1)}] =
            (cell.type == 1 ? "s:" : "n:") + cell.raw;
    return back;
}

// Gnumeric converts the file to its own XML format, whose cells Python reads:
// texts, and numbers (dates as their day numbers).
constexpr const char* kGnumericDump = R"PY(
import sys, gzip, xml.etree.ElementTree as tree
out = open(sys.argv[2], 'w')
hx = lambda s: s.encode('utf-8').hex() or '-'
rows = 0
for cell in tree.parse(gzip.open(sys.argv[1])).iter('{http://www.gnumeric.org/v10.dtd}Cell'):
    row, column, kind = int(cell.get('Row')), int(cell.get('Col')), cell.get('ValueType')
    rows = max(rows, row + 1)
    v = cell.text or ''
    v = 's:' + v if kind == '60' else 'n:%.17g' % float(v)
    out.write('cell %d %d %s\n' % (row + 1, column + 1, hx(v)))
out.write('rows %d\n' % rows)
)PY";

ReadBack readWithGnumeric(const fs::path& file) {
    const fs::path converted = file.string() + ".gnumeric", script = file.string() + ".gnm.py",
                   dump = file.string() + ".gnm.txt";
    const std::string command = "ssconvert --export-type=Gnumeric_XmlIO:sax '" + file.string() + "' '" +
                                converted.string() + "' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) throw std::runtime_error("ssconvert cannot read " + file.string());
    std::ofstream(script) << kGnumericDump;
    if (std::system(("/usr/bin/python3 '" + script.string() + "' '" + converted.string() + "' '" + dump.string() + "'")
                        .c_str()) != 0)
        throw std::runtime_error("cannot read Gnumeric's conversion of " + file.string());
    ReadBack back;
    std::ifstream in(dump);
    for (std::string tag; in >> tag;) {
        std::string hex;
        int row = 0, column = 0;
        if (tag == "rows") in >> back.rows;
        else if (tag == "cell" && in >> row >> column >> hex) back.cells[{row, column}] = t7::fromHex(hex);
    }
    return back;
}

// Gnumeric's own format keeps no control character but tab, line feed and
// carriage return (which XML reads as a line feed), and holds a date as its
// day number.
std::string asGnumericKeepsIt(const std::string& cell) {
    if (cell.starts_with("d:")) {
        const int y = std::stoi(cell.substr(2, 4)), m = std::stoi(cell.substr(7, 2)), d = std::stoi(cell.substr(10, 2));
        const auto days = std::chrono::sys_days(std::chrono::year(y) / m / d) -
                          std::chrono::sys_days(std::chrono::year(1899) / 12 / 30);
        return "n:" + std::to_string(days.count());
    }
    std::string out;
    for (char c : cell)
        if (c == '\r') out += '\n';
        else if (static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\n') out += c;
    return out;
}

// Numbers are compared as numbers (-0 and 0 are one value), the rest as text.
bool sameCell(const std::string& actual, const std::string& expected) {
    if (actual.starts_with("n:") && expected.starts_with("n:"))
        return std::stod(actual.substr(2)) == std::stod(expected.substr(2));
    return actual == expected;
}

class UntrustedValuesTest : public ::testing::Test {
protected:
    t7::TempDir dir;
    t7::sheet::Database database{dir / "Tessaro7.mdb"};
    int year = exporting::systemClock().currentYear();

    void SetUp() override {
        dir.write("TS7Rete.dat", dir.str() + "\r\n");
        database.exec("begin");
        for (const ExportList& list : exporting::exportLists()) {
            const auto types = database.columnTypes(tableOf(list));
            for (std::size_t i = 0; i < entries().size(); ++i) {
                StoredRow row;
                for (const auto& column : list.columns) {
                    const Role role = roleOf(list, column, types.at(column.field));
                    row[column.field] = role == Role::Key ? keyValue(list, i) : storedValue(entries()[i], i, role);
                }
                if (list.yearly()) row[list.number <= 9 ? "anno_fattura" : "anno"] = std::int64_t{year};
                database.insert(tableOf(list), row);
            }
        }
        database.exec("commit");
    }

    static Stored keyValue(const ExportList& list, std::size_t i) {
        if (list.number == 1 || list.number == 2 || list.number == 3 || list.number == 10)
            return "Riga " + twoDigits(i);
        return std::int64_t(i + 1);
    }

    // The batch program's completion messages: one per list, each counting
    // what its rows changed.
    std::string expectedMessages(SheetFormat format) {
        const exporting::SheetFormatRules& rules = exporting::rulesOf(format);
        const bool xlsx = format == SheetFormat::Xlsx;
        std::string out;
        for (const ExportList& list : exporting::exportLists()) {
            const auto types = database.columnTypes(tableOf(list));
            long cut = 0, changed = 0, notFinite = 0;
            for (const Entry& e : entries())
                for (const auto& column : list.columns) {
                    const Role role = roleOf(list, column, types.at(column.field));
                    if (role == Role::Text && holdsEntry(role, e)) {
                        cut += (xlsx ? e.cutXlsx : e.cutXls) ? 1 : 0;
                        changed += xlsx ? e.changedXlsx : e.changedXls;
                    }
                    if (role == Role::Number && e.kind == Kind::Number && e.notFinite) ++notFinite;
                }
            out += std::to_string(list.number) + " " + list.caption + ":\nFile Excel esportato.\nNome File: " + dir.str() + "/" +
                   exporting::fileNameFor(list, format) + "\n";
            if (cut) out += rules.textsCutNote + std::to_string(cut) + "\n";
            if (changed) out += rules.charactersChangedNote + std::to_string(changed) + "\n";
            if (notFinite) out += "Numeri non finiti (infiniti o indefiniti) lasciati vuoti: " + std::to_string(notFinite) + "\n";
        }
        return out;
    }

    // Every list's file as `read` gives it, against the table.
    template <typename Reader>
    void expectEveryCell(SheetFormat format, Reader read, bool gnumeric = false) {
        for (const ExportList& list : exporting::exportLists()) {
            SCOPED_TRACE(list.caption);
            const ReadBack back = read(dir / exporting::fileNameFor(list, format));
            EXPECT_TRUE(back.badParts.empty()) << back.badParts.front();
            EXPECT_EQ(back.rows, static_cast<int>(entries().size() + 1));
            const auto types = database.columnTypes(tableOf(list));
            for (std::size_t i = 0; i < entries().size(); ++i)
                for (std::size_t c = 0; c < list.columns.size(); ++c) {
                    const auto& column = list.columns[c];
                    std::string want = expectedCell(entries()[i], i, roleOf(list, column, types.at(column.field)),
                                                    column, format);
                    if (gnumeric) want = asGnumericKeepsIt(want);
                    const auto cell = back.cells.find({static_cast<int>(i + 2), static_cast<int>(c + 1)});
                    const std::string got = cell == back.cells.end() ? "" : cell->second;
                    EXPECT_TRUE(sameCell(got, want)) << entries()[i].name << ", column " << column.field << ": read "
                                                     << got.substr(0, 60) << ", expected " << want.substr(0, 60);
                }
        }
    }

    void exportAll(SheetFormat format) {
        std::ostringstream out, err;
        const int status = batch::runBatch({"export-all", "--format", exporting::rulesOf(format).name}, out, err, dir.path());
        ASSERT_EQ(status, 0) << err.str();
        EXPECT_EQ(out.str(), expectedMessages(format));
    }
};

TEST_F(UntrustedValuesTest, XlsxOpensInEveryReaderWithEveryRowAndCountsWhatItLeftOut) {
    exportAll(SheetFormat::Xlsx);
    expectEveryCell(SheetFormat::Xlsx, readWithOpenpyxl);

    // The program's own import reads every text back as it was stored,
    // apart from the characters the message counts as left out.
    for (const ExportList& list : exporting::exportLists()) {
        SCOPED_TRACE(list.caption);
        import_excel::PreviewGrid grid;
        const auto preview = import_excel::PreviewSheet(dir.str() + "/" + exporting::fileNameFor(list, SheetFormat::Xlsx),
                                                        std::to_string(list.columns.size()),
                                                        std::to_string(entries().size() + 1), grid);
        ASSERT_FALSE(preview.notice);
        const auto types = database.columnTypes(tableOf(list));
        for (std::size_t i = 0; i < entries().size(); ++i)
            for (std::size_t c = 0; c < list.columns.size(); ++c)
                if (entries()[i].kind == Kind::Text &&
                    roleOf(list, list.columns[c], types.at(list.columns[c].field)) == Role::Text) {
                    EXPECT_TRUE(grid.cell(static_cast<long>(i + 1), static_cast<long>(c)) == entries()[i].imported)
                        << entries()[i].name << ", column " << list.columns[c].field;
                }
    }

    if (std::system("command -v ssconvert >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "Gnumeric's ssconvert is not installed (Debian package gnumeric)";
    expectEveryCell(SheetFormat::Xlsx, readWithGnumeric, true);
}

TEST_F(UntrustedValuesTest, XlsOpensInEveryReaderWithEveryRowAndCountsWhatItReplaced) {
    exportAll(SheetFormat::Xls);
    expectEveryCell(SheetFormat::Xls, readWithXlrd);
    if (std::system("command -v ssconvert >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "Gnumeric's ssconvert is not installed (Debian package gnumeric)";
    expectEveryCell(SheetFormat::Xls, readWithGnumeric, true);
}

}  // namespace
