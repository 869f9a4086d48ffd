#pragma once
// The engine names a row that failed by its number among the rows written
// (counted from 1); an import names it by its line or sheet row. The rows it
// left out (blank, already present) sit between the two.
#include <cstddef>
#include <vector>

namespace tessaro7::app {

// The position in `actions` (one per line or grid row) of the `written`-th
// action `write`; actions.size() when there are fewer.
template <typename Action>
std::size_t positionOfWrittenRow(const std::vector<Action>& actions, Action write, long written) {
    long seen = 0;
    for (std::size_t i = 0; i < actions.size(); ++i)
        if (actions[i] == write && ++seen == written) return i;
    return actions.size();
}

}  // namespace tessaro7::app
