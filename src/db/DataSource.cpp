#include "db/DataSource.h"

#include <algorithm>
#include <cctype>

#include "db/Connection.h"
#include "db/FilledText.h"
#include "db/Messages.h"
#include "db/Names.h"
#include "db/PathResolver.h"
#include "db/QuotedText.h"
#include "db/SelectText.h"
#include "db/ServerName.h"

namespace tessaro7::db {

namespace {

int g_busyTimeoutMs = 5000;
int g_writeTimeoutMs = 30000;

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

struct DataSource::Result {
    PreparedSelect select;
    std::unique_ptr<Cursor> cursor;
    // The written table's columns, looked up once: an import writes every field of every row through them.
    const std::vector<TableColumn>* tableColumns = nullptr;
    std::size_t nextColumn = 0;  // where the next field set is looked for first
    std::vector<std::size_t> setOrder;  // the columns the last row set, in the order set
    std::vector<Value> row;  // the current row
    Value rowId;
    bool eof = true;
};

DataSource::DataSource() = default;
DataSource::~DataSource() = default;

void DataSource::setBusyTimeoutMs(int ms) { g_busyTimeoutMs = ms; }
void DataSource::setWriteTimeoutMs(int ms) { g_writeTimeoutMs = ms; }

void DataSource::setDatabaseName(std::string path) { m_databaseName = std::move(path); }

void DataSource::setRecordSource(std::string source) { m_recordSource = std::move(source); }

void DataSource::openInBackground() {
    if (m_connection || m_opening.valid()) return;
    m_opening = std::async(std::launch::async,
                           [name = m_databaseName, wait = g_busyTimeoutMs] { return Connection::open(name, wait); });
}

void DataSource::ensureOpen() {
    if (m_opening.valid()) {
        std::future<std::shared_ptr<Connection>> opening = std::move(m_opening);
        m_connection = opening.get();
    }
    if (!m_connection || m_connection->databaseName() != m_databaseName) {
        m_result.reset();
        m_connection.reset();
        m_connection = Connection::open(m_databaseName, g_busyTimeoutMs);
    }
}

void DataSource::closeStatement() { m_result.reset(); }

// The current row stays readable; moving on runs the selection again and
// steps over the rows already read.
void DataSource::releaseReadLock() {
    if (m_result && m_result->cursor) m_result->cursor->releaseReadLock(m_result->eof ? 0 : m_position + 1);
}

namespace {

// A data source's result for a record source, not run yet.
template <typename Result>
std::unique_ptr<Result> preparedResult(Connection& connection, const std::string& recordSource) {
    auto result = std::make_unique<Result>();
    result->select = connection.prepareSelect(recordSource);
    return result;
}

}  // namespace

void DataSource::refresh() {
    cancelUpdate();
    closeStatement();
    ensureOpen();
    m_result = preparedResult<Result>(*m_connection, m_recordSource);
    m_result->cursor = m_connection->run(m_result->select);
    m_position = 0;
    m_count = -1;
    m_result->eof = !step();
    if (m_result->eof) m_count = 0;
}

// The table is looked up at once, so that a missing one is named before anything is written.
void DataSource::openForAppending() {
    cancelUpdate();
    closeStatement();
    ensureOpen();
    std::unique_ptr<Result> result = preparedResult<Result>(*m_connection, m_recordSource);
    result->tableColumns = &m_connection->columnsOf(result->select.table);
    m_result = std::move(result);
    m_position = 0;
    m_count = 0;
}

bool DataSource::step() { return m_result->cursor && m_result->cursor->next(m_result->row, m_result->rowId); }

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

long DataSource::countRows() { return m_connection->count(m_result->select); }

void DataSource::moveTo(long position) {
    refresh();
    while (m_position < position && !eof()) moveNext();
}

void DataSource::requireCurrentRow() const {
    if (eof()) throw EngineError(engine_error::kNoCurrentRecord, msg::kNoCurrentRecord);
}

std::vector<std::string> DataSource::fieldNames() const {
    std::vector<std::string> names;
    if (m_result && m_result->cursor)
        for (const TableColumn& c : m_result->cursor->columns()) names.push_back(c.name);
    return names;
}

int DataSource::fieldIndex(std::string_view name) const {
    if (m_result && m_result->cursor) {
        const std::vector<TableColumn>& columns = m_result->cursor->columns();
        for (std::size_t i = 0; i < columns.size(); ++i)
            if (sameName(columns[i].name, name)) return static_cast<int>(i);
    }
    return -1;
}

Value DataSource::field(std::string_view name) const {
    requireCurrentRow();
    int index = fieldIndex(name);
    if (index < 0)
        throw EngineError(engine_error::kFieldNotFound, filledText(std::string(msg::kFieldNotFound) +
                                                                       (m_result->select.table.empty() ? "" : msg::kInTable) + ".",
                                                                   {{"campo", name}, {"tabella", m_result->select.table}}));
    return m_result->row[static_cast<std::size_t>(index)];
}

Value DataSource::field(std::size_t index) const {
    requireCurrentRow();
    if (index >= m_result->row.size())
        throw EngineError(engine_error::kFieldNotFound, filledText(msg::kFieldNumberNotFound, {{"n", std::to_string(index)}}));
    return m_result->row[index];
}

void DataSource::readOnlyFields(const std::vector<std::size_t>& positions) {
    if (!m_result || !m_result->cursor) return;
    std::vector<bool> wanted(m_result->cursor->columns().size(), false);
    for (std::size_t p : positions)
        if (p < wanted.size()) wanted[p] = true;
    m_result->cursor->readOnly(std::move(wanted));
}

const std::vector<Value>& DataSource::rowValues() const {
    requireCurrentRow();
    return m_result->row;
}

const Value& DataSource::rowIdentity() const {
    requireCurrentRow();
    return m_result->rowId;
}

void DataSource::addNew() {
    if (!m_result) refresh();
    if (m_result->select.table.empty())
        throw EngineError(engine_error::kNotUpdatable, msg::kCannotAddReadOnly);
    m_mode = Mode::AddNew;
    m_pendingCount = 0;
    ++m_rowBeingSet;
}

void DataSource::edit() {
    requireCurrentRow();
    if (!m_result->select.hasRowId)
        throw EngineError(engine_error::kNotUpdatable, msg::kCannotEditReadOnly);
    m_mode = Mode::Edit;
    m_pendingCount = 0;
    ++m_rowBeingSet;
}

const TableColumn& DataSource::targetColumn(std::string_view name) {
    if (!m_result->tableColumns) m_result->tableColumns = &m_connection->columnsOf(m_result->select.table);
    const std::vector<TableColumn>& columns = *m_result->tableColumns;
    // Rows are mostly set in the order of the row before: the column set at
    // the same place of that row is tried first, then the column after the
    // last one found.
    std::vector<std::size_t>& order = m_result->setOrder;
    const std::size_t place = m_pendingCount;
    if (place < order.size() && columns[order[place]].name == name) return columns[order[place]];
    std::size_t& hint = m_result->nextColumn;
    auto found = [&](std::size_t i) -> const TableColumn& {
        hint = i + 1;
        if (place < order.size())
            order[place] = i;
        else if (place == order.size())
            order.push_back(i);
        return columns[i];
    };
    if (hint < columns.size() && (columns[hint].name == name || sameName(columns[hint].name, name))) return found(hint);
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (sameName(columns[i].name, name)) return found(i);
    throw EngineError(engine_error::kFieldNotFound, filledText(std::string(msg::kFieldNotFound) + msg::kInTable + ".",
                                                               {{"campo", name}, {"tabella", m_result->select.table}}));
}

const TableColumn& DataSource::columnToSet(std::string_view name) {
    if (m_mode == Mode::None)
        throw EngineError(engine_error::kUpdateWithoutEdit,
                          filledText(msg::kWriteWithoutEdit, {{"campo", name}}));
    return targetColumn(name);
}

// The pending value of `column`: the one set already, or the next, which
// keeps the storage of an earlier row's value. A field set again is told by
// the mark of its column: the number of the row being set.
Value& DataSource::pendingValue(const TableColumn& column) {
    const std::vector<TableColumn>& columns = *m_result->tableColumns;
    const auto at = static_cast<std::size_t>(&column - columns.data());
    if (m_setInRow.size() != columns.size()) m_setInRow.assign(columns.size(), {0, 0});
    auto& [row, slot] = m_setInRow[at];
    if (row == m_rowBeingSet) return m_pending[slot].second;
    row = m_rowBeingSet;
    slot = m_pendingCount;
    if (m_pendingCount == m_pending.size())
        m_pending.emplace_back(column.name, Value());
    else
        m_pending[m_pendingCount].first = column.name;
    return m_pending[m_pendingCount++].second;
}

void DataSource::setConverted(std::string_view name, Value value) { setConverted(columnToSet(name), std::move(value)); }

void DataSource::setConverted(const TableColumn& column, Value value) {
    Value stored;
    if ((column.type == FieldType::Text || column.type == FieldType::Untyped) && value.kind() == Value::Kind::Text)
        stored = std::move(value);  // stored as it is: no copy of the text
    else if (!convertForColumn(value, column.type, stored))
        throw EngineError(engine_error::kNotConvertible, filledText(msg::kNotConvertible, {{"valore", quoteValue(value.toText())},
                                                                                      {"campo", column.name},
                                                                                      {"tabella", m_result->select.table}}));
    pendingValue(column) = std::move(stored);
}

void DataSource::setField(std::string_view name, std::string_view text) {
    const TableColumn& column = columnToSet(name);
    // A text for a text column is stored as it is, into the storage of an
    // earlier row's value: an import allocates nothing per field.
    if (column.type == FieldType::Text || column.type == FieldType::Untyped)
        pendingValue(column).assignText(text);
    else
        setConverted(column, Value(std::string(text)));
}
void DataSource::setField(std::string_view name, double number) { setConverted(name, Value(number)); }
void DataSource::setField(std::string_view name, bool yes) { setConverted(name, Value::yesNo(yes)); }

void DataSource::cancelUpdate() {
    m_mode = Mode::None;
    m_pendingCount = 0;
    ++m_rowBeingSet;
}

void DataSource::update() {
    if (m_mode == Mode::None)
        throw EngineError(engine_error::kUpdateWithoutEdit, msg::kUpdateWithoutEdit);
    Mode mode = m_mode;
    // The values stay for the next row to fill again: only their count goes.
    m_pending.resize(m_pendingCount);
    const FieldValues& pending = m_pending;
    cancelUpdate();
    const std::string& table = m_result->select.table;
    // A write on its own takes the write lock itself: it waits for other
    // writers as a transaction does.
    std::optional<WriteWait> wait;
    if (!m_connection->inTransaction()) {
        releaseReadLock();
        wait.emplace(*m_connection);
    }
    if (mode == Mode::AddNew) {
        const AppendCounts before = m_connection->appended();
        m_connection->insert(table, pending);
        if (m_watch) handOverStored(pending, before);
    } else
        m_result->rowId = m_connection->update(table, m_result->rowId, pending);
    if (mode == Mode::Edit && !m_result->eof)
        for (const auto& [name, v] : pending)
            if (int i = fieldIndex(name); i >= 0) m_result->row[static_cast<std::size_t>(i)] = v;
}

Value DataSource::additionMark() {
    if (!m_result) refresh();
    return m_connection->additionMark(m_result->select.table);
}

void DataSource::readAdded(const Value& mark, const RowVisitor& each) {
    if (!m_result) refresh();
    std::unique_ptr<Cursor> added = m_connection->addedRows(m_result->select.table, mark);
    std::vector<Value> row;
    Value rowId;
    while (added->next(row, rowId)) each(rowId, row);
}

void DataSource::watchAdded(StoredRowVisitor each) {
    ensureOpen();
    m_watch = std::make_unique<Watch>();
    m_watch->each = std::move(each);
    m_watch->storedAtStart = m_connection->appended().stored;
    m_watch->asSent = m_connection->tellsRowsAsSent();
}

bool DataSource::endWatch(std::vector<Value>& later) {
    later.clear();
    if (!m_watch) return false;
    std::unique_ptr<Watch> watch = std::move(m_watch);
    if (watch->broken) return false;
    if (watch->asSent) {
        try {
            return m_connection->laterIdentities(m_result->select.table, watch->handed, later);
        } catch (...) {
            later.clear();
            return false;
        }
    }
    // The engine's own count of the rows it stored is the check.
    return watch->handed == m_connection->appended().stored - watch->storedAtStart;
}

// A row left out as a duplicate was not stored; once one stored row cannot
// be told (or the engine has not answered for it yet), the watch gives up for
// the rest of the run.
void DataSource::handOverStored(const FieldValues& written, const AppendCounts& before) {
    Watch& watch = *m_watch;
    if (watch.broken) return;
    const AppendCounts& after = m_connection->appended();
    // Counts that move as a row is sent are the engine's answer for that row.
    const bool answered = !watch.asSent;
    if (answered && after.stored == before.stored && after.duplicates == before.duplicates + 1) return;
    try {
        if ((!answered || after.stored == before.stored + 1) &&
            m_connection->storedRow(m_result->select.table, written, watch.rowId, watch.row)) {
            watch.each(watch.rowId, watch.row);
            ++watch.handed;
            return;
        }
    } catch (...) {
    }
    watch.broken = true;
}

long DataSource::deleteRows(const std::vector<Value>& rowIds) {
    if (!m_result) refresh();
    return m_connection->deleteRows(m_result->select.table, rowIds);
}

void DataSource::runInOneTransaction(const std::function<void()>& work, RunCounts* counts, bool skipDuplicates) {
    ensureOpen();
    if (m_connection->inTransaction()) {
        work();
        return;
    }
    // A watch never outlives the run it watches.
    struct EndWatch {
        std::unique_ptr<Watch>& watch;
        ~EndWatch() { watch.reset(); }
    } endWatch{m_watch};
    if (counts && !m_result) openForAppending();
    releaseReadLock();
    {
        WriteWait wait(*m_connection);
        m_connection->begin();
    }
    try {
        WriteWait wait(*m_connection);
        if (counts) {
            m_connection->beginAppending(m_result->select.table, skipDuplicates);
            counts->begun = true;
        }
        work();
        if (counts) m_connection->finishAppending();
    } catch (const RollBackRun&) {
        if (counts) {
            const AppendCounts& appended = m_connection->appended();
            counts->written = appended.sent;
            counts->inserted = appended.stored;
            counts->duplicates = appended.duplicates;
            counts->kept = 0;  // certain: the rollback leaves none
        }
        m_connection->rollback();
        // A transaction the engine could not roll back is undone when its connection closes.
        if (m_connection->inTransaction()) {
            m_result.reset();
            m_connection.reset();
        }
        throw;
    } catch (...) {
        try {
            finishTransaction(counts);
        } catch (...) {
        }
        throw;
    }
    finishTransaction(counts);
}

// Commits (a rollback when the commit fails); the run's rows are kept when the
// commit succeeded, none when it failed, and their fate is uncertain only when
// the engine cannot tell whether the commit was done.
void DataSource::finishTransaction(RunCounts* counts) {
    Connection& connection = *m_connection;
    auto tell = [&](std::optional<long> kept) {
        if (!counts) return;
        const AppendCounts& appended = connection.appended();
        counts->written = appended.sent;
        counts->inserted = appended.stored;
        counts->duplicates = appended.duplicates;
        counts->failedRow = appended.failedRow;
        counts->kept = kept;
        if (!kept)
            counts->uncertain = msg::kConnectionLostAtSave;
    };
    try {
        WriteWait wait(*m_connection);
        connection.commit();
    } catch (...) {
        bool uncertain = connection.commitUncertain();
        connection.rollback();
        tell(uncertain ? std::nullopt : std::optional<long>(0));
        // A transaction the engine could not roll back is undone when its connection closes.
        if (connection.inTransaction()) {
            m_result.reset();
            m_connection.reset();
        }
        throw;
    }
    tell(connection.appended().stored);
}

}  // namespace tessaro7::db
