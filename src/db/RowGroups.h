#pragma once
// How the rows of an import are grouped on the server: the rows of a group are
// written by one statement that binds one array of values per column, so the
// server reads each column's values in one go and plans the statement once.
#include <cstddef>
#include <optional>
#include <string>

namespace tessaro7::db {

// Past this many rows a group saves no more server time, and the rows sent
// again one by one when a group fails stay few.
inline constexpr std::size_t kMaxGroupRows = 1000;
// A group of long values ends sooner, so that the rows held for it stay small.
inline constexpr std::size_t kMaxGroupBytes = 4 << 20;

// Whether a group of `rows` rows holding `bytes` bytes of values is sent as it is.
bool groupIsFull(std::size_t rows, std::size_t bytes);

// Appends a value to the text of a server array begun with "{" (the caller
// closes it with "}"): in double quotes with its quotes and backslashes
// escaped, so that no text is read as Null or split; Null as NULL.
void appendArrayElement(std::string& array, const std::optional<std::string>& value);

}  // namespace tessaro7::db
