#pragma once
// Cell names as the spreadsheets write them ("B3"), both ways.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace tessaro7::import_excel {

// The last row and column a worksheet of the zip formats can hold.
inline constexpr std::uint32_t kMaxSheetRows = 1048576, kMaxSheetCols = 16384;

// "B3" -> {2, 1} (row, column from 0); letters in either case; nothing for
// a name without letters or row, row 0, or beyond the last row or column.
std::optional<std::pair<std::uint32_t, std::uint32_t>> cellReference(std::string_view name);
// {2, 1} -> "B3".
std::string cellName(std::uint32_t row, std::uint32_t col);

}  // namespace tessaro7::import_excel
