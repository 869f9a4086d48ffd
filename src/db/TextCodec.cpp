#include "db/TextCodec.h"

#include <iconv.h>

#include <array>
#include <bit>
#include <cerrno>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tessaro7::db {

namespace {

// Characters of the bytes 0x80..0x9F; the undefined five keep their own number.
constexpr std::array<char32_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

int cp1252ByteFor(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
    for (std::size_t i = 0; i < kHigh.size(); ++i)
        if (kHigh[i] == cp) return static_cast<int>(0x80 + i);
    return -1;
}

// How many bytes the sequence started by `lead` has; 0 when no sequence
// starts with it (a continuation byte, an overlong or an out of range lead).
std::size_t sequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

// Whether `c` may stand at position k (from 1) of the sequence started by
// `lead`: the second byte's range excludes overlong forms, surrogates and
// characters beyond U+10FFFF.
bool continues(unsigned char lead, std::size_t k, unsigned char c) {
    if (k == 1) {
        switch (lead) {
        case 0xE0: return c >= 0xA0 && c <= 0xBF;
        case 0xED: return c >= 0x80 && c <= 0x9F;
        case 0xF0: return c >= 0x90 && c <= 0xBF;
        case 0xF4: return c >= 0x80 && c <= 0x8F;
        default: break;
        }
    }
    return (c & 0xC0) == 0x80;
}

const unsigned char* bytesOf(std::string_view s) { return reinterpret_cast<const unsigned char*>(s.data()); }

// The end of the run of bytes below 0x80 from i, sixteen or eight at a time
// where it can.
std::size_t asciiRunEnd(const unsigned char* p, std::size_t i, std::size_t n) {
#if defined(__SSE2__)
    for (; i + 16 <= n; i += 16)
        if (const int high = _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i))))
            return i + static_cast<std::size_t>(std::countr_zero(static_cast<unsigned>(high)));
#endif
    for (std::uint64_t word; i + 8 <= n; i += 8) {
        std::memcpy(&word, p + i, 8);
        if (word & 0x8080808080808080ULL) break;
    }
    while (i < n && p[i] < 0x80) ++i;
    return i;
}

// Appends a single-byte text whose bytes below 0x80 are ASCII; `high` gives
// the character of each byte above.
template <typename High>
void appendSingleByte(std::string& out, std::string_view bytes, High high) {
    const unsigned char* p = bytesOf(bytes);
    for (std::size_t i = 0, n = bytes.size(); i < n;) {
        std::size_t end = asciiRunEnd(p, i, n);
        out.append(bytes.data() + i, end - i);
        if (end < n) {
            // Most are Latin-1 letters, two bytes each.
            const char32_t cp = high(p[end]);
            if (cp < 0x800) {
                const char two[2] = {static_cast<char>(0xC0 | (cp >> 6)), static_cast<char>(0x80 | (cp & 0x3F))};
                out.append(two, 2);
            } else {
                appendUtf8(out, cp);
            }
        }
        i = end + 1;
    }
}

// The Windows code page numbers whose iconv name is not "CP" and the number.
struct NamedCodePage {
    std::uint32_t number;
    const char* name;
};
constexpr NamedCodePage kIconvNames[] = {
    {10000, "MACINTOSH"},        {32768, "MACINTOSH"},  // how BIFF2 to BIFF4 mark Mac Roman
    {10007, "MAC-CYRILLIC"},     {10017, "MACUKRAINIAN"}, {10029, "MAC-CENTRALEUROPE"},
    {10079, "MAC-IS"},           {1200, "UTF-16LE"},    {1201, "UTF-16BE"},
    {20866, "KOI8-R"},           {21866, "KOI8-U"},     {28591, "ISO-8859-1"},
    {65001, "UTF-8"},
};

}  // namespace

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

Utf8Sequence utf8SequenceAt(const unsigned char* p, std::size_t n) {
    unsigned char lead = p[0];
    std::size_t length = sequenceLength(lead);
    if (length == 0) return {Utf8Sequence::Kind::Invalid, 1};
    char32_t cp = length == 1 ? lead : lead & (0x3F >> (length - 1));
    for (std::size_t k = 1; k < length; ++k) {
        if (k >= n) return {Utf8Sequence::Kind::Incomplete, k};
        // The lead and the continuation bytes that fitted are one invalid sequence.
        if (!continues(lead, k, p[k])) return {Utf8Sequence::Kind::Invalid, k};
        cp = (cp << 6) | (p[k] & 0x3F);
    }
    return {Utf8Sequence::Kind::Character, length, cp};
}

std::size_t asciiPrefixLength(std::string_view bytes) { return asciiRunEnd(bytesOf(bytes), 0, bytes.size()); }

bool isValidUtf8(std::string_view text) {
    Utf8Check check;
    check.add(text);
    return check.valid();
}

void Utf8Check::add(std::string_view piece) {
    if (!m_valid) return;
    while (!m_carry.empty()) {
        Utf8Sequence s = utf8SequenceAt(bytesOf(m_carry), m_carry.size());
        if (s.kind == Utf8Sequence::Kind::Invalid) {
            m_valid = false;
            return;
        }
        if (s.kind == Utf8Sequence::Kind::Character) {
            m_carry.clear();
            break;
        }
        if (piece.empty()) return;  // still cut: the next piece goes on with it
        m_carry += piece.front();
        piece.remove_prefix(1);
    }
    const unsigned char* p = bytesOf(piece);
    for (std::size_t i = 0, n = piece.size(); i < n;) {
        i = asciiRunEnd(p, i, n);
        if (i == n) break;
        Utf8Sequence s = utf8SequenceAt(p + i, n - i);
        if (s.kind == Utf8Sequence::Kind::Incomplete) {
            m_carry.assign(piece.substr(i));
            return;
        }
        if (s.kind == Utf8Sequence::Kind::Invalid) {
            m_valid = false;
            return;
        }
        i += s.length;
    }
}

