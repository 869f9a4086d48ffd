// The engine's failures a user can act on, made for real: an Italian text
// naming the file and what to check, the engine's own text after it.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fstream>

#include "db/DataSource.h"
#include "db/DatabaseCreator.h"
#include "support/TempDir.h"

namespace {

using namespace tessaro7::db;
using tessaro7::testing::TempDir;

TEST(EngineMessages, EachCauseNamesTheFileAndWhatToCheck) {
    struct Case {
        const char* name;
        std::function<void(const std::string& file)> make;
        int number;
        std::string text;  // {} stands for the database name
    };
    sqlite3* other = nullptr;  // another program holding the database
    const std::vector<Case> cases = {
        {"not a database",
         [](const std::string& file) { std::ofstream(file) << std::string(2048, 'x'); }, 3000,
         "Il file '{}' non è un database riconosciuto: controllare di aver indicato il file giusto (file is not a "
         "database)."},
        {"damaged",
         [](const std::string& file) {
             createDatabaseFromSql(file, "create table clienti (nominativo TEXT);"
                                         "with recursive n(i) as (select 1 union all select i + 1 from n where i < 300)"
                                         " insert into clienti select printf('%0100d', i) from n;");
             std::fstream f(file, std::ios::in | std::ios::out | std::ios::binary);
             f.seekp(4096);  // the table's first page
             f << std::string(4096, '\xFF');
         },
         3000,
         "Il database '{}' è danneggiato: ripristinarlo da una copia di sicurezza, o farlo riparare, prima di usarlo "
         "ancora (database disk image is malformed)."},
        {"locked",
         [&](const std::string& file) {
             createDatabaseFromSql(file, "create table clienti (nominativo TEXT);");
             sqlite3_open(file.c_str(), &other);
             sqlite3_exec(other, "begin exclusive", nullptr, nullptr, nullptr);
         },
         3260,
         "Il database '{}' è bloccato da un altro utente o programma: attendere che finisca, o chiuderlo, e ripetere "
         "l'operazione (database is locked)."},
    };
    DataSource::setBusyTimeoutMs(100);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        c.make((dir / "Tessaro7.mdb").string());
        std::string name = dir.str() + "\\Tessaro7.mdb";
        DataSource data;
        data.setDatabaseName(name);
        data.setRecordSource("select * from clienti");
        std::string expected = c.text;
        expected.replace(expected.find("{}"), 2, name);
        try {
            data.refresh();
            data.moveLast();
            ADD_FAILURE() << "no failure";
        } catch (const EngineError& e) {
            EXPECT_EQ(e.number(), c.number);
            EXPECT_EQ(e.text(), expected);
        }
        sqlite3_close(other);
        other = nullptr;
    }
    DataSource::setBusyTimeoutMs(5000);
}

}  // namespace
