// Bare BIFF2 streams without a code page get CODEPAGE 1252 right after BOF;
// every other stream is left alone.
#include "import_excel/Biff2CodePage.h"

#include <gtest/gtest.h>

#include "export/ExcelFile.h"
#include "support/TempDir.h"

namespace {

using tessaro7::exporting::ExcelFile;
using tessaro7::import_excel::withCodePage1252;
using tessaro7::testing::TempDir;

std::string biff2(const TempDir& dir, bool codePage) {
    ExcelFile f;
    EXPECT_EQ(f.CreateFile((dir / "f.xls").string()), 0);
    if (codePage) f.SetCodePage(1252);
    f.WriteValue(ExcelFile::kLabelCell, 0, 1, 0, 1, 1, tessaro7::db::Value("Città"));
    f.WriteValue(ExcelFile::kNumberCell, 0, 3, 0, 1, 2, tessaro7::db::Value(1.5));
    f.CloseFile();
    return dir.read("f.xls");
}

TEST(Biff2CodePage, InsertsCodePage1252AfterTheBof) {
    TempDir dir;
    std::string bytes = biff2(dir, false);
    auto patched = withCodePage1252(bytes);
    ASSERT_TRUE(patched);
    const std::string record("\x42\x00\x02\x00\xE4\x04", 6);
    EXPECT_EQ(patched->size(), bytes.size() + 6);
    EXPECT_EQ(patched->substr(0, 8), bytes.substr(0, 8));
    EXPECT_EQ(patched->substr(8, 6), record);
    EXPECT_EQ(patched->substr(14), bytes.substr(8));
}

TEST(Biff2CodePage, LeavesAStreamThatDeclaresItsCodePage) {
    TempDir dir;
    EXPECT_FALSE(withCodePage1252(biff2(dir, true)));
}

TEST(Biff2CodePage, LeavesOtherFilesAlone) {
    EXPECT_FALSE(withCodePage1252(""));
    EXPECT_FALSE(withCodePage1252(std::string("\x09\x00", 2)));
    // A BOF whose length runs past the end is not a stream to mend.
    EXPECT_FALSE(withCodePage1252(std::string("\x09\x00\x40\x00\x02\x00", 6)));
    // The compound-file signature of BIFF8 workbooks.
    EXPECT_FALSE(withCodePage1252(std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8)));
    EXPECT_FALSE(withCodePage1252("Nome;Cognome\r\n"));
}

TEST(Biff2CodePage, ACodePageAfterTheEofDoesNotCount) {
    TempDir dir;
    std::string bytes = biff2(dir, false) + std::string("\x42\x00\x02\x00\xE4\x04", 6);
    EXPECT_TRUE(withCodePage1252(bytes));
}

}  // namespace
