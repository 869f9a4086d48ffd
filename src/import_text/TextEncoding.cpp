#include "import_text/TextEncoding.h"

#include <cstring>

#include "db/TextCodec.h"

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

// Valid stretches are copied whole; an invalid sequence becomes the mark.
std::size_t decodeUtf8(const unsigned char* p, std::size_t n, std::size_t stopAfter, std::string& out) {
    std::size_t i = 0, valid = 0;  // [valid, i) is valid and not copied yet
    auto copyValid = [&] { out.append(reinterpret_cast<const char*>(p + valid), i - valid); };
    while (i < stopAfter) {
        i += db::asciiPrefixLength(std::string_view(reinterpret_cast<const char*>(p + i), n - i));
        if (i >= n) break;
        // Most are two-byte letters.
        if (db::twoByteCharacterAt(p + i, n - i)) {
            i += 2;
            continue;
        }
        db::Utf8Sequence s = db::utf8SequenceAt(p + i, n - i);
        if (s.kind == db::Utf8Sequence::Kind::Incomplete) break;
        if (s.kind == db::Utf8Sequence::Kind::Invalid) {
            copyValid();
            out += kInvalidMark;
            valid = i + s.length;
        }
        i += s.length;
    }
    copyValid();
    return i;
}

std::size_t decodeUtf16(const unsigned char* p, std::size_t n, bool bigEndian, std::string& out) {
    return db::appendUtf16(out, std::string_view(reinterpret_cast<const char*>(p), n), bigEndian,
                           std::string_view(&kInvalidMark, 1));
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
    case TextEncoding::Windows1252:
        db::appendCp1252(out, std::string_view(reinterpret_cast<const char*>(p), n));
        return n;
    case TextEncoding::Utf8: return decodeUtf8(p, n, stopAfter, out);
    case TextEncoding::Utf16LE: return decodeUtf16(p, n, false, out);
    case TextEncoding::Utf16BE: return decodeUtf16(p, n, true, out);
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
