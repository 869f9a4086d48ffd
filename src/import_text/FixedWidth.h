#pragma once
// Fixed-width lines: one byte per column (Windows-1252), a tab is one column
// like any other byte. The one routine that cuts a field out of a line, used
// by the imports and by the preview alike.
#include <cstddef>
#include <string>
#include <string_view>

namespace tessaro7::import_text {

// The lines of a file's bytes. A line ends at CR, CRLF or LF (a file written
// on any platform reads the same); the line end is not part of the line; the
// last line needs no line end; a file that ends with a line end has no empty
// line after it, while two line ends in a row make an empty line.
class LineReader {
public:
    explicit LineReader(std::string_view bytes) : m_bytes(bytes) {}
    bool atEnd() const { return m_at >= m_bytes.size(); }
    // The next line, without its line end; call only when not at the end.
    std::string_view next();
    // Counts the lines still to read without returning them.
    std::size_t countRemaining() const;

private:
    // Where the next CR and the next LF stand (npos when there is none),
    // searched again only once passed: one pass over the file whatever its line ends.
    std::size_t nextOf(char c, std::size_t& cached);

    std::string_view m_bytes;
    std::size_t m_at = 0;
    std::size_t m_nextCr = 0;
    std::size_t m_nextLf = 0;
    bool m_searched = false;
};

// The stretch of `line` from column `start` (counted from 1) on, at most
// `width` bytes (a shorter line gives what there is, possibly nothing),
// shortened to its first `maximum` bytes, then stripped of trailing blanks
// (byte 32 only: leading blanks and tabs anywhere stay). The result points
// into `line`. Requires start >= 1 and width >= 0.
std::string_view cutField(std::string_view line, int start, int width, int maximum);

}  // namespace tessaro7::import_text

namespace tessaro7::import_text {

// The cut bytes (Windows-1252) as the text stored and shown (UTF-8).
std::string fieldText(std::string_view bytes);

}  // namespace tessaro7::import_text
