#pragma once
// A message with named places ("la voce {voce} è cifrata") filled in.
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

namespace tessaro7::db {

// Each {name} of the text replaced by its value; a place without a value,
// or a brace without its pair, stays as written.
std::string filledText(std::string_view text,
                       std::initializer_list<std::pair<std::string_view, std::string_view>> values);

}  // namespace tessaro7::db
