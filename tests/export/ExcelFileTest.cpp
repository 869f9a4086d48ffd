// Byte-exact checks of the BIFF2 worksheet writer: every record kind, every
// refusal, the open/close rules and file replacement.
#include "export/ExcelFile.h"
#include "export/SheetFiles.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using tessaro7::db::DateTime;
using tessaro7::db::Null;
using tessaro7::db::Value;
using tessaro7::exporting::ExcelFile;
using Call = std::function<std::int16_t(ExcelFile&)>;

const std::string kBof = "09 00 04 00 02 00 10 00";
const std::string kEof = "0A 00 00 00";

using tessaro7::testing::sheet::hex;
std::string readFile(const fs::path& path) { return tessaro7::testing::sheet::readBytes(path); }

void writeFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string repeat(const std::string& s, std::size_t n) {
    std::string out;
    for (std::size_t i = 0; i < n; ++i) out += s;
    return out;
}

// A fresh folder under the system temp folder, removed afterwards.
class TempFolder {
public:
    TempFolder() {
        static std::atomic<int> counter{0};
        std::random_device rd;
        m_path = fs::temp_directory_path() /
                 ("tessaro7-excelfile-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-" +
                  std::to_string(rd()));
        fs::create_directories(m_path);
    }
    ~TempFolder() {
        std::error_code ec;
        fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(m_path, ec);
    }
    const fs::path& path() const { return m_path; }

private:
    fs::path m_path;
};

class ExcelFileTest : public ::testing::Test {
protected:
    TempFolder dir;
    fs::path file = dir.path() / "prova.xls";

    // Runs `calls` on a freshly created file and returns, in hex, the records
    // they wrote between BOF and EOF.
    std::string records(const std::function<void(ExcelFile&)>& calls) {
        {
            ExcelFile writer;
            EXPECT_EQ(writer.CreateFile(file.string()), 0);
            calls(writer);
            EXPECT_EQ(writer.CloseFile(), 0);
        }
        const std::string all = readFile(file);
        if (all.size() < 12) {
            ADD_FAILURE() << "file too short: " << hex(all);
            return "?";
        }
        EXPECT_EQ(hex(all.substr(0, 8)), kBof);
        EXPECT_EQ(hex(all.substr(all.size() - 4)), kEof);
        return hex(all.substr(8, all.size() - 12));
    }

    std::string record(const Call& call) {
        return records([&](ExcelFile& writer) { EXPECT_EQ(call(writer), 0); });
    }

    // The call returns `number` and leaves no record behind.
    void expectRefused(std::int16_t number, const Call& call, const std::string& what) {
        EXPECT_EQ(records([&](ExcelFile& writer) { EXPECT_EQ(call(writer), number) << what; }), "") << what;
    }
};

// One cell at row 1, column 1 with zero attributes.
Call cell(int valueType, Value v) {
    return [valueType, v](ExcelFile& writer) { return writer.WriteValue(valueType, 0, 0, 0, 1, 1, v); };
}

std::vector<Call> everyOperation() {
    return {
        [](ExcelFile& writer) { return writer.WriteValue(2, 0, 1, 0, 1, 1, "a"); },
        [](ExcelFile& writer) { return writer.WriteValue(1, 0, 1, 0, 1, 1, 1.0); },
        [](ExcelFile& writer) { return writer.WriteValue(0, 0, 1, 0, 1, 1, 1); },
        [](ExcelFile& writer) { return writer.WriteValue(3, 0, 1, 0, 1, 1, 1); },
        [](ExcelFile& writer) { return writer.SetMargin(38, 0.5); },
        [](ExcelFile& writer) { return writer.SetColumnWidth(1, 1, 10); },
        [](ExcelFile& writer) { return writer.SetFont("Arial", 10, 0); },
        [](ExcelFile& writer) { return writer.SetHeader("h"); },
        [](ExcelFile& writer) { return writer.SetFooter("f"); },
        [](ExcelFile& writer) { return writer.SetFilePassword("p"); },
        [](ExcelFile& writer) { return writer.SetCodePage(1252); },
        [](ExcelFile& writer) { return writer.SetCellFormat(0, 0, 1); },
        [](ExcelFile& writer) { return writer.CloseFile(); },
    };
}

