// The text codec: UTF-8 checks, UTF-16 in both byte orders, Windows-1252
// both ways and the other code pages, against texts known from the code
// pages' published tables.
#include "db/TextCodec.h"

#include <gtest/gtest.h>

namespace {

using namespace tessaro7::db;

TEST(TextCodec, Utf8IsValidOnlyInItsShortestForm) {
    const std::pair<std::string, bool> cases[] = {
        {"", true},           {"abc", true},          {"Città €", true},       {"\xF0\x9F\x98\x80", true},
        {"\xC0\xAF", false},  {"\xE0\x80\xAF", false}, {"\xED\xA0\x80", false}, {"\xF4\x90\x80\x80", false},
        {"\x80", false},      {"\xC3", false},         {"abc\xE2\x82", false},  {"\xFF", false},
    };
    for (const auto& [text, valid] : cases) EXPECT_EQ(isValidUtf8(text), valid) << text;
}

// A text checked in pieces gets the answer of the text checked whole,
// wherever the pieces are cut (inside a character too), and in pieces of one byte.
TEST(TextCodec, Utf8CheckedInPiecesAgreesWithTheWholeText) {
    const std::string texts[] = {"Città €𝄞 ok", "abc\xE2\x82", "\xE2\x82\xAC\xE2\x82" "a", "\xF0\x9D\x84\x9E\xF4\x90\x80\x80",
                                 "\xC3", "\xED\xA0\x80x", "", "plain ASCII text"};
    for (const std::string& text : texts) {
        for (std::size_t cut = 0; cut <= text.size(); ++cut) {
            Utf8Check check;
            check.add(std::string_view(text).substr(0, cut));
            check.add(std::string_view(text).substr(cut));
            EXPECT_EQ(check.valid(), isValidUtf8(text)) << text << " cut at " << cut;
        }
        Utf8Check bytes;
        for (char c : text) bytes.add(std::string_view(&c, 1));
        EXPECT_EQ(bytes.valid(), isValidUtf8(text)) << text << " byte by byte";
    }
}

TEST(TextCodec, Utf8SequencesTellInvalidFromIncomplete) {
    auto at = [](std::string_view s) { return utf8SequenceAt(reinterpret_cast<const unsigned char*>(s.data()), s.size()); };
    EXPECT_EQ(at("\xE2\x82\xAC").kind, Utf8Sequence::Kind::Character);
    EXPECT_EQ(at("\xE2\x82\xAC").cp, U'€');
    EXPECT_EQ(at("\xE2\x82").kind, Utf8Sequence::Kind::Incomplete);
    EXPECT_EQ(at("\xE2\x82" "a").kind, Utf8Sequence::Kind::Invalid);
    EXPECT_EQ(at("\xE2\x82" "a").length, 2u);
}

TEST(TextCodec, CountsAndCutsByCharacter) {
    EXPECT_EQ(characterCount("Città €"), 7u);
    EXPECT_EQ(leftCharacters("Città €", 5), "Città");
    EXPECT_EQ(leftCharacters("ab", 5), "ab");
}

TEST(TextCodec, Utf16InBothByteOrders) {
    struct Case {
        std::string bytes;
        bool bigEndian;
        std::string text;
        std::size_t used;
    };
    const Case cases[] = {
        {std::string("A\0\xE0\0", 4), false, "Aà", 4},
        {std::string("\0A\0\xE0", 4), true, "Aà", 4},
        {std::string("\x3D\xD8\x00\xDE", 4), false, "\xF0\x9F\x98\x80", 4},  // a pair: U+1F600
        {std::string("\x3D\xD8" "A\0", 4), false, "?A", 4},                  // a high surrogate alone
        {std::string("\x00\xDC", 2), false, "?", 2},                         // a low surrogate alone
        {std::string("A\0\x3D\xD8", 4), false, "A", 2},                      // a pair cut by the end
        {std::string("A\0B", 3), false, "A", 2},                             // half a unit
    };
    for (const Case& c : cases) {
        std::string out;
        EXPECT_EQ(appendUtf16(out, c.bytes, c.bigEndian, "?"), c.used) << c.text;
        EXPECT_EQ(out, c.text);
    }
}

TEST(TextCodec, Windows1252BothWays) {
    EXPECT_EQ(cp1252ToUtf8("Citt\xE0 \x80 \x9C \x81"), "Città € œ \xC2\x81");
    EXPECT_EQ(utf8ToCp1252("Città € œ 中"), "Citt\xE0 \x80 \x9C ?");
    EXPECT_EQ(utf8ToCp1252("a\xC3"), "a?");
    // Long runs of ASCII around the characters that change, and a broken
    // sequence between them: a '?' for each of its bytes.
    EXPECT_EQ(utf8ToCp1252("Via Garibaldi 12, Città di Castello \xE2\x82 fine del testo"),
              "Via Garibaldi 12, Citt\xE0 di Castello ?? fine del testo");
    EXPECT_EQ(latin1ToUtf8("\x80\xE0"), "\xC2\x80\xC3\xA0");
}

// The words of each code page written out from its published table.
TEST(TextCodec, CodePagesByTheirWindowsNumber) {
    struct Case {
        std::uint32_t number;
        std::string bytes, text;
    };
    const Case cases[] = {
        {1252, "Citt\xE0 \x80", "Città €"},
        {1250, "\x8A\xE8\x9E", "Ščž"},
        {1251, "\xCF\xF0\xE8\xE2\xE5\xF2", "Привет"},
        {1253, "\xC1\xE8\xDE\xED\xE1", "Αθήνα"},
        {1254, "\xDE\xF0", "Şğ"},
        {1257, "\xD0\xE0", "Šą"},
        {874, "\xA1", "ก"},
        {10000, "Caf\x8E \xDB", "Café €"},
        {32768, "Caf\x8E", "Café"},
        {10007, "\x8F\xF0\xE8", "При"},
        {437, "\x82\xE1", "éß"},
        {850, "\x85\xD5", "àı"},
        {1200, std::string("A\0\xE0\0", 4), "Aà"},
    };
    for (const Case& c : cases) {
        std::optional<CodePage> page = CodePage::open(c.number);
        ASSERT_TRUE(page) << c.number;
        EXPECT_EQ(page->toUtf8(c.bytes), c.text) << c.number;
    }
    EXPECT_FALSE(CodePage::open(12345));
    // A byte the code page leaves undefined.
    EXPECT_EQ(CodePage::open(1253)->toUtf8("a\xAA"), "a\xEF\xBF\xBD");
}

}  // namespace
