#include "db/RowGroups.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using namespace tessaro7::db;

TEST(RowGroupsTest, AGroupIsSentAtAThousandRowsOrFourMebibytesOfValues) {
    const struct {
        std::size_t rows, bytes;
        bool full;
    } cases[] = {
        {1, 0, false},       {999, 0, false},          {1000, 0, true},        {1001, 10, true},
        {1, 4194303, false}, {1, 4194304, true},       {999, 4194303, false},  {2, 9000000, true},
    };
    for (const auto& c : cases) EXPECT_EQ(groupIsFull(c.rows, c.bytes), c.full) << c.rows << " righe, " << c.bytes;
}

TEST(RowGroupsTest, ArrayElementsAreQuotedSoThatNoTextIsReadAsNullOrSplit) {
    const struct {
        std::vector<std::optional<std::string>> values;
        const char* array;
    } cases[] = {
        {{"a"}, R"({"a"})"},
        {{"a", "b"}, R"({"a","b"})"},
        {{std::nullopt, "NULL"}, R"({NULL,"NULL"})"},
        {{""}, R"({""})"},
        {{R"(di "Rossi")"}, R"({"di \"Rossi\""})"},
        {{R"(C:\dati\)"}, R"({"C:\\dati\\"})"},
        {{"{a,b}", " x "}, R"({"{a,b}"," x "})"},
        {{"\"\\\""}, R"({"\"\\\""})"},
    };
    for (const auto& c : cases) {
        std::string array = "{";
        for (const auto& v : c.values) appendArrayElement(array, v);
        EXPECT_EQ(array + "}", c.array);
    }
}

TEST(RowGroupsTest, AChunkIsCopiedAtTenThousandRowsOrFourMebibytesOfValues) {
    const struct {
        std::size_t rows, bytes;
        bool full;
    } cases[] = {{1, 0, false}, {9999, 4194303, false}, {10000, 0, true}, {1, 4194304, true}, {1000, 0, false}};
    for (const auto& c : cases) EXPECT_EQ(copyChunkIsFull(c.rows, c.bytes), c.full) << c.rows << " righe, " << c.bytes;
}

TEST(RowGroupsTest, CopyTextEscapesWhatWouldEndAFieldOrARow) {
    const struct {
        std::optional<std::string> value;
        const char* text;
    } cases[] = {
        {"a", "a"},           {std::nullopt, R"(\N)"},   {"\\N", R"(\\N)"},   {"", ""},
        {"a\tb", R"(a\tb)"},  {"a\nb\rc", R"(a\nb\rc)"}, {"\\.", R"(\\.)"}, {"C:\\d\\", R"(C:\\d\\)"},
        {"\"{,}\"", "\"{,}\""}, {"\x01€", "\x01€"},
    };
    for (const auto& c : cases) {
        std::string line;
        appendCopyText(line, c.value);
        EXPECT_EQ(line, c.text);
    }
}

// A refused chunk's rows are read back from its text to be sent again.
TEST(RowGroupsTest, ACopyLineGivesBackTheValuesWritten) {
    using Values = std::vector<std::optional<std::string>>;
    const Values cases[] = {
        {"a"},           {std::nullopt}, {""},          {"", ""},           {"a", std::nullopt, "b"},
        {"\\N", "\\"}, {"a\tb\nc\rd"},  {"x\\", "\\t"}, {std::nullopt, ""}, {"€ \x01", "\\\\N"},
    };
    for (const Values& values : cases) {
        std::string line;
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (i) line += '\t';
            appendCopyText(line, values[i]);
        }
        Values read;
        readCopyLine(line, read);
        EXPECT_EQ(read, values) << line;
    }
}

// Texts long enough to be looked at sixteen bytes at a time, with the bytes
// that escape at every position: COPY's text holds no raw tab, newline or
// carriage return and reads back as written; an array element holds no quote
// or backslash without a backslash before it.
TEST(RowGroupsTest, EveryByteThatEscapesIsEscapedWhereverItStands) {
    const char specials[] = {'\\', '\t', '\n', '\r', '"', '\x01', '\x0d', '\x0e', 'x', '\xc3'};
    std::mt19937 random(7);
    for (int trial = 0; trial < 3000; ++trial) {
        std::string text(random() % 70, 'a');
        for (char& c : text)
            if (random() % 4 == 0) c = specials[random() % sizeof specials];
        std::string copy;
        appendCopyText(copy, std::optional<std::string>(text));
        EXPECT_EQ(copy.find_first_of("\t\n\r"), std::string::npos) << text;
        std::vector<std::optional<std::string>> read;
        readCopyLine(copy, read);
        ASSERT_EQ(read.size(), 1u) << text;
        EXPECT_EQ(read[0], text);

        std::string array = "{";
        appendArrayElement(array, text);
        std::string unescaped;
        bool bare = false;  // a quote or backslash without its backslash
        for (std::size_t i = 2; i + 1 < array.size(); ++i) {
            if (array[i] == '\\') {
                unescaped += array[++i];
                bare = bare || (array[i] != '"' && array[i] != '\\');
            } else {
                bare = bare || array[i] == '"';
                unescaped += array[i];
            }
        }
        EXPECT_FALSE(bare) << text;
        EXPECT_EQ(unescaped, text);
    }
}

}  // namespace
