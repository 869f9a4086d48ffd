#include "db/ItalianCollation.h"

#include <unicode/ucol.h>

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

}  // namespace

int compareItalian(std::string_view a, std::string_view b) {
    const UCollator* collator = italianCollator();
    if (!collator) return byteOrder(a, b);
    UErrorCode status = U_ZERO_ERROR;
    UCollationResult r = ucol_strcollUTF8(collator, a.data(), static_cast<int32_t>(a.size()), b.data(),
                                          static_cast<int32_t>(b.size()), &status);
    if (U_FAILURE(status) || r == UCOL_EQUAL) return byteOrder(a, b);
    return r == UCOL_LESS ? -1 : 1;
}

}  // namespace tessaro7::db
