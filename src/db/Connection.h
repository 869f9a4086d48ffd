#pragma once
// An open business or mapping database, whatever engine holds it: an SQLite
// file, or a database on a PostgreSQL server. A data source speaks only to
// this interface: it prepares and runs record sources, counts, appends and
// edits rows, and runs transactions. Every failure is an EngineError with the
// same number on both engines.
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "db/EngineError.h"
#include "db/FieldType.h"
#include "db/SelectText.h"
#include "db/Value.h"

namespace tessaro7::db {

struct TableColumn {
    std::string name;
    FieldType type;
};

// Field names with the values to store, already converted to the columns' types.
using FieldValues = std::vector<std::pair<std::string, Value>>;

// The new rows of the run appending to a table, as far as the engine has
// answered for them.
struct AppendCounts {
    long sent = 0;        // rows handed to the engine
    long stored = 0;      // rows the engine stored
    long duplicates = 0;  // rows left out for repeating a unique key (when they are skipped)
    long failedRow = 0;   // the row (counted from 1) whose writing failed; 0 when none did
};

// The rows of a running selection, one at a time.
class Cursor {
public:
    virtual ~Cursor() = default;
    // The result's columns, without the row identity.
    const std::vector<TableColumn>& columns() const { return m_columns; }
    // Reads the next row: one value per column, and the row's identity when
    // the selection has one. False after the last row.
    virtual bool next(std::vector<Value>& row, Value& rowId) = 0;
    // Gives up whatever lock the reading holds, after `rowsRead` rows; reading
    // on runs the selection again and steps over them.
    virtual void releaseReadLock(long rowsRead) { (void)rowsRead; }
    // From the next row on, only the columns marked true are read; the
    // others are Null.
    void readOnly(std::vector<bool> wanted) { m_wanted = std::move(wanted); }

protected:
    bool wanted(std::size_t column) const { return m_wanted.empty() || m_wanted[column]; }
    std::vector<TableColumn> m_columns;
    std::vector<bool> m_wanted;  // empty: every column
};

class Connection {
public:
    // A server URI (postgresql://...) opens the database on the server, any
    // other name the SQLite file it names (3024 when there is none).
    static std::shared_ptr<Connection> open(const std::string& databaseName, int busyTimeoutMs);

    explicit Connection(std::string databaseName) : m_name(std::move(databaseName)) {}
    virtual ~Connection() = default;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    const std::string& databaseName() const { return m_name; }
    // How long a statement waits for a lock held by another connection
    // before it fails with 3260.
    virtual void setBusyTimeout(int ms) = 0;

    // The record source as this engine runs it.
    virtual PreparedSelect prepareSelect(std::string_view recordSource) = 0;
    virtual std::unique_ptr<Cursor> run(const PreparedSelect& select) = 0;
    virtual long count(const PreparedSelect& select) = 0;

    // The columns of a table, in order; 3078 when there is no such table.
    virtual const std::vector<TableColumn>& columnsOf(const std::string& table) = 0;

    // Appends a row. A row that repeats a unique key is 3022, and a
    // transaction in progress stays usable after it. While a run appends
    // (beginAppending), the engine may answer for a row later: a failure is
    // then thrown by a later insert or by the commit, and appended() names the
    // row it belongs to.
    virtual void insert(const std::string& table, const FieldValues& values) = 0;

    // In the transaction in progress, starts a run that only appends to
    // `table`: imports into the same table are serialised (the wait is the
    // busy timeout), the existing rows are never read, and a row repeating a
    // unique key is left out and counted when `skipDuplicates`, otherwise it
    // fails the run. The run ends with the transaction.
    virtual void beginAppending(const std::string& table, bool skipDuplicates) {
        (void)table;
        m_appended = {};
        m_appending = true;
        m_skipDuplicates = skipDuplicates;
    }
    // At the end of the run's work: waits for the engine's answer for every
    // row sent, and throws the failure of a row if there was one; the rows
    // before a failing row stay, the rows after it are left out.
    virtual void finishAppending() {}
    const AppendCounts& appended() const { return m_appended; }
    // After a commit that failed: true when the engine cannot tell whether it
    // was done (the connection was lost while committing).
    virtual bool commitUncertain() const { return false; }
    // Writes the values into the row that `rowId` names; gives the row's
    // identity afterwards (it may change with the edit).
    virtual Value update(const std::string& table, const Value& rowId, const FieldValues& values) = 0;

    // The rows appended to `table` by this connection's transaction in
    // progress, each with its identity as a selection of the table gives it
    // (appends run under the write lock, so no other connection adds rows
    // meanwhile). `mark` is what additionMark gave in the same transaction
    // before the first row was appended.
    virtual Value additionMark(const std::string& table) = 0;
    virtual std::unique_ptr<Cursor> addedRows(const std::string& table, const Value& mark) = 0;
    // Right after an insert of `written` stored its row during a run: the
    // row's identity and values exactly as addedRows will give them, when
    // the engine can tell them without reading the row back (each value
    // points into `written`, or is Null). False when it cannot (the row must
    // then be read back).
    virtual bool storedRow(const std::string& table, const FieldValues& written, Value& rowId,
                           std::vector<const Value*>& row) {
        (void)table, (void)written, (void)rowId, (void)row;
        return false;
    }
    // True for an engine that answers for its rows later than they are sent:
    // storedRow then tells each row as it is sent, with a Null identity, and
    // laterIdentities tells the identities once the run's rows are written.
    virtual bool tellsRowsAsSent() const { return false; }
    // Inside the run, after its last row: for each of the `told` rows storedRow
    // told, in order, its identity, or Null for a row not stored (left out as
    // a duplicate, or taken out after a failing row). False when they cannot
    // all be told; addedRows then reads the rows back.
    virtual bool laterIdentities(const std::string& table, long told, std::vector<Value>& identities) {
        (void)table, (void)told, (void)identities;
        return false;
    }
    // Deletes the rows of `table` that `rowIds` name; the number deleted.
    virtual long deleteRows(const std::string& table, const std::vector<Value>& rowIds) = 0;

    virtual bool inTransaction() = 0;
    // Starts a write transaction that holds the write lock from its start.
    virtual void begin() = 0;
    virtual void commit() = 0;
    virtual void rollback() noexcept = 0;

protected:
    bool appending() const { return m_appending; }
    bool skipDuplicates() const { return m_skipDuplicates; }
    AppendCounts& appendCounts() { return m_appended; }
    void endAppending() { m_appending = false; }

private:
    std::string m_name;
    AppendCounts m_appended;
    bool m_appending = false;
    bool m_skipDuplicates = false;
};

}  // namespace tessaro7::db
