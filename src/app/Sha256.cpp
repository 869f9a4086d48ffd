#include "app/Sha256.h"

#include <openssl/evp.h>

#include <algorithm>
#include <new>

namespace tessaro7::app {

namespace {

// The digest's algorithm, fetched once: each implicit fetch looks it up again.
const EVP_MD* sha256() {
    static EVP_MD* fetched = EVP_MD_fetch(nullptr, "SHA256", nullptr);
    return fetched ? fetched : EVP_sha256();
}

std::string hexDigits(const std::array<std::uint8_t, 32>& digest, std::size_t digits = 64) {
    static constexpr char kDigits[] = "0123456789abcdef";
    digits = std::min<std::size_t>(digits, 64);
    std::string text(digits, '0');
    for (std::size_t i = 0; i < digits; ++i) text[i] = kDigits[i % 2 ? digest[i / 2] & 15 : digest[i / 2] >> 4];
    return text;
}

}  // namespace

void Sha256::Free::operator()(evp_md_ctx_st* context) const noexcept { EVP_MD_CTX_free(context); }

Sha256::Sha256() : m_context(EVP_MD_CTX_new()) {
    if (!m_context || EVP_DigestInit_ex(m_context.get(), sha256(), nullptr) != 1) throw std::bad_alloc();
}

void Sha256::add(std::string_view bytes) {
    if (!bytes.empty()) EVP_DigestUpdate(m_context.get(), bytes.data(), bytes.size());
}

std::array<std::uint8_t, 32> Sha256::digest() {
    std::array<std::uint8_t, 32> out{};
    unsigned int length = 0;
    EVP_DigestFinal_ex(m_context.get(), out.data(), &length);
    return out;
}

std::string Sha256::hex() { return hexDigits(digest()); }

std::string Sha256::hexOf(std::string_view bytes, std::size_t digits) {
    if (EVP_DigestInit_ex2(m_context.get(), sha256(), nullptr) != 1) throw std::bad_alloc();
    add(bytes);
    return hexDigits(digest(), digits);
}

std::string sha256Hex(std::string_view bytes) {
    std::array<std::uint8_t, 32> digest{};
    unsigned int length = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), digest.data(), &length, sha256(), nullptr) != 1) throw std::bad_alloc();
    return hexDigits(digest);
}

}  // namespace tessaro7::app
