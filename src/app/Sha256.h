#pragma once
// SHA-256 (FIPS 180-4), written here so that the import register needs no
// cryptographic library: it fingerprints an imported file's content and each
// imported row's values.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tessaro7::app {

class Sha256 {
public:
    Sha256();
    void add(std::string_view bytes);
    // The digest of everything added; the object is spent afterwards.
    std::array<std::uint8_t, 32> digest();
    // The digest in lower-case hexadecimal (64 characters).
    std::string hex();

private:
    void block(const std::uint8_t* p);

    std::array<std::uint32_t, 8> m_state;
    std::array<std::uint8_t, 64> m_buffer{};
    std::size_t m_used = 0;
    std::uint64_t m_length = 0;  // bytes added
};

// The SHA-256 of `bytes` in hexadecimal.
std::string sha256Hex(std::string_view bytes);

}  // namespace tessaro7::app
