#include "app/KeptRecords.h"

#include "app/Messages.h"

namespace tessaro7::app {

KeptRecords keptByRun(const db::RunCounts& counts, const std::string& table, const std::string& upTo) {
    KeptRecords r;
    if (!counts.begun) {
        r.kept = 0;  // the engine refused the transaction: nothing was written
    } else if (counts.kept) {
        r.kept = *counts.kept;
    } else {
        r.what = msg::kKeptUnchecked + counts.uncertain + msg::kKeptCheckTable;
        r.count = msg::kRecordsAddedTo + table + ": " + msg::kNotCheckable + ".";
        return r;
    }
    r.what = *r.kept == 0 ? std::string(msg::kNoneKept) : msg::kKeptUpTo + upTo + msg::kKeptRepeatRest;
    r.count = msg::kRecordsAddedTo + table + ": " + std::to_string(*r.kept) + ".";
    return r;
}

}  // namespace tessaro7::app
