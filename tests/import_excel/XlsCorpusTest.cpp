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

// Cell texts and kinds, error and Boolean formula results and empty texts included.
TEST(XlsCorpus, XlsxSavedByCalcGivesTheSameGridAsXls) {
    for (const char* base : {"calc-mixed", "calc-1904"}) {
        SheetRead xls = readSheet((kFixtures / (std::string(base) + ".xls")).string(), "Dati", 5, 9);
        SheetRead xlsx = readSheet((kFixtures / (std::string(base) + ".xlsx")).string(), "Dati", 5, 9);
        EXPECT_EQ(xlsx.sheets, xls.sheets);
        for (long r = 0; r < 5; ++r)
            for (long c = 0; c < 9; ++c) {
                EXPECT_EQ(xlsx.grid.cell(r, c), xls.grid.cell(r, c)) << base << " row " << r << " column " << c;
                EXPECT_EQ(xlsx.grid.kind(r, c), xls.grid.kind(r, c)) << base << " row " << r << " column " << c;
            }
    }
}

TEST(XlsCorpus, XlsxOpensOnItsActiveSheet) {
    TempDir dir;
    std::ofstream(dir / "w.py") << "import sys, openpyxl\nwb = openpyxl.Workbook()\nwb.active.title = 'Istruzioni'\n"
                                   "import datetime\nws = wb.create_sheet('Dati')\nws['A1'] = 2.5\nws['B1'] = ' Città '\n"
                                   "ws['C1'] = True\nws['A2'] = datetime.date(2024, 3, 5)\nws['B2'] = '=1+1'\n"
                                   "ws['C2'] = '#N/A'\n"
                                   "wb.active = 1\nwb['Istruzioni'].sheet_view.tabSelected = False\n"
                                   "ws.sheet_view.tabSelected = True\nwb.save(sys.argv[1])\n";
    ASSERT_EQ(std::system(("/usr/bin/python3 '" + (dir / "w.py").string() + "' '" + (dir / "w.xlsx").string() + "'").c_str()), 0);
    SheetRead read = readSheet((dir / "w.xlsx").string(), "", 3, 3);
    EXPECT_EQ(read.sheets, (std::vector<std::string>{"Istruzioni", "Dati"}));
    EXPECT_EQ(read.read, 1u);
    // openpyxl names its parts from the package root and saves formulas without results.
    const char* expected[3][3] = {{"2,5", " Città ", "Vero"}, {"05/03/2024", "", "#N/D"}, {"", "", ""}};
    for (long r = 0; r < 3; ++r)
        for (long c = 0; c < 3; ++c) EXPECT_EQ(read.grid.cell(r, c), expected[r][c]) << "row " << r << " column " << c;
    EXPECT_EQ(read.grid.kind(1, 1), CellKind::NoResult);
    EXPECT_EQ(read.grid.kind(1, 2), CellKind::Error);
}

}  // namespace

namespace {

// A package written part by part: a prefixed namespace, parts named from
// the package root, a chart sheet before the worksheet, cells without
// references, rich-text runs with a phonetic reading, escaped characters.
TEST(XlsCorpus, XlsxPartsAsOtherWritersStoreThem) {
    TempDir dir;
    std::ofstream(dir / "w.py") << R"PY(
import sys, zipfile
x = 'xmlns:x="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"'
rel = 'http://schemas.openxmlformats.org/officeDocument/2006/relationships/'
cells = sys.argv[2]
with zipfile.ZipFile(sys.argv[1], 'w') as z:
    z.writestr('xl/workbook.xml', '<x:workbook %s><x:bookViews><x:workbookView activeTab="1"/></x:bookViews><x:sheets>'
               '<x:sheet name="Grafico" sheetId="1" r:id="rC"/><x:sheet name="Dati" sheetId="2" r:id="rS"/></x:sheets></x:workbook>' % x)
    z.writestr('xl/_rels/workbook.xml.rels', '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
               '<Relationship Id="rC" Type="%schartsheet" Target="chartsheets/c.xml"/>'
               '<Relationship Id="rS" Type="%sworksheet" Target="/xl/fogli/../worksheets/d.xml"/>'
               '<Relationship Id="rT" Type="%ssharedStrings" Target="testi.xml"/></Relationships>' % (rel, rel, rel))
    z.writestr('xl/testi.xml', '<x:sst %s><x:si><x:r><x:t>Ri</x:t></x:r><x:r><x:t xml:space="preserve">cca </x:t></x:r>'
               '<x:rPh><x:t>rikka</x:t></x:rPh></x:si><x:si/><x:si><x:t>a_x000D_b_x005F_x0041_</x:t></x:si></x:sst>' % x)
    z.writestr('xl/worksheets/d.xml', '<x:worksheet %s><x:sheetData>%s</x:sheetData></x:worksheet>' % (x, cells))
)PY";
    auto read = [&](const std::string& cells) {
        std::string command = "/usr/bin/python3 '" + (dir / "w.py").string() + "' '" + (dir / "w.xlsx").string() + "' '" + cells + "'";
        EXPECT_EQ(std::system(command.c_str()), 0);
        return readSheet((dir / "w.xlsx").string(), "", 3, 4);
    };
    SheetRead ok = read("<x:row><x:c t=\"s\"><x:v>0</x:v></x:c><x:c t=\"s\"><x:v>1</x:v></x:c><x:c t=\"s\"><x:v>2</x:v></x:c></x:row>"
                        "<x:row r=\"3\"><x:c r=\"B3\" t=\"inlineStr\"><x:is><x:t>in riga</x:t></x:is></x:c><x:c t=\"b\"><x:v>0</x:v></x:c></x:row>");
    EXPECT_EQ(ok.sheets, std::vector<std::string>{"Dati"});
    const char* expected[3][4] = {{"Ricca ", "", "a\rb_x0041_", ""}, {"", "", "", ""}, {"", "in riga", "Falso", ""}};
    for (long r = 0; r < 3; ++r)
        for (long c = 0; c < 4; ++c) EXPECT_EQ(ok.grid.cell(r, c), expected[r][c]) << "row " << r << " column " << c;
    for (const char* damaged : {"<x:row><x:c t=\"s\"><x:v>3</x:v></x:c></x:row>", "<x:row><x:c r=\"A0\"/></x:row>",
                                "<x:row><x:c><x:v>1,5</x:v></x:c></x:row>", "<x:row><x:c><x:v>1</x:row>"})
        EXPECT_THROW(read(damaged), SheetReadError) << damaged;
}

}  // namespace
