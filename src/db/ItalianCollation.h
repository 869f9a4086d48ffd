#pragma once
// Text order as an Italian user expects it, the same on both engines: the
// order of ICU's Italian collator at its default (tertiary) strength, which
// is what the server's "it-x-icu" collation gives. Letter case and accents do
// not separate words ("Àlfa" before "Bianchi", "acme" before "ZETA"); between
// texts otherwise equal the accents decide, then the case (a A à À). Texts
// ICU weighs as equal are ordered by their bytes, as the server does.
#include <string_view>

namespace tessaro7::db {

// Negative, zero or positive, like strcmp; both texts are UTF-8.
int compareItalian(std::string_view a, std::string_view b);

}  // namespace tessaro7::db
