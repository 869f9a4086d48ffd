// Writes that wait for another program's writes, and what a run in one
// transaction really left, counted on its own connection.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <thread>

#include "db/DataSource.h"
#include "db/DatabaseCreator.h"
#include "support/TempDir.h"

namespace {

using namespace tessaro7::db;
using namespace std::chrono_literals;
using tessaro7::testing::TempDir;

sqlite3* openDirect(const std::string& path) {
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    return db;
}

// Another program writing: it holds the write lock from its construction and
// commits `sql` after `hold`.
class OtherWriter {
public:
    OtherWriter(const std::string& path, const std::string& sql, std::chrono::milliseconds hold)
        : m_db(openDirect(path)) {
        EXPECT_EQ(sqlite3_exec(m_db, ("begin immediate; " + sql).c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
        m_thread = std::thread([this, hold] {
            std::this_thread::sleep_for(hold);
            sqlite3_exec(m_db, "commit", nullptr, nullptr, nullptr);
        });
    }
    ~OtherWriter() {
        m_thread.join();
        sqlite3_close(m_db);
    }

private:
    sqlite3* m_db;
    std::thread m_thread;
};

class DataSourceTransactionTest : public ::testing::Test {
protected:
    void SetUp() override {
        createDatabaseFromSql(path, "create table articoli (codice VARCHAR(18));"
                                    "insert into articoli values ('A'), ('B'), ('C');");
        data.setDatabaseName(path);
        data.setRecordSource("articoli");
        DataSource::setBusyTimeoutMs(100);
        DataSource::setWriteTimeoutMs(20000);
    }
    void TearDown() override {
        DataSource::setBusyTimeoutMs(5000);
        DataSource::setWriteTimeoutMs(30000);
    }
    void append(const std::string& code) {
        data.addNew();
        data.setField("codice", code);
        data.update();
    }
    std::string codes() const {
        sqlite3* db = openDirect(path);
        std::string all;
        sqlite3_exec(
            db, "select codice from articoli order by rowid",
            [](void* out, int, char** values, char**) {
                *static_cast<std::string*>(out) += values[0];
                *static_cast<std::string*>(out) += ' ';
                return 0;
            },
            &all, nullptr);
        sqlite3_close(db);
        return all;
    }

    TempDir dir;
    std::string path = (dir / "Tessaro7.mdb").string();
    DataSource data;
};

TEST_F(DataSourceTransactionTest, ARunWaitsForAnotherWriterLongerThanAReadWould) {
    data.refresh();  // the run's own selection still stands on its first row
    auto start = std::chrono::steady_clock::now();
    {
        OtherWriter other(path, "insert into articoli values ('X')", 600ms);
        data.runInOneTransaction([&] {
            append("N1");
            append("N2");
        });
    }
    EXPECT_GE(std::chrono::steady_clock::now() - start, 500ms);
    EXPECT_EQ(codes(), "A B C X N1 N2 ");
}

TEST_F(DataSourceTransactionTest, AnEditOnItsOwnWaitsTooAndReadingGoesOnFromTheNextRow) {
    data.refresh();
    {
        OtherWriter other(path, "insert into articoli values ('X')", 400ms);
        data.edit();
        data.setField("codice", "A1");
        data.update();
    }
    std::string read = data.fieldText("codice");
    for (data.moveNext(); !data.eof(); data.moveNext()) read += " " + data.fieldText("codice");
    EXPECT_EQ(read, "A1 B C X");
    EXPECT_EQ(codes(), "A1 B C X ");
}

// Each way a run can end, and the rows of the run it leaves.
TEST_F(DataSourceTransactionTest, ARunKeepsTheRowsTheEngineStoredOrNoneWhenItsTransactionIsUndone) {
    struct Case {
        const char* name;
        std::function<void()> arrange;  // what happens around the run
        std::function<void()> work;
        int failure;  // engine error number; 0 none, -1 a failure of the caller, -2 its rollback
        bool begun;
        std::optional<long> kept;
        std::string stored;
    };
    sqlite3* reader = nullptr;
    sqlite3_stmt* reading = nullptr;
    std::unique_ptr<OtherWriter> writer;
    const std::vector<Case> cases = {
        {"completed", [] {}, [&] { append("N1"); }, 0, true, 1, "A B C N1 "},
        {"stopped by the caller: the rows before remain", [] {},
         [&] {
             append("N1");
             append("N2");
             throw std::runtime_error("riga non valida");
         },
         -1, true, 2, "A B C N1 N2 "},
        {"rolled back by the caller", [] {},
         [&] {
             append("N1");
             append("N2");
             throw RollBackRun();
         },
         -2, true, 0, "A B C "},
        {"undone by the engine",
         [&] {
             sqlite3* db = openDirect(path);
             sqlite3_exec(db,
                          "create trigger undo before insert on articoli when new.codice = 'U' "
                          "begin select raise(rollback, 'annullato'); end;",
                          nullptr, nullptr, nullptr);
             sqlite3_close(db);
         },
         [&] {
             append("N1");
             append("U");
         },
         3000, true, 0, "A B C "},
        {"commit refused while another program reads",
         [&] {
             DataSource::setWriteTimeoutMs(300);
             reader = openDirect(path);
             sqlite3_prepare_v2(reader, "select * from articoli", -1, &reading, nullptr);
             sqlite3_step(reading);
         },
         [&] { append("N1"); }, 3260, true, 0, "A B C "},
        {"write lock never obtained",
         [&] {
             DataSource::setWriteTimeoutMs(200);
             writer = std::make_unique<OtherWriter>(path, "select 1", 800ms);
         },
         [&] { append("N1"); }, 3260, false, std::nullopt, "A B C "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir fresh;
        path = (fresh / "Tessaro7.mdb").string();
        SetUp();
        c.arrange();
        data.refresh();
        RunCounts counts;
        int failure = 0;
        try {
            data.runInOneTransaction(c.work, &counts);
        } catch (const EngineError& e) {
            failure = e.number();
        } catch (const std::runtime_error&) {
            failure = -1;
        } catch (const RollBackRun&) {
            failure = -2;
        }
        sqlite3_finalize(reading);
        sqlite3_close(reader);
        reading = nullptr;
        reader = nullptr;
        writer.reset();
        EXPECT_EQ(failure, c.failure);
        EXPECT_EQ(counts.begun, c.begun);
        EXPECT_EQ(counts.kept, c.kept) << counts.uncertain;
        EXPECT_EQ(codes(), c.stored);
    }
}

}  // namespace
