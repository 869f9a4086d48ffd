// info, create-demo, create-mapping-db
#include "app/DemoArchive.h"
#include "app/Messages.h"
#include "app/ServerArchive.h"
#include "batch/BatchCommand.h"
#include "db/BusinessSchema.h"
#include "db/DataSource.h"
#include "db/ServerName.h"

namespace tessaro7::batch {

namespace {

void requireArgs(const BatchContext& c, std::size_t n) {
    if (c.args.size() != n)
        throw UsageError{n == 0 ? app::msg::kBatchNoArguments : app::msg::kBatchWrongArgumentCount};
}

int info(BatchContext& c) {
    requireArgs(c, 0);
    app::Archive archive;
    if (!c.loadArchive(archive)) return kExitFailure;
    c.out << "ArchiveFolder: " << archive.ArchiveFolder << "\n";
    c.out << "DatabasePath: " << archive.DatabasePath << "\n";
    c.out << "Motore: "
          << (archive.DatabaseServer.empty() ? std::string(app::msg::kBatchEngineSqlite)
                                             : "PostgreSQL, " + db::describeServer(archive.DatabaseServer).text)
          << "\n";
    bool allRead = true;
    db::DataSource data;
    data.setDatabaseName(archive.DatabasePath);
    for (const char* table : db::schema::kBusinessTables) {
        try {
            data.setRecordSource(table);
            data.refresh();
            c.out << table << ": " << data.recordCount() << "\n";
        } catch (const db::EngineError& e) {
            c.out << table << ": errore " << e.number() << " - " << e.what() << "\n";
            allRead = false;
        }
    }
    return allRead ? kExitOk : kExitFailure;
}

int createDemo(BatchContext& c) {
    if (c.args.size() == 3 && c.args[1] == "--server") {
        app::createDemoArchiveOnServer((c.workingDirectory / c.args[0]).string(), c.args[2]);
        c.out << app::msg::kBatchDemoOnServer << db::describeServer(c.args[2]).text << "\n";
    } else {
        requireArgs(c, 1);
        app::createDemoArchive((c.workingDirectory / c.args[0]).string());
    }
    c.out << app::msg::kBatchDemoCreated << std::filesystem::absolute(c.workingDirectory / c.args[0]).string()
          << "\n";
    return kExitOk;
}

int copyToServer(BatchContext& c) {
    requireArgs(c, 1);
    const std::string& uri = c.args[0];
    for (const db::CopiedCount& copied : app::moveArchiveToServer(c.workingDirectory, uri))
        c.out << copied.table << ": " << copied.rows << "\n";
    c.out << app::msg::kCopiedToServer << db::describeServer(uri).text << ".\n"
          << app::msg::kNetworkFileNowNames << "\n"
          << app::serverLine(uri) << "\n"
          << app::msg::kSwitchOtherWorkstations << "\n";
    return kExitOk;
}

int createMappingDb(BatchContext& c) {
    requireArgs(c, 1);
    app::createMappingDatabase((c.workingDirectory / c.args[0]).string());
    c.out << app::msg::kBatchMappingDbCreated
          << (std::filesystem::absolute(c.workingDirectory / c.args[0]) / "Tessaro7a.mdb").string() << "\n";
    return kExitOk;
}

}  // namespace

std::vector<Command> foundationCommands() {
    return {
        {"info", "", "Mostra ArchiveFolder, DatabasePath e il numero di righe di ogni tabella.", info},
        {"create-demo", "CARTELLA [--server URI]",
         "Crea CARTELLA con Tessaro7.mdb (dati dimostrativi), Tessaro7a.mdb e TS7Rete.dat; non sovrascrive. "
         "Con --server i dati dimostrativi vanno nel database vuoto del server postgresql://... e TS7Rete.dat "
         "ne riporta l'indirizzo sulla seconda riga.",
         createDemo},
        {"copy-to-server", "URI",
         "Copia il database dell'archivio (Tessaro7.mdb) nel database vuoto del server postgresql://... e scrive "
         "l'indirizzo come seconda riga di TS7Rete.dat; il file resta com'era.",
         copyToServer},
        {"create-mapping-db", "CARTELLA", "Scrive solo CARTELLA/Tessaro7a.mdb come fornito; non sovrascrive.",
         createMappingDb},
    };
}

}  // namespace tessaro7::batch
