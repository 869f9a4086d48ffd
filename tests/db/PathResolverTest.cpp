#include <gtest/gtest.h>

#include "db/PathResolver.h"
#include "support/TempDir.h"

using tessaro7::db::resolvePath;
using tessaro7::testing::TempDir;

TEST(PathResolver, BackslashesDoublesAndLetterCase) {
    TempDir dir;
    std::filesystem::create_directories(dir / "Dati" / "Anno");
    dir.write("Dati/Anno/Tessaro7a.mdb", "x");
    std::string base = dir.str();
    std::filesystem::path expected = dir / "Dati" / "Anno" / "Tessaro7a.mdb";
    EXPECT_EQ(resolvePath(base + "\\Dati\\Anno\\tessaro7a.mdb"), expected);
    EXPECT_EQ(resolvePath(base + "\\dati\\\\ANNO\\TESSARO7A.MDB"), expected);
    EXPECT_EQ(resolvePath(base + "/Dati//Anno/Tessaro7a.mdb"), expected);
}

TEST(PathResolver, AnExactNameWinsOverOneThatDiffersInCase) {
    TempDir dir;
    dir.write("a.xls", "lower");
    dir.write("A.xls", "upper");
    EXPECT_EQ(resolvePath(dir.str() + "\\A.xls"), dir / "A.xls");
    EXPECT_EQ(resolvePath(dir.str() + "\\a.xls"), dir / "a.xls");
}

TEST(PathResolver, NamesThatMatchNothingStayAsGiven) {
    TempDir dir;
    EXPECT_EQ(resolvePath(dir.str() + "\\Nuovo.xls"), dir / "Nuovo.xls");
    EXPECT_EQ(resolvePath(dir.str() + "\\Manca\\Nuovo.xls"), dir / "Manca" / "Nuovo.xls");
}
