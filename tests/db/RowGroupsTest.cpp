#include "db/RowGroups.h"

#include <gtest/gtest.h>

namespace {

using namespace tessaro7::db;

TEST(RowGroupsTest, AGroupHoldsAsManyRowsAsTheParameterLimitAllowsUpToItsSize) {
    const struct {
        std::size_t columns, rows;
    } cases[] = {
        {0, 1},       // a row without values is written on its own
        {1, 1000},    {2, 1000},  {21, 1000},  // the import's rows: the size is the bound
        {65, 1000},   {66, 992},  {100, 655},  {300, 218},
        {65535, 1},   {70000, 1},  // a row past the limit still goes alone (and the server says why)
    };
    for (const auto& c : cases) EXPECT_EQ(rowsPerGroup(c.columns), c.rows) << c.columns << " colonne";
    for (std::size_t columns = 1; columns <= 65535; ++columns)
        ASSERT_LE(rowsPerGroup(columns) * columns, 65535u) << columns << " colonne";
}

TEST(RowGroupsTest, MarksNumberTheParametersRowAfterRow) {
    const struct {
        std::size_t columns, rows;
        const char* marks;
    } cases[] = {
        {1, 1, "($1)"},
        {3, 1, "($1,$2,$3)"},
        {1, 3, "($1),($2),($3)"},
        {2, 2, "($1,$2),($3,$4)"},
        {2, 6, "($1,$2),($3,$4),($5,$6),($7,$8),($9,$10),($11,$12)"},
    };
    for (const auto& c : cases) EXPECT_EQ(valuesMarks(c.columns, c.rows), c.marks);
}

}  // namespace
