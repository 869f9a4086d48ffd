#include "import_text/FixedWidth.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace tessaro7::import_text {

namespace {
bool startsCharacter(char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }
}  // namespace

namespace {

// The continuation bytes (10xxxxxx) among the eight at `p`: one bit 7 each,
// moved to bit 0 and summed by a multiplication (the processor may have no
// population count).
std::size_t continuationBytes(const char* p) {
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    const std::uint64_t marks = (word & ~(word << 1) & 0x8080808080808080ULL) >> 7;
    return static_cast<std::size_t>((marks * 0x0101010101010101ULL) >> 56);
}

}  // namespace

std::size_t TextLine::byteOf(std::size_t character) const {
    if (character < m_character) m_character = m_byte = 0;
    const std::size_t size = m_text.size();
    while (m_character < character && m_byte < size) {
        // Eight bytes at a time, which start at most eight characters: the
        // continuation bytes of the last one, in the next word, go with it.
        if (character - m_character >= 8 && m_byte + 8 <= size && startsCharacter(m_text[m_byte])) {
            m_character += 8 - continuationBytes(m_text.data() + m_byte);
            m_byte += 8;
            while (m_byte < size && !startsCharacter(m_text[m_byte])) ++m_byte;
            continue;
        }
        ++m_byte;
        while (m_byte < size && !startsCharacter(m_text[m_byte])) ++m_byte;
        ++m_character;
    }
    return m_byte;
}

std::string_view TextLine::columns(std::size_t from, std::size_t count) const {
    const std::size_t begin = byteOf(from);
    if (begin >= m_text.size()) return {};
    const std::size_t end = byteOf(from + std::min(count, m_text.size()));
    return m_text.substr(begin, end - begin);
}

// Its bytes less the continuation bytes (10xxxxxx), counted eight at a time.
std::size_t columnCount(std::string_view utf8) {
    const char* p = utf8.data();
    const std::size_t n = utf8.size();
    std::size_t continuations = 0, i = 0;
    for (; i + 8 <= n; i += 8) continuations += continuationBytes(p + i);
    for (; i < n; ++i) continuations += !startsCharacter(p[i]);
    return n - continuations;
}

std::string_view cutField(const TextLine& line, int start, int width, int maximum) {
    std::size_t length = static_cast<std::size_t>(std::max(0, std::min(width, maximum)));
    std::string_view text = line.columns(static_cast<std::size_t>(std::max(start, 1) - 1), length);
    // Fields are padded to their width: the blanks go eight at a time.
    constexpr std::uint64_t kEightBlanks = 0x2020202020202020ULL;
    for (std::uint64_t word; text.size() >= 8; text.remove_suffix(8)) {
        std::memcpy(&word, text.data() + text.size() - 8, 8);
        if (word != kEightBlanks) break;
    }
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

}  // namespace tessaro7::import_text
