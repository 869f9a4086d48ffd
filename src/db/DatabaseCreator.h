#pragma once
// Creates a new database file from an SQL text: the demo archive and the
// mapping database as delivered. Never overwrites a file.
#include <string>

namespace tessaro7::db {

// Throws std::runtime_error with an Italian text when the file exists, the
// folder cannot be written or the SQL fails (the half-made file is removed).
void createDatabaseFromSql(const std::string& path, const std::string& sql);

}  // namespace tessaro7::db