TEST_F(ExcelFileTest, EmptySheetIsBofThenEof) {
    EXPECT_EQ(records([](ExcelFile&) {}), "");
    EXPECT_EQ(hex(readFile(file)), kBof + " " + kEof);
}

TEST_F(ExcelFileTest, WorkedExamples) {
    EXPECT_EQ(record([](ExcelFile& writer) { return writer.WriteValue(2, 64, 1, 0, 1, 1, "abc"); }),
              "04 00 0B 00 00 00 00 00 00 40 01 03 61 62 63");
    EXPECT_EQ(record([](ExcelFile& writer) { return writer.WriteValue(1, 0, 3, 0, 2, 5, 1.5); }),
              "03 00 0F 00 01 00 04 00 00 00 03 00 00 00 00 00 00 F8 3F");
    EXPECT_EQ(record([](ExcelFile& writer) { return writer.SetFont("Arial", 10, 1); }),
              "31 00 0A 00 C8 00 01 00 05 41 72 69 61 6C");
    EXPECT_EQ(record([](ExcelFile& writer) { return writer.SetColumnWidth(1, 1, 80); }), "24 00 04 00 00 00 00 50");
    EXPECT_EQ(record([](ExcelFile& writer) { return writer.SetMargin(40, 1.5); }), "28 00 08 00 00 00 00 00 00 00 F8 3F");
    EXPECT_EQ(records([](ExcelFile& writer) { writer.PrintGridLines(false); }), "2B 00 02 00 00 00");
    EXPECT_EQ(records([](ExcelFile& writer) { writer.ProtectSpreadsheet(true); }), "12 00 02 00 01 00");
}

TEST_F(ExcelFileTest, RecordsFollowCallOrder) {
    EXPECT_EQ(records([](ExcelFile& writer) {
                  writer.SetCodePage(1252);
                  writer.PrintGridLines(true);
                  writer.SetFont("Arial", 10, 1);
                  writer.WriteValue(2, 0, 1, 0, 1, 1, "a");
                  writer.WriteValue(1, 0, 3, 0, 1, 2, 2.0);
                  writer.ProtectSpreadsheet(false);
              }),
              "42 00 02 00 E4 04 "
              "2B 00 02 00 01 00 "
              "31 00 0A 00 C8 00 01 00 05 41 72 69 61 6C "
              "04 00 09 00 00 00 00 00 00 00 01 01 61 "
              "03 00 0F 00 00 00 01 00 00 00 03 00 00 00 00 00 00 00 40 "
              "12 00 02 00 00 00");
}

TEST_F(ExcelFileTest, IntegerCellsRoundHalvesToEven) {
    const std::string head = "02 00 09 00 00 00 00 00 00 00 00 ";
    const std::vector<std::pair<Value, std::string>> cases = {
        {2.5, "02 00"},    {3.5, "04 00"},     {-2.5, "FE FF"},          {0.5, "00 00"},
        {1.6, "02 00"},    {"1,5", "02 00"},   {" 2,5 ", "02 00"},       {32767, "FF 7F"},
        {32767.4, "FF 7F"}, {-32768.0, "00 80"}, {Value::yesNo(true), "FF FF"}, {Value::yesNo(false), "00 00"},
    };
    for (const auto& [value, bytes] : cases)
        EXPECT_EQ(record(cell(0, value)), head + bytes) << value.toText();

    // Address and the three attribute bytes, in the order HiddenLocked, CellFontUsed, Alignment.
    EXPECT_EQ(record([](ExcelFile& writer) { return writer.WriteValue(0, 128, 3, 64, 3, 2, 7); }),
              "02 00 09 00 02 00 01 00 40 80 03 07 00");
}

