// Hostile .ods and .xlsx packages, each previewed in a child process whose
// peak memory is measured (getrusage through wait4): refused with the
// reason, or read within 64 MB plus twice the file's size, and under 256 MB
// for a 1x1 grid.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>

#include "import_excel/SheetReader.h"
#include "support/BiffBytes.h"
#include "support/TempDir.h"
#include "support/ZipBuilder.h"

namespace {

using namespace tessaro7::import_excel;
using namespace tessaro7::testing;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

struct Outcome {
    std::string result;  // the first cell, or "!", the cause's number, a blank and the reason
    long peakMb = 0;     // the child's peak resident memory
};

long residentMb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6)) / 1024;
    return 0;
}

// Previews in a child process, which writes its result (the cells `cells`
// reads from the grid) to a pipe.
template <typename Preview, typename Cells>
Outcome inChild(Preview&& preview, Cells&& cells) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return {"!pipe", 0};
    pid_t child = fork();
    if (child == 0) {
        close(pipeFds[0]);
        std::string result;
        try {
            result = cells(preview().grid);
        } catch (const SheetReadError& e) {
            result = "!" + std::to_string(static_cast<int>(e.cause())) + " " + e.what();
        }
        ssize_t written = write(pipeFds[1], result.data(), result.size());
        _exit(written == static_cast<ssize_t>(result.size()) ? 0 : 1);
    }
    close(pipeFds[1]);
    Outcome out;
    char buffer[4096];
    for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) > 0;) out.result.append(buffer, static_cast<std::size_t>(n));
    close(pipeFds[0]);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) out.result = "!il processo figlio è terminato in modo anomalo";
    out.peakMb = usage.ru_maxrss / 1024;
    return out;
}

Outcome previewInChild(const std::string& bytes, long rows, long cols) {
    return inChild([&] { return readWorkbookBytes(bytes, "", rows, cols); },
                   [](const PreviewGrid& grid) { return std::string(grid.cell(0, 0)); });
}

std::string ods(const std::string& content, bool deflated = true) {
    ZipPart mimetype{"mimetype", "application/vnd.oasis.opendocument.spreadsheet", false};
    ZipPart part{"content.xml", content, deflated};
    return buildZip({mimetype, part}).bytes;
}

std::string odsContent(const std::string& rows) {
    return "<office:document-content xmlns:office=\"o\" xmlns:table=\"t\" xmlns:text=\"x\"><office:body><office:spreadsheet>"
           "<table:table table:name=\"F\">" + rows + "</table:table></office:spreadsheet></office:body></office:document-content>";
}

std::string xlsx(const std::string& sheetData, const std::string& strings) {
    const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
    return buildZip({{"xl/workbook.xml", "<workbook><sheets><sheet name=\"F\" r:id=\"r1\"/></sheets></workbook>"},
                     {"xl/_rels/workbook.xml.rels",
                      "<Relationships><Relationship Id=\"r1\" Type=\"" + rel + "worksheet\" Target=\"worksheets/s.xml\"/>"
                      "<Relationship Id=\"r2\" Type=\"" + rel + "sharedStrings\" Target=\"sharedStrings.xml\"/></Relationships>"},
                     {"xl/worksheets/s.xml", "<worksheet><sheetData>" + sheetData + "</sheetData></worksheet>"},
                     {"xl/sharedStrings.xml", "<sst>" + strings + "</sst>"}})
        .bytes;
}

std::string repeated(const std::string& text, std::size_t times) {
    std::string out;
    out.reserve(text.size() * times);
    for (std::size_t i = 0; i < times; ++i) out += text;
    return out;
}

