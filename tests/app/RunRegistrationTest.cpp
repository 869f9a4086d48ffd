// A run's register holds each added row's identity and the fingerprint of
// its values as stored, whether the rows were taken as they were written or
// read back after the run (a trigger edits them as they are stored, a number
// that is no number is stored as Null halfway through the run).
#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <optional>

#include "app/ImportRegister.h"
#include "app/RunRegistration.h"
#include "db/DataSource.h"
#include "db/DatabaseCreator.h"
#include "support/TempDir.h"

namespace {

using namespace tessaro7;
using tessaro7::testing::TempDir;

// A business database of `schema` (its table is t) beside an empty mapping
// database and the file a run reads.
struct RunFolder {
    TempDir dir;
    std::string business = (dir / "b.mdb").string(), mapping = (dir / "m.mdb").string();
    db::DataSource data;
    std::optional<app::RunRegistration> registration;

    explicit RunFolder(const std::string& schema) {
        db::createDatabaseFromSql(business, schema);
        dir.write("m.mdb", "");
        dir.write("file.txt", "righe");
        data.setDatabaseName(business);
        data.setRecordSource("t");
        registration.emplace(app::RunSource{mapping, (dir / "file.txt").string(), ""}, "t");
    }
    // Runs `write` as one run whose rows the registration collects.
    db::RunCounts run(const std::function<void()>& write) {
        db::RunCounts counts;
        data.runInOneTransaction(
            [&] {
                app::CollectAddedRows collect(*registration, data);
                write();
            },
            &counts);
        return counts;
    }
};

TEST(RunRegistration, TheRegisterHoldsTheRowsAsStored) {
    const char* const plain = "create table t (a VARCHAR(10), n DOUBLE, c VARCHAR(5))";
    struct Case {
        std::string schema;
        int notANumberAt;  // the row whose number is NaN; -1: none
    };
    const Case cases[] = {
        {plain, -1},
        {std::string(plain) + "; create trigger e after insert on t begin update t set c = 'z' where rowid = new.rowid; end", -1},
        {plain, 1500},
    };
    for (const auto& [schema, notANumberAt] : cases) {
        SCOPED_TRACE(schema + " " + std::to_string(notANumberAt));
        RunFolder folder(schema + "; insert into t (a) values ('prima')");
        db::DataSource& data = folder.data;
        // More rows than a batch of hashing, so that batches take turns.
        constexpr int kRows = 2500;
        const db::RunCounts counts = folder.run([&] {
            for (int i = 0; i < kRows; ++i) {
                data.addNew();
                data.setField("a", "riga " + std::to_string(i));
                data.setField("n", i == notANumberAt ? std::numeric_limits<double>::quiet_NaN() : i * 0.5);
                data.update();
            }
        });
        EXPECT_EQ(folder.registration->finish(*counts.kept, true), "");

        std::vector<app::AddedRecord> expected;
        data.setRecordSource("select rowid, * from t where rowid > 1 order by rowid");
        for (data.refresh(); !data.eof(); data.moveNext()) {
            std::vector<db::Value> row = data.rowValues();
            const std::string id = row.front().toText();
            row.erase(row.begin());
            expected.push_back({id, app::rowFingerprint(row)});
        }
        ASSERT_EQ(expected.size(), static_cast<std::size_t>(kRows));
        app::ImportRegister reg(folder.mapping);
        const std::vector<app::RegisterRun> runs = reg.runs("t");
        ASSERT_EQ(runs.size(), 1u);
        EXPECT_TRUE(runs.front().undoable);
        const std::vector<app::AddedRecord> records = reg.recordsOf(runs.front().number);
        ASSERT_EQ(records.size(), expected.size());
        for (std::size_t i = 0; i < records.size(); ++i) {
            EXPECT_EQ(records[i].identity, expected[i].identity) << i;
            EXPECT_EQ(records[i].fingerprint, expected[i].fingerprint) << i;
        }
    }
}

// The register is written while the run's rows are saved, but a run enters
// it only when it is finished with rows kept: one that ends otherwise leaves
// nothing and holds the register no longer; one whose rows cannot all be
// told is entered without its records, and cannot be undone.
TEST(RunRegistration, ARunEntersTheRegisterOnlyWhenFinishedWithRowsKept) {
    struct Case {
        const char* what;
        std::optional<long> kept;  // none: never finished
        bool entered, undoable;
    };
    const Case cases[] = {
        {"finished with every row", 3, true, true},
        {"finished with fewer rows than told", 2, true, false},
        {"finished with none", 0, false, false},
        {"never finished", std::nullopt, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RunFolder folder("create table t (a VARCHAR(10))");
        folder.run([&] {
            for (const char* a : {"x", "y", "z"}) {
                folder.data.addNew();
                folder.data.setField("a", a);
                folder.data.update();
            }
        });
        if (c.kept) {
            EXPECT_EQ(folder.registration->finish(*c.kept, true), "");
        }
        folder.registration.reset();
        app::ImportRegister reg(folder.mapping);
        const std::vector<app::RegisterRun> runs = reg.runs("t");
        ASSERT_EQ(runs.size(), c.entered ? 1u : 0u);
        if (c.entered) {
            EXPECT_EQ(runs.front().added, *c.kept);
            EXPECT_EQ(runs.front().undoable, c.undoable);
            EXPECT_EQ(reg.recordsOf(runs.front().number).size(), c.undoable ? 3u : 0u);
        }
        EXPECT_TRUE(reg.recordsOf(1).empty() || c.undoable);
        // Nothing holds the register afterwards.
        app::RegisterRun later;
        later.table = "t";
        later.added = 1;
        EXPECT_EQ(reg.record(later, {{"9", "impronta"}}), c.entered ? 2 : 1);
    }
}

// Rows told as they were sent take the identities told afterwards; a row
// that was not stored (Null) has no record, wherever it lies.
TEST(RunRegistration, RowsToldAsSentTakeTheIdentitiesToldAfterwards) {
    const std::vector<app::AddedRecord> told = {{"", "f1"}, {"", "f2"}, {"", "f3"}, {"", "f4"}};
    const db::Value none;
    auto id = [](const char* text) { return db::Value(std::string(text)); };
    struct Case {
        std::vector<db::Value> identities;
        std::vector<app::AddedRecord> records;
    };
    const Case cases[] = {
        {{id("(0,1)"), id("(0,2)"), id("(0,3)"), id("(0,4)")}, {{"(0,1)", "f1"}, {"(0,2)", "f2"}, {"(0,3)", "f3"}, {"(0,4)", "f4"}}},
        {{none, id("(1,2)"), none, id("(1,1)")}, {{"(1,2)", "f2"}, {"(1,1)", "f4"}}},
        {{id("(0,9)"), id("(0,8)"), none, none}, {{"(0,9)", "f1"}, {"(0,8)", "f2"}}},
        {{none, none, none, none}, {}},
    };
    for (const Case& c : cases) {
        const std::vector<app::AddedRecord> records = app::withIdentities(told, c.identities);
        ASSERT_EQ(records.size(), c.records.size());
        for (std::size_t i = 0; i < records.size(); ++i) {
            EXPECT_EQ(records[i].identity, c.records[i].identity);
            EXPECT_EQ(records[i].fingerprint, c.records[i].fingerprint);
        }
    }
    EXPECT_THROW(app::withIdentities(told, {id("(0,1)")}), std::runtime_error);
}

}  // namespace