TEST_F(ExcelFileTest, IntegerCellRefusals) {
    expectRefused(6, cell(0, 32767.5), "rounds to 32768");
    expectRefused(6, cell(0, 32768), "32768");
    expectRefused(6, cell(0, -32769), "-32769");
    expectRefused(6, cell(0, std::numeric_limits<double>::infinity()), "infinity");
    expectRefused(6, cell(0, std::numeric_limits<double>::quiet_NaN()), "NaN");
    expectRefused(13, cell(0, "abc"), "letters");
    expectRefused(13, cell(0, ""), "empty text");
    expectRefused(13, cell(0, DateTime{2026, 3, 5}), "date");
    expectRefused(94, cell(0, Null{}), "Null");
    expectRefused(6, [](ExcelFile& writer) { return writer.WriteValue(0, 256, 0, 0, 1, 1, 1); }, "CellFontUsed 256");
    expectRefused(6, [](ExcelFile& writer) { return writer.WriteValue(0, 0, -1, 0, 1, 1, 1); }, "Alignment -1");
    expectRefused(6, [](ExcelFile& writer) { return writer.WriteValue(0, 0, 0, 256, 1, 1, 1); }, "HiddenLocked 256");
}

TEST_F(ExcelFileTest, NumberCells) {
    const std::string head = "03 00 0F 00 00 00 00 00 00 00 00 ";
    const std::vector<std::pair<Value, std::string>> cases = {
        {"1,5", "00 00 00 00 00 00 F8 3F"},
        {" -0,25 ", "00 00 00 00 00 00 D0 BF"},
        {7, "00 00 00 00 00 00 1C 40"},
        {std::int64_t{-1}, "00 00 00 00 00 00 F0 BF"},
        {0.1, "9A 99 99 99 99 99 B9 3F"},
        {Value::yesNo(true), "00 00 00 00 00 00 F0 BF"},
    };
    for (const auto& [value, bytes] : cases)
        EXPECT_EQ(record(cell(1, value)), head + bytes) << value.toText();
}

TEST_F(ExcelFileTest, NumberCellRefusals) {
    expectRefused(13, cell(1, ""), "empty text");
    expectRefused(13, cell(1, "abc"), "letters");
    expectRefused(13, cell(1, "1.500"), "ambiguous separator");
    expectRefused(13, cell(1, DateTime{2026, 3, 5}), "date");
    expectRefused(94, cell(1, Null{}), "Null");
    expectRefused(6, [](ExcelFile& writer) { return writer.WriteValue(1, 300, 0, 0, 1, 1, 1.5); }, "CellFontUsed 300");
}

TEST_F(ExcelFileTest, LabelCellsInRegionalFormAndWindows1252) {
    // Record for a text of n bytes at row 1, column 1, zero attributes.
    auto label = [](int n, const std::string& bytes) {
        const char* digits = "0123456789ABCDEF";
        std::string len = {digits[(8 + n) >> 4], digits[(8 + n) & 15]};
        std::string cnt = {digits[n >> 4], digits[n & 15]};
        return "04 00 " + len + " 00 00 00 00 00 00 00 00 " + cnt + (bytes.empty() ? "" : " " + bytes);
    };
    const std::vector<std::tuple<Value, int, std::string>> cases = {
        {22, 2, "32 32"},
        {1.5, 3, "31 2C 35"},
        {-0.25, 5, "2D 30 2C 32 35"},
        {DateTime{2026, 3, 5}, 10, "30 35 2F 30 33 2F 32 30 32 36"},
        {"Città", 5, "43 69 74 74 E0"},
        {"€", 1, "80"},
        {"ő", 1, "3F"},  // not in Windows-1252
        {"", 0, ""},
    };
    for (const auto& [value, n, bytes] : cases)
        EXPECT_EQ(record(cell(2, value)), label(n, bytes)) << value.toText();
}

TEST_F(ExcelFileTest, LabelLengthCountsWindows1252Characters) {
    for (const std::string ch : {"x", "à"}) {
        const std::string full = records([&](ExcelFile& writer) { EXPECT_EQ(cell(2, repeat(ch, 255))(writer), 0); });
        const std::string byte = ch == "x" ? "78" : "E0";
        EXPECT_EQ(full, "04 00 07 01 00 00 00 00 00 00 00 FF " + repeat(byte + " ", 254) + byte) << ch;
        expectRefused(6, cell(2, repeat(ch, 256)), "256 characters");
    }
}

