#pragma once
// A business database on a PostgreSQL server, through libpq: the record
// sources translated for the server, names matched without regard to case
// against its catalog, Italian text order by the ICU collation "it-x-icu",
// rows read through a server cursor a block at a time, the rows of an import
// copied a chunk at a time or written a group per statement, without waiting
// for each answer, and the server's failures translated into the same engine
// errors as the embedded engine's.
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "db/Connection.h"
#include "db/PgHandles.h"
#include "db/WrittenColumns.h"

namespace tessaro7::db {

// A value in the text form the server reads; nothing for Null.
std::optional<std::string> serverText(const Value& value);

// The collation of Italian text order on the server.
inline constexpr const char* kServerCollation = "it-x-icu";

class PgConnection : public Connection, private SelectDialect {
public:
    // Connects; 3151 with an Italian text naming the server (never the
    // password) when the server cannot be reached or refuses the login; 3000
    // when the database is not UTF8 or the server lacks the Italian order.
    // Waits for locks held by others at most `lockTimeoutMs`, then 3260.
    PgConnection(const std::string& uri, int lockTimeoutMs);
    ~PgConnection() override;

    PreparedSelect prepareSelect(std::string_view recordSource) override;
    std::unique_ptr<Cursor> run(const PreparedSelect& select) override;
    // A cursor that asks for its next block while the one before is read.
    std::unique_ptr<Cursor> readAhead(const PreparedSelect& select);
    // Sends a statement without waiting for its answer; false when it could not be sent.
    bool sendWithoutWaiting(const std::string& sql);
    // The answer of the statement under way (sent without waiting, or a COPY
    // ended): its first result, the rest read and dropped.
    PgResult answerOfSent();
    // Reads what the server has sent so far of that answer, without waiting for the rest.
    void takeInWhatArrived();
    // A block asked for ahead is taken in by `take` before any other statement runs.
    void readAheadAsked(std::function<void()> take) { m_takeReadAhead = std::move(take); }
    void readAheadTaken() { m_takeReadAhead = nullptr; }
    long count(const PreparedSelect& select) override;
    const std::vector<TableColumn>& columnsOf(const std::string& table) override;
    void insert(const std::string& table, const FieldValues& values) override;
    Value update(const std::string& table, const Value& rowId, const FieldValues& values) override;
    Value additionMark(const std::string& table) override;
    std::unique_ptr<Cursor> addedRows(const std::string& table, const Value& mark) override;
    bool storedRow(const std::string& table, const FieldValues& written, Value& rowId,
                   std::vector<const Value*>& row) override;
    bool tellsRowsAsSent() const override { return true; }
    bool laterIdentities(const std::string& table, long told, std::vector<Value>& identities) override;
    long deleteRows(const std::string& table, const std::vector<Value>& rowIds) override;
    void setBusyTimeout(int ms) override;
    bool inTransaction() override;
    void begin() override;
    void commit() override;
    void rollback() noexcept override;
    void beginAppending(const std::string& table, bool skipDuplicates) override;
    void finishAppending() override;
    bool commitUncertain() const override { return m_commitUncertain; }