std::size_t characterCount(std::string_view utf8) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < utf8.size(); ++count) {
        Utf8Sequence s = utf8SequenceAt(bytesOf(utf8) + i, utf8.size() - i);
        i += s.kind == Utf8Sequence::Kind::Character ? s.length : 1;
    }
    return count;
}

std::string leftCharacters(std::string_view utf8, std::size_t n) {
    std::size_t i = 0;
    for (std::size_t k = 0; k < n && i < utf8.size(); ++k) {
        Utf8Sequence s = utf8SequenceAt(bytesOf(utf8) + i, utf8.size() - i);
        i += s.kind == Utf8Sequence::Kind::Character ? s.length : 1;
    }
    return std::string(utf8.substr(0, i));
}

std::size_t appendUtf16(std::string& out, std::string_view bytes, bool bigEndian, std::string_view invalid) {
    const unsigned char* p = bytesOf(bytes);
    std::size_t n = bytes.size();
    auto unit = [&](std::size_t at) -> char32_t {
        return bigEndian ? static_cast<char32_t>(p[at] << 8 | p[at + 1]) : static_cast<char32_t>(p[at + 1] << 8 | p[at]);
    };
    std::size_t i = 0;
    while (i + 2 <= n) {
        char32_t u = unit(i);
        if (u < 0x80) {
            out += static_cast<char>(u);
            i += 2;
        } else if (u < 0xD800 || u > 0xDFFF) {
            appendUtf8(out, u);
            i += 2;
        } else if (u <= 0xDBFF) {
            if (i + 4 > n) break;
            char32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                appendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                i += 4;
            } else {
                out += invalid;  // a high surrogate without its low half
                i += 2;
            }
        } else {
            out += invalid;  // a low surrogate alone
            i += 2;
        }
    }
    return i;
}

std::size_t utf8ToCp1252(std::string_view utf8, char* out) {
    const unsigned char* p = bytesOf(utf8);
    std::size_t written = 0;
    for (std::size_t i = 0, n = utf8.size(); i < n;) {
        // Runs of ASCII are the same bytes in both: copied at once.
        const std::size_t end = asciiRunEnd(p, i, n);
        std::memcpy(out + written, utf8.data() + i, end - i);
        written += end - i;
        if ((i = end) == n) break;
        Utf8Sequence s = utf8SequenceAt(p + i, n - i);
        int b = s.kind == Utf8Sequence::Kind::Character ? cp1252ByteFor(s.cp) : -1;
        out[written++] = b < 0 ? '?' : static_cast<char>(b);
        i += s.kind == Utf8Sequence::Kind::Character ? s.length : 1;
    }
    return written;
}

std::string utf8ToCp1252(std::string_view utf8) {
    std::string out(utf8.size(), '\0');
    out.resize(utf8ToCp1252(utf8, out.data()));
    return out;
}

void appendCp1252(std::string& out, std::string_view bytes) {
    appendSingleByte(out, bytes, [](unsigned char b) { return b < 0xA0 ? kHigh[b - 0x80] : static_cast<char32_t>(b); });
}

std::string cp1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    appendCp1252(out, bytes);
    return out;
}

void appendLatin1(std::string& out, std::string_view bytes) {
    appendSingleByte(out, bytes, [](unsigned char b) { return static_cast<char32_t>(b); });
}

std::string latin1ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    appendLatin1(out, bytes);
    return out;
}

std::string iconvName(std::uint32_t codePage) {
    for (const NamedCodePage& named : kIconvNames)
        if (named.number == codePage) return named.name;
    return "CP" + std::to_string(codePage);
}

// An iconv descriptor, closed with its last user.
struct CodePage::Iconv {
    iconv_t handle;
    explicit Iconv(iconv_t h) : handle(h) {}
    ~Iconv() { iconv_close(handle); }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;
};

std::optional<CodePage> CodePage::open(std::uint32_t number) {
    // Windows-1252, US-ASCII and the Windows code page as BIFF2 to BIFF4 number it.
    if (number == 1252 || number == 367 || number == 32769) return CodePage(number, nullptr);
    iconv_t handle = iconv_open("UTF-8", iconvName(number).c_str());
    if (handle == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    return CodePage(number, std::make_shared<Iconv>(handle));
}

std::string CodePage::toUtf8(std::string_view bytes) const {
    if (!m_converter) return cp1252ToUtf8(bytes);
    iconv_t cd = m_converter->handle;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    std::string out;
    char buffer[1024];
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    while (inLeft > 0) {
        char* to = buffer;
        std::size_t toLeft = sizeof buffer;
        std::size_t done = iconv(cd, &in, &inLeft, &to, &toLeft);
        out.append(buffer, static_cast<std::size_t>(to - buffer));
        if (done != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
        // A byte the code page does not define, or a character cut by the end.
        out += "\xEF\xBF\xBD";
        if (errno == EINVAL) break;
        ++in;
        --inLeft;
    }
    return out;
}

}  // namespace tessaro7::db
