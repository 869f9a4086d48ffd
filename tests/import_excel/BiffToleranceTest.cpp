// The .xls reader on streams laid out by hand as other writers lay them out:
// strings over CONTINUE records, texts past their record, BIFF5-style names
// in BIFF8, streams without globals, wrong sheet offsets, the code pages of
// the older versions; and the bounds it keeps on hostile files.
#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "import_excel/SheetReader.h"
#include "import_excel/WorkbookReader.h"
#include "support/BiffBytes.h"
#include "support/TempDir.h"

namespace {

using namespace tessaro7::import_excel;
using namespace tessaro7::testing;

std::string bof(std::uint16_t version, std::uint16_t type) {
    return biffRecord(0x0809, le16s(version) + le16s(type) + std::string(12, '\0'));
}
const std::string kEof = biffRecord(0x000A, "");

std::string cellHead(int row, int col) { return le16s(row) + le16s(col) + le16s(0); }
std::string label8(int row, int col, std::uint16_t count, const std::string& chars) {
    return biffRecord(0x0204, cellHead(row, col) + le16s(count) + '\0' + chars);
}
std::string label5(int row, int col, const std::string& bytes) {
    return biffRecord(0x0204, cellHead(row, col) + le16s(static_cast<std::uint32_t>(bytes.size())) + bytes);
}
std::string number(int row, int col, double value) {
    std::string bits(8, '\0');
    std::memcpy(bits.data(), &value, 8);
    return biffRecord(0x0203, cellHead(row, col) + bits);
}

struct Sheet {
    std::string name;  // as the BOUNDSHEET record holds it, count and flags included
    std::string cells;
};

// A workbook stream: globals (BOF, `globals`, one BOUNDSHEET a sheet, EOF),
// then each sheet's BOF, cells and EOF; `shift` moves every BOUNDSHEET offset.
std::string book(std::uint16_t version, const std::string& globals, const std::vector<Sheet>& sheets, int shift = 0) {
    std::size_t globalsSize = bof(version, 5).size() + globals.size() + kEof.size();
    for (const Sheet& s : sheets) globalsSize += 4 + 6 + s.name.size();
    std::string head = bof(version, 5) + globals, body;
    for (const Sheet& s : sheets) {
        head += biffRecord(0x0085, le32s(static_cast<std::uint32_t>(globalsSize + body.size() + shift)) + std::string(2, '\0') + s.name);
        body += bof(version, 0x10) + s.cells + kEof;
    }
    return head + kEof + body;
}
std::string name8(const std::string& ascii) { return std::string(1, static_cast<char>(ascii.size())) + '\0' + ascii; }
std::string name5(const std::string& bytes) { return std::string(1, static_cast<char>(bytes.size())) + bytes; }

SheetRead read(const std::string& bytes, const std::string& sheet = "", long rows = 4, long cols = 3) {
    return readWorkbookBytes(bytes, sheet, rows, cols);
}

std::optional<ReadFailure> failureOf(const std::string& bytes) {
    try {
        read(bytes);
    } catch (const SheetReadError& e) {
        return e.cause();
    }
    return std::nullopt;
}

std::string wide(const std::string& ascii) {
    std::string out;
    for (char c : ascii) out += std::string{c, '\0'};
    return out;
}

TEST(BiffTolerance, SharedStringsOverContinueRecords) {
    std::string sst = biffRecord(0x00FC, le32s(3) + le32s(3) + std::string("\x02\x00\x00" "ab", 5) + std::string("\x06\x00\x00", 3) + "abc") +
                      biffRecord(0x003C, "") +                                    // an empty CONTINUE: no flag byte
                      biffRecord(0x003C, "\x01" + wide("def") + std::string("\x03\x00\x01", 3) + "x" + std::string(1, '\0') + "y") +
                      biffRecord(0x003C, "\x01" + wide("zw"));                    // "y" was half a character: dropped
    std::string cells;
    for (int i = 0; i < 3; ++i) cells += biffRecord(0x00FD, cellHead(i, 0) + le32s(i));
    PreviewGrid grid = read(book(0x0600, sst, {{name8("Dati"), cells}})).grid;
    EXPECT_EQ(grid.cell(0, 0), "ab");
    EXPECT_EQ(grid.cell(1, 0), "abcdef");
    EXPECT_EQ(grid.cell(2, 0), "xzw");
}

// Read from its file a piece at a time, a record's CONTINUE records are read
// with it as from memory: the shared strings and a label continued.
TEST(BiffTolerance, ContinueRecordsAreReadTheSameFromTheFile) {
    std::string sst = biffRecord(0x00FC, le32s(2) + le32s(2) + std::string("\x02\x00\x00" "ab", 5) + std::string("\x06\x00\x00", 3) + "abc") +
                      biffRecord(0x003C, "") + biffRecord(0x003C, "\x01" + wide("def"));
    std::string cells = biffRecord(0x00FD, cellHead(0, 0) + le32s(0)) + biffRecord(0x00FD, cellHead(1, 0) + le32s(1)) +
                        label8(2, 0, 5, "tes") + biffRecord(0x003C, std::string(1, '\0') + "to");
    TempDir dir;
    dir.write("libro.xls", book(0x0600, sst, {{name8("Dati"), cells}}));
    struct Texts : CellSink {
        std::map<std::uint32_t, std::string> byRow;
        void cell(std::uint32_t row, std::uint32_t, const SheetCell& value) override { byRow[row] = std::string(value.text); }
    } texts;
    openBiffFile((dir / "libro.xls").string())->readSheet(0, texts);
    EXPECT_EQ(texts.byRow, (std::map<std::uint32_t, std::string>{{0, "ab"}, {1, "abcdef"}, {2, "testo"}}));
}

TEST(BiffTolerance, TextsPastTheirRecordAreCutThere) {
    std::string cells = label8(0, 0, 10, "abc") + label8(1, 0, 2, "ok") +
                        label8(2, 0, 5, "tes") + biffRecord(0x003C, std::string(1, '\0') + "to");
    PreviewGrid grid = read(book(0x0600, "", {{name8("Dati"), cells}})).grid;
    EXPECT_EQ(grid.cell(0, 0), "abc");
    EXPECT_EQ(grid.cell(1, 0), "ok");
    EXPECT_EQ(grid.cell(2, 0), "testo");  // continued in a CONTINUE record
}

TEST(BiffTolerance, Biff5StyleNamesAndTextsInBiff8) {
    std::string format = biffRecord(0x041E, le16s(164) + name5("dd/mm/yyyy"));
    SheetRead r = read(book(0x0600, format, {{name5("Fogli"), label5(0, 0, "vecchio stile")}}));
    EXPECT_EQ(r.sheets, std::vector<std::string>{"Fogli"});
    EXPECT_EQ(r.grid.cell(0, 0), "vecchio stile");
}

TEST(BiffTolerance, AStreamWithoutGlobalsIsOneSheet) {
    std::string biff8 = bof(0x0600, 0x10) + number(0, 0, 2.5) + label8(0, 1, 2, "ok") + kEof;
    SheetRead r = read(biff8);
    EXPECT_EQ(r.sheets, std::vector<std::string>{"Foglio1"});
    EXPECT_EQ(r.grid.cell(0, 0), "2,5");
    EXPECT_EQ(r.grid.cell(0, 1), "ok");
    // BIFF2 with the cell records of the later versions among its own.
    std::string biff2 = biffRecord(0x0009, le16s(2) + le16s(0x10)) + number(0, 0, 7) +
                        biffRecord(0x0004, le16s(1) + le16s(0) + std::string(3, '\0') + "\x02" "ab") + kEof;
    PreviewGrid grid = read(biff2).grid;
    EXPECT_EQ(grid.cell(0, 0), "7");
    EXPECT_EQ(grid.cell(1, 0), "ab");
}

TEST(BiffTolerance, ASheetWhoseOffsetIsWrongIsFoundByItsBof) {
    std::string bytes = book(0x0600, "", {{name8("Uno"), number(0, 0, 1)}, {name8("Due"), number(0, 0, 2)}}, 3);
    EXPECT_EQ(read(bytes, "Uno").grid.cell(0, 0), "1");
    EXPECT_EQ(read(bytes, "Due").grid.cell(0, 0), "2");
}

TEST(BiffTolerance, OlderVersionsInTheirCodePages) {
    struct Case {
        std::uint16_t codePage;
        std::string name, text;      // in the code page
        std::string shownName, shown;
    };
    const Case cases[] = {
        {1251, "\xCB\xE8\xF1\xF2\x31", "\xCF\xF0\xE8\xE2\xE5\xF2", "Лист1", "Привет"},
        {1253, "\xD6\xfd\xeb\xeb\xef", "\xC1\xE8\xDE\xED\xE1", "Φύλλο", "Αθήνα"},
        {10000, "Caf\x8E", "\xDB 5", "Café", "€ 5"},
        {1252, "Citt\xE0", "\x80", "Città", "€"},
    };
    for (const Case& c : cases) {
        SheetRead r = read(book(0x0500, biffRecord(0x0042, le16s(c.codePage)), {{name5(c.name), label5(0, 0, c.text)}}));
        EXPECT_EQ(r.sheets, std::vector<std::string>{c.shownName}) << c.codePage;
        EXPECT_EQ(r.grid.cell(0, 0), c.shown) << c.codePage;
    }
    // BIFF2 to BIFF4 mark Mac Roman 32768.
    std::string biff2 = biffRecord(0x0009, le16s(2) + le16s(0x10)) + biffRecord(0x0042, le16s(32768)) +
                        biffRecord(0x0004, le16s(0) + le16s(0) + std::string(3, '\0') + "\x04" "Caf\x8E") + kEof;
    EXPECT_EQ(read(biff2).grid.cell(0, 0), "Café");
    try {
        read(book(0x0500, biffRecord(0x0042, le16s(12345)), {{name5("A"), label5(0, 0, "x")}}));
        ADD_FAILURE() << "an unknown code page was read";
    } catch (const SheetReadError& e) {
        EXPECT_EQ(e.cause(), ReadFailure::UnknownCodePage);
        EXPECT_NE(std::string(e.what()).find("12345"), std::string::npos) << e.what();
    }
}

TEST(BiffTolerance, HostileAndUnreadableFilesGiveTheirCause) {
    std::vector<Sheet> many(4097, Sheet{name8("F"), ""});
    EXPECT_EQ(failureOf(book(0x0600, "", many)), ReadFailure::TooLarge);
    many.resize(4096);
    EXPECT_EQ(read(book(0x0600, "", many)).sheets.size(), 4096u);
    EXPECT_EQ(failureOf(book(0x0600, biffRecord(0x002F, std::string(6, '\0')), {{name8("A"), ""}})), ReadFailure::Encrypted);
    // A sheet that never ends, its cells inside an embedded substream: said, not shown empty.
    EXPECT_EQ(failureOf(book(0x0600, "", {{name8("A"), bof(0x0600, 0x20) + number(0, 0, 1)}})), ReadFailure::CellsUnreadable);
    // A chart's values inside its own finished substream are not the sheet's cells.
    std::string chart = book(0x0600, "", {{name8("A"), bof(0x0600, 0x20) + number(0, 0, 1) + kEof}}) + kEof;
    EXPECT_EQ(read(chart).grid.cell(0, 0), "");
    std::string noSheet = book(0x0600, "", {{name8("A"), number(0, 0, 1)}}, 3);
    EXPECT_EQ(failureOf(noSheet.substr(0, noSheet.rfind(bof(0x0600, 0x10)))), ReadFailure::BadOffset);
    EXPECT_EQ(failureOf(book(0x0600, "", {{name8("A"), biffRecord(0x00FD, cellHead(0, 0) + le32s(7))}})), ReadFailure::BadOffset);
    EXPECT_EQ(failureOf(std::string("\x09\x08\x10\x00", 4)), ReadFailure::Truncated);
}

// One shared text of 1000 characters in 40000 cells: far more text than the file holds.
TEST(BiffTolerance, MoreTextThanTheFileCanHoldIsRefused) {
    std::string sst = biffRecord(0x00FC, le32s(1) + le32s(1) + le16s(1000) + '\0' + std::string(1000, 'x'));
    std::string cells;
    for (int r = 0; r < 40000; ++r) cells += biffRecord(0x00FD, cellHead(r, 0) + le32s(0));
    try {
        readWorkbookBytes(book(0x0600, sst, {{name8("A"), cells}}), "", 40000, 1);
        ADD_FAILURE() << "read";
    } catch (const SheetReadError& e) {
        EXPECT_EQ(e.cause(), ReadFailure::TooLarge) << e.what();
    }
}

TEST(BiffTolerance, AMissingSheetNamesAFewAndCountsTheRest) {
    std::vector<Sheet> many;
    for (int i = 0; i < 30; ++i) many.push_back({name8("F" + std::to_string(i)), ""});
    try {
        read(book(0x0600, "", many), "Manca");
        ADD_FAILURE();
    } catch (const SheetReadError& e) {
        EXPECT_EQ(std::string(e.what()), "il foglio 'Manca' non esiste (fogli: F0, F1, F2, F3, F4 e altri 25)");
    }
}

}  // namespace
