#include "import_text/FixedWidth.h"

#include <algorithm>
#include <cstring>

namespace tessaro7::import_text {

namespace {
bool startsCharacter(char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }
}  // namespace

void TextLine::assign(std::string_view utf8) {
    m_text = utf8;
    std::size_t i = 0;
    for (std::uint64_t word; i + 8 <= utf8.size(); i += 8) {
        std::memcpy(&word, utf8.data() + i, 8);
        if (word & 0x8080808080808080ULL) break;
    }
    while (i < utf8.size() && static_cast<unsigned char>(utf8[i]) < 0x80) ++i;
    m_ascii = i == utf8.size();
    if (m_ascii) return;
    // Every line of a file with accents needs this index: one pass, no growing.
    m_starts.resize(utf8.size() + 1);
    std::size_t characters = 0;
    for (std::size_t at = 0; at < utf8.size(); ++at) {
        m_starts[characters] = static_cast<std::uint32_t>(at);
        characters += startsCharacter(utf8[at]);
    }
    m_starts[characters] = static_cast<std::uint32_t>(utf8.size());
    m_starts.resize(characters + 1);
}

std::string_view TextLine::columns(std::size_t from, std::size_t count) const {
    if (m_ascii) return from >= m_text.size() ? std::string_view{} : m_text.substr(from, count);
    std::size_t characters = m_starts.size() - 1;
    if (from >= characters) return {};
    std::size_t to = from + std::min(count, characters - from);
    return m_text.substr(m_starts[from], m_starts[to] - m_starts[from]);
}

std::size_t columnCount(std::string_view utf8) {
    return static_cast<std::size_t>(std::count_if(utf8.begin(), utf8.end(), startsCharacter));
}

std::string_view cutField(const TextLine& line, int start, int width, int maximum) {
    std::size_t length = static_cast<std::size_t>(std::max(0, std::min(width, maximum)));
    std::string_view text = line.columns(static_cast<std::size_t>(std::max(start, 1) - 1), length);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

}  // namespace tessaro7::import_text