TEST(HostilePackages, RefusedOrReadWithinTheMemoryBound) {
    const std::string bomb = odsContent(
        "<table:table-row table:number-rows-repeated=\"1048576\"><table:table-cell table:number-columns-repeated=\"16384\" "
        "office:value-type=\"string\"><text:p>bomba</text:p></table:table-cell></table:table-row>");
    const std::string threeRows = odsContent(repeated("<table:table-row><table:table-cell office:value-type=\"float\" "
                                                      "office:value=\"1\"/></table:table-row>", 3));
    // Cut inside the third row's cell.
    std::size_t third = threeRows.find("<table:table-row>");
    third = threeRows.find("<table:table-row>", threeRows.find("<table:table-row>", third + 1) + 1);
    const std::string cut = threeRows.substr(0, third + 40);
    ZipPart gigabytes{"content.xml", ""};
    gigabytes.packed = deflatedZeros(2048);
    gigabytes.declaredSize = 1000;
    ZipPart gigabytesDeclared = gigabytes;
    gigabytesDeclared.declaredSize = 0xFFFFF000;
    ZipPart mimetype{"mimetype", "application/vnd.oasis.opendocument.spreadsheet", false};
    struct Case {
        const char* what;
        std::string bytes;
        long rows, cols;
        std::string expected;                 // the first cell, or a name the reason must give
        std::optional<ReadFailure> refusedFor = std::nullopt;  // refused: the cause
    };
    const Case cases[] = {
        {"repeated rows and columns, 1x1 grid", ods(bomb), 1, 1, "bomba"},
        {"repeated rows and columns, 100x50 grid", ods(bomb), 100, 50, "bomba"},
        {"an entry inflating to 2 GB while declaring 1000 bytes", buildZip({mimetype, gigabytes}).bytes, 1, 1,
         "content.xml", ReadFailure::SizesDisagree},
        {"an entry declaring 4 GB", buildZip({mimetype, gigabytesDeclared}).bytes, 1, 1,
         "4095 MB", ReadFailure::TooLarge},
        {"a part cut inside row 3", ods(cut), 100, 1, "content.xml", ReadFailure::Truncated},
        // The table names are read from the whole part, so a cut anywhere is found.
        {"a part cut below the grid asked for", ods(cut), 2, 1, "content.xml", ReadFailure::Truncated},
        {"a document type declaration",
         ods("<!DOCTYPE d [<!ENTITY e \"<table:table-cell>INJECTED</table:table-cell>\">]>" + threeRows), 1, 1,
         "content.xml", ReadFailure::Dtd},
        {"a million empty shared strings", xlsx("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>999999</v></c></row>", repeated("<si><t/></si>", 1000000)),
         1, 1, ""},
        {"a million shared strings, the last one used",
         xlsx("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>999999</v></c></row>", repeated("<si><t>x</t></si>", 999999) + "<si><t>ultimo</t></si>"),
         1, 1, "ultimo"},
        {"a shared string past the last", xlsx("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>1000000</v></c></row>", repeated("<si><t/></si>", 1000000)),
         1, 1, "A1", ReadFailure::BadOffset},
    };
    const long baseline = residentMb();
    for (const Case& c : cases) {
        Outcome out = previewInChild(c.bytes, c.rows, c.cols);
        if (c.refusedFor) {
            const std::string cause = "!" + std::to_string(static_cast<int>(*c.refusedFor)) + " ";
            EXPECT_EQ(out.result.substr(0, cause.size()), cause) << c.what << ": " << out.result;
            EXPECT_NE(out.result.find(c.expected), std::string::npos) << c.what << ": " << out.result;
        } else {
            EXPECT_EQ(out.result, c.expected) << c.what;
        }
        std::printf("%s: %ld MB peak (file %zu KB)\n", c.what, out.peakMb, c.bytes.size() / 1024);
        if (kSanitized) continue;  // the sanitizers' own memory is not the reader's
        EXPECT_LE(out.peakMb - baseline, 64 + 2 * static_cast<long>(c.bytes.size() >> 20)) << c.what;
        if (c.rows == 1 && c.cols == 1) {
            EXPECT_LT(out.peakMb, 256) << c.what;
        }
    }
    if (kSanitized) std::printf("memory bounds not checked: built with AddressSanitizer\n");
}