TEST_F(ExcelFileTest, LabelCellRefusals) {
    expectRefused(94, cell(2, Null{}), "Null");
    expectRefused(6, [](ExcelFile& writer) { return writer.WriteValue(2, 0, 0, 256, 1, 1, "a"); }, "HiddenLocked 256");
    // The value is converted before the attributes.
    expectRefused(94, [](ExcelFile& writer) { return writer.WriteValue(2, 0, 0, 256, 1, 1, Null{}); }, "Null first");
}

TEST_F(ExcelFileTest, CellAddressesAndOtherValueTypes) {
    EXPECT_EQ(record([](ExcelFile& writer) { return writer.WriteValue(2, 0, 0, 0, 32767, 256, "a"); }),
              "04 00 09 00 FE 7F FF 00 00 00 00 01 61");
    expectRefused(6, [](ExcelFile& writer) { return writer.WriteValue(2, 0, 0, 0, 32768, 1, "a"); }, "lrow 32768");
    expectRefused(6, [](ExcelFile& writer) { return writer.WriteValue(2, 0, 0, 0, 1, 32768, "a"); }, "lcol 32768");
    expectRefused(6, [](ExcelFile& writer) { return writer.WriteValue(2, 0, 0, 0, -32768, 1, "a"); }, "lrow -32768");
    expectRefused(6, [](ExcelFile& writer) { return writer.WriteValue(1, 0, 0, 0, 5'000'000'000, 1, 1.0); }, "huge lrow");
    expectRefused(0, cell(3, "a"), "ValueType 3");
    expectRefused(0, cell(-1, 1.0), "ValueType -1");
    expectRefused(0, cell(3, Null{}), "ValueType 3 with Null");
}

TEST_F(ExcelFileTest, ColumnWidths) {
    EXPECT_EQ(record([](ExcelFile& writer) { return writer.SetColumnWidth(1, 1, 127); }), "24 00 04 00 00 00 00 7F");
    EXPECT_EQ(record([](ExcelFile& writer) { return writer.SetColumnWidth(3, 22, 10); }), "24 00 04 00 02 15 00 0A");
    EXPECT_EQ(record([](ExcelFile& writer) { return writer.SetColumnWidth(256, 256, -128); }), "24 00 04 00 FF FF 00 80");
    expectRefused(6, [](ExcelFile& writer) { return writer.SetColumnWidth(1, 1, 128); }, "width 128");
    expectRefused(6, [](ExcelFile& writer) { return writer.SetColumnWidth(1, 1, -129); }, "width -129");
    expectRefused(6, [](ExcelFile& writer) { return writer.SetColumnWidth(0, 1, 10); }, "first column 0");
    expectRefused(6, [](ExcelFile& writer) { return writer.SetColumnWidth(1, 0, 10); }, "last column 0");
    expectRefused(6, [](ExcelFile& writer) { return writer.SetColumnWidth(1, 257, 10); }, "last column 257");
}

TEST_F(ExcelFileTest, Fonts) {
    EXPECT_EQ(record([](ExcelFile& writer) { return writer.SetFont("Arial", 1638, 15); }),
              "31 00 0A 00 F8 7F 0F 00 05 41 72 69 61 6C");
    EXPECT_EQ(record([](ExcelFile& writer) { return writer.SetFont("", 8, 0); }), "31 00 05 00 A0 00 00 00 00");
    EXPECT_EQ(record([](ExcelFile& writer) { return writer.SetFont(repeat("a", 255), 10, 0); }),
              "31 00 04 01 C8 00 00 00 FF " + repeat("61 ", 254) + "61");
    expectRefused(6, [](ExcelFile& writer) { return writer.SetFont("Arial", 1639, 0); }, "height 1639");
    expectRefused(6, [](ExcelFile& writer) { return writer.SetFont("Arial", 10, 256); }, "format 256");
    expectRefused(6, [](ExcelFile& writer) { return writer.SetFont("Arial", 10, -1); }, "format -1");
    expectRefused(6, [](ExcelFile& writer) { return writer.SetFont(repeat("a", 256), 10, 0); }, "256-character name");
}

TEST_F(ExcelFileTest, CellFormats) {
    EXPECT_EQ(record([](ExcelFile& writer) { return writer.SetCellFormat(0, 0, 1); }), "43 00 04 00 00 00 00 01");
    EXPECT_EQ(record([](ExcelFile& writer) { return writer.SetCellFormat(1, 0, 3); }), "43 00 04 00 01 00 00 03");
    EXPECT_EQ(record([](ExcelFile& writer) { return writer.SetCellFormat(3, 0xC5, 2); }), "43 00 04 00 03 00 C5 02");
    expectRefused(6, [](ExcelFile& writer) { return writer.SetCellFormat(256, 0, 1); }, "font 256");
    expectRefused(6, [](ExcelFile& writer) { return writer.SetCellFormat(0, -1, 1); }, "format -1");
    expectRefused(6, [](ExcelFile& writer) { return writer.SetCellFormat(0, 0, 256); }, "alignment 256");
}

TEST_F(ExcelFileTest, FirstAttributeByteHoldsTheCellFormatAndTheProtectionBits) {
    EXPECT_EQ(record([](ExcelFile& writer) { return writer.WriteValue(2, 64, 3, 3, 1, 1, "a"); }),
              "04 00 09 00 00 00 00 00 03 40 03 01 61");
    EXPECT_EQ(record([](ExcelFile& writer) { return writer.WriteValue(1, 0, 3, 0x42, 1, 1, 1.0); }),
              "03 00 0F 00 00 00 00 00 42 00 03 00 00 00 00 00 00 F0 3F");
    EXPECT_EQ(record([](ExcelFile& writer) { return writer.WriteValue(0, 192, 1, 0xBF, 1, 1, 7); }),
              "02 00 09 00 00 00 00 00 BF C0 01 07 00");
    expectRefused(6, [](ExcelFile& writer) { return writer.WriteValue(2, 0, 1, 256, 1, 1, "a"); }, "attribute byte 256");
}

TEST_F(ExcelFileTest, HeaderAndFooter) {
    EXPECT_EQ(record([](ExcelFile& writer) { return writer.SetHeader("Pag"); }), "14 00 04 00 03 50 61 67");
    EXPECT_EQ(record([](ExcelFile& writer) { return writer.SetHeader(""); }), "14 00 01 00 00");
    EXPECT_EQ(record([](ExcelFile& writer) { return writer.SetFooter("Città"); }), "15 00 06 00 05 43 69 74 74 E0");
    EXPECT_EQ(record([](ExcelFile& writer) { return writer.SetFooter(""); }), "15 00 01 00 00");
    expectRefused(6, [](ExcelFile& writer) { return writer.SetHeader(repeat("h", 256)); }, "256-character header");
    expectRefused(6, [](ExcelFile& writer) { return writer.SetFooter(repeat("f", 256)); }, "256-character footer");
}

TEST_F(ExcelFileTest, FilePasswordIsStoredAsItStands) {
    EXPECT_EQ(record([](ExcelFile& writer) { return writer.SetFilePassword("abc"); }), "2F 00 03 00 61 62 63");
    EXPECT_EQ(record([](ExcelFile& writer) { return writer.SetFilePassword(""); }), "2F 00 00 00");
    expectRefused(6, [](ExcelFile& writer) { return writer.SetFilePassword(repeat("p", 32768)); }, "32768 characters");
}

TEST_F(ExcelFileTest, GridLinesAndProtection) {
    EXPECT_EQ(records([](ExcelFile& writer) { writer.PrintGridLines(true); }), "2B 00 02 00 01 00");
    EXPECT_EQ(records([](ExcelFile& writer) { writer.ProtectSpreadsheet(false); }), "12 00 02 00 00 00");
}

TEST_F(ExcelFileTest, Margins) {
    EXPECT_EQ(record([](ExcelFile& writer) { return writer.SetMargin(38, 0.75); }), "26 00 08 00 00 00 00 00 00 00 E8 3F");
    EXPECT_EQ(record([](ExcelFile& writer) { return writer.SetMargin(39, 0.75); }), "27 00 08 00 00 00 00 00 00 00 E8 3F");
    EXPECT_EQ(record([](ExcelFile& writer) { return writer.SetMargin(41, 1.0); }), "29 00 08 00 00 00 00 00 00 00 F0 3F");
    expectRefused(6, [](ExcelFile& writer) { return writer.SetMargin(32768, 1.0); }, "record number 32768");
    expectRefused(6, [](ExcelFile& writer) { return writer.SetMargin(-32769, 1.0); }, "record number -32769");
}

TEST_F(ExcelFileTest, CodePage) {
    EXPECT_EQ(record([](ExcelFile& writer) { return writer.SetCodePage(1252); }), "42 00 02 00 E4 04");
    expectRefused(6, [](ExcelFile& writer) { return writer.SetCodePage(65536); }, "65536");
    expectRefused(6, [](ExcelFile& writer) { return writer.SetCodePage(-1); }, "-1");
}

TEST_F(ExcelFileTest, NothingIsWrittenWithoutAnOpenFile) {
    ExcelFile fresh;
    for (const Call& call : everyOperation()) EXPECT_EQ(call(fresh), 52);
    fresh.PrintGridLines(true);
    fresh.ProtectSpreadsheet(true);
    EXPECT_FALSE(fresh.isOpen());

    ExcelFile closed;
    ASSERT_EQ(closed.CreateFile(file.string()), 0);
    ASSERT_EQ(closed.CloseFile(), 0);
    const std::string before = readFile(file);
    for (const Call& call : everyOperation()) EXPECT_EQ(call(closed), 52);
    closed.PrintGridLines(true);
    closed.ProtectSpreadsheet(true);
    EXPECT_EQ(readFile(file), before);
}

TEST_F(ExcelFileTest, DestructorWritesTheOnlyEof) {
    {
        ExcelFile writer;
        ASSERT_EQ(writer.CreateFile(file.string()), 0);
        ASSERT_EQ(writer.SetCodePage(1252), 0);
    }
    EXPECT_EQ(hex(readFile(file)), kBof + " 42 00 02 00 E4 04 " + kEof);

    {
        ExcelFile writer;
        ASSERT_EQ(writer.CreateFile(file.string()), 0);
        ASSERT_EQ(writer.CloseFile(), 0);
    }
    EXPECT_EQ(hex(readFile(file)), kBof + " " + kEof);
}

TEST_F(ExcelFileTest, CreateFileReplacesAnExistingFile) {
    writeFile(file, std::string(5000, 'Z'));
    EXPECT_EQ(records([](ExcelFile&) {}), "");
    EXPECT_EQ(fs::file_size(file), 12u);

    // A read-only file in a writable folder is deleted, not truncated.
    writeFile(file, std::string(5000, 'Z'));
    fs::permissions(file, fs::perms::owner_read);
    EXPECT_EQ(records([](ExcelFile&) {}), "");
    EXPECT_EQ(fs::file_size(file), 12u);
}

TEST_F(ExcelFileTest, CreateFileResolvesBackslashPathsWhateverTheCase) {
    fs::create_directory(dir.path() / "Archivio");
    ExcelFile writer;
    ASSERT_EQ(writer.CreateFile(dir.path().string() + "\\archivio\\\\XLSClienti.xls"), 0);
    ASSERT_EQ(writer.CloseFile(), 0);
    EXPECT_EQ(hex(readFile(dir.path() / "Archivio" / "XLSClienti.xls")), kBof + " " + kEof);
}

TEST_F(ExcelFileTest, CreateFileFailures) {
    struct Case {
        fs::path path;
        std::int16_t number;
        std::string reason;
    };
    fs::create_directory(dir.path() / "cartella");
    for (const Case& c : {Case{dir.path() / "manca" / "x.xls", 76, "cartella inesistente"},
                          Case{dir.path() / "cartella", 75, "il nome indica una cartella"},
                          Case{"", 75, "nome del file mancante"}}) {
        ExcelFile writer;
        EXPECT_EQ(writer.CreateFile(c.path.string()), c.number) << c.path;
        EXPECT_EQ(writer.failureReason(), c.reason) << c.path;
        EXPECT_FALSE(writer.isOpen());
        EXPECT_EQ(writer.WriteValue(2, 0, 1, 0, 1, 1, "a"), 52);
        EXPECT_EQ(writer.CloseFile(), 52);
    }
    EXPECT_FALSE(fs::exists(dir.path() / "manca"));
    EXPECT_TRUE(fs::is_directory(dir.path() / "cartella"));
}

TEST_F(ExcelFileTest, CreateFileInAReadOnlyFolderIsPermissionDenied) {
    const fs::path locked = dir.path() / "bloccata";
    fs::create_directory(locked);
    writeFile(locked / "vecchio.xls", "old");
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
    if (std::FILE* probe = std::fopen((locked / "probe").c_str(), "wb")) {
        std::fclose(probe);
        GTEST_SKIP() << "folder permissions are not enforced for this user";
    }
    for (const char* name : {"nuovo.xls", "vecchio.xls"}) {
        ExcelFile writer;
        EXPECT_EQ(writer.CreateFile((locked / name).string()), 70) << name;
        EXPECT_EQ(writer.failureReason(), "accesso negato") << name;
        EXPECT_FALSE(writer.isOpen());
    }
    EXPECT_EQ(readFile(locked / "vecchio.xls"), "old");
}

TEST_F(ExcelFileTest, CreateFileClosesThePreviousFile) {
    const fs::path second = dir.path() / "secondo.xls";
    ExcelFile writer;
    ASSERT_EQ(writer.CreateFile(file.string()), 0);
    ASSERT_EQ(writer.WriteValue(2, 0, 1, 0, 1, 1, "a"), 0);
    ASSERT_EQ(writer.CreateFile(second.string()), 0);
    EXPECT_EQ(hex(readFile(file)), kBof + " 04 00 09 00 00 00 00 00 00 00 01 01 61 " + kEof);

    // A failed create leaves no file open, and the one before is complete.
    EXPECT_EQ(writer.CreateFile((dir.path() / "manca" / "x.xls").string()), 76);
    EXPECT_FALSE(writer.isOpen());
    EXPECT_EQ(hex(readFile(second)), kBof + " " + kEof);
}

TEST_F(ExcelFileTest, FullSizeSheetIsStreamedExactly) {
    constexpr int kRows = 32767, kCols = 22;
    std::string expected = "\x09\x00\x04\x00\x02\x00\x10\x00"s;
    {
        ExcelFile writer;
        ASSERT_EQ(writer.CreateFile(file.string()), 0);
        for (int r = 1; r <= kRows; ++r)
            for (int c = 1; c <= kCols; ++c) {
                ASSERT_EQ(writer.WriteValue(2, 0, 1, 0, r, c, "abc"), 0);
                const std::string rec = {'\x04', '\x00', '\x0B', '\x00',
                                         static_cast<char>((r - 1) & 0xFF), static_cast<char>((r - 1) >> 8),
                                         static_cast<char>(c - 1), '\x00', '\x00', '\x00', '\x01', '\x03',
                                         'a', 'b', 'c'};
                expected += rec;
            }
        ASSERT_EQ(writer.CloseFile(), 0);
    }
    expected += "\x0A\x00\x00\x00"s;
    const std::string actual = readFile(file);
    ASSERT_EQ(actual.size(), expected.size());
    EXPECT_TRUE(actual == expected);
}

TEST_F(ExcelFileTest, AFailedWriteIsReportedUntilClose) {
    // A file size limit stands in for a full disk.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 100'000;
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);

    std::int16_t failure = 0;
    std::int16_t after = 0, close = 0;
    std::string reason;
    {
        ExcelFile writer;
        ASSERT_EQ(writer.CreateFile(file.string()), 0);
        for (int r = 1; r <= 32767 && failure == 0; ++r) failure = writer.WriteValue(2, 0, 1, 0, r, 1, "abcdefgh");
        after = writer.SetCodePage(1252);
        close = writer.CloseFile();
        reason = writer.failureReason();
    }
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    EXPECT_EQ(failure, 61);
    EXPECT_EQ(after, 61);
    EXPECT_EQ(close, 61);
    EXPECT_EQ(reason, "disco pieno");
}

}  // namespace
