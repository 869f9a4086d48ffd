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
        std::string text;  // {} stands for the database file as it is on disk
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
        // Built the archive's way, in another letter case: shown as the file is.
        DataSource data;
        data.setDatabaseName(dir.str() + "\\tessaro7.MDB");
        data.setRecordSource("select * from clienti");
        std::string expected = c.text;
        expected.replace(expected.find("{}"), 2, dir.str() + "/Tessaro7.mdb");
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

// A missing file is named with the folders as they are on disk, the missing
// name as it was built; the separators are "/".
TEST(EngineMessages, AMissingDatabaseIsNamedWithTheRealFolders) {
    TempDir dir;
    std::filesystem::create_directory(dir / "Archivio");
    DataSource data;
    data.setDatabaseName(dir.str() + "\\ARCHIVIO\\\\Tessaro7a.mdb");
    data.setRecordSource("select * from clienti");
    try {
        data.refresh();
        ADD_FAILURE() << "no failure";
    } catch (const EngineError& e) {
        EXPECT_EQ(e.number(), 3024);
        EXPECT_EQ(e.text(), "Impossibile trovare il file di database '" + dir.str() + "/Archivio/Tessaro7a.mdb'.");
    }
}

// A table missing from a database named in another case.
TEST(EngineMessages, AMissingTableNamesTheRealFile) {
    TempDir dir;
    createDatabaseFromSql((dir / "Tessaro7.mdb").string(), "create table clienti (nominativo TEXT);");
    DataSource data;
    data.setDatabaseName(dir.str() + "\\TESSARO7.mdb");
    data.setRecordSource("select * from fornitori");
    try {
        data.refresh();
        ADD_FAILURE() << "no failure";
    } catch (const EngineError& e) {
        EXPECT_EQ(e.number(), 3078);
        EXPECT_NE(e.text().find("'" + dir.str() + "/Tessaro7.mdb'"), std::string::npos) << e.text();
    }
}

}  // namespace
