#include "db/SqliteConnection.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <optional>

#include "db/FilledText.h"
#include "db/ItalianCollation.h"
#include "db/Messages.h"
#include "db/Names.h"
#include "db/PathResolver.h"
#include "db/SelectText.h"

namespace tessaro7::db {

namespace {

int italianCollation(void*, int lenA, const void* a, int lenB, const void* b) {
    return compareItalian(std::string_view(static_cast<const char*>(a), static_cast<std::size_t>(lenA)),
                          std::string_view(static_cast<const char*>(b), static_cast<std::size_t>(lenB)));
}

// The name after "prefix" in an SQLite message ("no such table: main.clienti").
std::string nameAfter(const std::string& message, const std::string& prefix) {
    std::size_t at = message.find(prefix);
    if (at == std::string::npos) return "";
    std::string name = message.substr(at + prefix.size());
    if (name.rfind("main.", 0) == 0) name = name.substr(5);
    return name;
}

// The failures a user can act on, by SQLite's primary result code: what
// happened, naming the file ({file}) or its folder ({folder}), and what to
// check. The engine's own text follows in parentheses.
struct Cause {
    int codes[2];  // 0: no second code
    int number;
    const char* text;
};

constexpr Cause kCauses[] = {
    {{SQLITE_BUSY, SQLITE_LOCKED}, engine_error::kDatabaseLocked, msg::kDatabaseLocked},
    {{SQLITE_READONLY, SQLITE_PERM}, engine_error::kOther, msg::kDatabaseReadOnly},
    {{SQLITE_CANTOPEN, 0}, engine_error::kOther, msg::kJournalNotCreated},
    {{SQLITE_FULL, 0}, engine_error::kOther, msg::kDiskFull},
    {{SQLITE_IOERR, 0}, engine_error::kOther, msg::kDiskError},
    {{SQLITE_NOTADB, 0}, engine_error::kOther, msg::kNotADatabase},
    {{SQLITE_CORRUPT, 0}, engine_error::kOther, msg::kDatabaseDamaged},
};

// The folder part of a database path as shown ("/home/ufficio/Archivio/Tessaro7.mdb").
std::string folderOf(const std::string& name) {
    std::size_t at = name.find_last_of("\\/");
    return at == std::string::npos ? std::string(".") : name.substr(0, at);
}

std::string causeText(std::string_view text, const std::string& file) {
    return filledText(text, {{"file", file}, {"folder", folderOf(file)}});
}

}  // namespace

SqliteConnection::SqliteConnection(const std::string& databaseName, int busyTimeoutMs) : Connection(databaseName) {
    std::filesystem::path file = resolvePath(databaseName);
    std::error_code ec;
    if (databaseName.empty() || !std::filesystem::is_regular_file(file, ec))
        throw EngineError(engine_error::kFileNotFound,
                          filledText(msg::kDatabaseFileNotFound, {{"file", shownPath(databaseName)}}));
    // A connection is used by one thread at a time: without the per-call mutex
    // an import reads and writes its many values for less.
    int rc = sqlite3_open_v2(file.c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        std::string detail = m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(rc);
        sqlite3_close(m_db);
        m_db = nullptr;
        throw EngineError(engine_error::kOther, filledText(msg::kDatabaseNotOpened,
                                                               {{"file", shownPath(databaseName)}, {"motivo", detail}}));
    }
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, busyTimeoutMs);
    sqlite3_create_collation(m_db, std::string(kCollationName).c_str(), SQLITE_UTF8, nullptr, italianCollation);
}

SqliteConnection::~SqliteConnection() {
    m_statements.clear();
    sqlite3_close_v2(m_db);
}

SqliteStatement SqliteConnection::prepare(const std::string& sql) {
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(m_db, sql.c_str(), static_cast<int>(sql.size()), &stmt, nullptr);
    SqliteStatement owned(stmt);
    if (rc != SQLITE_OK) fail(rc);
    return owned;
}

sqlite3_stmt* SqliteConnection::cachedStatement(const std::string& sql) {
    auto it = m_lastStatement != m_statements.end() && m_lastStatement->first == sql ? m_lastStatement
                                                                                      : m_statements.find(sql);
    if (it != m_statements.end()) {
        sqlite3_reset(it->second.get());
        sqlite3_clear_bindings(it->second.get());
    } else {
        it = m_statements.emplace(sql, prepare(sql)).first;
    }
    m_lastStatement = it;
    return it->second.get();
}

void SqliteConnection::execute(const std::string& sql) {
    int rc = sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) fail(rc);
}

