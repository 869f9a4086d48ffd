#pragma once
// The preview of a sheet: PreviewRows x PreviewCols cell texts, cell (r, c)
// holding sheet cell (r + 1, c + 1). Only the part of the grid that the sheet
// fills is stored, all texts in one buffer; every cell beyond it is empty
// text, so a large count asked for a small sheet costs nothing.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
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
    std::string_view cell(long row, long col) const;
    void setCell(std::size_t row, std::size_t col, std::string_view text);
    // Room for `bytes` bytes of cell text, set aside at once.
    void reserveText(std::size_t bytes) { m_text.reserve(bytes); }

private:
    struct Span {
        std::size_t offset = 0;
        std::uint32_t length = 0;
    };
    long m_rows = 0;
    long m_cols = 0;
    std::size_t m_storedRows = 0;
    std::size_t m_storedCols = 0;
    std::vector<Span> m_cells;
    std::string m_text;
};

}  // namespace tessaro7::import_excel