    const std::string& serverDescription() const { return m_server; }
    // Runs a statement without parameters; throws the engine error on failure.
    void execute(const std::string& sql, const std::string& table = {});
    // Runs a query; its rows, or the engine error.
    PgResult query(const std::string& sql, const std::string& table = {});
    // Runs a statement without waiting for its end (a cursor's closing); a failure is left to the next statement.
    void executeQuietly(const std::string& sql) noexcept;
    // Runs "copy ... from stdin" with the blocks `nextBlock` gives until it gives false.
    void copyIn(const std::string& sql, const std::string& table, const std::function<bool(std::string&)>& nextBlock);
    // The engine error for a failed result.
    EngineError errorOf(const PGresult* result, const std::string& table) const;
    // The server's spelling of a table name; empty when there is none.
    std::string tableName(std::string_view name);
    // The server's notices and warnings since the last statement (never printed).
    const std::vector<std::string>& notices() const { return m_notices; }

private:
    struct Table {
        std::string name;
        std::vector<TableColumn> columns;
        std::vector<std::string> serverTypes;  // each column's type as the server names it, without its length
        std::vector<std::string> key;  // the primary key's columns, in order
        std::vector<std::string> uniqueKeys;  // each unique index, as "table.column, table.column"
    };
    // Rows of an appending run that bind the same columns, written by one statement.
    struct Group {
        std::vector<std::string> names;                 // the columns
        std::vector<std::optional<std::string>> texts;  // the values, row after row
        long firstRow = 0;                              // the number of its first row in the run
        long rows = 0;
        std::size_t bytes = 0;                          // the values' length
    };
    // What was sent down the pipeline and still waits for its answer.
    struct Sent {
        enum class Kind { Prepare, Row, Group, Command, Sync } kind;
        long row = 0;      // a row's number in the run (a group's first row)
        std::string sql;   // a statement being prepared
        std::shared_ptr<const Group> group;  // kept until its answer, to be sent again row by row
    };
    void connect(const std::string& uri);
    void takeReadAhead();
    void checkDatabase();
    void loadCatalog();
    const Table* findTable(std::string_view name);
    std::string resolve(std::string_view name);
    std::string insertText(const std::string& table, const FieldValues& values, const char* ending);
    std::string insertText(const std::string& table, const std::vector<std::string>& names, const char* ending);
    // One statement for a group's rows: one array of values per column.
    std::string groupInsertText(const std::string& table, const std::vector<std::string>& names, const char* ending);
    EngineError duplicateError(const std::string& table);
    // The name of the prepared statement for `sql`, prepared now (or, in the pipeline, sent to be).
    const std::string& statementFor(const std::string& sql, int parameters, const std::string& table);
    // Runs a prepared writing statement with text parameters; gives its result.
    PgResult write(const std::string& sql, const std::vector<const char*>& params, const std::string& table);
    void insertNow(const std::string& table, const FieldValues& values);
    void appendRow(const std::string& table, const FieldValues& values);
    // Whether `values` set the columns `names`, in that order.
    static bool sameColumns(const std::vector<std::string>& names, const FieldValues& values);
    // The row joins the group being gathered, sent when full.
    void groupRow(const FieldValues& values, long row);
    void enterPipeline();
    // Whether the run's rows may go by COPY: an ordinary table with no trigger
    // or rule of its own (its rows are then only the ones copied), and no
    // unique key when repeated keys are skipped. Notes where the table ends,
    // to find the copied rows there.
    void checkCopyAllowed(const std::string& spelled, bool skipDuplicates);
    // Of pg_class c: an ordinary table with no rule and no trigger of its own,
    // whose rows are then only the ones written to it, as they are written.
    static constexpr const char* kPlainTable =
        "c.relkind = 'r' and not c.relhasrules and not exists "
        "(select 1 from pg_trigger t where t.tgrelid = c.oid and not t.tgisinternal)";
    // The row joins the COPY under way (one is started first).
    void copyRow(const FieldValues& values, long row);
    void startCopy(const FieldValues& values, long row);
    void putCopyData();
    void clearChunk();
    // Ends the COPY under way; a chunk the server refused is undone and its
    // rows sent again as groups, and the rest of the run goes by groups.
    void endCopy();
    void undoCopyChunk();
    // Takes a COPY under way back without storing its rows (the run is undone).
    void abandonCopy() noexcept;
    // The condition that picks the rows this transaction wrote in pages
    // [fromPage, toPage) (to the table's end when toPage is -1). After rows
    // went by COPY these are the run's, from the table's last page on unless
    // older pages had room.
    std::string writtenRowsCondition(long fromPage, long toPage = -1) const;
    std::string runRowsCondition();
    // The identities the run's inserts answered with, as a server array.
    std::string storedIdsArray() const;
    // The table a run appends to, when each row it stores can be told from
    // the values sent (see storedRow), and what tells the rows sent apart.
    struct StoredColumn {
        std::string name;
        bool verbatim = false;       // a text is stored as it is sent (text, varchar)
        bool cutsSpaces = false;     // spaces past its length are cut (varchar)
        bool filledWhenUnset = false;  // a default, an identity, generated
    };
    struct StoredShape {
        std::vector<StoredColumn> columns;  // as a selection of the whole table gives them
        WrittenColumns written;
        // Up to three columns of the first row told whose values may tell
        // the rows apart, with a hash of each row's value (usable while every
        // row told has one).
        std::vector<std::size_t> keys;
        std::vector<std::vector<std::uint64_t>> keyHashes;
        std::vector<bool> keyUsable;
        long told = 0;
    };
    std::unique_ptr<StoredShape> storedShapeOf(const std::string& spelled);
    // The first key column whose values differ in every row told.
    static std::optional<std::size_t> distinctKey(const StoredShape& shape);
    void sendGroup();
    void sendRow(const std::vector<std::string>& names, const std::optional<std::string>* texts, long row);
    void sendCommand(const char* sql, long row);
    void sendSync();
    // Reads the answers until at most `keep` syncs are due; a group that failed
    // is then sent again row by row.
    void readDue(int keep);
    void readUntilSync();
    void readGroupAnswer(const PGresult* answer, ExecStatusType status, const Sent& sent);
    void resendFailedGroup();
    void readAnswer(const Sent& sent);
    void noteFailure(EngineError error, long row);
    // Takes in a block read ahead, ends a COPY under way, reads every answer
    // still due and leaves the pipeline: the connection is then free for a statement.
    void leavePipeline();
    // Leaves the pipeline and takes out the rows stored after a failing row.
    void settleAppending();
    void throwIfFailed();
    [[noreturn]] void fail(const PGresult* result, const std::string& table) const { throw errorOf(result, table); }
    static void receiveNotice(void* self, const PGresult* notice);

