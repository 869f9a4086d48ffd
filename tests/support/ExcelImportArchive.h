#pragma once
// An archive folder for the Excel import tests: a business database with the
// three tables the import appends to (empty), the mapping database as
// delivered, and TS7Rete.dat naming the folder (and, on the server engine, a
// server database holding the three tables).
#include <string>

#include "app/Archive.h"
#include "db/DatabaseCreator.h"
#include "db/DataSource.h"
#include "db/EmbeddedSql.h"
#include "support/ServerDatabase.h"
#include "support/TempDir.h"

namespace tessaro7::testing {

inline constexpr const char* kImportTablesSql = R"(
create table clienti (
  nominativo VARCHAR(80), seconda_riga VARCHAR(80), indirizzo VARCHAR(50), cap VARCHAR(5), pr VARCHAR(5),
  citta VARCHAR(50), nazione VARCHAR(30), codfis VARCHAR(16), piva VARCHAR(15), pivacee VARCHAR(15),
  tel VARCHAR(30), tel2 VARCHAR(30), fax VARCHAR(30), fax2 VARCHAR(30), contatto VARCHAR(20), telcont VARCHAR(20),
  email VARCHAR(50), www VARCHAR(80), listino VARCHAR(10), Valuta VARCHAR(10), DescListino VARCHAR(50));
create table fornitori (
  nominativo VARCHAR(80), seconda_riga VARCHAR(80), indirizzo VARCHAR(50), cap VARCHAR(5), pr VARCHAR(5),
  citta VARCHAR(50), nazione VARCHAR(30), codfis VARCHAR(16), piva VARCHAR(15), pivacee VARCHAR(15),
  tel VARCHAR(30), tel2 VARCHAR(30), fax VARCHAR(30), fax2 VARCHAR(30), contatto VARCHAR(20), telcont VARCHAR(20),
  email VARCHAR(50), www VARCHAR(80), agente VARCHAR(50), Valuta VARCHAR(10));
create table articoli (
  codice VARCHAR(18), descrizione VARCHAR(250), iva BYTE, costoeuro DOUBLE, sottoscorta DOUBLE,
  giacenzamin DOUBLE, giacenzamax DOUBLE, esistenza DOUBLE, codiceabarre VARCHAR(18), ubicazione VARCHAR(100));
create unique index articoli_codice on articoli (codice);
)";

struct ExcelImportArchive {
    TempDir dir;
    app::Archive archive;
    std::unique_ptr<EngineDatabase> business;

    // The server engine without a test server stays on the file (the test skips).
    explicit ExcelImportArchive(Engine engine = Engine::Sqlite) {
        db::createDatabaseFromSql((dir / "Tessaro7.mdb").string(), kImportTablesSql);
        db::createDatabaseFromSql((dir / "Tessaro7a.mdb").string(), db::kMappingSql);
        if (engine == Engine::Server && testServer()) {
            business = std::make_unique<EngineDatabase>(engine, (dir / "Tessaro7.mdb").string(), "");
            dir.write("TS7Rete.dat", dir.str() + "\r\ndatabase=" + business->name() + "\r\n");
            archive = app::archiveFromFolder(dir.str(), business->name());
            return;
        }
        dir.write("TS7Rete.dat", dir.str() + "\r\n");
        archive = app::archiveFromFolder(dir.str());
    }

    // Every row of a business table, each as its fields' text forms.
    std::vector<std::vector<std::string>> rowsOf(const std::string& table, const std::vector<std::string>& fields) const {
        db::DataSource data;
        data.setDatabaseName(archive.DatabasePath);
        data.setRecordSource("select * from " + table);
        std::vector<std::vector<std::string>> rows;
        for (data.refresh(); !data.eof(); data.moveNext()) {
            std::vector<std::string> row;
            for (const std::string& f : fields) row.push_back(data.fieldText(f));
            rows.push_back(row);
        }
        return rows;
    }
};

}  // namespace tessaro7::testing
