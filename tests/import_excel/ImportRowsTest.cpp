// The rows "Prima riga" and "Ultima riga" choose, the sheet's column names,
// and "&Anteprima" pressed again on the sheet the user chose.
#include "import_excel/ImportRows.h"

#include <gtest/gtest.h>

#include <fstream>

#include "app/Messages.h"
#include "import_excel/ColumnName.h"
#include "import_excel/PreviewSheet.h"
#include "support/TempDir.h"
#include "support/XlwtWorkbook.h"

namespace {

using namespace tessaro7::import_excel;
using namespace tessaro7::testing;
namespace msg = tessaro7::app::msg;

TEST(ImportRows, TheRowFieldsChooseSheetRows) {
    struct Case {
        long previewRows;
        const char* first;
        const char* last;
        long gridFirst, gridLast;  // the grid rows imported; last < first: none
        bool refused;
    };
    const Case cases[] = {
        {10, "0", "0", 1, 9, false},   // every row below the heading
        {1, "0", "0", 1, 0, false},    // a heading alone: nothing to import, nothing refused
        {0, "0", "0", 1, -1, false},   // no preview
        {10, "3", "5", 2, 4, false},   // sheet rows 3 to 5
        {10, "5", "5", 4, 4, false},   // one row
        {10, "2", "10", 1, 9, false},  // the whole sheet below the heading
        {10, "0", "4", 1, 3, false},   // from the first row below the heading
        {10, "1", "4", 1, 3, false},   // the heading row is never imported
        {10, "3", "11", 1, 0, true},   // beyond the preview
        {10, "11", "12", 1, 0, true},
        {10, "0", "1", 1, 0, true},    // only the heading asked for
        {10, "007", "008", 6, 7, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.first) + "-" + c.last + " of " + std::to_string(c.previewRows));
        RowChoice choice = chooseImportRows(c.previewRows, c.first, c.last);
        EXPECT_EQ(choice.refusal.has_value(), c.refused);
        if (c.refused) {
            EXPECT_EQ(choice.refusal->lines[0], msg::kExcelRowsBeyondPreview);
            EXPECT_EQ(choice.refusal->lines[3], msg::kNothingImported);
            EXPECT_LT(choice.rows.last, choice.rows.first);
            continue;
        }
        EXPECT_EQ(choice.rows.first, c.gridFirst);
        EXPECT_EQ(choice.rows.last, c.gridLast);
    }
}

TEST(ImportRows, TheRefusalSaysWhatWasAskedAndWhatThePreviewHolds) {
    RowChoice choice = chooseImportRows(10, "3", "25");
    ASSERT_TRUE(choice.refusal);
    EXPECT_EQ(choice.refusal->lines[1], "Righe chieste: dalla 3 alla 25 del foglio; l'anteprima mostra le righe da 1 a 10.");
    EXPECT_EQ(choice.refusal->lines[2], msg::kExcelRowsWiderPreview);
}

TEST(ColumnName, AsSpreadsheetProgramsNameThem) {
    const std::pair<long long, const char*> cases[] = {{0, "A"},     {1, "B"},      {25, "Z"},   {26, "AA"},
                                                       {51, "AZ"},   {52, "BA"},    {255, "IV"}, {701, "ZZ"},
                                                       {702, "AAA"}, {16383, "XFD"}, {-1, ""}};
    for (auto [column, name] : cases) EXPECT_EQ(columnName(column), name) << column;
}

struct PreviewAgainTest : ::testing::Test {
    TempDir dir;
    std::string file = (dir / "w.xls").string();
    PreviewGrid grid;
    void write(const std::vector<std::string>& firstCells) {
        std::vector<std::vector<XlRow>> sheets;
        for (const std::string& cell : firstCells) sheets.push_back({{cell}});
        writeXlwtWorkbook(dir / "w.xls", sheets);
    }
};

TEST_F(PreviewAgainTest, KeepsTheChosenSheetWhileTheWorkbookHasIt) {
    write({"note", "clienti", "fornitori"});
    PreviewOutcome outcome = PreviewSheetKeeping(file, "1", "1", grid, "Foglio2");
    EXPECT_FALSE(outcome.notice);
    EXPECT_EQ(outcome.sheetRead, "Foglio2");
    EXPECT_EQ(grid.cell(0, 0), "clienti");
    // Nothing chosen: the sheet the workbook opens on.
    outcome = PreviewSheetKeeping(file, "1", "1", grid, "");
    EXPECT_EQ(outcome.sheetRead, "Foglio1");
    EXPECT_EQ(grid.cell(0, 0), "note");
}

TEST_F(PreviewAgainTest, ASheetNoLongerThereGivesTheOneTheWorkbookOpensOn) {
    write({"note"});
    PreviewOutcome outcome = PreviewSheetKeeping(file, "1", "1", grid, "Foglio3");
    EXPECT_FALSE(outcome.notice);
    EXPECT_EQ(outcome.sheetRead, "Foglio1");
    EXPECT_EQ(grid.cell(0, 0), "note");
}

TEST_F(PreviewAgainTest, ADamagedWorkbookIsStillReported) {
    std::ofstream(file, std::ios::binary) << std::string("\x01\x02\x03\x00" "binario", 11);
    PreviewOutcome outcome = PreviewSheetKeeping(file, "1", "1", grid, "Foglio2");
    ASSERT_TRUE(outcome.notice);
    EXPECT_EQ(outcome.notice->lines[0], msg::kWorkbookUnreadable);
    EXPECT_EQ(grid.PreviewRows(), 0);
}

}  // namespace
