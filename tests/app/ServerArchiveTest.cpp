// An office's archive moved to the server with copy-to-server: the thirteen
// exports come out byte for byte as before, every table (one WITHOUT ROWID,
// one the program does not use) holds the same rows, TS7Rete.dat gains the
// server line with its first line untouched, and the file stays as it was.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>

#include "app/DemoArchive.h"
#include "batch/BatchRunner.h"
#include "import_text/TextArchive.h"
#include "support/ServerDatabase.h"
#include "support/TempDir.h"

namespace {

using namespace tessaro7::testing;
namespace fs = std::filesystem;

std::string bytesOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct BatchRun {
    int status;
    std::string out, err;
};

BatchRun batch(const fs::path& dir, const std::vector<std::string>& args) {
    std::ostringstream out, err;
    int status = tessaro7::batch::runBatch(args, out, err, dir);
    return {status, out.str(), err.str()};
}

// Every worksheet the thirteen exports write, by file name.
std::map<std::string, std::string> exportAll(const fs::path& folder) {
    BatchRun run = batch(folder, {"export-all"});
    EXPECT_EQ(run.status, 0) << run.err;
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".xls") {
            files[entry.path().filename().string()] = bytesOf(entry.path());
            fs::remove(entry.path());
        }
    return files;
}

const char* const kEdgeRows = R"(
    insert into clienti (nominativo, seconda_riga, citta, pr, piva) values
        ('Àlfa Città S.r.l.', NULL, 'Forlì', 'FC', NULL), ('ÉDOARDO ŁUKASZ', '', NULL, NULL, '01234567890'),
        ('zeta "virgolette" e \ barra', 'tab	e a capo
riga', 'L''Aquila', 'AQ', '');
    insert into fatturav values (strftime('%Y', 'now'), 9001, 'Àlfa Città S.r.l.', '2024-02-29', 'EURO', 1234.5),
        (strftime('%Y', 'now'), 9002, NULL, NULL, NULL, NULL);
    create table listini (codice VARCHAR(10) primary key, prezzo DOUBLE, valido_dal DATE, attivo YESNO) without rowid;
    insert into listini values ('B2', 2.5, '2026-01-31', 1), ('A1', NULL, NULL, 0), ('C€', -0.25, '1999-12-31', NULL);
    create table appunti_altro_programma (id INTEGER primary key, testo MEMO, quando DATETIME);
    create unique index appunti_testo on appunti_altro_programma (testo);
    insert into appunti_altro_programma values (1, 'première', '2026-03-01 10:20:30'), (2, NULL, NULL);
)";

TEST(ServerArchiveTest, CopyToServerGivesTheSameExportsAndRows) {
    TESSARO7_SKIP_WITHOUT_SERVER(Engine::Server);
    TempDir dir;
    const fs::path folder = dir / "archivio";
    tessaro7::app::createDemoArchive(folder.string());
    TextArchive::exec((folder / "Tessaro7.mdb").string(), kEdgeRows);
    const std::string fileBefore = bytesOf(folder / "Tessaro7.mdb");
    const std::string firstLine = bytesOf(folder / "TS7Rete.dat");
    const std::map<std::string, std::string> onFile = exportAll(folder);
    ASSERT_FALSE(onFile.empty());

    ServerDatabase server;
    BatchRun copied = batch(folder, {"copy-to-server", server.uri()});
    ASSERT_EQ(copied.status, 0) << copied.err;
    EXPECT_NE(copied.out.find("listini: 3\n"), std::string::npos) << copied.out;
    EXPECT_NE(copied.out.find("database=" + server.uri() + "\n"), std::string::npos) << copied.out;
    EXPECT_EQ(bytesOf(folder / "TS7Rete.dat"), firstLine + "database=" + server.uri() + "\r\n");
    EXPECT_EQ(bytesOf(folder / "Tessaro7.mdb"), fileBefore);

    ServerSession session(server.uri());
    for (const auto& row : TextArchive::query((folder / "Tessaro7.mdb").string(),
                                              "select name from sqlite_master where type = 'table'")) {
        const std::string& table = row[0];
        EXPECT_EQ(session.exec("select count(*) from \"" + table + "\""),
                  TextArchive::query((folder / "Tessaro7.mdb").string(), "select count(*) from \"" + table + "\"")[0][0])
            << table;
    }
    EXPECT_EQ(session.exec("select string_agg(codice || '|' || coalesce(prezzo::text, '-') || '|' || "
                           "coalesce(valido_dal::text, '-') || '|' || coalesce(attivo::text, '-'), ' ' order by codice) "
                           "from listini"),
              "A1|-|-|false B2|2.5|2026-01-31|true C€|-0.25|1999-12-31|-");
    EXPECT_EQ(session.exec("select quando::text from appunti_altro_programma where id = 1"), "2026-03-01 10:20:30");

    const std::map<std::string, std::string> onServer = exportAll(folder);
    ASSERT_EQ(onServer.size(), onFile.size());
    for (const auto& [name, bytes] : onFile) EXPECT_TRUE(onServer.at(name) == bytes) << name << " differs";

    // Moved once: a second copy is refused, and so is a server already holding the tables.
    BatchRun again = batch(folder, {"copy-to-server", server.uri()});
    EXPECT_NE(again.status, 0);
    EXPECT_NE(again.err.find("già sul server"), std::string::npos) << again.err;
}

TEST(ServerArchiveTest, AServerDatabaseHoldingTheTablesIsRefusedAndTheFileKeepsOneLine) {
    TESSARO7_SKIP_WITHOUT_SERVER(Engine::Server);
    TempDir dir;
    const fs::path folder = dir / "archivio";
    tessaro7::app::createDemoArchive(folder.string());
    ServerDatabase server;
    ServerSession(server.uri()).exec("create table Clienti (nominativo text)");
    const std::string before = bytesOf(folder / "TS7Rete.dat");
    BatchRun copied = batch(folder, {"copy-to-server", server.uri()});
    EXPECT_NE(copied.status, 0);
    EXPECT_NE(copied.err.find("contiene già la tabella"), std::string::npos) << copied.err;
    EXPECT_EQ(bytesOf(folder / "TS7Rete.dat"), before);
    EXPECT_EQ(ServerSession(server.uri()).exec("select count(*) from pg_tables where tablename = 'articoli'"), "0");
}

}  // namespace
