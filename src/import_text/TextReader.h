#pragma once
// The lines of a text file, read piece by piece in its encoding: memory stays
// bounded by the piece and by the columns asked for, whatever the file holds.
#include <cstddef>
#include <istream>
#include <optional>
#include <memory>
#include <string>

#include "import_text/FixedWidth.h"
#include "import_text/TextEncoding.h"

namespace tessaro7::import_text {

// Reads lines from `in` (positioned at the file's start), skipping the
// byte-order mark of `encoding`. A line ends at CR, CRLF or LF (characters,
// in every encoding); the line end is not part of the line; the last line
// needs no line end; a file ending with a line end has no empty line after it.
// Of each line only its first `keepColumns` characters are kept; the rest is
// read through but not held.
class TextReader {
public:
    static constexpr std::size_t kPieceBytes = 256 * 1024;

    TextReader(std::istream& in, TextEncoding encoding, std::size_t keepColumns,
               std::size_t pieceBytes = kPieceBytes);

    // Reads the next line; false at the end of the file or when it cannot be read further.
    bool next();
    // The kept characters of the line just read, as UTF-8.
    const TextLine& line() const { return m_line; }
    // What the whole line just read holds, the part not kept included.
    bool hasNul() const { return m_nul; }
    bool hasInvalidSequence() const { return m_invalid; }
    bool hasNonAscii() const { return m_nonAscii; }
    // The file could not be read to its end.
    bool failed() const { return m_failed; }

private:
    bool refill();
    // Notes what a stretch of the line holds and keeps what fits of it.
    void keepPartOfLine(const char* p, std::size_t n);

    std::istream& m_in;
    Utf8Transcoder m_transcoder;
    TextEncoding m_encoding;
    std::size_t m_keep;
    std::size_t m_pieceBytes;
    // The piece read from the file; left unfilled, since a short file uses
    // only its start and filling it would cost more than reading the file.
    std::unique_ptr<char[]> m_raw;
    std::size_t m_rawSize;
    std::string m_piece;  // the piece as UTF-8
    std::size_t m_at = 0;
    std::size_t m_nextCr = 0;
    std::size_t m_nextLf = 0;
    bool m_started = false;
    bool m_ended = false;
    bool m_failed = false;
    bool m_skipLf = false;  // the last line ended with CR: an LF next belongs to it

    std::string m_kept;
    std::size_t m_keptColumns = 0;
    TextLine m_line;
    bool m_nul = false;
    bool m_invalid = false;
    bool m_nonAscii = false;
};

}  // namespace tessaro7::import_text

namespace tessaro7::import_text {

// What one reading of a file's first lines finds out before a run cuts any.
struct TextScan {
    TextEncoding encoding = TextEncoding::Windows1252;
    long lines = 0;       // the lines a run reads (at most its limit)
    long notRead = 0;     // the lines after those
    long flawedLine = 0;  // the first line read holding a NUL or an invalid sequence (from 1); 0 when none
    bool flawIsNul = false;
    bool failed = false;  // the file could not be read to its end
};

// Reads the whole file from `in` once, holding no line: the first `maxLines`
// lines decide the encoding and are checked, the rest only counted. The
// encoding: the one of a byte-order mark at the start; otherwise UTF-8 when
// every byte read is valid UTF-8 and at least one character has more than one
// byte; otherwise Windows-1252. The scan stops at the first flawed line.
TextScan scanText(std::istream& in, long maxLines);
// The same for a file without a byte-order mark, on its bytes as they are
// (no line is decoded), `chunkBytes` at a time; nothing when the file has
// more lines than `maxLines` (the general scan then counts them).
std::optional<TextScan> scanPlainBytes(std::istream& in, long maxLines, std::size_t chunkBytes = 1 << 20);
// The same by reading and decoding every line, in the encoding of `bom`
// (UTF-8 first when there is none).
TextScan scanDecodedLines(std::istream& in, long maxLines, std::optional<TextEncoding> bom);

}  // namespace tessaro7::import_text
