// The records of a run come back from the register as they were given, in
// their order, whatever their number: the register writes them many rows to
// a statement, with a shorter last statement.
#include <gtest/gtest.h>

#include "app/ImportRegister.h"
#include "support/TempDir.h"

namespace {

using tessaro7::app::AddedRecord;
using tessaro7::app::ImportRegister;
using tessaro7::app::RegisterRun;

std::vector<AddedRecord> recordsNumbered(std::size_t count, std::size_t from) {
    std::vector<AddedRecord> records;
    for (std::size_t i = 0; i < count; ++i)
        records.push_back({std::to_string(from + i), "impronta-" + std::to_string(from + i)});
    return records;
}

TEST(ImportRegisterRecords, EveryRecordOfEveryRunComesBackInOrder) {
    tessaro7::testing::TempDir dir;
    dir.write("Tessaro7a.mdb", "");  // an empty file is an empty database
    ImportRegister reg((dir / "Tessaro7a.mdb").string());
    const std::size_t counts[] = {1, 99, 100, 101, 250, 0};
    std::vector<std::pair<long, std::vector<AddedRecord>>> written;
    std::size_t from = 1;
    for (std::size_t count : counts) {
        RegisterRun run;
        run.table = "clienti";
        run.added = static_cast<long>(count);
        std::vector<AddedRecord> records = recordsNumbered(count, from);
        from += count;
        written.emplace_back(reg.record(run, records), records);
    }
    for (const auto& [number, records] : written) {
        SCOPED_TRACE("run " + std::to_string(number) + ", " + std::to_string(records.size()) + " records");
        const std::vector<AddedRecord> read = reg.recordsOf(number);
        ASSERT_EQ(read.size(), records.size());
        for (std::size_t i = 0; i < read.size(); ++i) {
            EXPECT_EQ(read[i].identity, records[i].identity);
            EXPECT_EQ(read[i].fingerprint, records[i].fingerprint);
        }
    }
}

}  // namespace
