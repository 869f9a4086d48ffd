#pragma once
// The preview of a sheet: PreviewRows x PreviewCols cell texts, cell (r, c)
// holding sheet cell (r + 1, c + 1). Only the cells the sheet fills are
// stored, all texts in one buffer; every other cell is empty text, so a large
// count asked for a small sheet costs nothing.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tessaro7::import_excel {

// What a cell holds besides its text, for the checks before an import.
enum class CellKind : std::uint8_t {
    Value,     // a value (text, number, date, Boolean), or empty
    Error,     // an error value; its text is the error ("#DIV/0!")
    NoResult,  // a formula saved without its result; empty text
};

class PreviewGrid {
public:
    PreviewGrid() = default;
    PreviewGrid(long rows, long cols);

    long PreviewRows() const { return m_rows; }
    long PreviewCols() const { return m_cols; }
    std::string_view cell(long row, long col) const;
    CellKind kind(long row, long col) const;
    // Both at once.
    struct Held {
        std::string_view text;
        CellKind kind = CellKind::Value;
    };
    Held held(long row, long col) const;
    // Cells outside the grid are ignored; a cell set again keeps the later text.
    void setCell(std::size_t row, std::size_t col, std::string_view text, CellKind kind = CellKind::Value);
    // Bytes of cell text stored so far.
    std::size_t textBytes() const { return m_text.size(); }
    // The text of every cell stored, one after another (with the earlier
    // text of a cell set again).
    std::string_view allText() const { return m_text; }
    // Whether every cell stored holds a value: no error, no formula without its result.
    bool onlyValues() const;

private:
    struct Entry {
        std::uint32_t row = 0, col = 0;
        std::size_t offset = 0;
        std::uint32_t length = 0;
        CellKind kind = CellKind::Value;
    };
    const Entry* find(long row, long col) const;

    long m_rows = 0;
    long m_cols = 0;
    // Sorts the cells when they arrived out of order and indexes the rows;
    // done by the first look-up after cells were set.
    void index() const;
    // Cells in row, column order once indexed; m_rowStart[r] is the first
    // cell of row r (rows up to the last stored one, plus an end mark).
    mutable std::vector<Entry> m_cells;
    mutable std::vector<std::size_t> m_rowStart;
    mutable bool m_sorted = true;
    mutable bool m_indexed = true;
    std::string m_text;
};

}  // namespace tessaro7::import_excel
