#pragma once
// Test texts written in each encoding a text file may come in, by iconv (an
// encoder independent of the program's reader), with or without a
// byte-order mark.
#include <iconv.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "import_text/TextEncoding.h"

namespace tessaro7::testing {

struct EncodingCase {
    const char* label;
    const char* iconvName;
    std::string bom;
    import_text::TextEncoding expected;
};

inline const std::vector<EncodingCase>& encodingCases() {
    using import_text::TextEncoding;
    static const std::vector<EncodingCase> cases = {
        {"Windows-1252", "WINDOWS-1252", "", TextEncoding::Windows1252},
        {"UTF-8", "UTF-8", "", TextEncoding::Utf8},
        {"UTF-8 con BOM", "UTF-8", "\xEF\xBB\xBF", TextEncoding::Utf8},
        {"UTF-16 LE", "UTF-16LE", "\xFF\xFE", TextEncoding::Utf16LE},
        {"UTF-16 BE", "UTF-16BE", "\xFE\xFF", TextEncoding::Utf16BE},
    };
    return cases;
}

// `utf8` in the encoding iconv names, without any byte-order mark.
inline std::string encodedAs(const std::string& utf8, const char* iconvName) {
    iconv_t cd = iconv_open(iconvName, "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error(std::string("iconv: ") + iconvName);
    std::string in = utf8;
    std::string out(in.size() * 4 + 8, '\0');
    char* from = in.data();
    char* to = out.data();
    std::size_t left = in.size();
    std::size_t room = out.size();
    std::size_t rc = iconv(cd, &from, &left, &to, &room);
    iconv_close(cd);
    if (rc == static_cast<std::size_t>(-1))
        throw std::runtime_error("iconv cannot write this text as " + std::string(iconvName));
    out.resize(out.size() - room);
    return out;
}

inline std::string encodedAs(const std::string& utf8, const EncodingCase& c) {
    return c.bom + encodedAs(utf8, c.iconvName);
}

}  // namespace tessaro7::testing
