#include "db/DataSource.h"

#include <algorithm>
#include <cctype>

#include "db/Connection.h"
#include "db/Names.h"
#include "db/QuotedText.h"
#include "db/SelectText.h"

namespace tessaro7::db {

namespace {

int g_busyTimeoutMs = 5000;
int g_writeTimeoutMs = 30000;

// Runs a one-column query on a table's name; the texts of its rows.
std::vector<std::string> namesFor(sqlite3* db, const char* sql, const std::string& table) {
    std::vector<std::string> out;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) == SQLITE_OK) {
        sqlite3_bind_text(stmt, 1, table.c_str(), -1, SQLITE_TRANSIENT);
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            const unsigned char* text = sqlite3_column_text(stmt, 0);
            out.emplace_back(text ? reinterpret_cast<const char*>(text) : "");
        }
    }
    sqlite3_finalize(stmt);
    return out;
}

// Writes wait for other programs longer than reads, for as long as this lives.
class WriteWait {
public:
    explicit WriteWait(Connection& connection) : m_connection(connection) {
        m_connection.setBusyTimeout(g_writeTimeoutMs);
    }
    ~WriteWait() { m_connection.setBusyTimeout(g_busyTimeoutMs); }
    WriteWait(const WriteWait&) = delete;
    WriteWait& operator=(const WriteWait&) = delete;

private:
    Connection& m_connection;
};

}  // namespace

struct DataSource::Column {
    std::string name;
    FieldType type;
};

struct DataSource::Result {
    PreparedSelect select;
    sqlite3_stmt* stmt = nullptr;
    std::vector<Column> columns;  // without the row identity
    // The written table's columns, looked up once: an import writes every field of every row through them.
    const std::vector<TableColumn>* tableColumns = nullptr;
    std::vector<Value> row;       // the current row
    std::vector<Value> key;       // the current row's identity, as stored
    bool eof = true;
    bool exhausted = false;  // the statement has returned its last row
    long readAgain = -1;     // after a released read lock: the rows to step over when reading on
    ~Result() { sqlite3_finalize(stmt); }
};

DataSource::DataSource() = default;
DataSource::~DataSource() = default;

void DataSource::setBusyTimeoutMs(int ms) { g_busyTimeoutMs = ms; }
void DataSource::setWriteTimeoutMs(int ms) { g_writeTimeoutMs = ms; }

void DataSource::setDatabaseName(std::string path) { m_databaseName = std::move(path); }

void DataSource::setRecordSource(std::string source) { m_recordSource = std::move(source); }

void DataSource::ensureOpen() {
    if (!m_connection || m_connection->databaseName() != m_databaseName) {
        m_result.reset();
        m_connection.reset();
        m_connection = std::make_shared<Connection>(m_databaseName, g_busyTimeoutMs);
    }
}

void DataSource::closeStatement() { m_result.reset(); }

std::vector<std::string> DataSource::rowKeyOf(const std::string& table) {
    sqlite3* db = m_connection->handle();
    std::vector<std::string> kind = namesFor(
        db, "select case when type = 'view' then 'view' when wr then 'key' else 'rowid' end "
            "from pragma_table_list where name = ? collate nocase and schema = 'main'",
        table);
    // A missing table is selected as an ordinary one, so the engine reports it missing.
    if (kind.empty() || kind.front() == "rowid") return {std::string(kRowId)};
    if (kind.front() == "view") return {};
    return namesFor(db, "select name from pragma_table_info(?) where pk > 0 order by pk", table);
}

// The current row stays readable; moving on runs the selection again and
// steps over the rows already read.
void DataSource::releaseReadLock() {
    if (!m_result || m_result->exhausted || m_result->readAgain >= 0) return;
    sqlite3_reset(m_result->stmt);
    m_result->readAgain = m_result->eof ? 0 : m_position + 1;
}

void DataSource::refresh() {
    m_mode = Mode::None;
    m_pending.clear();
    closeStatement();
    ensureOpen();
    auto result = std::make_unique<Result>();
    result->select = prepareSelect(m_recordSource, [this](const std::string& table) { return rowKeyOf(table); });
    result->stmt = m_connection->prepare(result->select.sql);
    int count = sqlite3_column_count(result->stmt);
    for (int i = static_cast<int>(result->select.keyColumns.size()); i < count; ++i) {
        const char* decl = sqlite3_column_decltype(result->stmt, i);
        result->columns.push_back({sqlite3_column_name(result->stmt, i), fieldTypeOf(decl ? decl : "")});
    }
    m_result = std::move(result);
    m_position = 0;
    m_count = -1;
    m_result->eof = !step();
    if (m_result->eof) m_count = 0;
}

