#include "import_excel/CellReference.h"

#include <charconv>

namespace tessaro7::import_excel {

std::optional<std::pair<std::uint32_t, std::uint32_t>> cellReference(std::string_view name) {
    std::uint32_t col = 0;
    std::size_t i = 0;
    for (; i < name.size() && i < 3; ++i) {
        char c = name[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c < 'A' || c > 'Z') break;
        col = col * 26 + static_cast<std::uint32_t>(c - 'A' + 1);
    }
    std::string_view digits = name.substr(i);
    std::uint32_t row = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), row);
    if (i == 0 || digits.empty() || ec != std::errc() || end != digits.data() + digits.size() || row == 0 ||
        row > kMaxSheetRows || col > kMaxSheetCols)
        return std::nullopt;
    return std::pair(row - 1, col - 1);
}

std::string cellName(std::uint32_t row, std::uint32_t col) {
    std::string name;
    for (std::uint64_t c = std::uint64_t(col) + 1; c > 0; c = (c - 1) / 26)
        name.insert(name.begin(), static_cast<char>('A' + (c - 1) % 26));
    return name + std::to_string(std::uint64_t(row) + 1);
}

}  // namespace tessaro7::import_excel