// A BIFF8 worksheet stream: its BOF, the number 7 in A1, then `fillerMb`
// of records the reader passes over, and its EOF.
std::string bigWorksheetStream(std::size_t fillerMb) {
    using tessaro7::testing::biffRecord;
    using tessaro7::testing::le16s;
    std::string stream = biffRecord(0x0809, le16s(0x0600) + le16s(0x0010) + std::string(12, '\0'));
    double seven = 7;
    std::string number(8, '\0');
    std::memcpy(number.data(), &seven, 8);
    stream += biffRecord(0x0203, le16s(0) + le16s(0) + le16s(0) + number);
    const std::string filler = biffRecord(0x1234, std::string(8000, 'x'));
    stream.reserve(stream.size() + (fillerMb << 20) + filler.size() + 4);
    while (stream.size() < (fillerMb << 20)) stream += filler;
    return stream + biffRecord(0x000A, "");
}

// A compound file of 4096-byte sectors holding `stream` as "Workbook": its
// allocation table in as many sectors as it needs (up to the 109 the header
// lists, enough for 450 MB), then the directory, then the stream.
std::string bigCompoundFile(const std::string& stream) {
    using tessaro7::testing::CompoundFileBytes;
    using tessaro7::testing::le16s;
    using tessaro7::testing::le32s;
    constexpr std::size_t kSector = 4096, kPerFatSector = kSector / 4;
    const std::size_t streamSectors = (stream.size() + kSector - 1) / kSector;
    std::size_t fatSectors = 1;
    while (fatSectors * kPerFatSector < fatSectors + 1 + streamSectors) ++fatSectors;
    std::vector<std::uint32_t> fat(fatSectors, 0xFFFFFFFD);
    fat.push_back(0xFFFFFFFE);  // the directory, one sector
    const auto first = static_cast<std::uint32_t>(fatSectors + 1);
    for (std::size_t i = 0; i < streamSectors; ++i)
        fat.push_back(i + 1 == streamSectors ? 0xFFFFFFFE : first + static_cast<std::uint32_t>(i) + 1);
    fat.resize(fatSectors * kPerFatSector, 0xFFFFFFFF);
    std::string file("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    file.resize(0x18, '\0');
    file += le16s(0x3E) + le16s(4) + le16s(0xFFFE) + le16s(12) + le16s(6);
    file.resize(0x2C, '\0');
    file += le32s(static_cast<std::uint32_t>(fatSectors)) + le32s(first - 1) + le32s(0) + le32s(4096) +
            le32s(0xFFFFFFFE) + le32s(0) + le32s(0xFFFFFFFE) + le32s(0);
    for (std::size_t i = 0; i < 109; ++i) file += le32s(i < fatSectors ? static_cast<std::uint32_t>(i) : 0xFFFFFFFF);
    file.resize(kSector, '\0');
    file.reserve(kSector * (fatSectors + 2) + stream.size());
    for (std::uint32_t n : fat) file += le32s(n);
    std::string directory = CompoundFileBytes::entry("Root Entry", 5, 0xFFFFFFFE, 0) +
                            CompoundFileBytes::entry("Workbook", 2, first, static_cast<std::uint32_t>(stream.size()));
    directory.resize(kSector, '\0');
    return file + directory + stream;
}

// A workbook of 300 MB, most of it what a 1x1 preview does not need (a part
// the sheet does not use, records below the grid), is read from its file a
// piece at a time: the preview takes far less memory than the file.
TEST(HostilePackages, AHugeWorkbookIsReadFromItsFileWithinTheMemoryBound) {
    TempDir dir;
    const std::size_t bigMb = kSanitized ? 40 : 300;
    const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
    const std::string odsCells = odsContent("<table:table-row><table:table-cell office:value-type=\"string\"><text:p>7</text:p>"
                                            "</table:table-cell></table:table-row>");
    auto unusedPart = [&] { return ZipPart{"media/grande.bin", std::string(bigMb << 20, 'x'), false}; };
    struct Case {
        const char* name;
        std::function<std::string()> build;
    };
    const Case cases[] = {
        {"grande.xlsx",
         [&] {
             return buildZip({{"xl/workbook.xml", "<workbook><sheets><sheet name=\"F\" r:id=\"r1\"/></sheets></workbook>"},
                              {"xl/_rels/workbook.xml.rels", "<Relationships><Relationship Id=\"r1\" Type=\"" + rel +
                                                                 "worksheet\" Target=\"worksheets/s.xml\"/></Relationships>"},
                              unusedPart(),
                              {"xl/worksheets/s.xml", "<worksheet><sheetData><row r=\"1\"><c r=\"A1\"><v>7</v></c></row>"
                                                      "</sheetData></worksheet>"}})
                 .bytes;
         }},
        {"grande.ods",
         [&] {
             return buildZip({{"mimetype", "application/vnd.oasis.opendocument.spreadsheet", false}, unusedPart(),
                              {"content.xml", odsCells}})
                 .bytes;
         }},
        {"grande.xls", [&] { return bigCompoundFile(bigWorksheetStream(bigMb)); }},
        {"flusso-nudo.xls", [&] { return bigWorksheetStream(bigMb); }},
    };
    for (const Case& c : cases) {
        std::size_t fileMb = 0;
        {
            const std::string bytes = c.build();
            fileMb = bytes.size() >> 20;
            std::ofstream(dir / c.name, std::ios::binary) << bytes;
        }
        const long baseline = residentMb();  // the child starts with what this process holds
        Outcome out = inChild([&] { return readSheet((dir / c.name).string(), "", 1, 1); },
                              [](const PreviewGrid& grid) { return std::string(grid.cell(0, 0)); });
        std::filesystem::remove(dir / c.name);  // one such file at a time on the disk
        EXPECT_EQ(out.result, "7") << c.name;
        std::printf("%s of %zu MB, 1x1 grid: %ld MB peak\n", c.name, fileMb, out.peakMb);
        if (kSanitized) continue;
        EXPECT_LT(out.peakMb - baseline, 64) << c.name;
        EXPECT_LT(out.peakMb, 256) << c.name;
    }
}

// A list saved as text with one field of 300 MB (quoted, holding
// separators and line ends) is read a piece at a time: the field keeps its
// first 64 KiB, the rows after it are read, and memory stays far below the
// file's size.
TEST(HostilePackages, AHugeCsvFieldIsReadWithinTheMemoryBound) {
    TempDir dir;
    const auto file = dir / "enorme.csv";
    // The sanitizers slow reading and their memory is not the reader's: a smaller field then.
    const std::size_t fieldMb = kSanitized ? 40 : 300;
    const std::string unit = "abc;\r\ndef";
    {
        std::ofstream out(file, std::ios::binary);
        out << "Nome;Note\nRossi;\"";
        const std::string piece = repeated(unit, 1 << 16);
        for (std::size_t written = 0; written < (fieldMb << 20); written += piece.size()) out << piece;
        out << "\"\nBianchi;dopo\n";
    }
    const long baseline = residentMb();
    struct Case {
        long rows, cols;
        std::string expected;
    };
    const std::string kept = repeated(unit, (64 << 10) / unit.size() + 1).substr(0, 64 << 10);
    const Case cases[] = {{1, 1, "Nome"}, {3, 2, "Rossi|" + kept + "|Bianchi|dopo"}};
    for (const Case& c : cases) {
        Outcome out = inChild([&] { return readSheet(file.string(), "", c.rows, c.cols); },
                              [](const PreviewGrid& grid) {
                                  if (grid.PreviewRows() == 1) return std::string(grid.cell(0, 0));
                                  return std::string(grid.cell(1, 0)) + "|" + std::string(grid.cell(1, 1)) + "|" +
                                         std::string(grid.cell(2, 0)) + "|" + std::string(grid.cell(2, 1));
                              });
        EXPECT_EQ(out.result, c.expected) << c.rows << "x" << c.cols;
        std::printf("a %zu MB field, %ldx%ld grid: %ld MB peak\n", fieldMb, c.rows, c.cols, out.peakMb);
        if (kSanitized) continue;
        EXPECT_LT(out.peakMb - baseline, 64) << c.rows << "x" << c.cols;
    }
}

}  // namespace
