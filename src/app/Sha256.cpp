#include "app/Sha256.h"

#include <cstring>

namespace tessaro7::app {

namespace {

constexpr std::array<std::uint32_t, 64> kRound = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

constexpr std::uint32_t rotr(std::uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

}  // namespace

Sha256::Sha256()
    : m_state{0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19} {}

void Sha256::block(const std::uint8_t* p) {
    std::array<std::uint32_t, 64> w{};
    for (int i = 0; i < 16; ++i)
        w[i] = std::uint32_t(p[4 * i]) << 24 | std::uint32_t(p[4 * i + 1]) << 16 | std::uint32_t(p[4 * i + 2]) << 8 |
               std::uint32_t(p[4 * i + 3]);
    for (int i = 16; i < 64; ++i) {
        std::uint32_t s0 = rotr(w[i - 15], 7) ^ rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
        std::uint32_t s1 = rotr(w[i - 2], 17) ^ rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
        w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }
    std::array<std::uint32_t, 8> v = m_state;
    for (int i = 0; i < 64; ++i) {
        std::uint32_t s1 = rotr(v[4], 6) ^ rotr(v[4], 11) ^ rotr(v[4], 25);
        std::uint32_t ch = (v[4] & v[5]) ^ (~v[4] & v[6]);
        std::uint32_t t1 = v[7] + s1 + ch + kRound[i] + w[i];
        std::uint32_t s0 = rotr(v[0], 2) ^ rotr(v[0], 13) ^ rotr(v[0], 22);
        std::uint32_t maj = (v[0] & v[1]) ^ (v[0] & v[2]) ^ (v[1] & v[2]);
        std::uint32_t t2 = s0 + maj;
        v = {t1 + t2, v[0], v[1], v[2], v[3] + t1, v[4], v[5], v[6]};
    }
    for (int i = 0; i < 8; ++i) m_state[i] += v[i];
}

void Sha256::add(std::string_view bytes) {
    m_length += bytes.size();
    const auto* p = reinterpret_cast<const std::uint8_t*>(bytes.data());
    std::size_t n = bytes.size();
    if (m_used > 0) {
        std::size_t take = std::min(n, m_buffer.size() - m_used);
        std::memcpy(m_buffer.data() + m_used, p, take);
        m_used += take;
        p += take;
        n -= take;
        if (m_used < m_buffer.size()) return;
        block(m_buffer.data());
        m_used = 0;
    }
    for (; n >= 64; p += 64, n -= 64) block(p);
    if (n > 0) std::memcpy(m_buffer.data(), p, n);
    m_used = n;
}

std::array<std::uint8_t, 32> Sha256::digest() {
    const std::uint64_t bits = m_length * 8;
    const std::uint8_t one = 0x80;
    add(std::string_view(reinterpret_cast<const char*>(&one), 1));
    const std::uint8_t zero = 0;
    while (m_used != 56) add(std::string_view(reinterpret_cast<const char*>(&zero), 1));
    std::array<std::uint8_t, 8> length{};
    for (int i = 0; i < 8; ++i) length[i] = static_cast<std::uint8_t>(bits >> (56 - 8 * i));
    add(std::string_view(reinterpret_cast<const char*>(length.data()), length.size()));
    std::array<std::uint8_t, 32> out{};
    for (int i = 0; i < 8; ++i)
        for (int k = 0; k < 4; ++k) out[4 * i + k] = static_cast<std::uint8_t>(m_state[i] >> (24 - 8 * k));
    return out;
}

std::string Sha256::hex() {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (std::uint8_t b : digest()) {
        text += kDigits[b >> 4];
        text += kDigits[b & 15];
    }
    return text;
}

std::string sha256Hex(std::string_view bytes) {
    Sha256 sha;
    sha.add(bytes);
    return sha.hex();
}

}  // namespace tessaro7::app
