// The .xls corpus of tests/fixtures/xls-corpus (made by its make-corpus
// script: BIFF2 and BIFF5 in several code pages, a short last sector,
// strings over CONTINUE records, a stream without globals, BIFF8 with
// Cyrillic text, the first days of the 1900 system and date, time and
// duration formats): every cell against its expected text, and against
// python3-xlrd wherever xlrd reads the file, except where this program
// differs on purpose (listed with the reason).
#include <gtest/gtest.h>

#include <map>

#include "import_excel/SheetReader.h"
#include "support/XlrdSheet.h"

namespace {

using namespace tessaro7::import_excel;
using namespace tessaro7::testing;
namespace fs = std::filesystem;

const fs::path kCorpus = fs::path(TESSARO7_FIXTURES) / "xls-corpus";

struct File {
    const char* name;
    const char* sheet;     // the name the reader gives its sheet
    bool xlrdReads;        // false: xlrd refuses the file (reason beside)
    bool codePageOfFile;   // xlrd is to use the file's code page, not Windows-1252
};
const File kFiles[] = {
    {"biff5-cp1251.xls", "Лист1", true, true},
    {"biff5-cp1253.xls", "Φύλλο", true, true},
    {"biff5-mac-roman.xls", "Café", true, true},
    {"biff2-mac-roman-32768.xls", "Foglio1", true, true},
    {"biff2-bare.xls", "Foglio1", true, false},
    {"short-last-sector.xls", "Dati", true, true},
    {"continued-strings.xls", "Dati", false, true},  // xlrd stops at the empty CONTINUE record
    {"biff8-cyrillic.xls", "Лист1", true, true},
    {"biff8-dates.xls", "Date", true, true},
};

struct Cell {
    const char* file;
    long row, col;
    const char* text;
};
const Cell kCells[] = {
    {"biff5-cp1251.xls", 0, 0, "Привет"},       {"biff5-cp1251.xls", 1, 0, "Ёлка"},
    {"biff5-cp1253.xls", 0, 0, "Αθήνα"},        {"biff5-cp1253.xls", 1, 0, "Ελλάδα"},
    {"biff5-mac-roman.xls", 0, 0, "Crème brûlée"}, {"biff5-mac-roman.xls", 1, 0, "€ 5"},
    {"biff2-mac-roman-32768.xls", 0, 0, "Café"}, {"biff2-mac-roman-32768.xls", 1, 0, "Straße"},
    {"biff2-bare.xls", 0, 0, "Nome"},           {"biff2-bare.xls", 1, 0, "Rossi"},
    {"biff2-bare.xls", 0, 1, "1,5"},            {"biff2-bare.xls", 1, 1, "22"},
    {"short-last-sector.xls", 0, 0, "Fine"},    {"short-last-sector.xls", 59, 1, "59"},
    {"continued-strings.xls", 0, 0, "Primo"},   {"continued-strings.xls", 1, 0, "Secondo"},
    {"continued-strings.xls", 2, 0, "Привет"},
    {"biff8-cyrillic.xls", 0, 0, "Привет"},     {"biff8-cyrillic.xls", 2, 0, "Ёлка"},
    {"biff8-cyrillic.xls", 2, 1, "2,5"},
    {"biff8-dates.xls", 0, 0, "01/01/1900"},    {"biff8-dates.xls", 1, 0, "28/02/1900"},
    {"biff8-dates.xls", 2, 0, "29/02/1900"},    {"biff8-dates.xls", 3, 0, "01/03/1900"},
    {"biff8-dates.xls", 4, 0, "05/03/2024"},
    {"biff8-dates.xls", 0, 1, "10:10:11"},      // hh:mm:ss.000, rounded to the second
    {"biff8-dates.xls", 1, 1, "255:10:10"},     // [h]:mm:ss
    {"biff8-dates.xls", 2, 1, "05/03/2024"},    // [$-410]dd/mm/yyyy
    {"biff8-dates.xls", 3, 1, "10/10/1948 14:35:27"},
};

// Where xlrd and this program differ on purpose.
struct Difference {
    const char* file;
    long row, col;
    const char* why;
};
const Difference kDifferences[] = {
    {"biff8-dates.xls", 0, 0, "xlrd gives no date before 01/03/1900: the number"},
    {"biff8-dates.xls", 1, 0, "the same"},
    {"biff8-dates.xls", 2, 0, "the same; the files' own program shows the day that never was"},
    {"biff8-dates.xls", 1, 1, "xlrd has no elapsed hours: a day number under 61 is a number to it"},
};

bool differsOnPurpose(const std::string& file, long row, long col) {
    for (const Difference& d : kDifferences)
        if (file == d.file && row == d.row && col == d.col) return true;
    return false;
}

TEST(XlsCorpusFiles, EveryCellAsExpected) {
    std::map<std::string, SheetRead> read;
    for (const File& f : kFiles) {
        read[f.name] = readSheet((kCorpus / f.name).string(), "", 64, 4);
        EXPECT_EQ(read[f.name].sheets, std::vector<std::string>{f.sheet}) << f.name;
    }
    std::map<std::string, int> checked;
    for (const Cell& c : kCells) {
        EXPECT_EQ(read.at(c.file).grid.cell(c.row, c.col), c.text) << c.file << " row " << c.row << " column " << c.col;
        ++checked[c.file];
    }
    for (const File& f : kFiles) EXPECT_GT(checked[f.name], 0) << f.name << " has no expected cell";
}

TEST(XlsCorpusFiles, AsXlrdReadsThem) {
    for (const File& f : kFiles) {
        if (!f.xlrdReads) continue;
        SCOPED_TRACE(f.name);
        XlrdSheet theirs = readWithXlrd(kCorpus / f.name, "", !f.codePageOfFile);
        long rows = static_cast<long>(theirs.rows) + 1, cols = static_cast<long>(theirs.columns) + 1;
        PreviewGrid ours = readSheet((kCorpus / f.name).string(), "", rows, cols).grid;
        if (std::string(f.sheet) != "Foglio1") {
            EXPECT_EQ(theirs.sheets, std::vector<std::string>{f.sheet});
        }
        for (long r = 0; r < rows; ++r)
            for (long c = 0; c < cols; ++c) {
                if (differsOnPurpose(f.name, r, c)) continue;
                auto found = theirs.cells.find({static_cast<std::size_t>(r), static_cast<std::size_t>(c)});
                EXPECT_EQ(ours.cell(r, c), found == theirs.cells.end() ? "" : found->second.shown)
                    << "row " << r << " column " << c;
            }
    }
}

}  // namespace
