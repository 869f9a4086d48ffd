#include "import_excel/PreviewGrid.h"

#include "app/HugePages.h"

#include <algorithm>
#include <limits>

namespace tessaro7::import_excel {

namespace {

bool before(std::uint32_t r1, std::uint32_t c1, std::uint32_t r2, std::uint32_t c2) {
    return r1 < r2 || (r1 == r2 && c1 < c2);
}

}  // namespace

PreviewGrid::PreviewGrid(long rows, long cols) : m_rows(std::max(rows, 0L)), m_cols(std::max(cols, 0L)) {
    // Room for the cells a full grid holds, up to a bound: memory is only
    // address space until a cell is stored, and a grid that fills up is
    // never copied to grow.
    constexpr std::uint64_t kReservedCells = std::uint64_t(1) << 20;
    const std::uint64_t cells = std::min<std::uint64_t>(std::uint64_t(m_rows) * std::uint64_t(m_cols), kReservedCells);
    m_cells.reserve(static_cast<std::size_t>(cells));
    m_text.reserve(static_cast<std::size_t>(cells * 16));
    app::preferHugePages(m_cells.data(), m_cells.capacity() * sizeof(Entry));
    app::preferHugePages(m_text.data(), m_text.capacity());
}

void PreviewGrid::index() const {
    if (!m_sorted) {
        // Equal cells keep their arrival order, so the later one is last of its run.
        std::stable_sort(m_cells.begin(), m_cells.end(),
                         [](const Entry& a, const Entry& b) { return before(a.row, a.col, b.row, b.col); });
        m_sorted = true;
    }
    std::size_t rows = m_cells.empty() ? 0 : std::size_t(m_cells.back().row) + 1;
    m_rowStart.assign(rows + 1, m_cells.size());
    for (std::size_t i = m_cells.size(); i-- > 0;) m_rowStart[m_cells[i].row] = i;
    // A row without cells starts where the next one does.
    for (std::size_t r = rows; r-- > 0;) m_rowStart[r] = std::min(m_rowStart[r], m_rowStart[r + 1]);
    m_indexed = true;
}

const PreviewGrid::Entry* PreviewGrid::find(long row, long col) const {
    if (row < 0 || col < 0 || row >= m_rows || col >= m_cols) return nullptr;
    if (!m_indexed) index();
    auto r = static_cast<std::size_t>(row);
    if (r + 1 >= m_rowStart.size()) return nullptr;
    auto first = m_cells.begin() + static_cast<std::ptrdiff_t>(m_rowStart[r]);
    auto last = m_cells.begin() + static_cast<std::ptrdiff_t>(m_rowStart[r + 1]);
    auto c = static_cast<std::uint32_t>(col);
    // A row filled from its first column holds cell c at position c; the
    // last of equal cells holds the later value, so the next must differ.
    if (std::size_t(last - first) > c) {
        auto at = first + static_cast<std::ptrdiff_t>(c);
        if (at->col == c && (at + 1 == last || at[1].col != c)) return &*at;
    }
    auto it = std::upper_bound(first, last, c, [](std::uint32_t key, const Entry& e) { return key < e.col; });
    if (it == first) return nullptr;
    --it;
    return it->col == c ? &*it : nullptr;
}

PreviewGrid::Held PreviewGrid::held(long row, long col) const {
    const Entry* e = find(row, col);
    return e ? Held{std::string_view(m_text).substr(e->offset, e->length), e->kind} : Held{};
}

std::string_view PreviewGrid::cell(long row, long col) const { return held(row, col).text; }

CellKind PreviewGrid::kind(long row, long col) const { return held(row, col).kind; }

bool PreviewGrid::onlyValues() const {
    return std::all_of(m_cells.begin(), m_cells.end(), [](const Entry& e) { return e.kind == CellKind::Value; });
}

void PreviewGrid::setCell(std::size_t row, std::size_t col, std::string_view text, CellKind kind) {
    if (row >= static_cast<std::size_t>(m_rows) || col >= static_cast<std::size_t>(m_cols)) return;
    text = text.substr(0, std::numeric_limits<std::uint32_t>::max());
    Entry e{static_cast<std::uint32_t>(row), static_cast<std::uint32_t>(col), m_text.size(),
            static_cast<std::uint32_t>(text.size()), kind};
    m_indexed = false;
    if (!m_cells.empty() && m_cells.back().row == e.row && m_cells.back().col == e.col) {
        m_cells.back() = e;  // the same cell again
    } else {
        if (!m_cells.empty() && !before(m_cells.back().row, m_cells.back().col, e.row, e.col)) m_sorted = false;
        m_cells.push_back(e);
    }
    m_text.append(text);
}

}  // namespace tessaro7::import_excel
