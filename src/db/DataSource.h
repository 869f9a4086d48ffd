#pragma once
// The engine interface: one data source per connection, as the windows use it.
// A database name and a record source take effect at the next refresh; the
// current row moves forward through the result; a new or edited row is
// written by update.
#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/EngineError.h"
#include "db/Value.h"

namespace tessaro7::db {

class Connection;
struct AppendCounts;
struct TableColumn;

// Thrown by the work of runInOneTransaction to undo everything it wrote.
struct RollBackRun {};

// What a run in one transaction wrote and left, from the engine's own
// answers for the run's rows (never a count of the table, which other
// workstations may change).
struct RunCounts {
    bool begun = false;        // the write transaction started, with the table to append to
    long written = 0;          // new rows handed to the engine
    long inserted = 0;         // new rows the engine stored
    long duplicates = 0;       // new rows left out for repeating a unique key (when skipped)
    long failedRow = 0;        // the new row (counted from 1) whose writing failed; 0 when none did
    std::optional<long> kept;  // rows of the run in the table at the end; none when that is uncertain
    std::string uncertain;     // why it is uncertain
};

class DataSource {
public:
    DataSource();
    ~DataSource();
    DataSource(const DataSource&) = delete;
    DataSource& operator=(const DataSource&) = delete;

    void setDatabaseName(std::string path);
    const std::string& databaseName() const { return m_databaseName; }
    void setRecordSource(std::string source);
    const std::string& recordSource() const { return m_recordSource; }
    // Starts opening the database on another thread, so that the connection
    // is made while the caller reads its file; the first use waits for it,
    // and a failure to open is thrown then.
    void openInBackground();

    // Opens the database if needed and runs the record source; the current row
    // is the first row, or end-of-file is true when there are none.
    void refresh();
    // Opens the database if needed and the record source's table for adding
    // rows only: its existing rows are not read, end-of-file is true.
    void openForAppending();
    // Moves to the last row; afterwards recordCount() is the number of rows.
    void moveLast();
    // The number of rows of the result (a pass over the rows when not known yet).
    long recordCount();
    bool eof() const;
    void moveNext();
    // Zero-based position of the current row; moving to a position refreshes
    // and steps there (the mapping grids are short).
    long absolutePosition() const { return m_position; }
    void moveTo(long position);

    // Names of the result's fields, in order.
    std::vector<std::string> fieldNames() const;
    // Position of a field in the result, -1 when there is none.
    int fieldIndex(std::string_view name) const;
    Value field(std::string_view name) const;
    Value field(std::size_t index) const;
    std::string fieldText(std::string_view name) const { return field(name).toText(); }
    // The values of the current row, in field order, and its identity (the
    // rowid, a key, or the server's ctid; Null when the selection has none).
    const std::vector<Value>& rowValues() const;
    const Value& rowIdentity() const;
    // From the next row of the current result on, only the fields at these
    // positions are read; the others are Null (a list writing twelve fields
    // of a wider selection).
    void readOnlyFields(const std::vector<std::size_t>& positions);

    void addNew();
    void edit();
    // Values are converted to the column's type when they are set: a text
    // that is not a number or a date where one is needed is error 3421; an
    // empty text in a number or date column stores Null.
    void setField(std::string_view name, std::string_view text);
    void setField(std::string_view name, const char* text) { setField(name, std::string_view(text)); }
    void setField(std::string_view name, const std::string& text) { setField(name, std::string_view(text)); }
    void setField(std::string_view name, double number);
    void setField(std::string_view name, bool yes);
    void update();
    void cancelUpdate();

