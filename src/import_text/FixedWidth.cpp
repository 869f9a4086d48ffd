#include "import_text/FixedWidth.h"

#include <algorithm>
#include <cstring>

#include "db/Cp1252.h"

namespace tessaro7::import_text {

std::size_t LineReader::nextOf(char c, std::size_t& cached) {
    if (!m_searched || (cached != std::string_view::npos && cached < m_at)) {
        const void* found = std::memchr(m_bytes.data() + m_at, c, m_bytes.size() - m_at);
        cached = found ? static_cast<std::size_t>(static_cast<const char*>(found) - m_bytes.data())
                       : std::string_view::npos;
    }
    return cached;
}

std::string_view LineReader::next() {
    std::size_t cr = nextOf('\r', m_nextCr);
    std::size_t lf = nextOf('\n', m_nextLf);
    m_searched = true;
    std::size_t end = std::min(cr, lf);
    if (end == std::string_view::npos) {
        std::string_view line = m_bytes.substr(m_at);
        m_at = m_bytes.size();
        return line;
    }
    std::string_view line = m_bytes.substr(m_at, end - m_at);
    m_at = end + 1;
    if (end == cr && m_at < m_bytes.size() && m_bytes[m_at] == '\n') ++m_at;
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

std::string fieldText(std::string_view bytes) {
    // Most fields are plain ASCII, which reads the same in both code pages.
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return std::string(bytes);
    return db::cp1252ToUtf8(bytes);
}

}  // namespace tessaro7::import_text
