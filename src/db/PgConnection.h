#pragma once
// A business database on a PostgreSQL server, through libpq: the record
// sources translated for the server, names matched without regard to case
// against its catalog, Italian text order by the ICU collation "it-x-icu",
// rows read through a server cursor a block at a time, and the server's
// failures translated into the same engine errors as the embedded engine's.
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "db/Connection.h"

struct pg_conn;
struct pg_result;

namespace tessaro7::db {

// A value in the text form the server reads; nothing for Null.
std::optional<std::string> serverText(const Value& value);

// The collation of Italian text order on the server.
inline constexpr const char* kServerCollation = "it-x-icu";

class PgConnection : public Connection, private SelectDialect {
public:
    // Connects; 3151 with an Italian text naming the server (never the
    // password) when the server cannot be reached or refuses the login.
    // Waits for locks held by others at most `lockTimeoutMs`, then 3260.
    PgConnection(const std::string& uri, int lockTimeoutMs);
    ~PgConnection() override;

    PreparedSelect prepareSelect(std::string_view recordSource) override;
    std::unique_ptr<Cursor> run(const PreparedSelect& select) override;
    long count(const PreparedSelect& select) override;
    const std::vector<TableColumn>& columnsOf(const std::string& table) override;
    void insert(const std::string& table, const FieldValues& values) override;
    Value update(const std::string& table, const Value& rowId, const FieldValues& values) override;
    Value additionMark(const std::string& table) override;
    std::unique_ptr<Cursor> addedRows(const std::string& table, const Value& mark) override;
    long deleteRows(const std::string& table, const std::vector<Value>& rowIds) override;
    void setBusyTimeout(int ms) override;
    bool inTransaction() override;
    void begin() override;
    void commit() override;
    void rollback() noexcept override;

    pg_conn* handle() const { return m_conn; }
    const std::string& serverDescription() const { return m_server; }
    // Runs a statement without parameters; throws the engine error on failure.
    void execute(const std::string& sql, const std::string& table = {});
    // Throws the engine error for a failed result (which it frees).
    [[noreturn]] void fail(pg_result* result, const std::string& table) const;
    // The server's spelling of a table name; empty when there is none.
    std::string tableName(std::string_view name);

private:
    struct Table {
        std::string name;
        std::vector<TableColumn> columns;
        std::vector<std::string> key;  // the primary key's columns, in order
        std::vector<std::string> uniqueKeys;  // each unique index, as "table.column, table.column"
    };
    void loadCatalog();
    const Table* findTable(std::string_view name);
    std::string resolve(std::string_view name);
    // Runs a prepared writing statement with text parameters; gives its result.
    pg_result* write(const std::string& sql, const std::vector<const char*>& params, const std::string& table);

    // SelectDialect
    std::string quoted(std::string_view name) const override;
    std::string rowIdentity(std::string_view table) const override;
    std::string naturalOrder(std::string_view table) const override;
    std::string collated(std::string_view table, std::string term) const override;
    std::string countOf(const std::string& sql) const override;
    std::string nullsPlacement(bool descending) const override;

    pg_conn* m_conn = nullptr;
    std::string m_server;  // the description of the server, for messages
    std::map<std::string, Table> m_tables;  // by lower-case name
    std::map<std::string, std::string> m_statements;  // SQL text -> prepared statement name
    long m_cursors = 0;
    int m_lockTimeoutMs = -1;  // the wait in force, -1 when not known
};

}  // namespace tessaro7::db
