#pragma once
// How the rows of an import are grouped on the server: the rows of a group are
// written by one statement that binds one array of values per column, so the
// server reads each column's values in one go and plans the statement once.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaro7::db {

// Past this many rows a group saves no more server time, and the rows sent
// again one by one when a group fails stay few.
inline constexpr std::size_t kMaxGroupRows = 1000;
// A group of long values ends sooner, so that the rows held for it stay small.
inline constexpr std::size_t kMaxGroupBytes = 4 << 20;

// Whether a group of `rows` rows holding `bytes` bytes of values is sent as it is.
bool groupIsFull(std::size_t rows, std::size_t bytes);

// Where the table allows it, the rows go by COPY straight into the table, a
// chunk per COPY: each chunk waits for one answer, and its rows are held until
// then, to be sent again as groups when the server refuses one of them.
inline constexpr std::size_t kMaxCopyRows = 10 * kMaxGroupRows;
bool copyChunkIsFull(std::size_t rows, std::size_t bytes);

// Appends a value in COPY's text form: backslash, tab, newline and carriage
// return escaped, so that no value ends a field or a row; Null as \N.
void appendCopyText(std::string& line, std::string_view text);
void appendCopyText(std::string& line, const std::optional<std::string>& value);
// The values of one row of COPY text (without its newline), as appendCopyText
// wrote them, appended to `values`.
void readCopyLine(std::string_view line, std::vector<std::optional<std::string>>& values);

// Appends a value to the text of a server array begun with "{" (the caller
// closes it with "}"): in double quotes with its quotes and backslashes
// escaped, so that no text is read as Null or split; Null as NULL.
void appendArrayElement(std::string& array, const std::optional<std::string>& value);

}  // namespace tessaro7::db
