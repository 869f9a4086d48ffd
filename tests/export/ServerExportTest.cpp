// The thirteen lists exported from the business database on a server are the
// same files, byte for byte, as from the same data in the embedded file; the
// demo archive is loaded onto a server only when its database is empty.
#include <gtest/gtest.h>

#include <sstream>

#include "app/DemoArchive.h"
#include "batch/BatchRunner.h"
#include "export/ExportLists.h"
#include "export/SheetFiles.h"
#include "export/XlsxFiles.h"
#include "support/ServerDatabase.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;
using namespace tessaro7;
using namespace tessaro7::testing;
namespace xlsx = tessaro7::testing::xlsx;

struct BatchOutcome {
    int status;
    std::string out, err;
};

BatchOutcome batchIn(const fs::path& folder, const std::vector<std::string>& args) {
    std::ostringstream out, err;
    int status = batch::runBatch(args, out, err, folder);
    return {status, out.str(), err.str()};
}

TEST(ServerExportTest, AllThirteenListsAreTheSameFilesAsFromTheEmbeddedDatabase) {
    TESSARO7_SKIP_WITHOUT_SERVER(Engine::Server);
    TempDir dir;
    fs::path embedded = dir / "file", served = dir / "server";
    app::createDemoArchive(embedded.string());
    // Rows that test the order: ties kept in insertion order, case, accents,
    // apostrophes, blanks and digits, Null names.
    sheet::Database::Open(embedded / "Tessaro7.mdb").exec(R"(
        insert into clienti (nominativo, citta) values ('Rossi', 'Primo'), ('rossi', 'Secondo'), ('Rossi', 'Terzo'),
            ('Rossì', 'Quarto'), ('D''Amico', NULL), ('De Luca', NULL), ('Dea', NULL), ('3M Italia', NULL),
            (NULL, 'Senza nome'), ('ROSSI', 'Quinto'), ('Öko', NULL), ('Ozono', NULL);
        insert into comuni values ('Z999', 'Ultimo'), ('A000', 'Àbano');
        insert into articoli (codice, descrizione, costoeuro) values ('a-1', 'Trattino', 1.5), ('A 1', 'Spazio', 0.1),
            ('a10', 'Dieci', 1e-7), ('A9', 'Nove', 123456789012.25);)");
    ServerDatabase server;
    db::copyDatabaseToServer((embedded / "Tessaro7.mdb").string(), server.uri());
    fs::create_directories(served);
    dir.write("server/TS7Rete.dat", served.string() + "\r\ndatabase=" + server.uri() + "\r\n");

    BatchOutcome fromFile = batchIn(embedded, {"export-all"});
    BatchOutcome fromServer = batchIn(served, {"export-all"});
    ASSERT_EQ(fromFile.status, 0) << fromFile.err;
    ASSERT_EQ(fromServer.status, 0) << fromServer.err;
    for (int n = 1; n <= 13; ++n) {
        const std::string name = exporting::listByNumber(n)->fileName;
        std::string a = sheet::readBytes(embedded / name), b = sheet::readBytes(served / name);
        ASSERT_GT(a.size(), 100u) << name;
        EXPECT_EQ(sheet::firstDifference(a, b), "") << name;
    }
}

TEST(ServerExportTest, CreateDemoOnAServerWritesTheTwoLinesAndRefusesAFilledDatabase) {
    TESSARO7_SKIP_WITHOUT_SERVER(Engine::Server);
    TempDir dir;
    ServerDatabase server;
    BatchOutcome created = batchIn(dir.path(), {"create-demo", "archivio", "--server", server.uri()});
    ASSERT_EQ(created.status, 0) << created.err;
    EXPECT_EQ(sheet::readBytes(dir / "archivio" / "TS7Rete.dat"),
              (dir / "archivio").string() + "\r\ndatabase=" + server.uri() + "\r\n");
    EXPECT_TRUE(fs::exists(dir / "archivio" / "Tessaro7a.mdb"));
    EXPECT_FALSE(fs::exists(dir / "archivio" / "Tessaro7.mdb"));  // the business database is on the server

    BatchOutcome info = batchIn(dir / "archivio", {"info"});
    EXPECT_EQ(info.status, 0) << info.err;
    EXPECT_NE(info.out.find("Motore: PostgreSQL, database 't7test_"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("clienti: 30\n"), std::string::npos) << info.out;

    BatchOutcome again = batchIn(dir.path(), {"create-demo", "altro", "--server", server.uri()});
    EXPECT_EQ(again.status, 1);
    EXPECT_NE(again.err.find("contiene già la tabella 'clienti'"), std::string::npos) << again.err;
    EXPECT_FALSE(fs::exists(dir / "altro"));
    EXPECT_NE(batchIn(dir / "archivio", {"info"}).out.find("clienti: 30\n"), std::string::npos);
}

// The server stores NaN and the infinities, which SQLite cannot all hold:
// none of them becomes a cell in either format, and the message counts each.
TEST(ServerExportTest, NumbersThatAreNotFiniteAreNoCellAndCounted) {
    TESSARO7_SKIP_WITHOUT_SERVER(Engine::Server);
    TempDir dir;
    {
        sheet::Database file(dir / "Tessaro7.mdb");
        for (const char* code : {"A1", "A2", "A3"})
            file.insert("articoli", {{"codice", std::string(code)}, {"costoeuro", 1.5}, {"esistenza", 2.0}});
    }
    ServerDatabase server;
    db::copyDatabaseToServer((dir / "Tessaro7.mdb").string(), server.uri());
    ServerSession(server.uri())
        .exec("update articoli set costoeuro = 'NaN', esistenza = 'Infinity' where codice = 'A1';"
              "update articoli set costoeuro = '-Infinity' where codice = 'A2'");
    dir.write("TS7Rete.dat", dir.str() + "\r\ndatabase=" + server.uri() + "\r\n");
    for (const char* format : {"xls", "xlsx"}) {
        const BatchOutcome exported = batchIn(dir.path(), {"export", "3", "--format", format});
        ASSERT_EQ(exported.status, 0) << exported.err;
        EXPECT_NE(exported.out.find("\nNumeri non finiti (infiniti o indefiniti) lasciati vuoti: 3\n"), std::string::npos)
            << exported.out;
    }
    const XlrdSheet xls = readWithXlrd(dir / "XLSArticoli.xls");
    const xlsx::Sheet opened = xlsx::readWithOpenpyxl(dir / "XLSArticoli.xlsx");
    // Columns C (costoeuro) and D (esistenza) of rows 2 to 4.
    const bool cellsC[] = {false, false, true}, cellsD[] = {false, true, true};
    for (int r = 0; r < 3; ++r) {
        EXPECT_EQ(xls.cells.count({r + 1u, 2u}), cellsC[r] ? 1u : 0u) << "row " << r + 2;
        EXPECT_EQ(xls.cells.count({r + 1u, 3u}), cellsD[r] ? 1u : 0u) << "row " << r + 2;
        EXPECT_EQ(opened.cells.count({r + 2, 3}), cellsC[r] ? 1u : 0u) << "row " << r + 2;
        EXPECT_EQ(opened.cells.count({r + 2, 4}), cellsD[r] ? 1u : 0u) << "row " << r + 2;
    }
}

}  // namespace
