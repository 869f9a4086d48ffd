// "&Anteprima": counts of "0" do nothing, a workbook that cannot be read
// clears the preview and says why, counts beyond an .xls sheet are refused.
#include "import_excel/PreviewSheet.h"

#include <gtest/gtest.h>

#include "app/Messages.h"
#include "support/TempDir.h"
#include "support/XlwtWorkbook.h"

namespace {

using namespace tessaro7::testing;
using tessaro7::import_excel::PreviewGrid;
using tessaro7::import_excel::PreviewOutcome;
using tessaro7::import_excel::PreviewSheet;
namespace msg = tessaro7::app::msg;

struct PreviewSheetTest : ::testing::Test {
    TempDir dir;
    std::string file = (dir / "w.xls").string();
    PreviewGrid grid;
    void SetUp() override {
        writeXlwtWorkbook(dir / "w.xls", {{std::string("A1"), std::string("B1"), std::string("C1")},
                                          {std::string("A2"), 2.0, 3.5},
                                          {std::string("A3")},
                                          {std::string("A4")},
                                          {std::string("A5"), XlCell{}, std::string("C5")}});
    }
};

TEST_F(PreviewSheetTest, FillsTheGridWithTheCountsTyped) {
    PreviewOutcome outcome = PreviewSheet(file, "3", "5", grid);
    EXPECT_TRUE(outcome.ran);
    EXPECT_FALSE(outcome.notice);
    EXPECT_EQ(grid.PreviewRows(), 5);
    EXPECT_EQ(grid.PreviewCols(), 3);
    EXPECT_EQ(grid.cell(0, 0), "A1");
    EXPECT_EQ(grid.cell(4, 2), "C5");
    EXPECT_EQ(grid.cell(1, 2), "3,5");
}

TEST_F(PreviewSheetTest, ACountOfZeroDoesNothing) {
    PreviewSheet(file, "3", "5", grid);
    for (auto [cols, rows] : {std::pair{"0", "5"}, std::pair{"3", "0"}}) {
        PreviewOutcome outcome = PreviewSheet((dir / "manca.xls").string(), cols, rows, grid);
        EXPECT_FALSE(outcome.ran);
        EXPECT_FALSE(outcome.notice);
        EXPECT_EQ(grid.PreviewRows(), 5);
        EXPECT_EQ(grid.cell(4, 2), "C5");
    }
}

TEST_F(PreviewSheetTest, AnEmptyCountIsZeroRowsOrColumns) {
    PreviewOutcome outcome = PreviewSheet(file, "3", "", grid);
    EXPECT_TRUE(outcome.ran);
    EXPECT_EQ(grid.PreviewRows(), 0);
    EXPECT_EQ(grid.PreviewCols(), 3);
}

TEST_F(PreviewSheetTest, AnUnreadableWorkbookClearsTheEarlierPreviewAndSaysWhy) {
    PreviewSheet(file, "3", "5", grid);
    std::string missing = (dir / "altro.xls").string();
    PreviewOutcome outcome = PreviewSheet(missing, "3", "5", grid);
    ASSERT_TRUE(outcome.notice);
    EXPECT_EQ(outcome.notice->lines[0], msg::kWorkbookUnreadable);
    EXPECT_EQ(outcome.notice->lines[1], "File: " + missing);
    EXPECT_EQ(outcome.notice->lines[2], "Motivo: file non trovato.");
    EXPECT_EQ(grid.PreviewRows(), 0);
    EXPECT_EQ(grid.cell(0, 0), "");

    outcome = PreviewSheet("", "3", "5", grid);
    ASSERT_TRUE(outcome.notice);
    EXPECT_EQ(outcome.notice->lines[2], "Motivo: nessun file indicato.");
}

TEST_F(PreviewSheetTest, CountsBeyondAnXlsSheetAreRefused) {
    PreviewSheet(file, "3", "5", grid);
    PreviewOutcome outcome = PreviewSheet(file, "3", "65537", grid);
    ASSERT_TRUE(outcome.notice);
    EXPECT_EQ(outcome.notice->lines[0], msg::kPreviewTooLarge);
    EXPECT_EQ(grid.PreviewRows(), 0);
    outcome = PreviewSheet(file, "257", "5", grid);
    ASSERT_TRUE(outcome.notice);
    outcome = PreviewSheet(file, "99999999999999999999999", "5", grid);
    ASSERT_TRUE(outcome.notice);
    // The largest sheet is still previewed.
    outcome = PreviewSheet(file, "256", "65536", grid);
    EXPECT_FALSE(outcome.notice);
    EXPECT_EQ(grid.PreviewRows(), 65536);
    EXPECT_EQ(grid.cell(4, 0), "A5");
}

}  // namespace
