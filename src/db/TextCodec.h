#pragma once
// The program's one text codec: every text inside the program is UTF-8, and
// here is how other encodings become UTF-8 and back. UTF-8 itself (checking
// and counting), UTF-16 in either byte order, Windows-1252 both ways (the
// code page of the worksheets the program writes), ISO 8859-1, and every
// other code page the C library's iconv knows, by its Windows number.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tessaro7::db {

// Appends one character (up to U+10FFFF) in UTF-8.
void appendUtf8(std::string& out, char32_t cp);

// What stands at the start of a stretch of UTF-8 bytes.
struct Utf8Sequence {
    enum class Kind { Character, Invalid, Incomplete };
    Kind kind;
    std::size_t length;  // bytes of the character, or of the invalid sequence (at least 1)
    char32_t cp = 0;     // the character, for Kind::Character
};
// The sequence at p[0..n), n >= 1. Overlong forms, surrogates and
// characters beyond U+10FFFF are invalid; a sequence cut by the end of the
// bytes that could still be completed is incomplete.
Utf8Sequence utf8SequenceAt(const unsigned char* p, std::size_t n);
// True when p[0..n) starts with a whole two-byte character (most accented
// letters): the quick case of utf8SequenceAt.
inline bool twoByteCharacterAt(const unsigned char* p, std::size_t n) {
    return n > 1 && p[0] >= 0xC2 && p[0] <= 0xDF && (p[1] & 0xC0) == 0x80;
}
// How many bytes at the start are below 0x80 (the same in every encoding but UTF-16).
std::size_t asciiPrefixLength(std::string_view bytes);
// True when the text is well-formed UTF-8.
bool isValidUtf8(std::string_view text);
// The same for a text given in pieces: a character cut between two pieces
// is checked whole.
class Utf8Check {
public:
    void add(std::string_view piece);
    // After the last piece: true when every piece was well-formed UTF-8.
    bool valid() const { return m_valid && m_carry.empty(); }

private:
    std::string m_carry;  // the start of a character the last piece cut
    bool m_valid = true;
};
// Number of characters of a UTF-8 text (an invalid byte counts as one).
std::size_t characterCount(std::string_view utf8);
// The first n characters of a UTF-8 text.
std::string leftCharacters(std::string_view utf8, std::size_t n);

// Decodes UTF-16 code units to UTF-8, appending to `out`; an unpaired
// surrogate becomes `invalid`. Returns how many bytes were used: it stops
// before a code unit or surrogate pair cut by the end of the bytes, so that
// a caller reading in pieces can complete it with the next piece.
std::size_t appendUtf16(std::string& out, std::string_view bytes, bool bigEndian, std::string_view invalid);

// One byte per character; a character the code page cannot represent, or a
// malformed UTF-8 sequence, becomes '?'.
std::string utf8ToCp1252(std::string_view utf8);
// The same into `out`, which has room for utf8.size() bytes (never fewer
// characters than bytes); returns the bytes written.
std::size_t utf8ToCp1252(std::string_view utf8, char* out);
// Every byte maps to one character; the five bytes the code page leaves
// undefined map to the control characters of the same number.
std::string cp1252ToUtf8(std::string_view bytes);
// Appends the UTF-8 of Windows-1252 bytes to `out`.
void appendCp1252(std::string& out, std::string_view bytes);
// ISO 8859-1: each byte is the character of the same number.
std::string latin1ToUtf8(std::string_view bytes);
void appendLatin1(std::string& out, std::string_view bytes);

// A single- or multi-byte code page, by its Windows number (1250, 874,
// 10000 Mac Roman, 437...), decoded to UTF-8. Windows-1252 and its subsets
// are decoded by the program itself, the others through iconv.
class CodePage {
public:
    // The decoder of `number`, or nothing when neither the program nor iconv knows it.
    static std::optional<CodePage> open(std::uint32_t number);
    // The bytes as UTF-8; a byte sequence the code page does not define becomes U+FFFD.
    std::string toUtf8(std::string_view bytes) const;
    std::uint32_t number() const { return m_number; }

private:
    struct Iconv;
    explicit CodePage(std::uint32_t number, std::shared_ptr<Iconv> converter)
        : m_number(number), m_converter(std::move(converter)) {}
    std::uint32_t m_number;
    std::shared_ptr<Iconv> m_converter;  // null for Windows-1252
};

// The name iconv knows a Windows code page number by ("CP1251", "MACINTOSH").
std::string iconvName(std::uint32_t codePage);

}  // namespace tessaro7::db
