// The Italian text order: lists in the order the server's it-x-icu gives
// them, ICU's own sort keys over random texts, and the same list sorted by
// both engines.
#include "db/ItalianCollation.h"

#include <gtest/gtest.h>
#include <unicode/ucol.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "db/DataSource.h"
#include "db/DatabaseCreator.h"
#include "support/ServerDatabase.h"
#include "support/TempDir.h"

namespace {

using tessaro7::db::compareItalian;
using List = std::vector<std::string>;

List sortedItalian(List list) {
    std::sort(list.begin(), list.end(),
              [](const std::string& a, const std::string& b) { return compareItalian(a, b) < 0; });
    return list;
}

// Each list as a PostgreSQL 15 server sorts it with collate "it-x-icu".
TEST(ItalianCollationTest, ListsComeOutInTheServersItalianOrder) {
    const struct {
        List order;
    } cases[] = {
        {{"a", "A", "à", "À", "b", "e", "é", "É", "ł", "Ł"}},  // accent before case, for every letter
        {{"acme", "Àlfa", "Bianchi", "città", "Zeta", "ZETA"}},
        {{"citta", "Citta", "città", "Città"}},
        {{"Strasse", "Straße", "Strasso"}},  // ß weighs as ss
        {{"a b", "a-b", "a1", "ab"}},         // blanks and signs before digits before letters
        {{"", " ", "0", "9", "z"}},
    };
    for (const auto& c : cases) {
        List shuffled = c.order;
        std::reverse(shuffled.begin(), shuffled.end());
        std::rotate(shuffled.begin(), shuffled.begin() + static_cast<long>(shuffled.size() / 2), shuffled.end());
        EXPECT_EQ(sortedItalian(shuffled), c.order);
    }
}

TEST(ItalianCollationTest, OnlyEqualTextsCompareEqual) {
    const struct {
        const char* a;
        const char* b;
    } cases[] = {{"Roma", "roma"}, {"citta", "città"}, {"a", "a\xCC\x80"} /* a + combining grave */, {"\xC3", "\xFF"}};
    for (const auto& c : cases) {
        EXPECT_NE(compareItalian(c.a, c.b), 0) << c.a << " / " << c.b;
        EXPECT_EQ(compareItalian(c.a, c.b), -compareItalian(c.b, c.a)) << c.a << " / " << c.b;
        EXPECT_EQ(compareItalian(c.a, c.a), 0) << c.a;
    }
}

struct CollatorClose {
    void operator()(UCollator* c) const { ucol_close(c); }
};

// The order of ICU's Italian sort keys (the bytes ICU builds for a text), ties by the texts' bytes.
int sortKeyOrder(const UCollator* collator, const std::string& a, const std::string& b) {
    auto key = [&](const std::string& s) {
        std::vector<UChar> utf16(s.size() + 1);
        int32_t length = 0;
        UErrorCode status = U_ZERO_ERROR;
        u_strFromUTF8Lenient(utf16.data(), static_cast<int32_t>(utf16.size()), &length, s.data(),
                             static_cast<int32_t>(s.size()), &status);
        std::vector<uint8_t> bytes(512);
        bytes.resize(static_cast<std::size_t>(
            ucol_getSortKey(collator, utf16.data(), length, bytes.data(), static_cast<int32_t>(bytes.size()))));
        return bytes;
    };
    auto ka = key(a), kb = key(b);
    if (ka != kb) return ka < kb ? -1 : 1;
    return a == b ? 0 : (a < b ? -1 : 1);
}

// Random texts in the order of ICU's sort keys: texts of any pieces, and
// texts alike up to a point, then differing by letters and digits, some with
// an accent or a combining mark beside them (most lists are ordered at their
// first different letter).
TEST(ItalianCollationTest, SameOrderAsIcuSortKeys) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UCollator, CollatorClose> collator(ucol_open("it", &status));
    ASSERT_TRUE(U_SUCCESS(status));
    const struct {
        List prefixes;
        List pieces;
        unsigned mostPieces;
        int pairs;
    } cases[] = {
        {{""},
         {"a", "A", "à", "À", "b", "e", "é", "È", "z", "Z", "ß", "ss", "æ", "Æ", "ae", "ł", "Ł", " ", "1", "-", "€", "ö",
          "ñ", "Ç", "'", "o"},
         6, 20000},
        {{"", "Cliente 0", "Rossi ", "Società ", "l'", "ß", "a\xCC\x80"},
         {"a", "A", "b", "Z", "z", "0", "5", "9", "l", "L", "s", "ss", "ß", "à", "À", "æ", "ł",
          "\xCC\x80" /* combining grave */, "\xCC\x8A" /* combining ring */, "\xCC\xA7" /* cedilla */, " ", "-", "'",
          ".", "ae", "\xC2\xB7" /* middle dot */, "\xE2\x82\xAC"},
         3, 40000},
    };
    std::mt19937 random(7);
    for (const auto& c : cases) {
        auto text = [&](const std::string& prefix) {
            std::string t = prefix;
            for (unsigned i = random() % (c.mostPieces + 1); i > 0; --i) t += c.pieces[random() % c.pieces.size()];
            return t;
        };
        for (int i = 0; i < c.pairs; ++i) {
            const std::string& prefix = c.prefixes[random() % c.prefixes.size()];
            const std::string a = text(prefix), b = text(prefix);
            const int ours = compareItalian(a, b);
            ASSERT_EQ((ours > 0) - (ours < 0), sortKeyOrder(collator.get(), a, b)) << a << " / " << b;
        }
    }
}

// The list of the order's rule, sorted by each engine through a record source.
class ItalianOrderOnEngines : public ::testing::TestWithParam<tessaro7::testing::Engine> {};

TEST_P(ItalianOrderOnEngines, TheSameListComesOutInTheSameOrder) {
    TESSARO7_SKIP_WITHOUT_SERVER(GetParam());
    tessaro7::testing::TempDir dir;
    const std::string file = (dir / "Tessaro7.mdb").string();
    const List order = {"a", "A", "à", "À", "b", "e", "é", "É", "ł", "Ł"};
    std::string sql = "create table clienti (nominativo TEXT);";
    for (const char* name : {"a", "A", "À", "à", "b", "Ł", "ł", "É", "e", "é"})
        sql += "insert into clienti values ('" + std::string(name) + "');";
    tessaro7::db::createDatabaseFromSql(file, sql);
    tessaro7::testing::EngineDatabase database(GetParam(), file, file);
    tessaro7::db::DataSource data;
    data.setDatabaseName(database.name());
    data.setRecordSource("select * from clienti order by [nominativo]");
    data.refresh();
    List read;
    for (; !data.eof(); data.moveNext()) read.push_back(data.fieldText("nominativo"));
    EXPECT_EQ(read, order);
}

INSTANTIATE_TEST_SUITE_P(Engines, ItalianOrderOnEngines, TESSARO7_ENGINES);

}  // namespace
