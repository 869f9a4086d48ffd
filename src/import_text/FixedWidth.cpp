#include "import_text/FixedWidth.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tessaro7::import_text {

namespace {

bool startsCharacter(char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }

// The continuation bytes (10xxxxxx) among the eight at `p`: one bit 7 each,
// moved to bit 0 and summed by a multiplication (the processor may have no
// population count).
std::size_t continuationBytes(const char* p) {
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    const std::uint64_t marks = (word & ~(word << 1) & 0x8080808080808080ULL) >> 7;
    return static_cast<std::size_t>((marks * 0x0101010101010101ULL) >> 56);
}

// The bits set in a 16-bit mask (the processor may have no population count).
unsigned bitsSet(unsigned mask) {
    mask -= (mask >> 1) & 0x5555u;
    mask = (mask & 0x3333u) + ((mask >> 2) & 0x3333u);
    mask = (mask + (mask >> 4)) & 0x0F0Fu;
    return (mask + (mask >> 8)) & 0x1Fu;
}

#if defined(__SSE2__)
// Each of the sixteen bytes at `p` as 0xFF where it is a continuation byte, 0 where not.
__m128i continuationLanes(const char* p) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i lead = _mm_and_si128(bytes, _mm_set1_epi8(static_cast<char>(0xC0)));
    return _mm_cmpeq_epi8(lead, _mm_set1_epi8(static_cast<char>(0x80)));
}

unsigned continuationMarks(const char* p) { return static_cast<unsigned>(_mm_movemask_epi8(continuationLanes(p))); }
#endif

// The continuation bytes among text[from, to): sixteen at a time where it can.
std::size_t continuationsIn(std::string_view text, std::size_t from, std::size_t to) {
    const char* p = text.data();
    std::size_t count = 0;
#if defined(__SSE2__)
    // Whole blocks: each byte lane counts its marks (at most 255 blocks at a
    // time), and the lanes are summed at the end.
    while (from + 16 <= to) {
        __m128i lanes = _mm_setzero_si128();
        for (int blocks = 0; blocks < 255 && from + 16 <= to; ++blocks, from += 16)
            lanes = _mm_sub_epi8(lanes, continuationLanes(p + from));
        const __m128i sums = _mm_sad_epu8(lanes, _mm_setzero_si128());
        count += static_cast<std::size_t>(_mm_cvtsi128_si32(sums) + _mm_extract_epi16(sums, 4));
    }
    // The last few: sixteen bytes read where the text has them, the ones after `to` left out.
    if (from < to && from + 16 <= text.size()) return count + bitsSet(continuationMarks(p + from) & ((1u << (to - from)) - 1));
#endif
    for (; from + 8 <= to; from += 8) count += continuationBytes(p + from);
    for (; from < to; ++from) count += !startsCharacter(p[from]);
    return count;
}

}  // namespace

// Where the continuation bytes stand, found once per line: a character's
// start is then its number plus the continuation bytes before it.
void TextLine::index() const {
    m_continuations.clear();
    const char* p = m_text.data();
    const std::size_t size = m_text.size();
    std::size_t at = 0;
#if defined(__SSE2__)
    for (; at + 16 <= size; at += 16) {
        for (unsigned marks = continuationMarks(p + at); marks; marks &= marks - 1) m_continuations.push_back(at + static_cast<std::size_t>(std::countr_zero(marks)));
    }
#endif
    for (; at < size; ++at)
        if (!startsCharacter(p[at])) m_continuations.push_back(at);
    m_indexed = true;
}

// From the last character found: its distance in bytes, plus one byte for
// each continuation byte within (or at) the stretch.
std::size_t TextLine::byteOf(std::size_t character) const {
    if (!m_indexed) index();
    if (character < m_character) m_character = m_byte = m_nextContinuation = 0;
    const std::size_t size = m_text.size();
    std::size_t byte = m_byte + std::min(character - m_character, size - m_byte);
    std::size_t& next = m_nextContinuation;
    while (next < m_continuations.size() && m_continuations[next] <= byte && byte < size) {
        ++byte;
        ++next;
    }
    m_character = character;
    m_byte = byte;
    return byte;
}

std::string_view TextLine::columns(std::size_t from, std::size_t count) const {
    const std::size_t begin = byteOf(from);
    if (begin >= m_text.size()) return {};
    const std::size_t end = byteOf(from + std::min(count, m_text.size()));
    return m_text.substr(begin, end - begin);
}

// Its bytes less the continuation bytes (10xxxxxx), counted eight at a time.
std::size_t columnCount(std::string_view utf8) {
    return utf8.size() - continuationsIn(utf8, 0, utf8.size());
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
