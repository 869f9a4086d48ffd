// The .xls reader against python3-xlrd, an independent reader, on every
// sheet of a corpus: workbooks written now by python3-xlwt, this program's
// thirteen exports, and workbooks saved by LibreOffice Calc (tests/fixtures,
// made by tests/fixtures/make-fixtures). Each cell's text must be the text
// of xlrd's value in the Italian forms, and every other cell empty. The same
// contents saved as .xlsx give the same grid.
#include <gtest/gtest.h>

#include <sstream>

#include "batch/BatchRunner.h"
#include "import_excel/SheetReader.h"
#include "support/TempDir.h"
#include "support/XlrdSheet.h"

namespace {

using namespace tessaro7::testing;
using namespace tessaro7::import_excel;
namespace fs = std::filesystem;

const fs::path kFixtures = TESSARO7_FIXTURES;

// Every sheet of `file`, cell by cell, as xlrd reads it.
void expectSameAsXlrd(const fs::path& file) {
    SCOPED_TRACE(file.filename().string());
    XlrdSheet opening = readWithXlrd(file);
    SheetRead ours = readSheet(file.string(), "", 1, 1);
    // A BIFF2 to BIFF4 worksheet has no name of its own: each reader gives one.
    ASSERT_EQ(ours.sheets.size(), opening.sheets.size());
    if (ours.sheets.size() > 1) {
        EXPECT_EQ(ours.sheets, opening.sheets);
    }
    EXPECT_EQ(ours.opensFirst, opening.active);
    for (std::size_t i = 0; i < ours.sheets.size(); ++i) {
        const std::string& name = ours.sheets[i];
        XlrdSheet sheet = readWithXlrd(file, opening.sheets[i]);
        // One row and column more than xlrd sees: nothing may stand there.
        long rows = static_cast<long>(sheet.rows) + 1, cols = static_cast<long>(sheet.columns) + 1;
        PreviewGrid grid = readSheet(file.string(), name, rows, cols).grid;
        for (long r = 0; r < rows; ++r)
            for (long c = 0; c < cols; ++c) {
                auto found = sheet.cells.find({static_cast<std::size_t>(r), static_cast<std::size_t>(c)});
                std::string expected = found == sheet.cells.end() ? "" : found->second.shown;
                ASSERT_EQ(grid.cell(r, c), expected) << name << " row " << r << " column " << c;
            }
    }
}

TEST(XlsCorpus, WorkbooksWrittenByXlwt) {
    TempDir dir;
    std::ofstream(dir / "w.py") << R"PY(
import sys, datetime, xlwt
wb = xlwt.Workbook()
first = wb.add_sheet('Istruzioni')
first.write(0, 0, 'Leggere il secondo foglio')
ws = wb.add_sheet('Dati')
date = xlwt.easyxf(num_format_str='dd/mm/yyyy')
stamp = xlwt.easyxf(num_format_str='dd/mm/yyyy hh:mm:ss')
time = xlwt.easyxf(num_format_str='hh:mm:ss')
pct = xlwt.easyxf(num_format_str='0.00%')
rows = [
    ['Città àèìòù €', 22, 1.5, -0.25, 123456789012, 1e20, 0.1, -3],
    [u'\u4e2d\u6587 \U0001F600', 2**31, -2**31 - 1, 1e-7, 0, True, False, 'x' * 300],
]
for r, row in enumerate(rows):
    for c, v in enumerate(row): ws.write(r, c, v)
ws.write(2, 0, datetime.date(2024, 3, 5), date)
ws.write(2, 1, datetime.datetime(2024, 12, 31, 13, 4, 5), stamp)
ws.write(2, 2, datetime.time(7, 8, 9), time)
ws.write(2, 3, datetime.datetime(2024, 2, 29, 0, 0, 1), date)
ws.write(2, 4, 0.125, pct)
for r in range(3, 400): ws.write(r, r % 7, 'riga %d' % r if r % 2 else r * 1.25)
ws.write(70000 // 2, 3, 'lontano')
# Enough distinct texts, wide and narrow, for the shared strings to run over CONTINUE records.
for r in range(400, 2400): ws.write(r, 8, (u'\u4e2d\u00e0 %d ' if r % 3 else 'narrow %d ') % r * 7)
wb.active_sheet = 1
first.set_selected(False)
first.sheet_visible = False
ws.set_selected(True)
ws.sheet_visible = True
wb.save(sys.argv[1])
)PY";
    ASSERT_EQ(std::system(("/usr/bin/python3 '" + (dir / "w.py").string() + "' '" + (dir / "w.xls").string() + "'").c_str()), 0);
    expectSameAsXlrd(dir / "w.xls");
    EXPECT_EQ(readSheet((dir / "w.xls").string(), "", 1, 1).read, 1u);  // opens on "Dati"
}

TEST(XlsCorpus, TheThirteenExportsOfThisProgram) {
    TempDir dir;
    std::ostringstream out, err;
    ASSERT_EQ(tessaro7::batch::runBatch({"create-demo", dir.str()}, out, err, dir.path()), 0) << err.str();
    ASSERT_EQ(tessaro7::batch::runBatch({"export-all"}, out, err, dir.path()), 0) << err.str();
    int files = 0;
    for (const auto& entry : fs::directory_iterator(dir.path()))
        if (entry.path().extension() == ".xls") {
            expectSameAsXlrd(entry.path());
            ++files;
        }
    EXPECT_EQ(files, 13);
}

TEST(XlsCorpus, WorkbooksSavedByCalc) {
    for (const char* name : {"calc-mixed.xls", "calc-1904.xls"}) expectSameAsXlrd(kFixtures / name);
    // The forms themselves, on the cells that carry them.
    PreviewGrid grid = readSheet((kFixtures / "calc-mixed.xls").string(), "Dati", 4, 8).grid;
    EXPECT_EQ(grid.cell(1, 4), "12,81");                 // =C2*(1+D2/100)
    EXPECT_EQ(grid.cell(1, 5), "ABCD");                  // ="AB"&"CD"
    EXPECT_EQ(grid.cell(2, 5), "#DIV/0!");
    EXPECT_EQ(grid.kind(2, 5), CellKind::Error);
    EXPECT_EQ(grid.cell(3, 5), "#N/D");
    EXPECT_EQ(grid.cell(2, 6), "31/12/2024 13:04:05");
    EXPECT_EQ(grid.cell(3, 6), "07:08:09");
    EXPECT_EQ(grid.cell(3, 7), "Vero");                  // =C4>0
    EXPECT_EQ(readSheet((kFixtures / "calc-1904.xls").string(), "", 3, 1).grid.cell(2, 0), "02/01/1904 06:00:00");
}

// liborcus 0.17 gives no stored result for error and Boolean formulas of an
// .xlsx and reads an empty shared string as the one before it: those cells
// are left out of the comparison (the import refuses a formula without
// result, so none is imported silently).
TEST(XlsCorpus, XlsxSavedByCalcGivesTheSameGridAsXls) {
    for (const char* base : {"calc-mixed", "calc-1904"}) {
        SheetRead xls = readSheet((kFixtures / (std::string(base) + ".xls")).string(), "Dati", 5, 9);
        SheetRead xlsx = readSheet((kFixtures / (std::string(base) + ".xlsx")).string(), "Dati", 5, 9);
        EXPECT_EQ(xlsx.sheets, xls.sheets);
        for (long r = 0; r < 5; ++r)
            for (long c = 0; c < 9; ++c) {
                bool gap = std::string(base) == "calc-mixed" && ((c == 5 && r >= 2) || (r == 3 && c == 7) || (r == 2 && c == 1));
                if (!gap) {
                    EXPECT_EQ(xlsx.grid.cell(r, c), xls.grid.cell(r, c)) << base << " row " << r << " column " << c;
                }
            }
        EXPECT_EQ(xlsx.grid.kind(2, 5), std::string(base) == "calc-mixed" ? CellKind::NoResult : CellKind::Value);
    }
}

TEST(XlsCorpus, XlsxOpensOnItsActiveSheet) {
    TempDir dir;
    std::ofstream(dir / "w.py") << "import sys, openpyxl\nwb = openpyxl.Workbook()\nwb.active.title = 'Istruzioni'\n"
                                   "ws = wb.create_sheet('Dati')\nws['A1'] = 2.5\nws['B2'] = '=1+1'\n"
                                   "wb.active = 1\nwb['Istruzioni'].sheet_view.tabSelected = False\n"
                                   "ws.sheet_view.tabSelected = True\nwb.save(sys.argv[1])\n";
    ASSERT_EQ(std::system(("/usr/bin/python3 '" + (dir / "w.py").string() + "' '" + (dir / "w.xlsx").string() + "'").c_str()), 0);
    SheetRead read = readSheet((dir / "w.xlsx").string(), "", 2, 2);
    EXPECT_EQ(read.sheets, (std::vector<std::string>{"Istruzioni", "Dati"}));
    EXPECT_EQ(read.read, 1u);
}

}  // namespace