    // SelectDialect
    std::string quoted(std::string_view name) const override;
    std::string rowIdentity(std::string_view table) const override;
    std::string naturalOrder(std::string_view table) const override;
    std::string collated(std::string_view table, std::string term) const override;
    std::string countOf(const std::string& sql) const override;
    std::string nullsPlacement(bool descending) const override;

    PgConn m_conn;
    std::string m_server;  // the description of the server, for messages
    std::optional<std::string> m_ignoredPasswordFile;
    std::map<std::string, Table> m_tables;  // by lower-case name
    std::map<std::string, std::string> m_statements;  // SQL text -> prepared statement name
    long m_cursors = 0;
    std::function<void()> m_takeReadAhead;  // takes in the block a cursor asked for ahead
    long m_prepared = 0;  // statements prepared so far, for their names
    int m_lockTimeoutMs = -1;  // the wait in force, -1 when not known
    std::vector<std::string> m_notices;
    // The pipeline of an appending run.
    bool m_pipeline = false;
    std::string m_appendTable;
    std::deque<Sent> m_sent;
    std::shared_ptr<Group> m_group;  // rows not sent yet
    int m_syncsDue = 0;   // syncs sent whose answers are not read yet
    std::optional<EngineError> m_failure;
    std::shared_ptr<const Group> m_failedGroup;  // a group the server refused, to be sent again row by row
    std::optional<EngineError> m_groupError;     // why it was refused
    std::vector<std::string> m_storedIds;           // the identities (ctid) of the rows this run stored
    std::vector<std::string> m_storedAfterFailure;  // the identities (ctid) of rows stored after a failing row
    // The COPY of an appending run.
    bool m_copyAllowed = false;
    bool m_copying = false;        // a COPY is under way
    bool m_copySavepoint = false;  // the savepoint of a chunk stored is still open
    long m_tableEnd = 0;           // the table's last page when the run began
    long m_copiedRows = 0;         // rows the run stored by COPY
    std::vector<std::string> m_chunkNames;  // the columns of the COPY under way
    long m_chunkFirstRow = 0;
    std::size_t m_chunkRows = 0;
    std::size_t m_chunkBytes = 0;  // the values' length
    std::string m_chunkText;       // the chunk's rows in COPY's text form
    std::size_t m_chunkSent = 0;   // how much of it libpq was given
    bool m_commitUncertain = false;
    std::unique_ptr<StoredShape> m_storedShape;
};

}  // namespace tessaro7::db
