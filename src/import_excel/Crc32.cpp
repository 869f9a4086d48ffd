#include "import_excel/Crc32.h"

#include <zlib.h>

#include <algorithm>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace tessaro7::import_excel {

namespace {

std::uint32_t zlibCrc(std::uint32_t crc, std::string_view bytes) {
    uLong c = crc;
    while (!bytes.empty()) {
        // zlib counts its input in unsigned int.
        const std::size_t n = std::min<std::size_t>(bytes.size(), 1u << 30);
        c = crc32(c, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(n));
        bytes.remove_prefix(n);
    }
    return static_cast<std::uint32_t>(c);
}

#if defined(__x86_64__)

// Folding by carry-less multiplication (Gopal et al., "Fast CRC computation
// for generic polynomials using PCLMULQDQ", Intel 2009), with the constants
// of the bit-reflected polynomial 0x104C11DB7: x^(4*128+64) and x^(4*128) mod
// P for the four-lane fold, x^(128+64) and x^128 for the one-lane fold,
// x^64 for the fold to 64 bits, and P with its Barrett quotient.
#define TESSARO7_CLMUL __attribute__((target("pclmul,sse4.1")))

TESSARO7_CLMUL inline __m128i load(const unsigned char* at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

// One 128-bit lane folded forward over the distance the constants give, plus the next data.
TESSARO7_CLMUL inline __m128i fold(__m128i lane, __m128i k, __m128i next) {
    return _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(lane, k, 0x00), _mm_clmulepi64_si128(lane, k, 0x11)), next);
}

// `p` holds `n` bytes, at least 64 and a multiple of 16; `crc` is inverted.
TESSARO7_CLMUL std::uint32_t foldedCrc(std::uint32_t crc, const unsigned char* p, std::size_t n) {
    const __m128i k1k2 = _mm_set_epi64x(0x01c6e41596, 0x0154442bd4);
    const __m128i k3k4 = _mm_set_epi64x(0x00ccaa009e, 0x01751997d0);
    const __m128i k5 = _mm_set_epi64x(0, 0x0163cd6124);
    const __m128i poly = _mm_set_epi64x(0x01f7011641, 0x01db710641);
    const __m128i low32 = _mm_setr_epi32(~0, 0, ~0, 0);

    __m128i x1 = _mm_xor_si128(load(p), _mm_cvtsi32_si128(static_cast<int>(crc)));
    __m128i x2 = load(p + 16), x3 = load(p + 32), x4 = load(p + 48);
    p += 64;
    n -= 64;
    for (; n >= 64; p += 64, n -= 64) {
        x1 = fold(x1, k1k2, load(p));
        x2 = fold(x2, k1k2, load(p + 16));
        x3 = fold(x3, k1k2, load(p + 32));
        x4 = fold(x4, k1k2, load(p + 48));
    }
    x1 = fold(x1, k3k4, x2);
    x1 = fold(x1, k3k4, x3);
    x1 = fold(x1, k3k4, x4);
    for (; n >= 16; p += 16, n -= 16) x1 = fold(x1, k3k4, load(p));

    // 128 bits to 64, then Barrett's reduction to 32.
    __m128i x2b = _mm_clmulepi64_si128(x1, k3k4, 0x10);
    x1 = _mm_xor_si128(_mm_srli_si128(x1, 8), x2b);
    x2b = _mm_srli_si128(x1, 4);
    x1 = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(x1, low32), k5, 0x00), x2b);
    x2b = _mm_clmulepi64_si128(_mm_and_si128(x1, low32), poly, 0x10);
    x2b = _mm_clmulepi64_si128(_mm_and_si128(x2b, low32), poly, 0x00);
    x1 = _mm_xor_si128(x1, x2b);
    return static_cast<std::uint32_t>(_mm_extract_epi32(x1, 1));
}

#undef TESSARO7_CLMUL

bool hasCarrylessMultiply() {
    static const bool has = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
    return has;
}

#endif

}  // namespace

std::uint32_t crc32Of(std::uint32_t crc, std::string_view bytes) {
#if defined(__x86_64__)
    if (bytes.size() >= 64 && hasCarrylessMultiply()) {
        const std::size_t folded = bytes.size() & ~std::size_t{15};
        crc = ~foldedCrc(~crc, reinterpret_cast<const unsigned char*>(bytes.data()), folded);
        bytes.remove_prefix(folded);
    }
#endif
    return zlibCrc(crc, bytes);
}

}  // namespace tessaro7::import_excel