bool DataSource::step() {
    Result& r = *m_result;
    if (r.exhausted) return false;
    int rc = sqlite3_step(r.stmt);
    for (; r.readAgain > 0 && rc == SQLITE_ROW; --r.readAgain) rc = sqlite3_step(r.stmt);
    r.readAgain = -1;
    if (rc == SQLITE_DONE) {
        r.exhausted = true;
        sqlite3_reset(r.stmt);  // releases the read lock at once
        return false;
    }
    if (rc != SQLITE_ROW) {
        sqlite3_reset(r.stmt);
        m_connection->fail(rc, r.select.table);
    }
    const int offset = static_cast<int>(r.select.keyColumns.size());
    r.key.resize(r.select.keyColumns.size());
    for (int i = 0; i < offset; ++i) r.key[static_cast<std::size_t>(i)] = readColumn(r.stmt, i, FieldType::Untyped);
    r.row.resize(r.columns.size());
    for (std::size_t i = 0; i < r.columns.size(); ++i)
        r.row[i] = readColumn(r.stmt, static_cast<int>(i) + offset, r.columns[i].type);
    return true;
}

bool DataSource::eof() const { return !m_result || m_result->eof; }

void DataSource::moveNext() {
    requireCurrentRow();
    if (step()) {
        ++m_position;
    } else {
        m_result->eof = true;
        m_count = m_position + 1;
        m_position = m_count;
    }
}

void DataSource::moveLast() {
    if (!m_result) refresh();
    if (m_result->eof) return;
    while (step()) ++m_position;
    m_count = m_position + 1;
}

long DataSource::recordCount() {
    if (!m_result) refresh();
    if (m_count < 0) m_count = countRows();
    return m_count;
}

long DataSource::countRows() {
    sqlite3_stmt* stmt = m_connection->prepare(m_result->select.countSql);
    int rc = sqlite3_step(stmt);
    long count = rc == SQLITE_ROW ? static_cast<long>(sqlite3_column_int64(stmt, 0)) : 0;
    sqlite3_finalize(stmt);
    if (rc != SQLITE_ROW) m_connection->fail(rc, m_result->select.table);
    return count;
}

void DataSource::moveTo(long position) {
    refresh();
    while (m_position < position && !eof()) moveNext();
}

void DataSource::requireCurrentRow() const {
    if (eof()) throw EngineError(engine_error::kNoCurrentRecord, "Nessun record corrente.");
}

std::vector<std::string> DataSource::fieldNames() const {
    std::vector<std::string> names;
    if (m_result)
        for (const Column& c : m_result->columns) names.push_back(c.name);
    return names;
}

int DataSource::fieldIndex(std::string_view name) const {
    if (m_result)
        for (std::size_t i = 0; i < m_result->columns.size(); ++i)
            if (sameName(m_result->columns[i].name, name)) return static_cast<int>(i);
    return -1;
}

Value DataSource::field(std::string_view name) const {
    requireCurrentRow();
    int index = fieldIndex(name);
    if (index < 0)
        throw EngineError(engine_error::kFieldNotFound, "Campo '" + std::string(name) + "' non trovato" +
                                                            (m_result->select.table.empty()
                                                                 ? std::string()
                                                                 : " nella tabella '" + m_result->select.table + "'") +
                                                            ".");
    return m_result->row[static_cast<std::size_t>(index)];
}

Value DataSource::field(std::size_t index) const {
    requireCurrentRow();
    if (index >= m_result->row.size())
        throw EngineError(engine_error::kFieldNotFound, "Campo numero " + std::to_string(index) + " non trovato.");
    return m_result->row[index];
}

void DataSource::addNew() {
    if (!m_result) refresh();
    if (m_result->select.table.empty())
        throw EngineError(engine_error::kNotUpdatable, "Impossibile aggiungere righe: la selezione è di sola lettura.");
    m_mode = Mode::AddNew;
    m_pending.clear();
}

void DataSource::edit() {
    requireCurrentRow();
    if (m_result->select.keyColumns.empty())
        throw EngineError(engine_error::kNotUpdatable, "Impossibile modificare: la selezione è di sola lettura.");
    m_mode = Mode::Edit;
    m_pending.clear();
}

const TableColumn& DataSource::targetColumn(std::string_view name) {
    if (!m_result->tableColumns) m_result->tableColumns = &m_connection->columnsOf(m_result->select.table);
    for (const TableColumn& c : *m_result->tableColumns)
        if (sameName(c.name, name)) return c;
    throw EngineError(engine_error::kFieldNotFound, "Campo '" + std::string(name) + "' non trovato nella tabella '" +
                                                        m_result->select.table + "'.");
}

void DataSource::setConverted(std::string_view name, Value value) {
    if (m_mode == Mode::None)
        throw EngineError(engine_error::kUpdateWithoutEdit,
                          "Scrittura del campo '" + std::string(name) + "' senza un nuovo record o una modifica in corso.");
    const TableColumn& column = targetColumn(name);
    Value stored;
    if (!convertForColumn(value, column.type, stored))
        throw EngineError(engine_error::kNotConvertible, "Il valore " + quoteValue(value.toText()) +
                                                              " non è convertibile nel tipo del campo '" + column.name +
                                                              "' della tabella '" + m_result->select.table + "'.");
    for (auto& [existing, v] : m_pending)
        if (existing == column.name) {
            v = std::move(stored);
            return;
        }
    m_pending.emplace_back(column.name, std::move(stored));
}

