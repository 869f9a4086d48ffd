#include "app/Sha256.h"

#include <openssl/evp.h>

#include <new>

namespace tessaro7::app {

namespace {

// The digest's algorithm, fetched once: each implicit fetch looks it up again.
const EVP_MD* sha256() {
    static EVP_MD* fetched = EVP_MD_fetch(nullptr, "SHA256", nullptr);
    return fetched ? fetched : EVP_sha256();
}

std::string hexOf(const std::array<std::uint8_t, 32>& digest) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text(64, '0');
    for (std::size_t i = 0; i < digest.size(); ++i) {
        text[2 * i] = kDigits[digest[i] >> 4];
        text[2 * i + 1] = kDigits[digest[i] & 15];
    }
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

std::string Sha256::hex() { return hexOf(digest()); }

std::string sha256Hex(std::string_view bytes) {
    std::array<std::uint8_t, 32> digest{};
    unsigned int length = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), digest.data(), &length, sha256(), nullptr) != 1) throw std::bad_alloc();
    return hexOf(digest);
}

}  // namespace tessaro7::app
