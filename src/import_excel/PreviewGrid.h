#pragma once
// The preview of a sheet: PreviewRows x PreviewCols cell texts, cell (r, c)
// holding sheet cell (r + 1, c + 1). Only the part of the grid that the sheet
// fills is stored; every cell beyond it is empty text, so a large count asked
// for a small sheet costs nothing.
#include <cstddef>
#include <string>
#include <vector>

namespace tessaro7::import_excel {

class PreviewGrid {
public:
    PreviewGrid() = default;
    // A grid of rows x cols cells, of which the first storedRows x storedCols
    // are kept (clamped to the grid's size).
    PreviewGrid(long rows, long cols, std::size_t storedRows, std::size_t storedCols);

    long PreviewRows() const { return m_rows; }
    long PreviewCols() const { return m_cols; }
    const std::string& cell(long row, long col) const;
    void setCell(std::size_t row, std::size_t col, std::string text);

private:
    long m_rows = 0;
    long m_cols = 0;
    std::size_t m_storedRows = 0;
    std::size_t m_storedCols = 0;
    std::vector<std::string> m_cells;
};

}  // namespace tessaro7::import_excel