const std::vector<TableColumn>& SqliteConnection::columnsOf(const std::string& table) {
    std::string key = lowerName(table);
    auto it = m_columns.find(key);
    if (it != m_columns.end()) return it->second;
    std::vector<TableColumn> columns;
    SqliteStatement stmt = prepare("pragma table_info([" + table + "])");
    while (sqlite3_step(stmt.get()) == SQLITE_ROW) {
        const char* name = reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 1));
        const char* type = reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 2));
        columns.push_back({name ? name : "", fieldTypeOf(type ? type : "")});
    }
    if (columns.empty())
        throw EngineError(engine_error::kTableNotFound,
                          filledText(msg::kTableNotFound, {{"tabella", table}, {"file", shownPath(databaseName())}}));
    return m_columns.emplace(key, std::move(columns)).first->second;
}

void SqliteConnection::fail(int rc, const std::string& table) const {
    // The file as it is on disk: "/" separators, each name in its real letter case.
    const std::string name = shownPath(databaseName());
    std::string message = m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(rc);
    int extended = m_db ? sqlite3_extended_errcode(m_db) : rc;
    std::string where = table.empty() ? "" : filledText(msg::kOfTable, {{"tabella", table}});
    switch (extended) {
    case SQLITE_CONSTRAINT_UNIQUE:
    case SQLITE_CONSTRAINT_PRIMARYKEY:
        throw EngineError(engine_error::kDuplicateValue,
                          msg::kDuplicateValue + where + " (" +
                              nameAfter(message, "failed: ") + ").");
    case SQLITE_CONSTRAINT_NOTNULL:
        throw EngineError(engine_error::kNullNotAllowed,
                          filledText(msg::kNullNotAllowed, {{"campo", nameAfter(message, "failed: ")}}));
    default:
        break;
    }
    // A folder where the journal cannot be created may also be told as a read-only database.
    int code = extended == SQLITE_READONLY_DIRECTORY ? SQLITE_CANTOPEN : rc & 0xFF;
    for (const Cause& cause : kCauses)
        if (cause.codes[0] == code || cause.codes[1] == code)
            throw EngineError(cause.number, causeText(cause.text, name) + " (" + message + ").");
    if (message.rfind("no such table: ", 0) == 0)
        throw EngineError(engine_error::kTableNotFound,
                          filledText(msg::kTableNotFound, {{"tabella", nameAfter(message, "no such table: ")}, {"file", name}}));
    if (message.rfind("no such column: ", 0) == 0)
        throw EngineError(engine_error::kFieldNotFound,
                          filledText(msg::kFieldNotFound, {{"campo", nameAfter(message, "no such column: ")}}) + where + ".");
    throw EngineError(engine_error::kOther, filledText(msg::kDatabaseError, {{"file", name}, {"motivo", message}}));
}

namespace {

// The rows of one prepared statement; the statement is finalised with the cursor.
class SqliteCursor : public Cursor {
public:
    SqliteCursor(SqliteConnection& connection, const PreparedSelect& select)
        : m_connection(connection), m_table(select.table), m_hasRowId(select.hasRowId),
          m_owned(connection.prepare(select.sql)), m_stmt(m_owned.get()) {
        int count = sqlite3_column_count(m_stmt);
        for (int i = m_hasRowId ? 1 : 0; i < count; ++i) {
            const char* decl = sqlite3_column_decltype(m_stmt, i);
            m_columns.push_back({sqlite3_column_name(m_stmt, i), fieldTypeOf(decl ? decl : "")});
        }
    }

    bool next(std::vector<Value>& row, Value& rowId) override {
        if (m_exhausted) return false;
        int rc = sqlite3_step(m_stmt);
        for (; m_readAgain > 0 && rc == SQLITE_ROW; --m_readAgain) rc = sqlite3_step(m_stmt);
        m_readAgain = -1;
        if (rc == SQLITE_DONE) {
            m_exhausted = true;
            sqlite3_reset(m_stmt);  // releases the read lock at once
            return false;
        }
        if (rc != SQLITE_ROW) {
            sqlite3_reset(m_stmt);
            m_connection.fail(rc, m_table);
        }
        int offset = m_hasRowId ? 1 : 0;
        if (offset) rowId = readColumn(m_stmt, 0, FieldType::Untyped);
        row.resize(m_columns.size());
        for (std::size_t i = 0; i < m_columns.size(); ++i) {
            if (wanted(i))
                readColumnInto(m_stmt, static_cast<int>(i) + offset, m_columns[i].type, row[i]);
            else if (!row[i].isNull())
                row[i] = Value();
        }
        return true;
    }

