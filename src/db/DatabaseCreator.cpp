#include "db/DatabaseCreator.h"
#include "db/FilledText.h"
#include "db/Messages.h"

#include <sqlite3.h>

#include <filesystem>
#include <stdexcept>

namespace tessaro7::db {

void createDatabaseFromSql(const std::string& path, const std::string& sql) {
    std::error_code ec;
    if (std::filesystem::exists(path, ec))
        throw std::runtime_error(filledText(msg::kFileExists, {{"file", path}}));
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    std::string problem;
    if (rc != SQLITE_OK) {
        problem = filledText(msg::kCannotCreateFile, {{"motivo", db ? sqlite3_errmsg(db) : sqlite3_errstr(rc)}});
    } else {
        char* error = nullptr;
        if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
            problem = filledText(msg::kSqlTextError, {{"motivo", error ? error : ""}});
            sqlite3_free(error);
        }
    }
    sqlite3_close(db);
    if (!problem.empty()) {
        std::filesystem::remove(path, ec);
        throw std::runtime_error(filledText(msg::kDatabaseNotCreated, {{"file", path}, {"motivo", problem}}));
    }
}

}  // namespace tessaro7::db
