#include "import_excel/PreviewGrid.h"

#include <algorithm>

namespace tessaro7::import_excel {

namespace {
const std::string kEmpty;
}

PreviewGrid::PreviewGrid(long rows, long cols, std::size_t storedRows, std::size_t storedCols)
    : m_rows(std::max(rows, 0L)),
      m_cols(std::max(cols, 0L)),
      m_storedRows(std::min(storedRows, static_cast<std::size_t>(m_rows))),
      m_storedCols(std::min(storedCols, static_cast<std::size_t>(m_cols))),
      m_cells(m_storedRows * m_storedCols) {}

const std::string& PreviewGrid::cell(long row, long col) const {
    if (row < 0 || col < 0) return kEmpty;
    auto r = static_cast<std::size_t>(row), c = static_cast<std::size_t>(col);
    if (r >= m_storedRows || c >= m_storedCols) return kEmpty;
    return m_cells[r * m_storedCols + c];
}

void PreviewGrid::setCell(std::size_t row, std::size_t col, std::string text) {
    if (row < m_storedRows && col < m_storedCols) m_cells[row * m_storedCols + col] = std::move(text);
}

}  // namespace tessaro7::import_excel
