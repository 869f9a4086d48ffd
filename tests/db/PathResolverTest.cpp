#include <gtest/gtest.h>

#include "db/EngineError.h"
#include "db/PathResolver.h"
#include "db/QuotedText.h"
#include "support/TempDir.h"

using namespace tessaro7::db;
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

// The program spells one file in different cases in different places, so an
// exact match could pick one file here and the other there: both are refused.
TEST(PathResolver, ANameMatchingTwoFilesThatDifferOnlyInCaseIsRefusedNamingBoth) {
    TempDir dir;
    dir.write("a.xls", "lower");
    dir.write("A.xls", "upper");
    std::filesystem::create_directories(dir / "Dati");
    std::filesystem::create_directories(dir / "DATI");
    for (std::string name : {"\\A.xls", "\\a.xls", "/a.XLS", "\\dati\\x.xls", "\\Dati"}) {
        try {
            resolvePath(dir.str() + name);
            ADD_FAILURE() << name << " was resolved";
        } catch (const EngineError& e) {
            EXPECT_EQ(e.number(), 3024);
            const bool folders = name.find("ati") != std::string::npos;
            const std::string first = (dir / (folders ? "DATI" : "A.xls")).string();
            const std::string second = (dir / (folders ? "Dati" : "a.xls")).string();
            EXPECT_NE(std::string(e.what()).find("'" + first + "' e '" + second + "'"), std::string::npos) << e.what();
        }
    }
}

TEST(PathResolver, PathsShownAndTypedNamesResolvedTheArchiveWay) {
    TempDir dir;
    std::filesystem::create_directories(dir / "Archivio" / "Testi");
    dir.write("Archivio/Testi/Art.txt", "x");
    const std::string base = dir.str() + "\\archivio";  // as TS7Rete.dat may write it
    const std::string file = (dir / "Archivio" / "Testi" / "Art.txt").string();
    EXPECT_EQ(displayPath(base + "\\testi\\ART.TXT"), file);
    EXPECT_EQ(displayPath(base + "\\Nuovo.xls"), (dir / "Archivio" / "Nuovo.xls").string());
    EXPECT_EQ(resolveUserFile("testi\\art.TXT", base), file);
    EXPECT_EQ(resolveUserFile("Testi/Art.txt", base), file);
    EXPECT_EQ(resolveUserFile(base + "\\TESTI\\art.txt", "/altrove"), file);
    EXPECT_EQ(resolveUserFile("manca.txt", base), (dir / "Archivio" / "manca.txt").string());
}

TEST(QuotedText, AtMostSixtyCharactersOfAValueWithAnEllipsisForTheRest) {
    const std::string accented = "àèìòù";  // two bytes each: characters are counted, not bytes
    std::string long60;
    for (int i = 0; i < 6; ++i) long60 += accented + "abcde";
    const std::string long61 = long60 + "z";
    EXPECT_EQ(shortValue(long60), long60);
    EXPECT_EQ(quoteValue(long61), "'" + long60.substr(0, long60.size() - 1) + "…'");
    EXPECT_EQ(shortValue(std::string(500, 'x')), std::string(59, 'x') + "…");
    const std::string name(200, 'n');
    EXPECT_EQ(shortPath("/srv/archivio/" + name + ".txt"), "/srv/archivio/" + std::string(59, 'n') + "…");
    EXPECT_EQ(shortPath("/srv/archivio/XLSClienti.xls"), "/srv/archivio/XLSClienti.xls");
}

TEST(PathResolver, NamesThatMatchNothingStayAsGiven) {
    TempDir dir;
    EXPECT_EQ(resolvePath(dir.str() + "\\Nuovo.xls"), dir / "Nuovo.xls");
    EXPECT_EQ(resolvePath(dir.str() + "\\Manca\\Nuovo.xls"), dir / "Manca" / "Nuovo.xls");
}
