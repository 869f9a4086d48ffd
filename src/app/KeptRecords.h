#pragma once
// What a failed import run really left in its table, from the counts the
// engine took on the run's own connection: the rows up to the failure, none,
// or a number that could not be checked. Both imports end their failure
// messages with these lines.
#include <optional>
#include <string>

#include "db/DataSource.h"

namespace tessaro7::app {

struct KeptRecords {
    std::optional<long> kept;  // records of the run in the table; none when they could not be counted
    std::string what;          // what that means for the user
    std::string count;         // the last line: the table and the number
};

// `written`: the records the run wrote before it stopped; `upTo`: the last
// row written before the failure, as the user finds it ("alla riga 2 del file").
KeptRecords keptByRun(const db::RunCounts& counts, long written, const std::string& table, const std::string& upTo);

}  // namespace tessaro7::app
