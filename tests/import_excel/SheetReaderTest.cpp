// The sheet reader against workbooks written by xlwt (BIFF8) and by this
// program's own worksheet writer (BIFF2, with and without a code page).
#include "import_excel/SheetReader.h"

#include <gtest/gtest.h>

#include "export/ExcelFile.h"
#include "support/TempDir.h"
#include "support/XlwtWorkbook.h"

namespace {

using namespace tessaro7::testing;
using tessaro7::db::Value;
using tessaro7::exporting::ExcelFile;
using tessaro7::import_excel::PreviewGrid;
using tessaro7::import_excel::readSheet;

PreviewGrid readFirstWorksheet(const std::string& path, long rows, long cols) {
    return readSheet(path, "", rows, cols).grid;
}
using tessaro7::import_excel::SheetReadError;

std::vector<XlRow> mixedSheet() {
    return {
        {std::string("A1"), std::string("B1"), std::string("C1"), std::string("D1")},
        {std::string("Città àè"), 22.0, XlDate{2024, 3, 5}, std::string("D2")},
        {std::string("  blanks  "), 1.5, XlDateTime{2024, 12, 31, 13, 4, 5}},
        {XlCell{}, -0.25, XlTime{7, 8, 9}},
        {std::string("A5"), 123456789012.0, 1e20},
        {std::string("A6"), 0.1, -3.0},
    };
}

TEST(SheetReader, CellRowColumnIsSheetCellRowPlusOneColumnPlusOne) {
    TempDir dir;
    writeXlwtWorkbook(dir / "w.xls", mixedSheet());
    PreviewGrid grid = readFirstWorksheet((dir / "w.xls").string(), 5, 3);
    EXPECT_EQ(grid.PreviewRows(), 5);
    EXPECT_EQ(grid.PreviewCols(), 3);
    EXPECT_EQ(grid.cell(0, 0), "A1");
    EXPECT_EQ(grid.cell(0, 2), "C1");
    EXPECT_EQ(grid.cell(4, 0), "A5");
    EXPECT_EQ(grid.cell(4, 2), "1E+20");
    // Column D and row 6 lie outside the counts asked for.
    EXPECT_EQ(grid.cell(0, 3), "");
    EXPECT_EQ(grid.cell(5, 0), "");
}

TEST(SheetReader, NumbersAndDatesInTheirTextForms) {
    TempDir dir;
    writeXlwtWorkbook(dir / "w.xls", mixedSheet());
    PreviewGrid grid = readFirstWorksheet((dir / "w.xls").string(), 6, 3);
    EXPECT_EQ(grid.cell(1, 0), "Città àè");
    EXPECT_EQ(grid.cell(2, 0), "  blanks  ");
    EXPECT_EQ(grid.cell(1, 1), "22");
    EXPECT_EQ(grid.cell(2, 1), "1,5");
    EXPECT_EQ(grid.cell(3, 1), "-0,25");
    EXPECT_EQ(grid.cell(4, 1), "123456789012");
    EXPECT_EQ(grid.cell(5, 1), "0,1");
    EXPECT_EQ(grid.cell(5, 2), "-3");
    EXPECT_EQ(grid.cell(1, 2), "05/03/2024");
    EXPECT_EQ(grid.cell(2, 2), "31/12/2024 13:04:05");
    EXPECT_EQ(grid.cell(3, 2), "07:08:09");
    EXPECT_EQ(grid.cell(3, 0), "");
}

TEST(SheetReader, CountsBeyondTheSheetGiveEmptyCells) {
    TempDir dir;
    writeXlwtWorkbook(dir / "w.xls", mixedSheet());
    PreviewGrid grid = readFirstWorksheet((dir / "w.xls").string(), 40000, 200);
    EXPECT_EQ(grid.PreviewRows(), 40000);
    EXPECT_EQ(grid.PreviewCols(), 200);
    EXPECT_EQ(grid.cell(1, 3), "D2");
    EXPECT_EQ(grid.cell(39999, 199), "");
    EXPECT_EQ(grid.cell(6, 0), "");
}

TEST(SheetReader, ReadsTheFirstWorksheet) {
    TempDir dir;
    writeXlwtWorkbook(dir / "w.xls", std::vector<std::vector<XlRow>>{{{std::string("primo")}}, {{std::string("secondo")}}});
    EXPECT_EQ(readFirstWorksheet((dir / "w.xls").string(), 1, 1).cell(0, 0), "primo");
}

void writeBiff2(const std::string& path, bool codePage) {
    ExcelFile f;
    ASSERT_EQ(f.CreateFile(path), 0);
    if (codePage) f.SetCodePage(1252);
    f.PrintGridLines(false);
    f.SetFont("Arial", 10, 0);
    f.WriteValue(ExcelFile::kLabelCell, 64, 1, 0, 1, 1, Value("Ragione"));
    f.WriteValue(ExcelFile::kLabelCell, 0, 1, 0, 2, 1, Value("Città àèìòù €"));
    f.WriteValue(ExcelFile::kNumberCell, 0, 3, 0, 2, 2, Value(2.75));
    f.WriteValue(ExcelFile::kIntegerCell, 0, 3, 0, 2, 3, Value(7));
    f.WriteValue(ExcelFile::kNumberCell, 0, 3, 0, 3, 2, Value(100.0));
    f.ProtectSpreadsheet(false);
    ASSERT_EQ(f.CloseFile(), 0);
}

TEST(SheetReader, ReadsThisProgramsWorksheetsWithAndWithoutCodePage) {
    TempDir dir;
    for (bool codePage : {true, false}) {
        SCOPED_TRACE(codePage ? "with CODEPAGE" : "bare stream");
        std::string path = (dir / (codePage ? "cp.xls" : "bare.xls")).string();
        writeBiff2(path, codePage);
        std::string before = dir.read(codePage ? "cp.xls" : "bare.xls");
        PreviewGrid grid = readFirstWorksheet(path, 3, 3);
        EXPECT_EQ(grid.cell(0, 0), "Ragione");
        EXPECT_EQ(grid.cell(0, 1), "");
        EXPECT_EQ(grid.cell(1, 0), "Città àèìòù €");
        EXPECT_EQ(grid.cell(1, 1), "2,75");
        EXPECT_EQ(grid.cell(1, 2), "7");
        EXPECT_EQ(grid.cell(2, 1), "100");
        // The workbook itself is never changed; a bare stream is read from a copy.
        EXPECT_EQ(dir.read(codePage ? "cp.xls" : "bare.xls"), before);
    }
}

TEST(SheetReader, PathsWithBackslashesAndAnyCase) {
    TempDir dir;
    writeXlwtWorkbook(dir / "Foglio.xls", {{std::string("ok")}});
    EXPECT_EQ(readFirstWorksheet(dir.str() + "\\\\FOGLIO.XLS", 1, 1).cell(0, 0), "ok");
}

std::string reasonFor(const std::string& path) {
    try {
        readFirstWorksheet(path, 2, 2);
    } catch (const SheetReadError& e) {
        return e.what();
    }
    return "letto";
}

TEST(SheetReader, UnreadableFilesGiveAnItalianReason) {
    TempDir dir;
    EXPECT_EQ(reasonFor((dir / "manca.xls").string()), "file non trovato");
    EXPECT_EQ(reasonFor(dir.str()), "è una cartella, non un file");
    dir.write("vuoto.xls", "");
    EXPECT_EQ(reasonFor((dir / "vuoto.xls").string()), "il file è vuoto");
    dir.write("binario.xls", std::string("\x01\x02\x00\x00" "dati", 8));
    EXPECT_EQ(reasonFor((dir / "binario.xls").string()), "non è una cartella di lavoro (.xls, .xlsx, .ods) né un file di testo .csv");
    dir.write("nuovo.xls", std::string("PK\x03\x04\x14\x00\x06\x00", 8));
    EXPECT_EQ(reasonFor((dir / "nuovo.xls").string()),
              "non è un file .xlsx o .ods leggibile: il pacchetto è troncato (manca l'indice finale)");
    // The kind comes from the bytes, not the name: a list saved as text reads as one.
    dir.write("testo.xls", "Nome;Città\r\nRossi;Roma\r\n");
    EXPECT_EQ(readFirstWorksheet((dir / "testo.xls").string(), 2, 2).cell(1, 1), "Roma");
}

TEST(SheetReader, TheCellsDecideTheExtentNotDimensions) {
    TempDir dir;
    writeXlwtWorkbook(dir / "w.xls", {{std::string("A1"), std::string("B1")}, {std::string("A2"), 2.5}});
    std::string bytes = dir.read("w.xls");
    // The worksheet's DIMENSIONS record (0x0200, 14 bytes) says the sheet is empty.
    std::size_t at = bytes.find(std::string("\x00\x02\x0e\x00", 4));
    ASSERT_NE(at, std::string::npos);
    bytes.replace(at + 4, 14, std::string(14, '\0'));
    dir.write("w.xls", bytes);
    PreviewGrid grid = readFirstWorksheet((dir / "w.xls").string(), 2, 2);
    EXPECT_EQ(grid.cell(0, 1), "B1");
    EXPECT_EQ(grid.cell(1, 1), "2,5");
}

TEST(SheetReader, DamagedWorkbooksAreRefusedWithoutACrash) {
    TempDir dir;
    std::vector<XlRow> rows;
    for (int r = 0; r < 300; ++r) rows.push_back({std::string("riga ") + std::to_string(r), double(r)});
    writeXlwtWorkbook(dir / "w.xls", rows);
    std::string whole = dir.read("w.xls");
    // Cut at several places.
    for (std::size_t cut : {std::size_t(8), std::size_t(512), std::size_t(600), whole.size() / 2}) {
        dir.write("cut.xls", whole.substr(0, cut));
        EXPECT_NE(reasonFor((dir / "cut.xls").string()), "letto") << "cut at " << cut;
    }
    // Cut inside its last sector, after the end of the data the file declares:
    // a short last sector, read whole.
    dir.write("cut.xls", whole.substr(0, whole.size() - 100));
    EXPECT_EQ(readFirstWorksheet((dir / "cut.xls").string(), 300, 2).cell(299, 0), "riga 299");
}

}  // namespace
