#include "db/QuotedText.h"

#include <vector>

namespace tessaro7::db {

namespace {

constexpr std::string_view kEllipsis = "…";

// Byte offsets where each UTF-8 character starts; a stray byte counts as one.
std::vector<std::size_t> characterStarts(std::string_view text) {
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < text.size(); ++i)
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 || starts.empty()) starts.push_back(i);
    return starts;
}

}  // namespace

std::string shortValue(std::string_view text) {
    std::vector<std::size_t> starts = characterStarts(text);
    if (starts.size() <= kQuotedLength) return std::string(text);
    return std::string(text.substr(0, starts[kQuotedLength - 1])) + std::string(kEllipsis);
}

std::string shortPath(std::string_view path) {
    std::string out;
    std::size_t start = 0;
    while (true) {
        std::size_t slash = path.find('/', start);
        out += shortValue(path.substr(start, slash == std::string_view::npos ? std::string_view::npos : slash - start));
        if (slash == std::string_view::npos) return out;
        out += '/';
        start = slash + 1;
    }
}

std::string quoteValue(std::string_view text) { return "'" + shortValue(text) + "'"; }

}  // namespace tessaro7::db
