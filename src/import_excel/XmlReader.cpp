#include "import_excel/XmlReader.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "app/Messages.h"
#include "db/Cp1252.h"
#include "db/FilledText.h"

namespace tessaro7::import_excel {

namespace msg = app::msg;

namespace {

bool space(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Every byte of every tag's name is tested: one look-up each.
struct NameBytes {
    bool table[256] = {};
    constexpr NameBytes() {
        for (int c = 0; c < 256; ++c) table[c] = true;
        for (unsigned char c : std::string_view(" \t\r\n/>=<\"'")) table[c] = false;
    }
};
constexpr NameBytes kNameBytes;

bool nameChar(char c) { return kNameBytes.table[static_cast<unsigned char>(c)]; }

// True when what is left of `x` from `at` is shorter than `literal` and
// could still become it once the next piece comes.
bool couldBecome(std::string_view x, std::size_t at, std::string_view literal) {
    std::string_view rest = x.substr(at);
    return rest.size() < literal.size() && literal.substr(0, rest.size()) == rest;
}

bool startsWith(std::string_view x, std::size_t at, std::string_view literal) { return x.substr(at, literal.size()) == literal; }

std::size_t skipSpace(std::string_view x, std::size_t j) {
    while (j < x.size() && space(x[j])) ++j;
    return j;
}

// Names are short: compared in place, without a call per tag.
bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = a.size(); i-- > 0;)
        if (a[i] != b[i]) return false;
    return true;
}

// The end of a name that is longer than its first four bytes, sixteen
// bytes at a time where the piece holds that many.
std::size_t skipLongName(std::string_view x, std::size_t j, std::size_t& local) {
#if defined(__SSE2__)
    const char* p = x.data();
    while (x.size() - j >= 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + j));
        auto is = [&](char c) { return _mm_cmpeq_epi8(v, _mm_set1_epi8(c)); };
        const __m128i stop = _mm_or_si128(
            _mm_or_si128(_mm_or_si128(is(' '), is('\t')), _mm_or_si128(is('\r'), is('\n'))),
            _mm_or_si128(_mm_or_si128(_mm_or_si128(is('/'), is('>')), _mm_or_si128(is('='), is('<'))),
                         _mm_or_si128(is('"'), is('\''))));
        const unsigned stops = static_cast<unsigned>(_mm_movemask_epi8(stop));
        const unsigned before = stops ? (1u << __builtin_ctz(stops)) - 1 : 0xFFFFu;
        const unsigned colons = static_cast<unsigned>(_mm_movemask_epi8(is(':'))) & before;
        if (colons) local = j + 32 - static_cast<std::size_t>(__builtin_clz(colons));
        if (stops) return j + static_cast<std::size_t>(__builtin_ctz(stops));
        j += 16;
    }
#endif
    for (; j < x.size() && nameChar(x[j]); ++j)
        if (x[j] == ':') local = j + 1;
    return j;
}

// The end of the name from `j`; `local` receives where its local part starts
// (after the last `:`), found in the same pass.
inline std::size_t skipName(std::string_view x, std::size_t j, std::size_t& local) {
    local = j;
    // Most names are short: their first bytes are looked at one by one.
    for (const std::size_t shortEnd = std::min(x.size(), j + 4); j < shortEnd; ++j) {
        if (!nameChar(x[j])) return j;
        if (x[j] == ':') local = j + 1;
    }
    return j < x.size() ? skipLongName(x, j, local) : j;
}

// The closing quote of the attribute value whose opening quote is at `j`
// (npos when the piece ends first); `references` tells whether the value
// holds a `&`. Most values are short: their first bytes are looked at one by one.
inline std::size_t valueEnd(std::string_view x, std::size_t j, bool& references) {
    const char quote = x[j];
    std::size_t k = j + 1;
    for (const std::size_t shortEnd = std::min(x.size(), k + 16); k < shortEnd; ++k) {
        if (x[k] == quote) return k;
        references = references || x[k] == '&';
    }
    const std::size_t end = x.find(quote, k);
    if (end != std::string_view::npos && !references) references = x.substr(k, end - k).find('&') != std::string_view::npos;
    return end;
}

