#include "import_text/TextEncoding.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "db/Cp1252.h"

namespace tessaro7::import_text {

namespace {

struct Bom {
    TextEncoding encoding;
    std::string_view bytes;
};
// UTF-8 first: its mark shares no prefix with the two UTF-16 marks.
constexpr Bom kBoms[] = {
    {TextEncoding::Utf8, "\xEF\xBB\xBF"},
    {TextEncoding::Utf16LE, "\xFF\xFE"},
    {TextEncoding::Utf16BE, "\xFE\xFF"},
};

// The UTF-8 of the bytes 0x80 to 0xFF of Windows-1252, taken once from the
// program's own conversion.
const std::array<std::string, 128>& highBytes() {
    static const std::array<std::string, 128> table = [] {
        std::array<std::string, 128> t;
        for (std::size_t b = 0; b < t.size(); ++b) t[b] = db::cp1252ToUtf8(std::string(1, static_cast<char>(0x80 + b)));
        return t;
    }();
    return table;
}

// The end of the run of bytes below 0x80 from i, eight at a time where it can.
std::size_t asciiRunEnd(const unsigned char* p, std::size_t i, std::size_t n) {
    for (std::uint64_t word; i + 8 <= n; i += 8) {
        std::memcpy(&word, p + i, 8);
        if (word & 0x8080808080808080ULL) break;
    }
    while (i < n && p[i] < 0x80) ++i;
    return i;
}

// How many bytes the UTF-8 sequence started by `lead` has; 0 when no
// sequence starts with it (a continuation byte, an overlong or an out of range lead).
int sequenceLength(unsigned char lead) {
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

using db::appendUtf8;

std::size_t decodeWindows1252(const unsigned char* p, std::size_t n, std::string& out) {
    const auto& high = highBytes();
    for (std::size_t i = 0; i < n;) {
        std::size_t end = asciiRunEnd(p, i, n);
        out.append(reinterpret_cast<const char*>(p + i), end - i);
        if (end < n) out += high[p[end] - 0x80];
        i = end + 1;
    }
    return n;
}

std::size_t decodeUtf8(const unsigned char* p, std::size_t n, std::size_t stopAfter, std::string& out) {
    std::size_t i = 0;
    while (i < stopAfter) {
        std::size_t end = asciiRunEnd(p, i, n);
        if (end > i) {
            out.append(reinterpret_cast<const char*>(p + i), end - i);
            i = end;
            continue;
        }
        unsigned char lead = p[i];
        auto length = static_cast<std::size_t>(sequenceLength(lead));
        if (length == 0) {
            out += kInvalidMark;
            ++i;
            continue;
        }
        std::size_t k = 1;
        for (; k < length; ++k) {
            if (i + k >= n) return i;
            if (!continues(lead, k, p[i + k])) break;
        }
        if (k < length) {
            // The lead and the continuation bytes that fitted are one invalid sequence.
            out += kInvalidMark;
            i += k;
            continue;
        }
        out.append(reinterpret_cast<const char*>(p + i), length);
        i += length;
    }
    return i;
}

std::size_t decodeUtf16(const unsigned char* p, std::size_t n, std::size_t stopAfter, bool bigEndian,
                        std::string& out) {
    auto unit = [&](std::size_t at) -> char32_t {
        return bigEndian ? static_cast<char32_t>(p[at] << 8 | p[at + 1])
                         : static_cast<char32_t>(p[at + 1] << 8 | p[at]);
    };
    std::size_t i = 0;
    while (i < stopAfter) {
        if (i + 2 > n) return i;
        char32_t u = unit(i);
        if (u < 0xD800 || u > 0xDFFF) {
            appendUtf8(out, u);
            i += 2;
        } else if (u <= 0xDBFF) {
            if (i + 4 > n) return i;
            char32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                appendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                i += 4;
            } else {
                out += kInvalidMark;  // a high surrogate without its low half
                i += 2;
            }
        } else {
            out += kInvalidMark;  // a low surrogate alone
            i += 2;
        }
    }
    return i;
}

}  // namespace

const char* encodingName(TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::Windows1252: return "Windows-1252";
    case TextEncoding::Utf8: return "UTF-8";
    case TextEncoding::Utf16LE: return "UTF-16 LE";
    case TextEncoding::Utf16BE: return "UTF-16 BE";
    }
    return "";
}

std::optional<TextEncoding> encodingByBom(std::string_view head) {
    for (const Bom& bom : kBoms)
        if (head.starts_with(bom.bytes)) return bom.encoding;
    return std::nullopt;
}

std::size_t bomLength(TextEncoding encoding, std::string_view head) {
    for (const Bom& bom : kBoms)
        if (bom.encoding == encoding && head.starts_with(bom.bytes)) return bom.bytes.size();
    return 0;
}

std::size_t Utf8Transcoder::decode(const unsigned char* p, std::size_t n, std::size_t stopAfter,
                                   std::string& out) const {
    switch (m_encoding) {
    case TextEncoding::Windows1252: return decodeWindows1252(p, n, out);
    case TextEncoding::Utf8: return decodeUtf8(p, n, stopAfter, out);
    case TextEncoding::Utf16LE: return decodeUtf16(p, n, stopAfter, false, out);
    case TextEncoding::Utf16BE: return decodeUtf16(p, n, stopAfter, true, out);
    }
    return n;
}

void Utf8Transcoder::feed(std::string_view bytes, std::string& out) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    std::size_t n = bytes.size();
    std::size_t from = 0;
    if (!m_pending.empty()) {
        // The incomplete character with the bytes that may complete it (a
        // character has at most 4 bytes).
        unsigned char joined[8];
        std::size_t held = m_pending.size();
        std::size_t taken = std::min<std::size_t>(n, 4);
        std::memcpy(joined, m_pending.data(), held);
        std::memcpy(joined + held, p, taken);
        std::size_t stop = decode(joined, held + taken, held, out);
        if (stop < held) {
            m_pending.assign(reinterpret_cast<const char*>(joined + stop), held + taken - stop);
            return;
        }
        m_pending.clear();
        from = stop - held;
    }
    std::size_t stop = from + decode(p + from, n - from, n - from, out);
    m_pending.assign(reinterpret_cast<const char*>(p + stop), n - stop);
}

void Utf8Transcoder::finish(std::string& out) {
    if (!m_pending.empty()) out += kInvalidMark;
    m_pending.clear();
}

}  // namespace tessaro7::import_text
