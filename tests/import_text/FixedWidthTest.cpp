// The cutting of a field out of a fixed-width line: one column per character.
#include "import_text/FixedWidth.h"

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>
#include <vector>

#include <unicode/unistr.h>

namespace {

std::string cutField(std::string_view line, int start, int width, int maximum) {
    return std::string(tessaro7::import_text::cutField(tessaro7::import_text::TextLine(line), start, width, maximum));
}

TEST(CutField, TakesWidthBytesFromTheStartColumn) {
    EXPECT_EQ(cutField("ABCDEFGHIJ", 3, 4, 80), "CDEF");
    EXPECT_EQ(cutField("ABCDEFGHIJ", 1, 1, 80), "A");
}

TEST(CutField, ShorterLineGivesWhatThereIs) {
    EXPECT_EQ(cutField("ABCDE", 4, 10, 80), "DE");
    EXPECT_EQ(cutField("ABCDE", 5, 10, 80), "E");
}

TEST(CutField, StartBeyondTheLineGivesNothing) {
    EXPECT_EQ(cutField("ABCDE", 6, 3, 80), "");
    EXPECT_EQ(cutField("", 1, 3, 80), "");
    EXPECT_EQ(cutField("ABCDE", 32767, 3, 80), "");
}

TEST(CutField, WidthOverTheMaximumKeepsTheFirstMaximumBytes) {
    std::string line = std::string(100, 'x') + "yyyyyyyyyy" + std::string(10, 'z');
    EXPECT_EQ(cutField(line, 1, 120, 80), std::string(80, 'x'));
    EXPECT_EQ(cutField("ABCDE", 1, 5, 2), "AB");
}

TEST(CutField, ShortensBeforeStrippingTrailingBlanks) {
    // " MI " with width 4 and maximum 2: the first two bytes are a blank and M.
    EXPECT_EQ(cutField("xx MI yy", 3, 4, 2), " M");
    // "AB   CD" cut to 4: "AB  ", then stripped to "AB".
    EXPECT_EQ(cutField("AB   CD", 1, 7, 4), "AB");
}

TEST(CutField, LeadingBlanksStayTrailingBlanksGo) {
    EXPECT_EQ(cutField("   ROSSI   |", 1, 11, 80), "   ROSSI");
}

TEST(CutField, OnlyByte32IsStripped) {
    EXPECT_EQ(cutField("AB\t \t", 1, 5, 80), "AB\t \t");
    EXPECT_EQ(cutField("AB\t  ", 1, 5, 80), "AB\t");
}

TEST(CutField, TabIsOneColumn) {
    EXPECT_EQ(cutField("A\tBCD", 3, 2, 80), "BC");
    EXPECT_EQ(cutField("\tX", 1, 2, 80), "\tX");
}

TEST(CutField, AllBlankStretchGivesEmptyText) {
    EXPECT_EQ(cutField("AB     CD", 3, 5, 80), "");
}

// Padding of any length goes, eight blanks or fewer at a time; a tab or a
// blank inside the text stays.
TEST(CutField, PaddingOfEveryLengthIsStripped) {
    for (std::size_t blanks : {0u, 1u, 7u, 8u, 9u, 15u, 16u, 17u, 70u})
        for (const std::string text : {"Rossi", "a b", "x\t", ""}) {
            const std::string line = text + std::string(blanks, ' ');
            EXPECT_EQ(cutField(line, 1, 200, 200), text) << blanks << " after '" << text << "'";
        }
}

TEST(CutField, WidthZeroGivesNothing) { EXPECT_EQ(cutField("ABCDE", 2, 0, 80), ""); }

TEST(CutField, OneCharacterPerColumnWhateverItsBytes) {
    // "Città" and "€" are one column each, though two and three bytes in UTF-8.
    std::string line = "Città €X 𝄞Y";
    EXPECT_EQ(cutField(line, 5, 1, 80), "à");
    EXPECT_EQ(cutField(line, 7, 2, 80), "€X");
    EXPECT_EQ(cutField(line, 1, 80, 5), "Città");
    EXPECT_EQ(cutField(line, 10, 2, 80), "𝄞Y");
    EXPECT_EQ(cutField(line, 12, 1, 80), "");
}

// One line cut field after field, in any order, as a run cuts it: every
// stretch agrees with ICU's count of code points.
TEST(TextLineColumns, AgreesWithIcuWhateverTheOrderOfTheCuts) {
    const std::string lines[] = {"", "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789", "Città di Forlì, Società à r.l. 𝄞 €",
                                 "àèìòù€𝄞ÀÈÌÒÙ", "12345678à12345678é1234567812345678ò",
                                 // Characters across the eight-byte words the cut counts by.
                                 "1234567àbcdefghijklmnop", "123456𝄞abcdefghij€xyzàèìòù0123456789",
                                 // ... and across the sixteen-byte blocks, a long line padded as fields are.
                                 "123456789012345à6789012345678901€3456789012345𝄞7890 ROSSI        à    ",
                                 "Via Roma 1, Città         Forlì               €€€€€€€€€€€€€€€ 𝄞𝄞𝄞𝄞𝄞𝄞𝄞𝄞 fine"};
    std::vector<std::array<std::size_t, 2>> cuts = {{0, 5},  {5, 20}, {25, 3},  {2, 9},  {9, 0},  {40, 4},
                                                    {7, 1},  {8, 8},  {16, 80}, {0, 80}, {33, 2}, {1, 1}};
    std::mt19937 random(7);
    for (int i = 0; i < 300; ++i) cuts.push_back({random() % 90, random() % 40});
    for (const std::string& text : lines) {
        const icu::UnicodeString wide = icu::UnicodeString::fromUTF8(text);
        const int32_t characters = wide.countChar32();
        tessaro7::import_text::TextLine line(text);
        for (const auto& cut : cuts) {
            const auto from = static_cast<int32_t>(std::min<std::size_t>(cut[0], characters));
            const auto to = static_cast<int32_t>(std::min<std::size_t>(cut[0] + cut[1], characters));
            const int32_t begin = wide.moveIndex32(0, from), end = wide.moveIndex32(0, to);
            std::string expected;
            wide.tempSubString(begin, end - begin).toUTF8String(expected);
            EXPECT_EQ(std::string(line.columns(cut[0], cut[1])), expected) << text << " " << cut[0] << "+" << cut[1];
        }
    }
}

}  // namespace

namespace {

// Lines of any length, with characters of every width: the count agrees
// with ICU's, whole blocks, counted lanes and the last few bytes alike.
TEST(ColumnCount, AgreesWithIcuAtEveryLength) {
    const std::string pieces[] = {"a", "à", "€", "𝄞", " "};
    std::mt19937 random(11);
    for (std::size_t length : {0u, 1u, 15u, 16u, 17u, 33u, 4079u, 4080u, 4081u, 4096u, 9000u}) {
        std::string text;
        while (text.size() < length) text += pieces[random() % 5];
        EXPECT_EQ(tessaro7::import_text::columnCount(text),
                  static_cast<std::size_t>(icu::UnicodeString::fromUTF8(text).countChar32()))
            << text.size() << " bytes";
    }
    // Bytes that only continue (no UTF-8, but a count must not wrap): none starts a character.
    EXPECT_EQ(tessaro7::import_text::columnCount(std::string(9000, '\x80') + "ab"), 2u);
}

}  // namespace
