#include "db/RowGroups.h"

#include <algorithm>

namespace tessaro7::db {

std::size_t rowsPerGroup(std::size_t columns) {
    if (columns == 0) return 1;
    return std::clamp<std::size_t>(kMaxStatementParameters / columns, 1, kMaxGroupRows);
}

std::string valuesMarks(std::size_t columns, std::size_t rows) {
    std::string marks;
    marks.reserve(rows * columns * 7);
    std::size_t number = 0;
    for (std::size_t r = 0; r < rows; ++r) {
        marks += r == 0 ? "(" : ",(";
        for (std::size_t c = 0; c < columns; ++c) {
            if (c > 0) marks += ',';
            marks += '$';
            marks += std::to_string(++number);
        }
        marks += ')';
    }
    return marks;
}

}  // namespace tessaro7::db
