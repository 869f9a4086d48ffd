#pragma once
// SHA-256, through OpenSSL's libcrypto (which uses the processor's SHA
// instructions where there are some): it fingerprints an imported file's
// content and each imported row's values, so its speed is the import's.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

struct evp_md_ctx_st;

namespace tessaro7::app {

class Sha256 {
public:
    Sha256();
    void add(std::string_view bytes);
    // The digest of everything added; the object is spent afterwards.
    std::array<std::uint8_t, 32> digest();
    // The digest in lower-case hexadecimal (64 characters).
    std::string hex();
    // The first `digits` hexadecimal digits of the digest of `bytes` alone,
    // whatever was added before: one object serves digest after digest
    // without allocating a context for each.
    std::string hexOf(std::string_view bytes, std::size_t digits);

private:
    struct Free {
        void operator()(evp_md_ctx_st* context) const noexcept;
    };
    std::unique_ptr<evp_md_ctx_st, Free> m_context;
};

// The SHA-256 of `bytes` in hexadecimal.
std::string sha256Hex(std::string_view bytes);

}  // namespace tessaro7::app
