#pragma once
// Copies an embedded database (an SQLite file) into an empty database on a
// PostgreSQL server: its tables, with the types the engine reads them as and
// lower-case names, their unique keys, and every row in its natural order.
#include <string>

namespace tessaro7::db {

// Refuses (EngineError, nothing written) when the server database already
// has one of the tables; otherwise copies everything in one transaction.
void copyDatabaseToServer(const std::string& sqlitePath, const std::string& uri);

}  // namespace tessaro7::db
