#pragma once
// Windows-1252, the single-byte code page of worksheet files and text files.
// Internally every text is UTF-8.
#include <string>
#include <string_view>

namespace tessaro7::db {

// One byte per character; a character the code page cannot represent, or a
// malformed UTF-8 sequence, becomes '?'.
std::string utf8ToCp1252(std::string_view utf8);
// Every byte maps to one character; the five bytes the code page leaves
// undefined map to the control characters of the same number.
std::string cp1252ToUtf8(std::string_view bytes);
// Appends one character (up to U+10FFFF) in UTF-8.
void appendUtf8(std::string& out, char32_t cp);
// True when the text is well-formed UTF-8.
bool isValidUtf8(std::string_view text);
// Number of characters of a UTF-8 text, as the code page would count them.
std::size_t characterCount(std::string_view utf8);
// The first n characters of a UTF-8 text.
std::string leftCharacters(std::string_view utf8, std::size_t n);

}  // namespace tessaro7::db
