#pragma once
// Little-endian reads from a byte buffer, for the binary workbook formats.
// Callers check the bounds first; these only assemble the bytes.
#include <cstdint>
#include <cstring>
#include <string_view>

namespace tessaro7::import_excel {

inline std::uint8_t byteAt(std::string_view b, std::size_t at) { return static_cast<std::uint8_t>(b[at]); }

inline std::uint16_t le16(std::string_view b, std::size_t at) {
    return static_cast<std::uint16_t>(byteAt(b, at) | (byteAt(b, at + 1) << 8));
}

inline std::uint32_t le32(std::string_view b, std::size_t at) {
    return static_cast<std::uint32_t>(le16(b, at)) | (static_cast<std::uint32_t>(le16(b, at + 2)) << 16);
}

inline double leDouble(std::string_view b, std::size_t at) {
    std::uint64_t bits = static_cast<std::uint64_t>(le32(b, at)) | (static_cast<std::uint64_t>(le32(b, at + 4)) << 32);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// True when [at, at + n) lies inside a buffer of `size` bytes, without overflow.
inline bool fits(std::size_t size, std::size_t at, std::size_t n) { return at <= size && n <= size - at; }

}  // namespace tessaro7::import_excel
