// The reading of a text file's lines in each encoding, and the scan that
// decides the encoding and finds what is not text.
#include "import_text/TextReader.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "import_text/Encoded.h"

namespace {

using namespace tessaro7::import_text;
using tessaro7::testing::encodedAs;
using tessaro7::testing::encodingCases;
using Lines = std::vector<std::string>;

struct Read {
    Lines lines;
    std::vector<long> invalid;  // lines (from 1) holding an invalid sequence
    std::vector<long> nul;      // lines holding a NUL
};

Read readAll(const std::string& bytes, TextEncoding encoding, std::size_t keep, std::size_t piece) {
    std::istringstream in(bytes);
    TextReader reader(in, encoding, keep, piece);
    Read read;
    while (reader.next()) {
        read.lines.emplace_back(reader.line().text());
        if (reader.hasInvalidSequence()) read.invalid.push_back(static_cast<long>(read.lines.size()));
        if (reader.hasNul()) read.nul.push_back(static_cast<long>(read.lines.size()));
    }
    EXPECT_FALSE(reader.failed());
    return read;
}

TextScan scan(const std::string& bytes, long maxLines = 25000) {
    std::istringstream in(bytes);
    return scanText(in, maxLines);
}

const std::size_t kPieces[] = {1, 2, 3, 4, 5, 7, 64, TextReader::kPieceBytes};

TEST(TextReader, LineEndsAndCharactersInEveryEncodingWhateverThePieceSize) {
    struct Case {
        std::string text;
        Lines lines;
    };
    const std::vector<Case> cases = {
        {"a\r\nb\r\nc", {"a", "b", "c"}},
        {"a\rb\rc", {"a", "b", "c"}},
        {"a\nb\nc", {"a", "b", "c"}},
        {"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
        {"a\r\nb\r\n", {"a", "b"}},  // a final line end adds no line
        {"a\nb\n", {"a", "b"}},
        {"a\rb\r", {"a", "b"}},
        {"a\r\n\r\n", {"a", ""}},  // two line ends make an empty line
        {"\r\n", {""}},
        {"a\n\rb", {"a", "", "b"}},  // LF then CR are two line ends
        {"", {}},
        {"a \t \r\nb", {"a \t ", "b"}},
        {"Società Àrte\r\nForlì €\r\n\r\nè", {"Società Àrte", "Forlì €", "", "è"}},
    };
    for (const auto& encoding : encodingCases())
        for (const Case& c : cases)
            for (std::size_t piece : kPieces) {
                Read read = readAll(encodedAs(c.text, encoding), encoding.expected, 1000, piece);
                EXPECT_EQ(read.lines, c.lines) << encoding.label << ", piece " << piece << ": " << c.text;
                EXPECT_TRUE(read.invalid.empty() && read.nul.empty()) << encoding.label << ": " << c.text;
            }
}

TEST(TextReader, CharactersBeyondWindows1252InUnicodeFiles) {
    const std::string text = "𝄞 ok\r\n日本\r\nz";
    for (const auto& encoding : encodingCases()) {
        if (encoding.expected == TextEncoding::Windows1252) continue;
        for (std::size_t piece : kPieces)
            EXPECT_EQ(readAll(encodedAs(text, encoding), encoding.expected, 100, piece).lines,
                      (Lines{"𝄞 ok", "日本", "z"}))
                << encoding.label << ", piece " << piece;
    }
}

TEST(TextReader, KeepsTheColumnsAskedForAndChecksTheWholeLine) {
    std::string line = "ABCDÈFGH" + std::string(300, 'x') + std::string(1, '\0') + "tail";
    for (const auto& encoding : encodingCases())
        for (std::size_t piece : {std::size_t{3}, TextReader::kPieceBytes}) {
            Read read = readAll(encodedAs(line + "\r\nÈÈÈÈÈÈ\r\n", encoding), encoding.expected, 5, piece);
            EXPECT_EQ(read.lines, (Lines{"ABCDÈ", "ÈÈÈÈÈ"})) << encoding.label;
            EXPECT_EQ(read.nul, (std::vector<long>{1})) << encoding.label;
            EXPECT_EQ(readAll(encodedAs(line, encoding), encoding.expected, 0, piece).lines, (Lines{""}));
        }
}

// The kept columns are counted in characters, eight bytes at a time where
// a line holds accents: a limit just below, at and above a line's length.
TEST(TextReader, KeepsColumnsByCharacterInLongAccentedLines) {
    const std::string line = "àèìòùÀÈÌÒÙ€ab";  // 13 characters, 26 bytes in UTF-8
    const struct {
        std::size_t keep;
        const char* kept;
    } cases[] = {{12, "àèìòùÀÈÌÒÙ€a"}, {13, "àèìòùÀÈÌÒÙ€ab"}, {14, "àèìòùÀÈÌÒÙ€ab"}, {4, "àèìò"}, {100, "àèìòùÀÈÌÒÙ€ab"}};
    for (const auto& c : cases)
        EXPECT_EQ(readAll(line + "\n", TextEncoding::Utf8, c.keep, TextReader::kPieceBytes).lines, (Lines{c.kept}))
            << c.keep;
}

TEST(TextReader, InvalidSequencesAreFoundOnTheirLineWhateverThePieceSize) {
    struct Case {
        TextEncoding encoding;
        std::string bytes;
        Lines lines;  // as read, an invalid sequence shown as 0xFF
        std::vector<long> invalid;
    };
    const std::vector<Case> cases = {
        // A sequence cut short by the line end, then a whole one.
        {TextEncoding::Utf8, "ok\r\nbad\xE2\x82\r\nok\xE2\x82\xAC", {"ok", "bad\xFF", "ok€"}, {2}},
        // A continuation byte alone, an overlong form, a surrogate, beyond U+10FFFF, a lead at the end.
        {TextEncoding::Utf8,
         "\x80\n\xC0\xAF\n\xED\xA0\x80\n\xF4\x90\x80\x80\nfine\xC3",
         {"\xFF", "\xFF\xFF", "\xFF\xFF\xFF", "\xFF\xFF\xFF\xFF", "fine\xFF"},
         {1, 2, 3, 4, 5}},
        // A high surrogate without its low half, a low one alone, an odd byte at the end.
        {TextEncoding::Utf16LE,
         std::string("\x00\xD8\x41\x00\n\x00\x00\xDC\n\x00z\x00\x41", 13),
         {"\xFF" "A", "\xFF", "z\xFF"},
         {1, 2, 3}},
        {TextEncoding::Utf16BE, std::string("\xD8\x34\xDD\x1E\x00\n\xD8\x00", 8), {"𝄞", "\xFF"}, {2}},
    };
    for (const Case& c : cases)
        for (std::size_t piece : kPieces) {
            Read read = readAll(c.bytes, c.encoding, 100, piece);
            EXPECT_EQ(read.lines, c.lines) << encodingName(c.encoding) << ", piece " << piece;
            EXPECT_EQ(read.invalid, c.invalid) << encodingName(c.encoding) << ", piece " << piece;
        }
}

TEST(ScanText, DecidesTheEncodingAndFindsTheFirstFlawedLine) {
    struct Case {
        const char* what;
        std::string bytes;
        TextEncoding encoding;
        long lines, notRead, flawedLine;
        bool nul;
    };
    const std::vector<Case> cases = {
        {"Windows-1252 accents", "Caff\xE8\r\nCitt\xE0", TextEncoding::Windows1252, 2, 0, 0, false},
        {"Windows-1252 with no multi-byte UTF-8", "PERCH\xC8 A\r\n\x80 5", TextEncoding::Windows1252, 2, 0, 0, false},
        {"Windows-1252 valid as UTF-8 up to its last line", "Caff\xC3\xA8\r\nx\r\nCitt\xE0",
         TextEncoding::Windows1252, 3, 0, 0, false},
        {"plain ASCII", "abc\r\ndef\r\n", TextEncoding::Windows1252, 2, 0, 0, false},
        {"UTF-8 without a mark", "Caff\xC3\xA8\r\nx", TextEncoding::Utf8, 2, 0, 0, false},
        {"UTF-8 mark, ASCII only", "\xEF\xBB\xBF" "abc", TextEncoding::Utf8, 1, 0, 0, false},
        {"UTF-8 mark alone", "\xEF\xBB\xBF", TextEncoding::Utf8, 0, 0, 0, false},
        {"UTF-16 LE mark", std::string("\xFF\xFE" "a\0\r\0\n\0b\0", 10), TextEncoding::Utf16LE, 2, 0, 0, false},
        {"UTF-16 BE mark", std::string("\xFE\xFF\0a\0\n\0b", 8), TextEncoding::Utf16BE, 2, 0, 0, false},
        {"NUL on line 2", std::string("a\r\nb\0c\r\nd", 9), TextEncoding::Windows1252, 2, 0, 2, true},
        {"invalid UTF-8 after a mark", "\xEF\xBB\xBF" "a\r\n\xC3(\r\nc", TextEncoding::Utf8, 2, 0, 2, false},
        {"UTF-16 NUL character", std::string("\xFF\xFE" "a\0\n\0\0\0", 8), TextEncoding::Utf16LE, 2, 0, 2, true},
        {"UTF-16 odd byte at the end", std::string("\xFF\xFE" "a\0b", 5), TextEncoding::Utf16LE, 1, 0, 1, false},
    };
    for (const Case& c : cases) {
        TextScan s = scan(c.bytes);
        EXPECT_EQ(s.encoding, c.encoding) << c.what;
        EXPECT_EQ(s.lines, c.lines) << c.what;
        EXPECT_EQ(s.notRead, c.notRead) << c.what;
        EXPECT_EQ(s.flawedLine, c.flawedLine) << c.what;
        EXPECT_EQ(s.flawIsNul, c.nul) << c.what;
        EXPECT_FALSE(s.failed) << c.what;
    }
}

TEST(ScanText, LinesBeyondTheLimitAreOnlyCounted) {
    // Neither the invalid UTF-8 nor the NUL of line 3 is read: the file is UTF-8.
    TextScan s = scan(std::string("\xC3\xA8\r\nb\r\n\xE8\0\r\nd", 12), 2);
    EXPECT_EQ(s.encoding, TextEncoding::Utf8);
    EXPECT_EQ(s.lines, 2);
    EXPECT_EQ(s.notRead, 2);
    EXPECT_EQ(s.flawedLine, 0);
}

}  // namespace

namespace {

// A file without a mark is scanned on its bytes; the answer is the one of
// reading and decoding every line, whatever the chunk its bytes come in,
// and a file with more lines than are read is left to that reading.
TEST(ScanText, PlainBytesTellWhatDecodedLinesTell) {
    const std::string pieces[] = {"abc", std::string(40, ' '), "\r\n", "\n", "\r", "\n\r", std::string(1, '\0'),
                                  "Citt\xC3\xA0", "\xE2\x82\xAC", "\xF0\x9D\x84\x9E", "\xE0", "\xC3", "\x80",
                                  "\xED\xA0\x80", "Caff\xE8"};
    std::mt19937 random(5);
    int plain = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string bytes;
        // Mostly text that is UTF-8 or plain, sometimes a flaw.
        const std::size_t kinds = round % 3 == 0 ? std::size(pieces) : 10;
        for (int k = 0, n = static_cast<int>(random() % 40); k < n; ++k) bytes += pieces[random() % kinds];
        if (bytes.starts_with("\xEF\xBB\xBF")) continue;
        const long maxLines = 1 + static_cast<long>(random() % 12);
        std::istringstream decoded(bytes), raw(bytes);
        const TextScan expected = scanDecodedLines(decoded, maxLines, std::nullopt);
        const std::optional<TextScan> s = scanPlainBytes(raw, maxLines, 1 + random() % 20);
        SCOPED_TRACE("round " + std::to_string(round) + ", limit " + std::to_string(maxLines));
        if (!s) {
            EXPECT_GT(expected.notRead, 0);
            continue;
        }
        ++plain;
        EXPECT_EQ(s->encoding, expected.encoding);
        EXPECT_EQ(s->lines, expected.lines);
        EXPECT_EQ(s->notRead, expected.notRead);
        EXPECT_EQ(s->flawedLine, expected.flawedLine);
        EXPECT_EQ(s->flawIsNul, expected.flawIsNul);
        EXPECT_FALSE(s->failed);
    }
    EXPECT_GT(plain, 1000);
}

}  // namespace
