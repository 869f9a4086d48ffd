#include "app/Sha256.h"

#include <openssl/evp.h>

#include <new>

namespace tessaro7::app {

void Sha256::Free::operator()(evp_md_ctx_st* context) const noexcept { EVP_MD_CTX_free(context); }

Sha256::Sha256() : m_context(EVP_MD_CTX_new()) {
    if (!m_context || EVP_DigestInit_ex(m_context.get(), EVP_sha256(), nullptr) != 1) throw std::bad_alloc();
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
