#pragma once
// An open SQLite database: opening by the system's path forms, the Italian
// collation, the busy wait, prepared statements kept for reuse, the columns of
// each table, and the translation of SQLite failures into engine errors.
#include <sqlite3.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "db/EngineError.h"
#include "db/FieldType.h"

namespace tessaro7::db {

struct TableColumn {
    std::string name;
    FieldType type;
};

class Connection {
public:
    // Throws 3024 when the file does not exist; never creates one.
    Connection(const std::string& databaseName, int busyTimeoutMs);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    sqlite3* handle() const { return m_db; }
    const std::string& databaseName() const { return m_name; }
    // How long a statement waits for a lock held by another connection.
    void setBusyTimeout(int ms) { sqlite3_busy_timeout(m_db, ms); }

    // A statement kept for reuse (reset and unbound); finalised with the connection.
    sqlite3_stmt* cachedStatement(const std::string& sql);
    sqlite3_stmt* prepare(const std::string& sql);  // the caller finalises it
    void execute(const std::string& sql);

    // The columns of a table, in order; throws 3078 when there is no such table.
    const std::vector<TableColumn>& columnsOf(const std::string& table);

    // Throws the engine error for an SQLite result code: an Italian text
    // naming the file and what to check, the engine's own text after it in
    // parentheses.
    [[noreturn]] void fail(int rc, const std::string& table = {}) const;

private:
    sqlite3* m_db = nullptr;
    std::string m_name;
    std::map<std::string, sqlite3_stmt*> m_statements;
    std::map<std::string, std::vector<TableColumn>> m_columns;
};

}  // namespace tessaro7::db
