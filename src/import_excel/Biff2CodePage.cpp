#include "import_excel/Biff2CodePage.h"

#include <cstdint>

namespace tessaro7::import_excel {

namespace {

constexpr std::uint16_t kBof2 = 0x0009;
constexpr std::uint16_t kEof = 0x000A;
constexpr std::uint16_t kCodePage = 0x0042;
// CODEPAGE, length 2, 1252 (0x04E4), little-endian.
constexpr char kCodePage1252[] = {0x42, 0x00, 0x02, 0x00, static_cast<char>(0xE4), 0x04};

std::uint16_t word(std::string_view b, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                      (static_cast<unsigned char>(b[at + 1]) << 8));
}

}  // namespace

std::optional<std::string> withCodePage1252(std::string_view bytes) {
    if (bytes.size() < 4 || word(bytes, 0) != kBof2) return std::nullopt;
    std::size_t bofEnd = 4 + word(bytes, 2);
    if (bofEnd > bytes.size()) return std::nullopt;
    // Walk the records; a truncated stream is left to FreeXL to refuse.
    for (std::size_t at = 0; at + 4 <= bytes.size();) {
        std::uint16_t id = word(bytes, at);
        if (id == kCodePage) return std::nullopt;
        if (id == kEof) break;
        at += 4 + word(bytes, at + 2);
    }
    std::string patched;
    patched.reserve(bytes.size() + sizeof kCodePage1252);
    patched.append(bytes.substr(0, bofEnd));
    patched.append(kCodePage1252, sizeof kCodePage1252);
    patched.append(bytes.substr(bofEnd));
    return patched;
}

}  // namespace tessaro7::import_excel
