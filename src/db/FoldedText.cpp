#include "db/FoldedText.h"

namespace tessaro7::db {

namespace {

// Base letters of U+00C0..U+00FF ('*' = no letter, '2' = two letters).
constexpr std::string_view kLatin1Base =
    "aaaaaa2ceeeeiiiidnooooo*ouuuuyt2"
    "aaaaaa2ceeeeiiiidnooooo*ouuuuyty";
// Base letters of U+0100..U+017F.
constexpr std::string_view kLatinExtendedABase =
    "aaaaaaccccccccddddeeeeeeeeeegggggggghhhhiiiiiiiiiijjjjkkkllllllllllnnnnnnnnnoooooooorrrrrrssssssssttttttu"
    "uuuuuuuuuuuwwyyyzzzzzzs";

// Appends the folded form of one code point.
void appendFolded(char32_t cp, std::string_view raw, std::string& out) {
    if (cp < 0x80) {
        out += static_cast<char>(cp >= 'A' && cp <= 'Z' ? cp + 32 : cp);
    } else if (cp >= 0xC0 && cp <= 0xFF && kLatin1Base[cp - 0xC0] != '*') {
        char base = kLatin1Base[cp - 0xC0];
        if (base == '2')
            out += cp == 0xDF ? "ss" : "ae";
        else
            out += base;
    } else if (cp >= 0x100 && cp <= 0x17F) {
        out += kLatinExtendedABase[cp - 0x100];
    } else {
        out += raw;
    }
}

template <typename Each>
void forEachCodePoint(std::string_view s, Each each) {
    for (std::size_t i = 0; i < s.size();) {
        auto b = static_cast<unsigned char>(s[i]);
        std::size_t len = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 1;
        if (i + len > s.size()) len = 1;
        char32_t cp = len == 1 ? b : b & (0x3F >> (len - 1));
        for (std::size_t k = 1; k < len; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        each(cp, s.substr(i, len));
        i += len;
    }
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

std::string foldedText(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    std::string out;
    out.reserve(text.size());
    forEachCodePoint(text, [&](char32_t cp, std::string_view raw) { appendFolded(cp, raw, out); });
    return out;
}

std::string lettersAndDigits(std::string_view text) {
    std::string folded = foldedText(text), out;
    for (std::size_t i = 0; i < folded.size(); ++i) {
        auto c = static_cast<unsigned char>(folded[i]);
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c >= 0x80) out += folded[i];
    }
    return out;
}

}  // namespace tessaro7::db
