#include "export/SheetText.h"

#include <algorithm>
#include <cctype>

#include "db/Cp1252.h"

namespace tessaro7::exporting {

namespace {

// The UTF-8 sequence at s[i], surrogates included: its length and value; 0
// when the bytes there are no such sequence.
std::size_t utf8At(std::string_view s, std::size_t i, char32_t& cp) {
    if (i >= s.size()) return 0;
    const auto lead = static_cast<unsigned char>(s[i]);
    const std::size_t length = lead < 0x80                   ? 1
                               : lead >= 0xC2 && lead < 0xE0 ? 2
                               : lead >= 0xE0 && lead < 0xF0 ? 3
                               : lead >= 0xF0 && lead < 0xF5 ? 4
                                                             : 0;
    if (length == 0 || i + length > s.size()) return 0;
    cp = length == 1 ? lead : lead & (0x7Fu >> length);
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(s[i + k]);
        if ((next & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (next & 0x3Fu);
    }
    static constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    return cp >= kLeast[length] && cp <= 0x10FFFF ? length : 0;
}

bool isHighSurrogate(char32_t cp) { return cp >= 0xD800 && cp < 0xDC00; }
bool isLowSurrogate(char32_t cp) { return cp >= 0xDC00 && cp < 0xE000; }

struct Character {
    char32_t cp;
    std::size_t bytes;      // how many stored bytes it takes
    bool asStored = false;  // those bytes are its UTF-8 form
};

Character characterAt(std::string_view s, std::size_t i) {
    char32_t cp = 0;
    const std::size_t length = utf8At(s, i, cp);
    if (length == 0) {
        const std::string utf8 = db::cp1252ToUtf8(s.substr(i, 1));
        utf8At(utf8, 0, cp);
        return {cp, 1, false};
    }
    char32_t low = 0;
    if (isHighSurrogate(cp) && utf8At(s, i + 3, low) == 3 && isLowSurrogate(low))
        return {0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00), 6, false};
    return {cp, length, !isHighSurrogate(cp) && !isLowSurrogate(cp)};
}

// NUL ends a text for some readers (Gnumeric), and they refuse a whole text
// holding one of the five bytes the code page leaves undefined (0x81, 0x8D,
// 0x8F, 0x90, 0x9D): these become '?' too.
bool windows1252Holds(char32_t cp) {
    if ((cp > 0 && cp < 0x80) || (cp >= 0xA0 && cp <= 0xFF)) return true;
    if (cp < 0x100 || cp > 0xFFFF || isHighSurrogate(cp) || isLowSurrogate(cp)) return false;
    std::string utf8;
    db::appendUtf8(utf8, cp);
    return db::utf8ToCp1252(utf8) != "?";
}

bool xmlHolds(char32_t cp) {
    return cp != 0 && cp != 0xFFFE && cp != 0xFFFF && !isHighSurrogate(cp) && !isLowSurrogate(cp);
}

// "_x" with four hexadecimal digits and "_": what the format reads as an escape.
bool endsWithEscape(const std::string& text) {
    if (text.size() < 7) return false;
    const std::string_view last(text.data() + text.size() - 7, 7);
    return last.starts_with("_x") && last.back() == '_' &&
           std::all_of(last.begin() + 2, last.begin() + 6, [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
}

// Texts of plain ASCII that fit need no work: most of them.
bool plainFits(std::string_view s, std::size_t longest, SheetFormat format) {
    if (s.size() > longest) return false;
    if (!std::all_of(s.begin(), s.end(), [](char c) { return c > 0; })) return false;
    return format == SheetFormat::Xls || s.find("_x") == std::string_view::npos;
}

// .xls: texts of ASCII and the letters of U+00A0 to U+00FF, which the code
// page holds at their own numbers, need no work either when they fit.
bool latinFitsXls(std::string_view s, std::size_t longest) {
    std::size_t characters = 0;
    for (std::size_t i = 0; i < s.size(); ++characters) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c > 0 && c < 0x80) {
            ++i;
            continue;
        }
        if (i + 1 >= s.size()) return false;
        const auto next = static_cast<unsigned char>(s[i + 1]);
        if (!((c == 0xC2 && next >= 0xA0 && next <= 0xBF) || (c == 0xC3 && next >= 0x80 && next <= 0xBF))) return false;
        i += 2;
    }
    return characters <= longest;
}

// Builds the cell's text one character at a time within the format's limit.
class CellText {
public:
    CellText(SheetFormat format, std::size_t longest) : m_format(format), m_longest(longest) {}

    // `c` starts `stored`. False once the text is full: the rest is cut.
    bool add(std::string_view stored, Character c) {
        return m_format == SheetFormat::Xls ? addToXls(stored, c) : addToXlsx(stored, c);
    }

    SheetText result() && { return std::move(m_result); }

private:
    bool addToXls(std::string_view stored, Character c) {
        if (m_length + 1 > m_longest) return full();
        const bool holds = windows1252Holds(c.cp);
        append(stored, holds ? c : Character{'?', 0, false});
        m_length += 1;
        m_result.changed += holds ? 0 : 1;
        return true;
    }

    bool addToXlsx(std::string_view stored, Character c) {
        if (!xmlHolds(c.cp)) {
            ++m_result.changed;
            return true;
        }
        // Both the format's UTF-16 units and libxlsxwriter's count of
        // characters (escapes included) must stay within the limit.
        const std::size_t units = c.cp > 0xFFFF ? 2 : 1;
        if (m_units + units > m_longest || m_length + 1 > m_longest) return full();
        append(stored, c);
        m_units += units;
        m_length += 1;
        if (!endsWithEscape(m_result.text)) return true;
        constexpr std::string_view kEscapedUnderscore = "x005F_";
        if (m_length + kEscapedUnderscore.size() > m_longest) {
            m_result.text.resize(m_result.text.size() - 7);
            return full();
        }
        m_result.text.insert(m_result.text.size() - 6, kEscapedUnderscore);
        m_length += kEscapedUnderscore.size();
        return true;
    }

    void append(std::string_view stored, Character c) {
        if (c.asStored)
            m_result.text.append(stored.substr(0, c.bytes));
        else
            db::appendUtf8(m_result.text, c.cp);
    }
    bool full() {
        m_result.cut = true;
        return false;
    }

    SheetFormat m_format;
    std::size_t m_longest;
    std::size_t m_length = 0;  // characters handed on
    std::size_t m_units = 0;   // UTF-16 units of the text as readers see it
    SheetText m_result{false, {}, 0, false};
};

}  // namespace

SheetText sheetText(std::string_view stored, SheetFormat format) {
    const std::size_t longest = rulesOf(format).longestText;
    if (plainFits(stored, longest, format)) return {};
    if (format == SheetFormat::Xls && latinFitsXls(stored, longest)) return {};
    CellText cell(format, longest);
    for (std::size_t i = 0; i < stored.size();) {
        const Character c = characterAt(stored, i);
        if (!cell.add(stored.substr(i), c)) break;
        i += c.bytes;
    }
    return std::move(cell).result();
}

}  // namespace tessaro7::exporting
