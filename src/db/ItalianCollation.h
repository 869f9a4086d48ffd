#pragma once
// Text order as an Italian user expects it: letter case and accents do not
// separate words ("Àlfa" before "Bianchi", "acme" before "ZETA"); only between
// texts that are otherwise equal do the accents, then the case, decide.
#include <string_view>

namespace tessaro7::db {

// Negative, zero or positive, like strcmp; both texts are UTF-8.
int compareItalian(std::string_view a, std::string_view b);

}  // namespace tessaro7::db