    // Runs work inside one write transaction of this data source's database.
    // The transaction starts with the write lock taken at once, after this
    // data source's own reading has ended (the engine does not wait for a lock
    // while the same connection still reads), so a run waits for another
    // writer instead of failing. It is committed when work ends, and also when
    // work throws, so that the rows written before the failure remain; a
    // commit that fails is rolled back. The failure is then rethrown.
    // With `counts`, the run appends to the record source's table: runs into
    // the same table take turns, the engine may answer for a new row later
    // than its update (a failure is then thrown by a later update or at the
    // end, and `counts.failedRow` names the row), a row repeating a unique key
    // is left out and counted when `skipDuplicates`, and `counts` receives
    // what the run wrote and what it left.
    // Work that throws RollBackRun undoes the whole run instead: the
    // transaction is rolled back, and the exception rethrown.
    void runInOneTransaction(const std::function<void()>& work, RunCounts* counts = nullptr,
                             bool skipDuplicates = false);

    // Inside runInOneTransaction, on the record source's table: a mark taken
    // before a run adds its first row, then each row added since with its
    // identity and values (fields in the order a selection of the whole table
    // gives them); and the deletion of rows by identity (the number deleted).
    Value additionMark();
    using RowVisitor = std::function<void(const Value& rowId, const std::vector<Value>& row)>;
    void readAdded(const Value& mark, const RowVisitor& each);
    long deleteRows(const std::vector<Value>& rowIds);
    // Inside runInOneTransaction, before the run's first row: from now on
    // each row the run stores is handed to `each` as readAdded would give it,
    // as long as the engine can tell it without reading it back. An engine
    // that answers for its rows later hands each row over as it is sent, with
    // a Null identity. endWatch stops, and says whether every row stored was
    // handed over; when not, readAdded gives them. For rows handed over with
    // a Null identity, `later` receives one identity per row handed, Null for
    // a row that was not stored.
    using StoredRowVisitor = std::function<void(const Value& rowId, const std::vector<const Value*>& row)>;
    void watchAdded(StoredRowVisitor each);
    bool endWatch(std::vector<Value>& later);

    // How long a read waits for a database held by another program before it
    // fails with 3260.
    static void setBusyTimeoutMs(int ms);
    // How long a write waits: longer, since another import may hold the
    // database for the whole of its run.
    static void setWriteTimeoutMs(int ms);

private:
    struct Pending;
    void ensureOpen();
    void closeStatement();
    void releaseReadLock();
    bool step();
    long countRows();
    void finishTransaction(RunCounts* counts);
    const TableColumn& targetColumn(std::string_view name);
    const TableColumn& columnToSet(std::string_view name);
    Value& pendingValue(const TableColumn& column);
    void setConverted(std::string_view name, Value value);
    void setConverted(const TableColumn& column, Value value);
    void requireCurrentRow() const;

    std::string m_databaseName;
    std::string m_recordSource;
    std::shared_ptr<Connection> m_connection;
    std::future<std::shared_ptr<Connection>> m_opening;  // the connection being made by openInBackground
    struct Result;
    std::unique_ptr<Result> m_result;
    long m_position = 0;
    long m_count = -1;
    enum class Mode { None, AddNew, Edit } m_mode = Mode::None;
    // The values set for the row being written are the first m_pendingCount;
    // those after them are an earlier row's, kept for their storage.
    std::vector<std::pair<std::string, Value>> m_pending;
    std::size_t m_pendingCount = 0;
    // For each column of the table, the row it was last set in and the
    // place of its value; rows are numbered from 1 as they are begun.
    std::vector<std::pair<std::uint64_t, std::size_t>> m_setInRow;
    std::uint64_t m_rowBeingSet = 1;
    struct Watch {
        StoredRowVisitor each;
        long handed = 0;     // rows handed over
        long storedAtStart = 0;
        bool broken = false;  // a stored row was not handed over
        bool asSent = false;  // rows are handed over as sent, their identities told at the end
        Value rowId;
        std::vector<const Value*> row;
    };
    std::unique_ptr<Watch> m_watch;
    void handOverStored(const std::vector<std::pair<std::string, Value>>& written, const AppendCounts& before);
};

}  // namespace tessaro7::db
