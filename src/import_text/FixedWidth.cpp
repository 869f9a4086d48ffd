#include "import_text/FixedWidth.h"

#include <algorithm>

namespace tessaro7::import_text {

namespace {
bool startsCharacter(char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }
}  // namespace

void TextLine::assign(std::string_view utf8) {
    m_text = utf8;
    m_ascii = std::all_of(utf8.begin(), utf8.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    m_starts.clear();
    if (m_ascii) return;
    for (std::size_t i = 0; i < utf8.size(); ++i)
        if (startsCharacter(utf8[i])) m_starts.push_back(static_cast<std::uint32_t>(i));
    m_starts.push_back(static_cast<std::uint32_t>(utf8.size()));
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
