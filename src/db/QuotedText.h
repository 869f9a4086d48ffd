#pragma once
// Values and paths quoted into messages: a cell or a name of hundreds of
// characters would widen a message beyond the screen, so at most
// kQuotedLength characters are shown and "…" stands for the rest.
#include <cstddef>
#include <string>
#include <string_view>

namespace tessaro7::db {

inline constexpr std::size_t kQuotedLength = 60;

// The text's first characters (UTF-8 characters, not bytes), then "…".
std::string shortValue(std::string_view text);
// Each name of a "/"-separated path shortened as by shortValue: a long path
// still wraps at its separators, a name of hundreds of characters is cut.
std::string shortPath(std::string_view path);
// shortValue in single quotes.
std::string quoteValue(std::string_view text);

}  // namespace tessaro7::db
