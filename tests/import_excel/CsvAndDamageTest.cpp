// The .csv reader (separator, quotes, encodings) and a damaged file of each
// format: a notice with the reason, never a crash.
#include <gtest/gtest.h>

#include <optional>

#include "import_excel/SheetReader.h"
#include "support/TempDir.h"

namespace {

using namespace tessaro7::import_excel;
using tessaro7::testing::TempDir;

const std::string kFixtures = TESSARO7_FIXTURES;

std::vector<std::vector<std::string>> csvRows(const std::string& bytes, long rows, long cols) {
    PreviewGrid grid = readWorkbookBytes(bytes, "", rows, cols).grid;
    std::vector<std::vector<std::string>> out(static_cast<std::size_t>(rows));
    for (long r = 0; r < rows; ++r)
        for (long c = 0; c < cols; ++c) out[static_cast<std::size_t>(r)].emplace_back(grid.cell(r, c));
    return out;
}

TEST(CsvReader, SeparatorQuotesAndEncodings) {
    using Rows = std::vector<std::vector<std::string>>;
    struct Case {
        const char* what;
        std::string bytes;
        Rows expected;
    };
    const Case cases[] = {
        {"semicolon, quoted separator, doubled quotes, line end inside quotes, CRLF",
         "Nome;Note;Importo\r\n\"Rossi; Mario\";\"a \"\"b\"\"\nc\";1,50\r\n", {{"Nome", "Note", "Importo"}, {"Rossi; Mario", "a \"b\"\nc", "1,50"}}},
        {"comma, a comma in the text of a semicolon line does not count", "a,b,c\n1,\"2,5\",3\n",
         {{"a", "b", "c"}, {"1", "2,5", "3"}}},
        {"tab with UTF-8 byte-order mark", "\xEF\xBB\xBF" "codice\tcittà\nA1\tForlì\n", {{"codice", "città"}, {"A1", "Forlì"}}},
        {"Windows-1252 when not UTF-8", "Citt\xE0;\x80\rB;C\r", {{"Città", "€"}, {"B", "C"}}},
        {"no number or date guessing", "01/02/2024;007;1e3\n", {{"01/02/2024", "007", "1e3"}, {"", "", ""}}},
        {"semicolon lines with commas in the values", "a;b,c\nd;e,f\n", {{"a", "b,c"}, {"d", "e,f"}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(csvRows(c.bytes, static_cast<long>(c.expected.size()), static_cast<long>(c.expected[0].size())),
                  c.expected)
            << c.what;
}

// A control character is field text: the file stays a list, and the
// import's value check refuses the field (see ExcelImportTest).
TEST(CsvReader, ControlCharactersAreFieldText) {
    EXPECT_EQ(csvRows("a;b\x01c;\x1F\nd;e;f\n", 2, 3), (std::vector<std::vector<std::string>>{{"a", "b\x01c", "\x1F"}, {"d", "e", "f"}}));
}

// A field is kept up to 64 KiB, whatever its length in the file, quoted or
// not; fields and rows beyond the grid are not kept.
TEST(CsvReader, FieldsAreKeptUpToTheLongestAFieldStores) {
    const std::size_t kKept = std::size_t(64) << 10;
    std::string huge(3 * kKept, 'x');
    for (const std::string& field : {huge, "\"" + huge + "\""}) {
        PreviewGrid grid = readWorkbookBytes("a;" + field + ";c\nd;e;f\n", "", 2, 3).grid;
        EXPECT_EQ(grid.cell(0, 1), std::string(kKept, 'x'));
        EXPECT_EQ(grid.cell(0, 2), "c");
        EXPECT_EQ(grid.cell(1, 2), "f");
    }
    PreviewGrid small = readWorkbookBytes("a;b;c\nd;e;f\n", "", 1, 2).grid;
    EXPECT_EQ(small.cell(0, 1), "b");
    // A quote never closed runs to the end of the file.
    EXPECT_EQ(csvRows("a;\"b\nc", 1, 2), (std::vector<std::vector<std::string>>{{"a", "b\nc"}}));
}

std::string reasonFor(const std::string& bytes) {
    try {
        readWorkbookBytes(bytes, "", 100, 20);
    } catch (const SheetReadError& e) {
        return e.what();
    }
    return "letto";
}

// The cause a workbook is refused for; nullopt when it is read.
std::optional<ReadFailure> causeFor(const std::string& bytes) {
    try {
        readWorkbookBytes(bytes, "", 100, 20);
    } catch (const SheetReadError& e) {
        return e.cause();
    }
    return std::nullopt;
}

std::string fixture(const std::string& name) {
    std::ifstream in(kFixtures + "/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(DamagedWorkbooks, EachFormatGivesItsReason) {
    for (const char* name : {"calc-mixed.xls", "calc-mixed.xlsx", "calc-mixed.ods"}) {
        std::string whole = fixture(name);
        ASSERT_GT(whole.size(), 2000u) << name;
        // Cut short, and with a run of bytes overwritten in the middle.
        std::string cut = whole.substr(0, whole.size() / 2);
        EXPECT_NE(reasonFor(cut), "letto") << name;
        std::string scribbled = whole;
        for (std::size_t i = 0; i < 64; ++i) scribbled[whole.size() / 3 + i] = static_cast<char>(0xFF - i);
        std::string reason = reasonFor(scribbled);
        EXPECT_FALSE(reason.empty()) << name;
    }
    // A package claiming to unpack to far more than it holds.
    std::string bomb = fixture("calc-mixed.xlsx");
    for (std::size_t at = bomb.rfind(std::string("PK\x01\x02", 4)); at != std::string::npos && at > 0;
         at = bomb.rfind(std::string("PK\x01\x02", 4), at - 1))
        bomb.replace(at + 24, 4, std::string("\xFF\xFF\xFF\x7F", 4));
    EXPECT_EQ(causeFor(bomb), ReadFailure::TooLarge) << reasonFor(bomb);
    // An entry whose packed size reaches past the end of the file, in either package.
    for (const char* name : {"calc-mixed.xlsx", "calc-mixed.ods"}) {
        std::string beyond = fixture(name);
        beyond.replace(beyond.rfind(std::string("PK\x01\x02", 4)) + 20, 4, std::string("\xF0\xFD\xFF\xFF", 4));
        EXPECT_EQ(causeFor(beyond), ReadFailure::BadOffset) << name << ": " << reasonFor(beyond);
    }
    EXPECT_EQ(reasonFor(std::string("\x01\x02\x00\x00", 4)),
              "non è una cartella di lavoro (.xls, .xlsx, .ods) né un file di testo .csv");
}

}  // namespace
