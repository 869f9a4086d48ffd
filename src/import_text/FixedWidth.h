#pragma once
// Fixed-width lines: one column per character, whatever the file's encoding
// (a tab is one column like any other character). The one routine that cuts a
// field out of a line, used by the imports and by the preview alike.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace tessaro7::import_text {

// A line as UTF-8, addressed by character. It views the text it is given.
class TextLine {
public:
    TextLine() = default;
    TextLine(std::string_view utf8) { assign(utf8); }
    void assign(std::string_view utf8) {
        m_text = utf8;
        m_character = m_byte = m_nextContinuation = 0;
        m_indexed = false;
    }

    std::string_view text() const { return m_text; }
    // The characters from position `from` (counted from 0) on, at most
    // `count` of them: what the line has, possibly nothing.
    std::string_view columns(std::size_t from, std::size_t count) const;

private:
    // Where character `character` starts (the text's end when it has fewer).
    std::size_t byteOf(std::size_t character) const;
    void index() const;

    std::string_view m_text;
    // The positions of the continuation bytes, ascending, once a field is cut.
    mutable std::vector<std::size_t> m_continuations;
    mutable bool m_indexed = false;
    // Fields are cut left to right: the last character found, where it
    // starts and the first continuation byte after it are where the next
    // search begins.
    mutable std::size_t m_character = 0;
    mutable std::size_t m_byte = 0;
    mutable std::size_t m_nextContinuation = 0;
};

// The number of characters of a UTF-8 text.
std::size_t columnCount(std::string_view utf8);

// The stretch of `line` from column `start` (counted from 1) on, at most
// `width` characters (a shorter line gives what there is, possibly nothing),
// shortened to its first `maximum` characters, then stripped of trailing
// blanks (character 32 only: leading blanks and tabs anywhere stay). The
// result points into the line's text. Requires start >= 1 and width >= 0.
std::string_view cutField(const TextLine& line, int start, int width, int maximum);

}  // namespace tessaro7::import_text
