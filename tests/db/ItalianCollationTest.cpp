// The Italian text order: the expected orders, and the comparison that reads
// weights one at a time against the plain reference that builds them all.
#include "db/ItalianCollation.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

namespace reference {

// Base letters of U+00C0..U+00FF ('*' = no letter, '2' = two-letter expansion).
constexpr std::string_view kLatin1 =
    "AAAAAA2CEEEEIIIIDNOOOOO*OUUUUYT2"
    "aaaaaa2ceeeeiiiidnooooo*ouuuuyty";
// Base letters of U+0100..U+017F.
constexpr std::string_view kLatinExtendedA =
    "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIiIiJjKkkLlLlLlLlLlNnNnNnnNnOoOoOoOoRrRrRrSsSsSsSsTtTtTtUuUuUuUuUuUuWwYyYZzZzZzs";

struct Weight {
    char32_t primary;    // the base letter, lower case
    int secondary;       // 0 plain, otherwise the accented character
    int tertiary;        // 0 lower case, 1 upper case
};

char32_t lower(char32_t c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; }

void appendWeights(char32_t cp, std::vector<Weight>& out) {
    bool upper = (cp >= 'A' && cp <= 'Z') || (cp >= 0xC0 && cp <= 0xDE) ||
                 (cp >= 0x100 && cp <= 0x17F && cp % 2 == 0);
    if (cp >= 0xC0 && cp <= 0xFF && kLatin1[cp - 0xC0] != '*') {
        char base = kLatin1[cp - 0xC0];
        int accent = static_cast<int>(cp);
        if (base == '2') {  // Æ æ ß expand to two letters
            const char* pair = cp == 0xDF ? "ss" : "ae";
            out.push_back({static_cast<char32_t>(pair[0]), accent, upper});
            out.push_back({static_cast<char32_t>(pair[1]), accent, upper});
            return;
        }
        out.push_back({lower(static_cast<char32_t>(base)), accent, upper});
        return;
    }
    if (cp >= 0x100 && cp <= 0x17F) {
        out.push_back({lower(static_cast<char32_t>(kLatinExtendedA[cp - 0x100])), static_cast<int>(cp), upper});
        return;
    }
    out.push_back({lower(cp), 0, upper});
}

std::vector<Weight> weights(std::string_view s) {
    std::vector<Weight> out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        auto b = static_cast<unsigned char>(s[i]);
        int len = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 1;
        if (i + len > s.size()) len = 1;
        char32_t cp = len == 1 ? b : b & (0x3F >> (len - 1));
        for (int k = 1; k < len; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        i += len;
        appendWeights(cp, out);
    }
    return out;
}

template <typename Get>
int compareLevel(const std::vector<Weight>& a, const std::vector<Weight>& b, Get get) {
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        auto x = get(a[i]), y = get(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}


int referenceCompare(std::string_view a, std::string_view b) {
    std::vector<Weight> wa = weights(a), wb = weights(b);
    if (int c = compareLevel(wa, wb, [](const Weight& w) { return w.primary; })) return c;
    if (int c = compareLevel(wa, wb, [](const Weight& w) { return w.secondary; })) return c;
    if (int c = compareLevel(wa, wb, [](const Weight& w) { return w.tertiary; })) return c;
    return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
}


}  // namespace reference

using tessaro7::db::compareItalian;

int sign(int v) { return (v > 0) - (v < 0); }

TEST(ItalianCollationTest, CaseAndAccentsDoNotSeparateWords) {
    EXPECT_LT(compareItalian("acme", "Àlfa"), 0);
    EXPECT_LT(compareItalian("Àlfa", "Bianchi"), 0);
    EXPECT_LT(compareItalian("acme", "ZETA"), 0);
    EXPECT_LT(compareItalian("città", "Zeta"), 0);
    EXPECT_LT(compareItalian("abc", "abcd"), 0);
    // ß weighs as two letters, after the plain pair.
    EXPECT_LT(compareItalian("Strasse", "Straße"), 0);
    EXPECT_LT(compareItalian("Straße", "Strasso"), 0);
    EXPECT_EQ(compareItalian("Roma", "Roma"), 0);
    EXPECT_NE(compareItalian("Roma", "roma"), 0);
    EXPECT_NE(compareItalian("citta", "città"), 0);
}

TEST(ItalianCollationTest, SameOrderAsTheReference) {
    const std::vector<std::string> pieces = {"a", "A", "à", "À", "b", "e", "é", "È", "z", "Z", "ß", "ss", "æ",
                                             "Æ", "ae", "ł", "Ł", " ", "1", "-", "\xC3", "\xFF", "€", "ö"};
    std::mt19937 random(7);
    auto text = [&] {
        std::string t;
        const int n = static_cast<int>(random() % 6);
        for (int i = 0; i < n; ++i) t += pieces[random() % pieces.size()];
        return t;
    };
    for (int i = 0; i < 20000; ++i) {
        const std::string a = text(), b = text();
        ASSERT_EQ(sign(compareItalian(a, b)), sign(reference::referenceCompare(a, b))) << a << " / " << b;
    }
}

}  // namespace
