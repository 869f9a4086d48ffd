#pragma once
// Copies an embedded database (an SQLite file) into an empty database on a
// PostgreSQL server: its tables, with the types the engine reads them as and
// lower-case names, their primary and unique keys, and every row in its
// natural order (tables WITHOUT ROWID and tables the program does not use too).
#include <string>
#include <vector>

namespace tessaro7::db {

struct CopiedCount {
    std::string table;
    long rows;
};

// Refuses (EngineError, nothing written) when the server database already
// has one of the tables; otherwise copies everything in one transaction, and
// checks that every table holds on the server the rows it had in the file.
// The file is only read.
std::vector<CopiedCount> copyDatabaseToServer(const std::string& sqlitePath, const std::string& uri);

}  // namespace tessaro7::db
