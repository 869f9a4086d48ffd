#include <gtest/gtest.h>

#include <ctime>
#include <sstream>
#include <sys/wait.h>

#include "batch/BatchRunner.h"
#include "db/DataSource.h"
#include "support/TempDir.h"

using tessaro7::batch::runBatch;
using tessaro7::testing::TempDir;

namespace {

struct BatchRun {
    int status;
    std::string out, err;
};

BatchRun batch(const std::filesystem::path& dir, std::vector<std::string> args) {
    std::ostringstream out, err;
    int status = runBatch(args, out, err, dir);
    return {status, out.str(), err.str()};
}

}  // namespace

TEST(BatchFoundation, CreateDemoThenInfo) {
    TempDir dir;
    BatchRun created = batch(dir.path(), {"create-demo", "archivio"});
    ASSERT_EQ(created.status, 0) << created.err;
    std::filesystem::path folder = dir / "archivio";
    for (const char* f : {"Tessaro7.mdb", "Tessaro7a.mdb", "TS7Rete.dat"}) EXPECT_TRUE(std::filesystem::exists(folder / f)) << f;

    BatchRun info = batch(folder, {"info"});
    ASSERT_EQ(info.status, 0) << info.err;
    EXPECT_NE(info.out.find("ArchiveFolder: " + folder.string() + "\n"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("DatabasePath: " + folder.string() + "\\Tessaro7.mdb\n"), std::string::npos);
    for (const char* table : {"clienti: 30", "articoli: 30", "pagamentifornitori: 25", "comuni: 25"})
        EXPECT_NE(info.out.find(table), std::string::npos) << table;

    // The demo holds documents of this year and of the year before.
    tessaro7::db::DataSource data;
    data.setDatabaseName(folder.string() + "\\Tessaro7.mdb");
    int year = 0;
    {
        std::time_t now = std::time(nullptr);
        year = std::localtime(&now)->tm_year + 1900;
    }
    for (int y : {year, year - 1}) {
        data.setRecordSource("select * from fatturav where [anno_fattura]=" + std::to_string(y) + " order by [fattura_n]");
        data.refresh();
        EXPECT_GT(data.recordCount(), 0) << y;
    }

    BatchRun again = batch(dir.path(), {"create-demo", "archivio"});
    EXPECT_EQ(again.status, 1);
    EXPECT_NE(again.err.find("esiste già"), std::string::npos);
}

TEST(BatchFoundation, MappingDatabaseAsDelivered) {
    TempDir dir;
    ASSERT_EQ(batch(dir.path(), {"create-mapping-db", "."}).status, 0);
    tessaro7::db::DataSource data;
    data.setDatabaseName(dir.str() + "\\tessaro7a.mdb");
    struct Table {
        const char* select;
        long rows;
    } tables[] = {{"select [visualizzato],[colonna],[utilizzato] from clienti", 18},
                  {"select [visualizzato],[colonna],[utilizzato] from fornitori", 18},
                  {"select [visualizzato],[colonna],[utilizzato] from articoli", 10},
                  {"select [visualizzato],[colonna],[Qta],[utilizzato] from clientiBIS", 18},
                  {"select [visualizzato],[colonna],[Qta],[utilizzato] from fornitoriBIS", 18},
                  {"select [visualizzato],[colonna],[Qta],[utilizzato] from articoliBIS", 10}};
    for (const Table& t : tables) {
        data.setRecordSource(t.select);
        data.refresh();
        EXPECT_EQ(data.recordCount(), t.rows) << t.select;
        for (; !data.eof(); data.moveNext()) {
            EXPECT_FALSE(data.fieldText("visualizzato").empty());
            EXPECT_EQ(data.field("colonna"), tessaro7::db::Value(0));
            EXPECT_EQ(data.field("utilizzato"), tessaro7::db::Value::yesNo(false));
        }
    }
    data.setRecordSource("select [visualizzato],[colonna],[utilizzato] from articoli");
    data.refresh();
    EXPECT_EQ(data.fieldText("visualizzato"), "Codice");
    EXPECT_EQ(batch(dir.path(), {"create-mapping-db", "."}).status, 1);
}

TEST(BatchFoundation, UsageAndMissingArchive) {
    TempDir dir;
    EXPECT_EQ(batch(dir.path(), {}).status, 2);
    EXPECT_EQ(batch(dir.path(), {"sconosciuto"}).status, 2);
    EXPECT_EQ(batch(dir.path(), {"info", "troppo"}).status, 2);
    BatchRun help = batch(dir.path(), {"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("create-demo"), std::string::npos);

    const std::string notSet = "E' necessario impostare Percorso degli Archivi !\nTS7Rete.dat non si trova nella cartella " +
                               dir.str() + ".\n";
    BatchRun info = batch(dir.path(), {"info"});
    EXPECT_EQ(info.status, 1);
    EXPECT_EQ(info.err.rfind(notSet, 0), 0u) << info.err;
    // The workbook is read meanwhile, but the missing archive is what is reported.
    dir.write("rotto.xls", "non una cartella di lavoro");
    for (const char* file : {"rotto.xls", "assente.xls"}) {
        BatchRun import = batch(dir.path(), {"import-excel", "clienti", file, "8", "10"});
        EXPECT_EQ(import.status, 1);
        EXPECT_EQ(import.err.rfind(notSet, 0), 0u) << import.err;
    }
}

TEST(BatchFoundation, InfoNamesTheEngineErrorOfEachTable) {
    TempDir dir;
    dir.write("TS7Rete.dat", dir.str() + "\n");
    BatchRun info = batch(dir.path(), {"info"});
    EXPECT_EQ(info.status, 1);
    EXPECT_NE(info.out.find("clienti: errore 3024"), std::string::npos) << info.out;
}

TEST(BatchFoundation, TheProgramItselfExitsWithTheStatus) {
    TempDir dir;
    std::string command = "cd '" + dir.str() + "' && '" TESSARO7_BATCH_EXE "' info >/dev/null 2>&1";
    int status = std::system(command.c_str());
    EXPECT_EQ(WEXITSTATUS(status), 1);
}