    void releaseReadLock(long rowsRead) override {
        if (m_exhausted || m_readAgain >= 0) return;
        sqlite3_reset(m_stmt);
        m_readAgain = rowsRead;
    }

private:
    SqliteConnection& m_connection;
    std::string m_table;
    bool m_hasRowId;
    SqliteStatement m_owned;
    sqlite3_stmt* m_stmt;  // the owned statement, named once
    bool m_exhausted = false;
    long m_readAgain = -1;  // after a released read lock: the rows to step over when reading on
};

}  // namespace

namespace {

// Runs a one-column query on a table's name; the texts of its rows.
std::vector<std::string> namesFor(sqlite3* db, const char* sql, std::string_view table) {
    std::vector<std::string> out;
    sqlite3_stmt* prepared = nullptr;
    int rc = sqlite3_prepare_v2(db, sql, -1, &prepared, nullptr);
    SqliteStatement stmt(prepared);
    if (rc == SQLITE_OK) {
        sqlite3_bind_text(prepared, 1, table.data(), static_cast<int>(table.size()), SQLITE_TRANSIENT);
        while (sqlite3_step(prepared) == SQLITE_ROW) {
            const unsigned char* text = sqlite3_column_text(prepared, 0);
            out.emplace_back(text ? reinterpret_cast<const char*>(text) : "");
        }
    }
    return out;
}

constexpr std::string_view kRowId = "rowid";

// An ordinary table's rows are named by their rowid; a table WITHOUT ROWID's
// by its primary key, which is also its natural order; a view's rows cannot be
// edited.
class SqliteDialect : public SelectDialect {
public:
    explicit SqliteDialect(sqlite3* db) : m_db(db) {}

    std::string rowIdentity(std::string_view table) const override {
        std::vector<std::string> keys = keysOf(table);
        if (keys.empty()) return {};
        if (keys.size() == 1) return keyTerm(table, keys.front());
        std::string terms;
        for (const std::string& key : keys) terms += (terms.empty() ? "" : ",") + keyTerm(table, key);
        return "json_array(" + terms + ")";
    }
    std::string naturalOrder(std::string_view table) const override {
        std::string terms;
        for (const std::string& key : keysOf(table)) terms += (terms.empty() ? "" : ", ") + keyTerm(table, key);
        return terms;
    }

private:
    std::string keyTerm(std::string_view table, const std::string& key) const {
        return quoted(table) + "." + (key == kRowId ? key : quoted(key));
    }
    std::vector<std::string> keysOf(std::string_view table) const {
        std::vector<std::string> kind = namesFor(
            m_db,
            "select case when type = 'view' then 'view' when wr then 'key' else 'rowid' end "
            "from pragma_table_list where name = ? collate nocase and schema = 'main'",
            table);
        // A missing table is selected as an ordinary one, so the engine reports it missing.
        if (kind.empty() || kind.front() == "rowid") return {std::string(kRowId)};
        if (kind.front() == "view") return {};
        return namesFor(m_db, "select name from pragma_table_info(?) where pk > 0 order by pk", table);
    }

    sqlite3* m_db;
};

}  // namespace

PreparedSelect SqliteConnection::prepareSelect(std::string_view recordSource) {
    return db::prepareSelect(recordSource, SqliteDialect(m_db));
}

std::unique_ptr<Cursor> SqliteConnection::run(const PreparedSelect& select) {
    return std::make_unique<SqliteCursor>(*this, select);
}

long SqliteConnection::count(const PreparedSelect& select) {
    SqliteStatement stmt = prepare(select.countSql);
    int rc = sqlite3_step(stmt.get());
    long count = rc == SQLITE_ROW ? static_cast<long>(sqlite3_column_int64(stmt.get(), 0)) : 0;
    if (rc != SQLITE_ROW) {
        sqlite3_reset(stmt.get());
        fail(rc, select.table);
    }
    return count;
}

// While a run appends, its rows are counted, and a row repeating a unique
// key is left out when the run skips them.
void SqliteConnection::insert(const std::string& table, const FieldValues& values) {
    if (!appending()) {
        insertRow(table, values);
        return;
    }
    AppendCounts& counts = appendCounts();
    ++counts.sent;
    try {
        insertRow(table, values);
        ++counts.stored;
    } catch (const EngineError& e) {
        if (e.number() == engine_error::kDuplicateValue && skipDuplicates()) {
            ++counts.duplicates;
            return;
        }
        counts.failedRow = counts.sent;
        throw;
    }
}