// Names are short: compared in place, eight bytes at a time, without a call.
inline bool sameStart(const char* a, const char* b, std::size_t n) {
    for (; n >= 8; a += 8, b += 8, n -= 8) {
        std::uint64_t u, v;
        std::memcpy(&u, a, 8);
        std::memcpy(&v, b, 8);
        if (u != v) return false;
    }
    for (; n > 0; --n)
        if (*a++ != *b++) return false;
    return true;
}

}  // namespace

std::string_view xmlAttribute(const XmlAttributes& attributes, std::string_view name) {
    for (const auto& [key, value] : attributes)
        if (key == name) return value;
    return {};
}

std::string_view decodeXmlText(std::string_view raw, std::string& out) {
    if (raw.find('&') == std::string_view::npos) return raw;
    static const std::pair<std::string_view, char> kEntities[] = {
        {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
    out.clear();
    for (std::size_t i = 0; i < raw.size();) {
        std::size_t amp = raw.find('&', i);
        out.append(raw.substr(i, amp == std::string_view::npos ? raw.size() - i : amp - i));
        if (amp == std::string_view::npos) break;
        std::size_t end = raw.find(';', amp);
        if (end == std::string_view::npos || end - amp > 12) throw XmlError(ReadFailure::BadXml, msg::kXmlCharacterNotClosed);
        std::string_view name = raw.substr(amp + 1, end - amp - 1);
        i = end + 1;
        if (!name.empty() && name[0] == '#') {
            bool hex = name.size() > 1 && (name[1] == 'x' || name[1] == 'X');
            std::string_view digits = name.substr(hex ? 2 : 1);
            std::uint32_t code = 0;
            auto [stop, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), code, hex ? 16 : 10);
            if (digits.empty() || ec != std::errc() || stop != digits.data() + digits.size())
                throw XmlError(ReadFailure::BadXml, msg::kXmlCharacterInvalid);
            db::appendUtf8(out, code == 0 || (code >= 0xD800 && code < 0xE000) || code > 0x10FFFF ? 0xFFFD : code);
            continue;
        }
        bool known = false;
        for (const auto& [entity, c] : kEntities)
            if (name == entity) {
                out += c;
                known = true;
            }
        if (!known) throw XmlError(ReadFailure::BadXml, db::filledText(msg::kXmlUnknownEntity, {{"voce", name}}));
    }
    return out;
}

void decodeOoxmlEscapes(std::string& text, std::size_t from) {
    if (text.find("_x", from) == std::string::npos) return;
    std::string out;
    for (std::size_t i = from; i < text.size();) {
        unsigned code = 0;
        if (text.compare(i, 2, "_x") == 0 && i + 7 <= text.size() && text[i + 6] == '_') {
            auto [end, ec] = std::from_chars(text.data() + i + 2, text.data() + i + 6, code, 16);
            if (ec == std::errc() && end == text.data() + i + 6) {
                db::appendUtf8(out, code >= 0xD800 && code < 0xE000 ? 0xFFFD : code);
                i += 7;
                continue;
            }
        }
        out += text[i++];
    }
    text.replace(from, std::string::npos, out);
}

void XmlReader::fail(const char* why, std::size_t at, ReadFailure cause) const {
    throw XmlError(cause, std::string(why) + msg::kXmlAtByte + std::to_string(m_offset + at));
}

bool XmlReader::feed(std::string_view piece) {
    if (m_stopped) return false;
    // A token the last piece cut is completed with the start of this one,
    // a little at a time, so that the piece is not copied whole.
    for (std::size_t step = 256; !m_pending.empty() && !m_stopped;) {
        const std::size_t held = m_pending.size();
        const std::size_t taken = std::min(step, piece.size());
        m_pending.append(piece.substr(0, taken));
        const std::size_t used = parse(m_pending);
        m_offset += used;
        if (used >= held) {  // the cut token is read: the piece goes on from where it ended
            piece.remove_prefix(used - held);
            m_pending.clear();
            break;
        }
        m_pending.erase(0, used);
        m_pending.resize(m_pending.size() - taken);
        if (taken == piece.size()) {
            m_pending.append(piece);
            piece = {};
            break;
        }
        step *= 2;
    }
    if (m_pending.empty() && !m_stopped) {
        std::size_t used = parse(piece);
        m_offset += used;
        m_pending.assign(piece.substr(used));
    }
    if (m_pending.size() > kMaxToken) fail(msg::kXmlTokenTooLong, 0);
    return !m_stopped;
}

void XmlReader::finish() {
    if (!m_stopped && !m_rootClosed) throw XmlError(ReadFailure::Truncated, msg::kXmlTruncated);
}

std::size_t XmlReader::parse(std::string_view x) {
    std::size_t i = 0;
    while (i < x.size() && !m_stopped) {
        std::size_t used;
        if (x[i] != '<') used = text(x, i);
        else if (i + 1 >= x.size()) used = 0;
        else if (x[i + 1] == '/') used = closing(x, i);
        else if (x[i + 1] == '!' || x[i + 1] == '?') used = markup(x, i);
        else used = element(x, i);
        if (used == 0) break;
        i += used;
        m_stopped = m_handler.done();
    }
    return i;
}

std::size_t XmlReader::text(std::string_view x, std::size_t at) {
    std::size_t end = x.find('<', at);
    if (end == std::string_view::npos) {
        // A reference the piece cuts waits for the next piece.
        end = x.size();
        std::size_t amp = x.rfind('&');
        if (amp != std::string_view::npos && amp >= at && x.find(';', amp) == std::string_view::npos) end = amp;
        if (end == at) return 0;
    }
    if (!m_nameStarts.empty() && m_handler.wantsText()) {
        try {
            m_handler.text(decodeXmlText(x.substr(at, end - at), m_decoded));
        } catch (const XmlError& e) {
            fail(e.what(), at);
        }
    }
    return end - at;
}

std::size_t XmlReader::markup(std::string_view x, std::size_t at) {
    auto through = [&](std::string_view start, std::string_view stop) -> std::pair<std::size_t, std::string_view> {
        std::size_t end = x.find(stop, at + start.size());
        if (end == std::string_view::npos) return {0, {}};
        return {end + stop.size() - at, x.substr(at + start.size(), end - at - start.size())};
    };
    if (startsWith(x, at, "<?")) return through("<?", "?>").first;
    if (startsWith(x, at, "<!--")) return through("<!--", "-->").first;
    if (couldBecome(x, at, "<!--") || couldBecome(x, at, "<![CDATA[") || couldBecome(x, at, "<!DOCTYPE")) return 0;
    if (startsWith(x, at, "<![CDATA[")) {
        auto [used, inside] = through("<![CDATA[", "]]>");
        if (used != 0 && !m_nameStarts.empty()) m_handler.text(inside);
        return used;
    }
    if (startsWith(x, at, "<!DOCTYPE")) fail(msg::kXmlDtd, at, ReadFailure::Dtd);
    fail(msg::kXmlDeclarationRefused, at);
}

inline void XmlReader::closeTop() {
    const OpenName top = m_nameStarts.back();
    // The handler sees the name before it leaves the stack of open names.
    m_handler.close(std::string_view(m_names).substr(top.local));
    m_names.resize(top.start);
    m_nameStarts.pop_back();
    m_rootClosed = m_nameStarts.empty();
}

std::size_t XmlReader::element(std::string_view x, std::size_t at) {
    std::size_t local = 0;
    std::size_t j = skipName(x, at + 1, local);
    if (j >= x.size()) return 0;
    if (j == at + 1) fail(msg::kXmlNoElementName, at);
    const std::string_view qualified = x.substr(at + 1, j - at - 1);
    const std::string_view name = x.substr(local, j - local);
    m_attributes.clear();
    bool empty = false;
    j = m_handler.wantsAttributes(name) ? attributes(x, j, empty) : skimAttributes(x, j, empty);
    if (j == 0) return 0;
    if (m_rootClosed) fail(msg::kXmlAfterRoot, at);
    if (m_nameStarts.size() >= kMaxDepth) fail(msg::kXmlTooDeep, at);
    m_nameStarts.push_back({m_names.size(), m_names.size() + (qualified.size() - name.size())});
    m_names.append(qualified);
    m_handler.open(name, m_attributes);
    if (empty) closeTop();
    return j - at;
}


// The attributes from `j` to the end of the tag into m_attributes; the
// position after the tag, or 0 when the tag is not complete yet.
std::size_t XmlReader::attributes(std::string_view x, std::size_t j, bool& empty) {
    if (m_values.size() < kMaxAttributes) m_values.resize(kMaxAttributes);
    for (;;) {
        j = skipSpace(x, j);
        if (j >= x.size()) return 0;
        if (x[j] == '>') return j + 1;
        if (x[j] == '/') {
            if (j + 1 >= x.size()) return 0;
            if (x[j + 1] != '>') fail(msg::kXmlElementNotEnded, j);
            empty = true;
            return j + 2;
        }
        std::size_t nameStart = j, local = 0;
        j = skipName(x, j, local);
        if (j == nameStart) fail(msg::kXmlNoAttributeName, j);
        std::string_view attributeName = x.substr(local, j - local);
        j = skipSpace(x, j);
        if (j >= x.size()) return 0;
        if (x[j] != '=') fail(msg::kXmlNoAttributeValue, j);
        j = skipSpace(x, j + 1);
        if (j >= x.size()) return 0;
        if (x[j] != '"' && x[j] != '\'') fail(msg::kXmlValueNotQuoted, j);
        bool references = false;
        std::size_t end = valueEnd(x, j, references);
        if (end == std::string_view::npos) return 0;
        if (m_attributes.size() < kMaxAttributes) {
            const std::string_view raw = x.substr(j + 1, end - j - 1);
            try {
                std::string& value = m_values[m_attributes.size()];
                m_attributes.emplace_back(attributeName, references ? decodeXmlText(raw, value) : raw);
            } catch (const XmlError& e) {
                fail(e.what(), j);
            }
        }
        j = end + 1;
    }
}

// The end of a tag whose attributes the handler does not read: quoted
// values are passed over whole, a `<` outside them is refused.
std::size_t XmlReader::skimAttributes(std::string_view x, std::size_t j, bool& empty) {
    for (; j < x.size(); ++j) {
        char c = x[j];
        if (c == '"' || c == '\'') {
            std::size_t end = x.find(c, j + 1);
            if (end == std::string_view::npos) return 0;
            j = end;
        } else if (c == '>') {
            empty = x[j - 1] == '/';
            return j + 1;
        } else if (c == '<') {
            fail(msg::kXmlElementNotEnded, j);
        }
    }
    return 0;
}

std::size_t XmlReader::closing(std::string_view x, std::size_t at) {
    // Most end tags close the element open last with the same name: that is
    // compared whole, without looking at each byte of the name.
    if (!m_nameStarts.empty()) {
        const std::string_view open = std::string_view(m_names).substr(m_nameStarts.back().start);
        const std::string_view rest = x.substr(at + 2);
        if (rest.size() <= open.size()) {
            if (sameStart(open.data(), rest.data(), rest.size())) return 0;  // may still be it once the next piece comes
        } else if (sameStart(open.data(), rest.data(), open.size()) && !nameChar(rest[open.size()])) {
            std::size_t j = skipSpace(x, at + 2 + open.size());
            if (j >= x.size()) return 0;
            if (x[j] != '>') fail(msg::kXmlCloseNotEnded, j);
            closeTop();
            return j + 1 - at;
        }
    }
    std::size_t local = 0;
    std::size_t j = skipName(x, at + 2, local);
    if (j >= x.size()) return 0;
    std::string_view name = x.substr(local, j - local);
    j = skipSpace(x, j);
    if (j >= x.size()) return 0;
    if (x[j] != '>') fail(msg::kXmlCloseNotEnded, j);
    if (m_nameStarts.empty() || !sameName(std::string_view(m_names).substr(m_nameStarts.back().local), name))
        fail(msg::kXmlCloseNotOpened, at);
    closeTop();
    return j + 1 - at;
}

}  // namespace tessaro7::import_excel
