#include "app/WrittenRows.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using tessaro7::app::positionOfWrittenRow;

// 'W' a row written, 'B' a blank one, 'P' one already present.
TEST(WrittenRowsTest, TheNthRowWrittenIsFoundPastTheRowsLeftOut) {
    const struct {
        std::string actions;
        long written;
        std::size_t position;
    } cases[] = {
        {"WWW", 1, 0},   {"WWW", 3, 2},  {"BWBW", 2, 3}, {"PWBW", 1, 1}, {"BBWPPW", 2, 5},
        {"BBB", 1, 3},   {"WW", 3, 2},   {"", 1, 0},  // fewer rows written: past the last
    };
    for (const auto& c : cases) {
        std::vector<char> actions(c.actions.begin(), c.actions.end());
        EXPECT_EQ(positionOfWrittenRow(actions, 'W', c.written), c.position) << c.actions << " " << c.written;
    }
}

}  // namespace
