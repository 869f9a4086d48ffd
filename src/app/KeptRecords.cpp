#include "app/KeptRecords.h"

#include "app/Messages.h"

namespace tessaro7::app {

KeptRecords keptByRun(const db::RunCounts& counts, long written, const std::string& table, const std::string& upTo) {
    KeptRecords r;
    if (!counts.begun) {
        r.kept = 0;  // the engine refused the transaction: nothing was written
    } else if (counts.after) {
        r.kept = *counts.after - counts.before;
    } else {
        std::string why = counts.afterFailure;
        if (!why.empty() && why.back() == '.') why.pop_back();
        r.what = msg::kKeptUnchecked + why + msg::kKeptCheckTable;
        r.count = msg::kRecordsAddedTo + table + ": " + msg::kNotCheckable + ".";
        return r;
    }
    if (*r.kept == 0)
        r.what = msg::kNoneKept;
    else if (*r.kept == written)
        r.what = msg::kKeptUpTo + upTo + msg::kKeptRepeatRest;
    else
        r.what = msg::kKeptOther + std::to_string(*r.kept) + msg::kKeptOtherWritten + std::to_string(written) + ")" +
                 msg::kKeptCheckTable;
    r.count = msg::kRecordsAddedTo + table + ": " + std::to_string(*r.kept) + ".";
    return r;
}

}  // namespace tessaro7::app
