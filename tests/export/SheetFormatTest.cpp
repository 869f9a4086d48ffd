// What each export format holds, checked against facts from outside the
// program: libxlsxwriter's own limits for .xlsx, and for .xls a file written
// at the last row and with the longest text, read back by python3-xlrd.
#include <gtest/gtest.h>
#include <xlsxwriter.h>

#include <memory>
#include <string>

#include "export/ExcelFile.h"
#include "export/SheetFormat.h"
#include "support/TempDir.h"
#include "support/XlrdSheet.h"

namespace {

using namespace tessaro7::exporting;
namespace t7 = tessaro7::testing;

TEST(SheetFormat, XlsxLimitsAreLibxlsxwritersOwn) {
    const SheetFormatRules& rules = rulesOf(SheetFormat::Xlsx);
    EXPECT_EQ(rules.lastRow, LXW_ROW_MAX);

    t7::TempDir dir;
    const std::string file = (dir / "limiti.xlsx").string();
    std::unique_ptr<lxw_workbook, decltype(&workbook_close)> book(workbook_new(file.c_str()), workbook_close);
    ASSERT_NE(book, nullptr);
    lxw_worksheet* sheet = workbook_add_worksheet(book.get(), nullptr);
    // Rows are 0-based in libxlsxwriter: the rules' last row is its last index plus one.
    const auto last = static_cast<lxw_row_t>(rules.lastRow - 1);
    EXPECT_EQ(worksheet_write_number(sheet, last, 0, 1, nullptr), LXW_NO_ERROR);
    EXPECT_EQ(worksheet_write_number(sheet, last + 1, 0, 1, nullptr), LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE);
    const std::string longest(rules.longestText, 'x');
    EXPECT_EQ(worksheet_write_string(sheet, 0, 0, longest.c_str(), nullptr), LXW_NO_ERROR);
    EXPECT_EQ(worksheet_write_string(sheet, 0, 1, (longest + "x").c_str(), nullptr),
              LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED);
}

TEST(SheetFormat, XlsLastRowAndLongestTextReadBackByXlrd) {
    const SheetFormatRules& rules = rulesOf(SheetFormat::Xls);
    t7::TempDir dir;
    const auto file = dir / "limiti.xls";
    const std::string longest(rules.longestText, 'x');
    {
        ExcelFile writer;
        ASSERT_EQ(writer.CreateFile(file.string()), 0);
        ASSERT_EQ(writer.WriteValue(2, 0, 0, 0, 1, 1, longest), 0);
        ASSERT_EQ(writer.WriteValue(0, 0, 0, 0, rules.lastRow, 1, 7), 0);
        ASSERT_EQ(writer.CloseFile(), 0);
    }
    const t7::XlrdSheet sheet = t7::readWithXlrd(file);
    EXPECT_EQ(sheet.rows, static_cast<std::size_t>(rules.lastRow));
    ASSERT_TRUE(sheet.cells.count({rules.lastRow - 1, 0}));
    EXPECT_EQ(sheet.cells.at({rules.lastRow - 1, 0}).shown, "7");
    ASSERT_TRUE(sheet.cells.count({0, 0}));
    EXPECT_EQ(sheet.cells.at({0, 0}).raw, longest);
    // A BIFF2 text's length is one byte: a longer text does not fit a cell.
    EXPECT_EQ(rules.longestText, 255u);
}

// The completion lines name the limits they count against; each must say the
// number the format really stops at.
TEST(SheetFormat, CompletionNotesNameTheFormatsLimits) {
    struct Case {
        SheetFormat format;
        long lastRow;
        std::size_t longestText;
        long rowsEveryReaderReads;
    };
    const Case cases[] = {
        {SheetFormat::Xls, 32767, 255, 16384},  // BIFF2 rows as signed 16-bit numbers; old readers' 16384
        {SheetFormat::Xlsx, LXW_ROW_MAX, 32767, 0},
    };
    for (const Case& c : cases) {
        const SheetFormatRules& rules = rulesOf(c.format);
        SCOPED_TRACE(rules.name);
        EXPECT_EQ(rules.lastRow, c.lastRow);
        EXPECT_EQ(rules.longestText, c.longestText);
        EXPECT_EQ(rules.rowsEveryReaderReads, c.rowsEveryReaderReads);
        EXPECT_NE(std::string(rules.rowsLeftOutNote).find(std::to_string(c.lastRow)), std::string::npos);
        EXPECT_NE(std::string(rules.textsCutNote).find(std::to_string(c.longestText)), std::string::npos);
    }
}

}  // namespace
