// The checks before importing: the file name's extension, the row fields'
// defaults and their order.
#include "import_excel/ImportChecks.h"

#include <gtest/gtest.h>

#include "app/Messages.h"

namespace {

using tessaro7::import_excel::checkBeforeImport;
using tessaro7::import_excel::ImportCheck;
namespace msg = tessaro7::app::msg;

std::string refusal(const ImportCheck& check) { return check.refusal ? check.refusal->lines[0] : "importa"; }

TEST(ImportChecks, TheFileNameMustEndInAWorkbookExtensionInAnyCase) {
    EXPECT_EQ(refusal(checkBeforeImport("", "0", "0")), msg::kSelectExcelFile);
    for (const char* name : {"/a/b.xls", "C:\\Dati\\Clienti.XLS", "b.XlS", "xls", "b.xlsx", "b.XLSX", "b.Ods",
                             "b.csv", "B.CSV"})
        EXPECT_EQ(refusal(checkBeforeImport(name, "0", "0")), "importa") << name;
    for (const char* name : {"b.txt", "b.xl", "xl", "b.xls ", "b.xlsm", "b.od", "b.cs"})
        EXPECT_EQ(refusal(checkBeforeImport(name, "0", "0")), msg::kSelectExcelFile) << name;
}

TEST(ImportChecks, AWrongNameLeavesTheRowFieldsAsTheyWere) {
    ImportCheck check = checkBeforeImport("b.txt", "", "");
    EXPECT_EQ(check.firstRow, "");
    EXPECT_EQ(check.lastRow, "");
}

TEST(ImportChecks, AnEmptyFirstRowBecomesZeroAndThenAnEmptyLastRowToo) {
    ImportCheck check = checkBeforeImport("b.xls", "", "");
    EXPECT_FALSE(check.refusal);
    EXPECT_EQ(check.firstRow, "0");
    EXPECT_EQ(check.lastRow, "0");
    check = checkBeforeImport("b.xls", "", "7");
    EXPECT_FALSE(check.refusal);
    EXPECT_EQ(check.firstRow, "0");
    EXPECT_EQ(check.lastRow, "7");
    // The last row is defaulted only together with the first.
    check = checkBeforeImport("b.xls", "3", "");
    EXPECT_EQ(check.lastRow, "");
    EXPECT_EQ(refusal(check), msg::kExcelRowsWrong);
}

TEST(ImportChecks, TheLastRowMustNotBeBelowTheFirst) {
    EXPECT_EQ(refusal(checkBeforeImport("b.xls", "5", "3")), msg::kExcelRowsWrong);
    EXPECT_EQ(refusal(checkBeforeImport("b.xls", "5", "5")), "importa");
    EXPECT_EQ(refusal(checkBeforeImport("b.xls", "9", "10")), "importa");
}

}  // namespace
