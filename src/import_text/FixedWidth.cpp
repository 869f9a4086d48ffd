#include "import_text/FixedWidth.h"

#include <algorithm>

namespace tessaro7::import_text {

std::string_view LineReader::next() {
    std::size_t end = m_rest.find_first_of("\r\n");
    if (end == std::string_view::npos) {
        std::string_view line = m_rest;
        m_rest = {};
        return line;
    }
    std::string_view line = m_rest.substr(0, end);
    std::size_t after = end + 1;
    if (m_rest[end] == '\r' && after < m_rest.size() && m_rest[after] == '\n') ++after;
    m_rest.remove_prefix(after);
    return line;
}

std::size_t LineReader::countRemaining() const {
    LineReader copy = *this;
    std::size_t count = 0;
    while (!copy.atEnd()) {
        copy.next();
        ++count;
    }
    return count;
}

std::string_view cutField(std::string_view line, int start, int width, int maximum) {
    auto from = static_cast<std::size_t>(start - 1);
    if (from >= line.size()) return {};
    std::size_t length = std::min<std::size_t>(static_cast<std::size_t>(std::max(width, 0)),
                                               static_cast<std::size_t>(std::max(maximum, 0)));
    std::string_view text = line.substr(from, length);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

}  // namespace tessaro7::import_text
