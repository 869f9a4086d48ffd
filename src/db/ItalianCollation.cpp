#include "db/ItalianCollation.h"

#include <unicode/ucol.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>

namespace tessaro7::db {

namespace {

struct CollatorClose {
    void operator()(UCollator* c) const noexcept { ucol_close(c); }
};

// One collator for the whole program: comparing does not change it, so
// threads may share it.
const UCollator* italianCollator() {
    static const std::unique_ptr<UCollator, CollatorClose> collator = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<UCollator, CollatorClose> c(ucol_open("it", &status));
        if (U_FAILURE(status)) c.reset();
        return c;
    }();
    return collator.get();
}

int byteOrder(std::string_view a, std::string_view b) {
    int c = a.compare(b);
    return (c > 0) - (c < 0);
}

// The weight of a plain ASCII digit or letter in the Italian order, case
// aside: digits before letters; 0 for every other byte.
int letterOrDigitWeight(char c) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= '0' && u <= '9') return 1 + (u - '0');
    const unsigned lower = u | 0x20;
    if (lower >= 'a' && lower <= 'z') return 11 + static_cast<int>(lower - 'a');
    return 0;
}

bool plainAscii(std::string_view s, std::size_t i) { return i >= s.size() || static_cast<unsigned char>(s[i]) < 0x80; }

// Where two texts first differ by two ASCII letters or digits of different
// weight, with plain ASCII before and after them, nothing can join those
// letters to their neighbours (no contraction, no combining accent): the
// letters decide the order at its first level, and the collator is not
// asked. Most names differ so.
int orderAtFirstDifference(std::string_view a, std::string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    std::size_t i = 0;
    for (std::uint64_t x, y; i + 8 <= common; i += 8) {  // eight bytes at a time up to the first difference
        std::memcpy(&x, a.data() + i, 8);
        std::memcpy(&y, b.data() + i, 8);
        if (x != y) break;
    }
    while (i < common && a[i] == b[i]) ++i;
    if (i == common || (i > 0 && !plainAscii(a, i - 1))) return 0;
    const int wa = letterOrDigitWeight(a[i]), wb = letterOrDigitWeight(b[i]);
    if (wa == 0 || wb == 0 || wa == wb || !plainAscii(a, i + 1) || !plainAscii(b, i + 1)) return 0;
    return wa < wb ? -1 : 1;
}

}  // namespace

int compareItalian(std::string_view a, std::string_view b) {
    const UCollator* collator = italianCollator();
    if (!collator) return byteOrder(a, b);
    if (const int decided = orderAtFirstDifference(a, b)) return decided;
    UErrorCode status = U_ZERO_ERROR;
    UCollationResult r = ucol_strcollUTF8(collator, a.data(), static_cast<int32_t>(a.size()), b.data(),
                                          static_cast<int32_t>(b.size()), &status);
    if (U_FAILURE(status) || r == UCOL_EQUAL) return byteOrder(a, b);
    return r == UCOL_LESS ? -1 : 1;
}

}  // namespace tessaro7::db
