#include "db/DatabaseCreator.h"

#include <sqlite3.h>

#include <filesystem>
#include <stdexcept>

namespace tessaro7::db {

void createDatabaseFromSql(const std::string& path, const std::string& sql) {
    std::error_code ec;
    if (std::filesystem::exists(path, ec))
        throw std::runtime_error("Il file '" + path + "' esiste già: non viene sovrascritto.");
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    std::string problem;
    if (rc != SQLITE_OK) {
        problem = "impossibile creare il file (" + std::string(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc)) + ")";
    } else {
        char* error = nullptr;
        if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
            problem = "errore nel testo SQL (" + std::string(error ? error : "") + ")";
            sqlite3_free(error);
        }
    }
    sqlite3_close(db);
    if (!problem.empty()) {
        std::filesystem::remove(path, ec);
        throw std::runtime_error("Creazione del database '" + path + "' non riuscita: " + problem + ".");
    }
}

}  // namespace tessaro7::db
