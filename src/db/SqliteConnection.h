#pragma once
// An open SQLite database: opening by the system's path forms, the Italian
// collation, the busy wait, prepared statements kept for reuse, the columns of
// each table, and the translation of SQLite failures into engine errors.
#include <sqlite3.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "db/Connection.h"
#include "db/WrittenColumns.h"

namespace tessaro7::db {

// An owned SQLite statement, finalised when its owner goes.
struct SqliteFinalize {
    void operator()(sqlite3_stmt* stmt) const noexcept { sqlite3_finalize(stmt); }
};
using SqliteStatement = std::unique_ptr<sqlite3_stmt, SqliteFinalize>;

class SqliteConnection : public Connection {
public:
    // Throws 3024 when the file does not exist; never creates one.
    SqliteConnection(const std::string& databaseName, int busyTimeoutMs);
    ~SqliteConnection() override;

    PreparedSelect prepareSelect(std::string_view recordSource) override;
    std::unique_ptr<Cursor> run(const PreparedSelect& select) override;
    long count(const PreparedSelect& select) override;
    const std::vector<TableColumn>& columnsOf(const std::string& table) override;
    void insert(const std::string& table, const FieldValues& values) override;
    Value update(const std::string& table, const Value& rowId, const FieldValues& values) override;
    Value additionMark(const std::string& table) override;
    std::unique_ptr<Cursor> addedRows(const std::string& table, const Value& mark) override;
    bool storedRow(const std::string& table, const FieldValues& written, Value& rowId,
                   std::vector<const Value*>& row) override;
    long deleteRows(const std::string& table, const std::vector<Value>& rowIds) override;
    void setBusyTimeout(int ms) override;
    bool inTransaction() override;
    void begin() override;
    void commit() override;
    void rollback() noexcept override;
    void beginAppending(const std::string& table, bool skipDuplicates) override;

    SqliteStatement prepare(const std::string& sql);
    void execute(const std::string& sql);

    // Throws the engine error for an SQLite result code: an Italian text
    // naming the file and what to check, the engine's own text after it in
    // parentheses.
    [[noreturn]] void fail(int rc, const std::string& table = {}) const;

private:
    // Back to the engine's usual page cache after a run.
    void usualCache() noexcept;
    void insertRow(const std::string& table, const FieldValues& values);
    const std::string& insertText(const std::string& table, const FieldValues& values);
    // A statement kept for reuse (reset and unbound), owned by the connection.
    sqlite3_stmt* cachedStatement(const std::string& sql);
    // Runs a cached writing statement with the values bound, then the row
    // identity, if any; the value of the row the statement returns, if it does.
    std::optional<Value> write(const std::string& sql, const std::string& table, const FieldValues& values,
                               const Value* rowId);

    sqlite3* m_db = nullptr;
    struct InsertText {
        std::string table;
        std::vector<std::string> names;
        std::string sql;
    };
    InsertText m_lastInsert;
    // The table a run appends to, column by column as a selection of the
    // whole table gives them, when each row it stores can be told from the
    // values written (see storedRow).
    struct StoredColumn {
        std::string name;
        FieldType type;
        Affinity affinity;
        bool filledWhenUnset;  // a default, or part of the key (a rowid alias)
    };
    struct AppendedShape {
        std::string table;
        std::vector<StoredColumn> columns;
        WrittenColumns written;
    };
    std::optional<AppendedShape> appendedShape(const std::string& table);
    std::optional<AppendedShape> m_appendedShape;
    std::map<std::string, SqliteStatement> m_statements;
    // An import runs one statement row after row: the last one used is
    // compared first, before the map is searched.
    std::map<std::string, SqliteStatement>::iterator m_lastStatement = m_statements.end();
    std::map<std::string, std::vector<TableColumn>> m_columns;
};

}  // namespace tessaro7::db
