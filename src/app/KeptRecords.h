#pragma once
// What a failed import run really left in its table, from the engine's own
// answers for the run's rows: the rows up to the failure, none, or a number
// that cannot be known (the connection was lost while committing). Both
// imports end their failure messages with these lines.
#include <optional>
#include <string>

#include "db/DataSource.h"

namespace tessaro7::app {

struct KeptRecords {
    std::optional<long> kept;  // records of the run in the table; none when they could not be counted
    std::string what;          // what that means for the user
    std::string count;         // the last line: the table and the number
};

// `upTo`: the last row written before the failure, as the user finds it
// ("alla riga 2 del file").
KeptRecords keptByRun(const db::RunCounts& counts, const std::string& table, const std::string& upTo);

}  // namespace tessaro7::app
