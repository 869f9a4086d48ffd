#include "db/RowGroups.h"

#include <gtest/gtest.h>

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

}  // namespace
