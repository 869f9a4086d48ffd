// The preview grid finds each cell whatever order the cells came in: a row
// filled from its first column, a sparse row, a cell set twice (the later
// text holds), rows out of order. Checked against a plain map of the cells.
#include "import_excel/PreviewGrid.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

using tessaro7::import_excel::CellKind;
using tessaro7::import_excel::PreviewGrid;

struct Set {
    std::size_t row, col;
    std::string text;
    CellKind kind = CellKind::Value;
};

void expectSame(const PreviewGrid& grid, const std::map<std::pair<long, long>, std::pair<std::string, CellKind>>& cells,
                const std::string& name) {
    for (long r = -1; r <= grid.PreviewRows(); ++r)
        for (long c = -1; c <= grid.PreviewCols(); ++c) {
            auto it = cells.find({r, c});
            const std::string text = it == cells.end() ? "" : it->second.first;
            const CellKind kind = it == cells.end() ? CellKind::Value : it->second.second;
            EXPECT_EQ(grid.cell(r, c), text) << name << " at " << r << "," << c;
            EXPECT_EQ(grid.kind(r, c), kind) << name << " at " << r << "," << c;
            EXPECT_EQ(grid.held(r, c).text, text) << name << " at " << r << "," << c;
            EXPECT_EQ(grid.held(r, c).kind, kind) << name << " at " << r << "," << c;
        }
}

TEST(PreviewGridTest, EachCellIsFoundWhateverOrderItCameIn) {
    struct Case {
        const char* name;
        std::vector<Set> sets;
    };
    const std::vector<Case> cases = {
        {"full rows", {{0, 0, "a"}, {0, 1, "b"}, {0, 2, "c"}, {1, 0, "d"}, {1, 1, "e"}, {1, 2, "f"}}},
        {"sparse row", {{0, 1, "b"}, {0, 3, "d"}, {2, 0, "x"}}},
        {"the first column missing", {{1, 1, "b"}, {1, 2, "c"}, {1, 3, "d"}}},
        {"a cell set again at once", {{0, 0, "a"}, {0, 1, "old"}, {0, 1, "new"}, {0, 2, "c"}}},
        {"a cell set again later", {{0, 0, "a"}, {0, 1, "old"}, {0, 2, "c"}, {1, 0, "d"}, {0, 1, "new"}}},
        {"the first cell set three times", {{0, 0, "1"}, {0, 1, "b"}, {0, 0, "2"}, {0, 0, "3", CellKind::Error}}},
        {"columns backwards", {{0, 3, "d"}, {0, 2, "c"}, {0, 1, "b"}, {0, 0, "a"}}},
        {"rows backwards", {{2, 0, "g"}, {1, 0, "d"}, {0, 0, "a"}, {0, 1, "b"}}},
        {"kinds", {{0, 0, "#DIV/0!", CellKind::Error}, {0, 1, "", CellKind::NoResult}, {0, 2, "v"}}},
        {"outside the grid", {{0, 4, "no"}, {3, 0, "no"}, {1, 1, "yes"}}},
    };
    for (const Case& c : cases) {
        PreviewGrid grid(3, 4);
        std::map<std::pair<long, long>, std::pair<std::string, CellKind>> model;
        for (const Set& s : c.sets) {
            grid.setCell(s.row, s.col, s.text, s.kind);
            if (s.row < 3 && s.col < 4) model[{long(s.row), long(s.col)}] = {s.text, s.kind};
        }
        expectSame(grid, model, c.name);
    }
}

TEST(PreviewGridTest, RandomCellsAgreeWithAMapOfThem) {
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        const long rows = 1 + long(random() % 6), cols = 1 + long(random() % 6);
        PreviewGrid grid(rows, cols);
        std::map<std::pair<long, long>, std::pair<std::string, CellKind>> model;
        const int sets = int(random() % 40);
        for (int i = 0; i < sets; ++i) {
            const std::size_t r = random() % std::size_t(rows + 1), c = random() % std::size_t(cols + 1);
            const std::string text = std::to_string(i);
            grid.setCell(r, c, text);
            if (long(r) < rows && long(c) < cols) model[{long(r), long(c)}] = {text, CellKind::Value};
            if (random() % 4 == 0) expectSame(grid, model, "round " + std::to_string(round));
        }
        expectSame(grid, model, "round " + std::to_string(round));
    }
}

}  // namespace