void DataSource::setField(std::string_view name, std::string_view text) { setConverted(name, Value(std::string(text))); }
void DataSource::setField(std::string_view name, double number) { setConverted(name, Value(number)); }
void DataSource::setField(std::string_view name, bool yes) { setConverted(name, Value::yesNo(yes)); }

void DataSource::cancelUpdate() {
    m_mode = Mode::None;
    m_pending.clear();
}

void DataSource::update() {
    if (m_mode == Mode::None)
        throw EngineError(engine_error::kUpdateWithoutEdit, "Aggiornamento senza un nuovo record o una modifica in corso.");
    Mode mode = m_mode;
    auto pending = std::move(m_pending);
    cancelUpdate();
    const std::string& table = m_result->select.table;
    std::string sql;
    if (mode == Mode::AddNew) {
        if (pending.empty()) {
            sql = "insert into " + quotedName(table) + " default values";
        } else {
            std::string names, marks;
            for (const auto& [name, v] : pending) {
                if (!names.empty()) names += ',';
                names += quotedName(name);
                marks += marks.empty() ? "?" : ",?";
            }
            sql = "insert into " + quotedName(table) + " (" + names + ") values (" + marks + ")";
        }
    } else {
        if (pending.empty()) return;
        std::string sets;
        for (const auto& [name, v] : pending) {
            if (!sets.empty()) sets += ',';
            sets += quotedName(name);
            sets += "=?";
        }
        std::string where;
        for (const std::string& key : m_result->select.keyColumns)
            where += (where.empty() ? "" : " and ") + keyTerm(table, key) + "=?";
        sql = "update " + quotedName(table) + " set " + sets + " where " + where;
    }
    sqlite3_stmt* stmt = m_connection->cachedStatement(sql);
    // A write on its own takes the write lock itself: it waits for other
    // writers as a transaction does.
    std::optional<WriteWait> wait;
    if (sqlite3_get_autocommit(m_connection->handle())) {
        releaseReadLock();
        wait.emplace(*m_connection);
    }
    // Texts are bound without a copy (the largest cost of an import): the
    // bindings point into `pending` and are cleared before it goes.
    struct ClearBindings {
        sqlite3_stmt* stmt;
        ~ClearBindings() { sqlite3_clear_bindings(stmt); }
    } clearBindings{stmt};
    int index = 1;
    for (const auto& [name, v] : pending) bindValue(stmt, index++, v);
    if (mode == Mode::Edit)
        for (const Value& key : m_result->key) bindValue(stmt, index++, key);
    int rc = sqlite3_step(stmt);
    if (rc != SQLITE_DONE) {
        sqlite3_reset(stmt);
        m_connection->fail(rc, table);
    }
    sqlite3_reset(stmt);
    if (mode == Mode::Edit && !m_result->eof)
        for (const auto& [name, v] : pending) {
            if (int i = fieldIndex(name); i >= 0) m_result->row[static_cast<std::size_t>(i)] = v;
            // An edited primary key is the row's identity from now on.
            for (std::size_t k = 0; k < m_result->select.keyColumns.size(); ++k)
                if (sameName(m_result->select.keyColumns[k], name)) m_result->key[k] = v;
        }
}

void DataSource::runInOneTransaction(const std::function<void()>& work, RunCounts* counts) {
    ensureOpen();
    if (!sqlite3_get_autocommit(m_connection->handle())) {
        work();
        return;
    }
    if (counts && !m_result) refresh();
    releaseReadLock();
    {
        WriteWait wait(*m_connection);
        m_connection->execute("begin immediate");
    }
    try {
        WriteWait wait(*m_connection);
        if (counts) {
            counts->before = countRows();
            counts->begun = true;
        }
        work();
    } catch (...) {
        try {
            finishTransaction(counts, true);
        } catch (...) {
        }
        throw;
    }
    finishTransaction(counts, false);
}

// Commits (a rollback when the commit fails); after a failure of the run or of
// the commit, counts the table again on this connection once the engine is
// done with the transaction.
void DataSource::finishTransaction(RunCounts* counts, bool failed) {
    sqlite3* db = m_connection->handle();
    auto recount = [&] {
        if (!counts) return;
        if (!sqlite3_get_autocommit(db)) {
            counts->afterFailure = "la transazione del database '" + m_databaseName + "' è rimasta aperta";
            return;
        }
        try {
            counts->after = countRows();
        } catch (const EngineError& e) {
            counts->afterFailure = "errore " + std::to_string(e.number()) + " - " + e.what();
        }
    };
    auto undoLeftOpen = [&] {
        // A transaction the engine could not roll back is undone when its connection closes.
        if (sqlite3_get_autocommit(db)) return;
        m_result.reset();
        m_connection.reset();
    };
    try {
        WriteWait wait(*m_connection);
        m_connection->execute("commit");
    } catch (...) {
        sqlite3_exec(db, "rollback", nullptr, nullptr, nullptr);
        recount();
        undoLeftOpen();
        throw;
    }
    if (failed) recount();
}

}  // namespace tessaro7::db
