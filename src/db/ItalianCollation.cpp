#include "db/ItalianCollation.h"

#include <algorithm>
#include <string>

namespace tessaro7::db {

namespace {

// Base letters of U+00C0..U+00FF ('*' = no letter, '2' = two-letter expansion).
constexpr std::string_view kLatin1 =
    "AAAAAA2CEEEEIIIIDNOOOOO*OUUUUYT2"
    "aaaaaa2ceeeeiiiidnooooo*ouuuuyty";
// Base letters of U+0100..U+017F.
constexpr std::string_view kLatinExtendedA =
    "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIiIiJjKkkLlLlLlLlLlNnNnNnnNnOoOoOoOoRrRrRrSsSsSsSsTtTtTtUuUuUuUuUuUuWwYyYZzZzZzs";

struct Weight {
    char32_t primary;    // the base letter, lower case
    int secondary;       // 0 plain, otherwise the accented character
    int tertiary;        // 0 lower case, 1 upper case
};

char32_t lower(char32_t c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; }

// The weights of one character: one, or two for the letters that expand.
int weightsOf(char32_t cp, Weight out[2]) {
    int upper = (cp >= 'A' && cp <= 'Z') || (cp >= 0xC0 && cp <= 0xDE) ||
                (cp >= 0x100 && cp <= 0x17F && cp % 2 == 0);
    if (cp >= 0xC0 && cp <= 0xFF && kLatin1[cp - 0xC0] != '*') {
        char base = kLatin1[cp - 0xC0];
        int accent = static_cast<int>(cp);
        if (base == '2') {  // Æ æ ß expand to two letters
            const char* pair = cp == 0xDF ? "ss" : "ae";
            out[0] = {static_cast<char32_t>(pair[0]), accent, upper};
            out[1] = {static_cast<char32_t>(pair[1]), accent, upper};
            return 2;
        }
        out[0] = {lower(static_cast<char32_t>(base)), accent, upper};
        return 1;
    }
    if (cp >= 0x100 && cp <= 0x17F) {
        out[0] = {lower(static_cast<char32_t>(kLatinExtendedA[cp - 0x100])), static_cast<int>(cp), upper};
        return 1;
    }
    out[0] = {lower(cp), 0, upper};
    return 1;
}

// The weights of a text, one at a time: sorting calls the comparison very
// often, and most texts differ in their first letters.
class WeightReader {
public:
    explicit WeightReader(std::string_view s) : m_s(s) {}

    bool next(Weight& w) {
        if (m_pending) {
            w = m_buffer[1];
            m_pending = false;
            return true;
        }
        if (m_i >= m_s.size()) return false;
        auto b = static_cast<unsigned char>(m_s[m_i]);
        std::size_t len = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 1;
        if (m_i + len > m_s.size()) len = 1;
        char32_t cp = len == 1 ? b : b & (0x3F >> (len - 1));
        for (std::size_t k = 1; k < len; ++k) cp = (cp << 6) | (static_cast<unsigned char>(m_s[m_i + k]) & 0x3F);
        m_i += len;
        m_pending = weightsOf(cp, m_buffer) == 2;
        w = m_buffer[0];
        return true;
    }

private:
    std::string_view m_s;
    std::size_t m_i = 0;
    Weight m_buffer[2];
    bool m_pending = false;
};

template <typename Get>
int compareLevel(std::string_view a, std::string_view b, Get get) {
    WeightReader ra(a), rb(b);
    Weight x{}, y{};
    for (;;) {
        const bool hasA = ra.next(x), hasB = rb.next(y);
        if (!hasA || !hasB) return hasA == hasB ? 0 : (hasA ? 1 : -1);
        auto wx = get(x), wy = get(y);
        if (wx != wy) return wx < wy ? -1 : 1;
    }
}

}  // namespace

int compareItalian(std::string_view a, std::string_view b) {
    // Plain letters weigh one each, so the first plain letters that differ
    // other than by case decide at once.
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 0x80 || y >= 0x80) break;
        const char32_t lx = lower(x), ly = lower(y);
        if (lx != ly) return lx < ly ? -1 : 1;
    }
    if (int c = compareLevel(a, b, [](const Weight& w) { return w.primary; })) return c;
    if (int c = compareLevel(a, b, [](const Weight& w) { return w.secondary; })) return c;
    if (int c = compareLevel(a, b, [](const Weight& w) { return w.tertiary; })) return c;
    return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
}

}  // namespace tessaro7::db
