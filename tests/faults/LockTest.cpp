// A database held by another program: a reader at the moment of the commit, a
// writer for the whole run, and a program about to write that blocks even the
// count afterwards. Each failure says what the table really holds.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <functional>

#include "app/Messages.h"
#include "faults/Faults.h"
#include "import_excel/ExcelMappingStore.h"
#include "import_excel/ExcelTables.h"

namespace {

using namespace tessaro7;
using namespace tessaro7::testing;

const std::string kNoneKept =
    "Nessun record di questa importazione è rimasto nella tabella: correggere la causa e ripetere l'importazione per "
    "intero.";

// Another program's hold on the database, from `take` until the end of the case.
struct Hold {
    sqlite3* db = nullptr;
    sqlite3_stmt* reading = nullptr;
    pid_t locker = -1;
    ~Hold() {
        sqlite3_finalize(reading);
        sqlite3_close(db);
        if (locker > 0) {
            kill(locker, SIGKILL);
            waitpid(locker, nullptr, 0);
        }
    }
    // A reader in the middle of its rows.
    void read(const std::string& database) {
        sqlite3_open(database.c_str(), &db);
        sqlite3_prepare_v2(db, "select * from clienti", -1, &reading, nullptr);
        ASSERT_EQ(sqlite3_step(reading), SQLITE_ROW);
    }
    // A writer that has taken the write lock.
    void write(const std::string& database) {
        sqlite3_open(database.c_str(), &db);
        ASSERT_EQ(sqlite3_exec(db, "begin immediate", nullptr, nullptr, nullptr), SQLITE_OK);
    }
    // A program, another process, about to write: it holds the engine's
    // pending lock (the byte at 1 GiB of the file, as SQLite's locking
    // protocol places it), so nobody can start reading or writing.
    void pending(const std::string& database) {
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        locker = fork();
        if (locker == 0) {
            int fd = open(database.c_str(), O_RDWR);
            struct flock lock {};
            lock.l_type = F_WRLCK;
            lock.l_whence = SEEK_SET;
            lock.l_start = 0x40000000;
            lock.l_len = 1;
            char ok = fcntl(fd, F_SETLK, &lock) == 0 ? '1' : '0';
            if (::write(ready[1], &ok, 1) != 1) _exit(1);
            pause();
            _exit(0);
        }
        char ok = 0;
        ASSERT_EQ(::read(ready[0], &ok, 1), 1);
        close(ready[0]);
        close(ready[1]);
        ASSERT_EQ(ok, '1');
    }
};

TEST(LockFaults, TheTextImportSaysWhatALockLeft) {
    struct Case {
        const char* name;
        std::function<void(Hold&, const std::string& database)> before;  // before the run
        std::function<void(Hold&, const std::string& database)> during;  // after its first line is written
        std::string where;    // the first line, up to the engine's text
        std::string closing;  // the last two lines
    };
    FaultArchive a;
    // Built as "\tessaro7.mdb", named as the file is on disk.
    const std::string db = a.businessDb();
    const std::vector<Case> cases = {
        {"a reader at the commit", [](Hold& h, const std::string& d) { h.read(d); }, {},
         "Salvataggio nel database '" + db + "' non riuscito: " + lockedText(db),
         kNoneKept + "\nRecord aggiunti alla tabella Clienti: 0."},
        {"a writer for the whole run", [](Hold& h, const std::string& d) { h.write(d); }, {},
         "Scrittura nel database '" + db + "' non iniziata: " + lockedText(db),
         kNoneKept + "\nRecord aggiunti alla tabella Clienti: 0."},
        {"a program about to write, also after the run", {}, [](Hold& h, const std::string& d) { h.pending(d); },
         "Salvataggio nel database '" + db + "' non riuscito: " + lockedText(db),
         kNoneKept + "\nRecord aggiunti alla tabella Clienti: 0."},
    };
    std::string file = a.textFile("c.txt", 3);
    long before = a.customers();
    ShortWaits waits(100, 300);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        import_text::TextImportOutcome o;
        {
            Hold hold;
            if (c.before) c.before(hold, a.businessDb());
            o = import_text::ImportCustomersFromText(a.archive, file, [&](long done, long) {
                if (done == 1 && c.during) c.during(hold, a.businessDb());
            });
        }
        EXPECT_FALSE(o.completed);
        EXPECT_EQ(o.message, c.where + "\n" + c.closing);
        EXPECT_EQ(a.customers(), before);
        EXPECT_EQ(a.integrity(), "ok");
    }
}

TEST(LockFaults, TheExcelImportSaysWhatALockLeft) {
    FaultArchive a;
    import_excel::ExcelMappingStore mapping;
    mapping.choose(a.archive.mappingDatabasePath(), *import_excel::findExcelTable("clienti"));
    long before = a.customers();
    ShortWaits waits(100, 300);
    for (bool reader : {true, false}) {
        SCOPED_TRACE(reader ? "a reader at the commit" : "a writer for the whole run");
        import_excel::ImportOutcome o;
        {
            Hold hold;
            if (reader)
                hold.read(a.businessDb());
            else
                hold.write(a.businessDb());
            o = import_excel::ImportFromExcel(a.archive.DatabasePath, mapping, a.grid(40));
        }
        EXPECT_FALSE(o.completed);
        EXPECT_EQ(o.added, 0);
        EXPECT_EQ(o.notice.lines[0], app::msg::kImportStopped);
        std::string locked = lockedText(a.businessDb());
        std::string engine = locked.substr(locked.find(" - ") + 3);
        EXPECT_EQ(o.notice.lines[1], (reader ? "Salvataggio nel database non riuscito: " :
                                               "Scrittura nel database non iniziata: ") + engine + " (errore 3260)");
        EXPECT_EQ(o.notice.lines[2], kNoneKept);
        EXPECT_EQ(o.notice.lines[3], "Record aggiunti alla tabella Clienti: 0.");
        EXPECT_EQ(a.customers(), before);
    }
}

}  // namespace
