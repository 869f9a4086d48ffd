#include "import_excel/PreviewGrid.h"

#include <algorithm>
#include <limits>

namespace tessaro7::import_excel {

PreviewGrid::PreviewGrid(long rows, long cols, std::size_t storedRows, std::size_t storedCols)
    : m_rows(std::max(rows, 0L)),
      m_cols(std::max(cols, 0L)),
      m_storedRows(std::min(storedRows, static_cast<std::size_t>(m_rows))),
      m_storedCols(std::min(storedCols, static_cast<std::size_t>(m_cols))),
      m_cells(m_storedRows * m_storedCols) {}

std::string_view PreviewGrid::cell(long row, long col) const {
    if (row < 0 || col < 0) return {};
    auto r = static_cast<std::size_t>(row), c = static_cast<std::size_t>(col);
    if (r >= m_storedRows || c >= m_storedCols) return {};
    const Span& span = m_cells[r * m_storedCols + c];
    return std::string_view(m_text).substr(span.offset, span.length);
}

void PreviewGrid::setCell(std::size_t row, std::size_t col, std::string_view text) {
    if (row >= m_storedRows || col >= m_storedCols) return;
    // A cell holds at most 32767 characters; the cap only guards the length field.
    text = text.substr(0, std::numeric_limits<std::uint32_t>::max());
    m_cells[row * m_storedCols + col] = {m_text.size(), static_cast<std::uint32_t>(text.size())};
    m_text.append(text);
}

}  // namespace tessaro7::import_excel
