#pragma once
// The encodings a text file is read in, and the turning of a file's bytes into
// UTF-8, the program's own text.
#include <optional>
#include <string>
#include <string_view>

namespace tessaro7::import_text {

enum class TextEncoding { Windows1252, Utf8, Utf16LE, Utf16BE };

// "Windows-1252", "UTF-8", "UTF-16 LE", "UTF-16 BE": as the user is told.
const char* encodingName(TextEncoding encoding);

// The encoding named by the byte-order mark `head` starts with, if any.
std::optional<TextEncoding> encodingByBom(std::string_view head);
// The length of the byte-order mark of `encoding` when `head` starts with it, else 0.
std::size_t bomLength(TextEncoding encoding, std::string_view head);

// Marks left in the UTF-8 for what is not a character: a NUL character stays
// the byte 0; a byte sequence that is not a character of the encoding becomes
// the byte 0xFF, which no UTF-8 text holds. The lines tell both apart later.
inline constexpr char kNulMark = '\0';
inline constexpr char kInvalidMark = '\xFF';

// Turns the bytes of a file in one encoding into UTF-8, piece by piece as the
// file is read: a character cut by the end of a piece is completed by the
// next one.
class Utf8Transcoder {
public:
    explicit Utf8Transcoder(TextEncoding encoding) : m_encoding(encoding) {}
    // Appends the UTF-8 of `bytes` to `out`.
    void feed(std::string_view bytes, std::string& out);
    // The end of the file: a character left incomplete is an invalid sequence.
    void finish(std::string& out);

private:
    // Decodes from p while the position is below `stopAfter`; returns where it
    // stopped: at or past `stopAfter`, or before a character that needs bytes
    // beyond n.
    std::size_t decode(const unsigned char* p, std::size_t n, std::size_t stopAfter, std::string& out) const;

    TextEncoding m_encoding;
    std::string m_pending;  // the bytes of an incomplete character, at most 3
};

}  // namespace tessaro7::import_text