void SqliteConnection::insertRow(const std::string& table, const FieldValues& values) {
    if (values.empty()) {
        write("insert into " + quotedName(table) + " default values", table, values, nullptr);
        return;
    }
    write(insertText(table, values), table, values, nullptr);
}

// An import sets the same fields of the same table on every row: the text of
// its insert is made once.
const std::string& SqliteConnection::insertText(const std::string& table, const FieldValues& values) {
    InsertText& last = m_lastInsert;
    bool same = last.table == table && last.names.size() == values.size();
    for (std::size_t i = 0; same && i < values.size(); ++i) same = last.names[i] == values[i].first;
    if (same) return last.sql;
    std::string names, marks;
    last.names.clear();
    for (const auto& [name, v] : values) {
        if (!names.empty()) names += ',';
        names += quotedName(name);
        marks += marks.empty() ? "?" : ",?";
        last.names.push_back(name);
    }
    last.table = table;
    last.sql = "insert into " + quotedName(table) + " (" + names + ") values (" + marks + ")";
    return last.sql;
}

Value SqliteConnection::update(const std::string& table, const Value& rowId, const FieldValues& values) {
    if (values.empty()) return rowId;
    std::string sets;
    for (const auto& [name, v] : values) {
        if (!sets.empty()) sets += ',';
        sets += quotedName(name);
        sets += "=?";
    }
    const std::string identity = SqliteDialect(m_db).rowIdentity(table);
    if (identity == quotedName(table) + ".rowid") {
        write("update " + quotedName(table) + " set " + sets + " where rowid=?", table, values, &rowId);
        return rowId;
    }
    // A table WITHOUT ROWID is edited by its key; an edited key names the row from now on.
    std::optional<Value> edited =
        write("update " + quotedName(table) + " set " + sets + " where " + identity + "=? returning " + identity,
              table, values, &rowId);
    return edited ? *edited : rowId;
}

std::optional<Value> SqliteConnection::write(const std::string& sql, const std::string& table,
                                            const FieldValues& values, const Value* rowId) {
    sqlite3_stmt* stmt = cachedStatement(sql);
    // Texts are bound without a copy (the largest cost of an import): the
    // bindings point into `values` and are cleared before it goes.
    struct ClearBindings {
        sqlite3_stmt* stmt;
        ~ClearBindings() { sqlite3_clear_bindings(stmt); }
    } clearBindings{stmt};
    int index = 1;
    for (const auto& [name, v] : values) bindValue(stmt, index++, v);
    if (rowId) bindValue(stmt, index, *rowId);
    std::optional<Value> returned;
    int rc = sqlite3_step(stmt);
    if (rc == SQLITE_ROW) {
        returned = readColumn(stmt, 0, FieldType::Untyped);
        rc = sqlite3_step(stmt);
    }
    if (rc != SQLITE_DONE) {
        sqlite3_reset(stmt);
        fail(rc, table);
    }
    sqlite3_reset(stmt);
    return returned;
}

bool SqliteConnection::inTransaction() { return !sqlite3_get_autocommit(m_db); }

void SqliteConnection::setBusyTimeout(int ms) { sqlite3_busy_timeout(m_db, ms); }

// The write lock is taken at once, so that the busy wait applies to it.
void SqliteConnection::begin() { execute("begin immediate"); }

// A run's new pages stay in memory up to this many KiB: with the engine's
// usual 2 MB they are written out before the commit, with their journal
// synced first, and read back again to register the run.
constexpr int kAppendingCacheKiB = 32768;
constexpr int kUsualCacheKiB = 2000;

void SqliteConnection::beginAppending(const std::string& table, bool skipDuplicates) {
    Connection::beginAppending(table, skipDuplicates);
    // Without the shape, the run's rows are read back after it.
    try {
        m_appendedShape = appendedShape(table);
    } catch (const EngineError&) {
        m_appendedShape.reset();
    }
    execute("pragma cache_size=-" + std::to_string(kAppendingCacheKiB));
}

void SqliteConnection::commit() {
    endAppending();
    m_appendedShape.reset();
    execute("commit");
    usualCache();
}

void SqliteConnection::rollback() noexcept {
    endAppending();
    m_appendedShape.reset();
    if (!sqlite3_get_autocommit(m_db)) sqlite3_exec(m_db, "rollback", nullptr, nullptr, nullptr);
    usualCache();
}

void SqliteConnection::usualCache() noexcept {
    static const std::string pragma = "pragma cache_size=-" + std::to_string(kUsualCacheKiB);
    sqlite3_exec(m_db, pragma.c_str(), nullptr, nullptr, nullptr);
}

}  // namespace tessaro7::db
