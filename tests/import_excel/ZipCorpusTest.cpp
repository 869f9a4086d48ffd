// The .ods and .xlsx workbooks of tests/fixtures/zip-corpus (made by its
// make-zip-corpus script), each cell checked against the text the preview
// must show; the .xlsx files also against python3-openpyxl's reading.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include "import_excel/CellText.h"
#include "import_excel/SheetReader.h"
#include "support/TempDir.h"

namespace {

using namespace tessaro7::import_excel;
using tessaro7::testing::TempDir;
namespace fs = std::filesystem;

const fs::path kCorpus = fs::path(TESSARO7_FIXTURES) / "zip-corpus";

struct CorpusFile {
    const char* file;
    const char* sheet;  // "" for the one it opens on
    std::vector<std::vector<std::string>> cells;
    const char* opensOn;
};

// The cells whose form comes from the date-format rule of a number format
// (fractions of seconds, escaped literals): checked once the rule knows them.
const std::vector<CorpusFile>& corpus() {
    static const std::vector<CorpusFile> files = {
        {"ods-values.ods", "",
         {{"1,5", "0,15", "1234,5", "05/03/2024", "31/12/2024 13:04:05", "10:10:10", "Vero", "Falso"},
          {"Città àèìòù €", "a  b", "   tre blanks", "uno\ndue", "prima\nseconda", "x\ty", "in link", "nota"},
          {"12,81", "ABCD", "Vero", "05/03/2024", "#DIV/0!", "", "01/01/1850", "36:00:00"}},
         "Valori"},
        {"ods-repeated.ods", "",
         {{"Codice", "Nome", "", ""},
          {"unito", "", "dopo", ""},
          {"7", "7", "7", ""},
          {"7", "7", "7", ""},
          {"nel gruppo", "", "", "D5"},
          {"", "", "", ""}},
         "Ripetute"},
        {"ods-active-second.ods", "", {{"secondo"}}, "Dati"},
        {"ods-active-second.ods", "Istruzioni", {{"leggere Dati"}}, "Dati"},
        {"xlsx-root-workbook.xlsx", "", {{"alla radice", "2,5", "05/03/2024"}}, "Radice"},
        {"xlsx-backslash.xlsx", "", {{"barre", "2,5", "06/03/2028"}}, "Barre"},
        {"xlsx-1904.xlsx", "", {{"02/01/1904", "02/01/1904 06:00:00", "10:10:10", "10:10:10", "06/03/2028", "2,5"}}, "Date"},
        {"xlsx-formats.xlsx", "", {{"10:10:10", "10:10:10", "05/03/2024", "10/10/1948 14:35:27"}}, "Formati"},
    };
    return files;
}

TEST(ZipCorpus, EveryCellAsThePreviewShowsIt) {
    for (const CorpusFile& f : corpus()) {
        long rows = static_cast<long>(f.cells.size()), cols = static_cast<long>(f.cells[0].size());
        SheetRead read = readSheet((kCorpus / f.file).string(), f.sheet, rows, cols);
        EXPECT_EQ(read.sheets[read.opensFirst], f.opensOn) << f.file;
        for (long r = 0; r < rows; ++r)
            for (long c = 0; c < cols; ++c) {
                const std::string& expected = f.cells[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
                EXPECT_EQ(read.grid.cell(r, c), expected) << f.file << " row " << r << " column " << c;
            }
    }
}

TEST(ZipCorpus, CellKindsOfErrorsAndFormulasWithoutResult) {
    SheetRead read = readSheet((kCorpus / "ods-values.ods").string(), "", 3, 8);
    EXPECT_EQ(read.grid.kind(2, 4), CellKind::Error);
    EXPECT_EQ(read.grid.kind(2, 5), CellKind::NoResult);
    EXPECT_EQ(read.grid.kind(2, 0), CellKind::Value);
}

TEST(ZipCorpus, AProtectedWorkbookSaysSo) {
    for (const char* file : {"ods-protected.ods"}) {
        try {
            readSheet((kCorpus / file).string(), "", 1, 1);
            ADD_FAILURE() << file << " read";
        } catch (const SheetReadError& e) {
            EXPECT_STREQ(e.what(), "la cartella di lavoro è protetta da password") << file;
        }
    }
}

// openpyxl's values in the same text forms (numbers with a decimal comma,
// dates dd/mm/yyyy and the time when there is one, a time alone hh:mm:ss),
// formatted in Python: it must agree on every cell of the .xlsx files it opens.
TEST(ZipCorpus, XlsxFilesAsOpenpyxlReadsThem) {
    TempDir dir;
    std::ofstream(dir / "dump.py") << R"PY(
import sys, datetime, openpyxl
wb = openpyxl.load_workbook(sys.argv[1])
ws = wb.active
def shown(v):
    if v is None: return ''
    if isinstance(v, bool): return 'Vero' if v else 'Falso'
    if isinstance(v, datetime.datetime):
        t = v.strftime('%d/%m/%Y')
        return t + (v.strftime(' %H:%M:%S') if (v.hour, v.minute, v.second) != (0, 0, 0) else '')
    if isinstance(v, datetime.time): return v.strftime('%H:%M:%S')
    if isinstance(v, (int, float)): return ('%.15g' % v).replace('.', ',')
    return str(v)
with open(sys.argv[2], 'w') as out:
    out.write(ws.title + '\n')
    for row in ws.iter_rows(min_row=1, max_row=1):
        for c in row: out.write(shown(c.value).encode('utf-8').hex() + '\n')
)PY";
    // The time formats are left out: openpyxl gives [h] a duration and the
    // fractions of seconds a time object, whose forms are not the sheet's.
    const std::map<std::string, std::vector<int>> compared = {
        {"xlsx-1904.xlsx", {0, 1, 4, 5}}, {"xlsx-formats.xlsx", {2}}, {"xlsx-root-workbook.xlsx", {0, 1, 2}}};
    for (const auto& [file, columns] : compared) {
        std::string command = "/usr/bin/python3 '" + (dir / "dump.py").string() + "' '" + (kCorpus / file).string() + "' '" +
                              (dir / "out.txt").string() + "' 2>/dev/null";
        if (std::system(command.c_str()) != 0) {
            std::printf("%s: openpyxl does not read it\n", file.c_str());
            continue;
        }
        std::ifstream in(dir / "out.txt");
        std::string title, hex;
        std::getline(in, title);
        std::vector<std::string> cells;
        while (std::getline(in, hex)) {
            std::string text;
            for (std::size_t i = 0; i + 1 < hex.size(); i += 2) text += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
            cells.push_back(text);
        }
        SheetRead read = readSheet((kCorpus / file).string(), "", 1, static_cast<long>(cells.size()));
        EXPECT_EQ(read.sheets[read.read], title) << file;
        for (int c : columns) EXPECT_EQ(read.grid.cell(0, c), cells[static_cast<std::size_t>(c)]) << file << " column " << c;
    }
}

}  // namespace

namespace {

// The workbooks Calc saved in the three formats: the .ods gives the grid of
// the .xls, cell for cell and kind for kind (leading blanks, dates, times,
// text and Boolean formula results, errors).
TEST(ZipCorpus, OdsSavedByCalcGivesTheSameGridAsXls) {
    for (const char* base : {"calc-mixed", "calc-1904"}) {
        const fs::path fixtures(TESSARO7_FIXTURES);
        SheetRead xls = readSheet((fixtures / (std::string(base) + ".xls")).string(), "Dati", 5, 9);
        SheetRead ods = readSheet((fixtures / (std::string(base) + ".ods")).string(), "Dati", 5, 9);
        EXPECT_EQ(ods.sheets, xls.sheets);
        for (long r = 0; r < 5; ++r)
            for (long c = 0; c < 9; ++c) {
                EXPECT_EQ(ods.grid.cell(r, c), xls.grid.cell(r, c)) << base << " row " << r << " column " << c;
                EXPECT_EQ(ods.grid.kind(r, c), xls.grid.kind(r, c)) << base << " row " << r << " column " << c;
            }
    }
}

}  // namespace
