// The cutting of a field out of a fixed-width line, and the reading of lines.
#include "import_text/FixedWidth.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using tessaro7::import_text::cutField;
using tessaro7::import_text::LineReader;

std::vector<std::string> linesOf(const std::string& bytes) {
    LineReader reader(bytes);
    std::vector<std::string> lines;
    while (!reader.atEnd()) lines.emplace_back(reader.next());
    return lines;
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

TEST(CutField, WidthZeroGivesNothing) { EXPECT_EQ(cutField("ABCDE", 2, 0, 80), ""); }

TEST(CutField, OneBytePerColumnWhateverTheByte) {
    // Windows-1252 "Città" is five bytes: one column per character.
    std::string line = "Citt\xE0 X";
    EXPECT_EQ(cutField(line, 5, 1, 80), "\xE0");
    EXPECT_EQ(cutField(line, 7, 1, 80), "X");
}

TEST(LineReader, CrLfCrAndLfEachEndALine) {
    EXPECT_EQ(linesOf("a\r\nb\r\nc"), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(linesOf("a\rb\rc"), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(linesOf("a\nb\nc"), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(linesOf("a\r\nb\nc\rd"), (std::vector<std::string>{"a", "b", "c", "d"}));
}

TEST(LineReader, FinalLineEndAddsNoLine) {
    EXPECT_EQ(linesOf("a\r\nb\r\n"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(linesOf("a\nb\n"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(linesOf("a\rb\r"), (std::vector<std::string>{"a", "b"}));
}

TEST(LineReader, LastLineNeedsNoLineEnd) { EXPECT_EQ(linesOf("a\r\nlast"), (std::vector<std::string>{"a", "last"})); }

TEST(LineReader, TwoLineEndsMakeAnEmptyLine) {
    EXPECT_EQ(linesOf("a\r\n\r\n"), (std::vector<std::string>{"a", ""}));
    EXPECT_EQ(linesOf("a\n\n"), (std::vector<std::string>{"a", ""}));
    EXPECT_EQ(linesOf("\r\n"), (std::vector<std::string>{""}));
    // LF then CR are two line ends, not one.
    EXPECT_EQ(linesOf("a\n\rb"), (std::vector<std::string>{"a", "", "b"}));
}

TEST(LineReader, EmptyFileHasNoLines) { EXPECT_TRUE(linesOf("").empty()); }

TEST(LineReader, TrailingBlanksAndTabsBelongToTheLine) {
    EXPECT_EQ(linesOf("a \t \r\nb"), (std::vector<std::string>{"a \t ", "b"}));
}

TEST(LineReader, CountsTheRemainingLinesWithoutReadingThem) {
    LineReader reader("1\r\n2\r\n3\n4\r5");
    reader.next();
    EXPECT_EQ(reader.countRemaining(), 4u);
    EXPECT_EQ(reader.next(), "2");
    EXPECT_EQ(reader.countRemaining(), 3u);
}

}  // namespace
