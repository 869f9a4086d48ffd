// The rows an import run appended, read back and deleted by their rowid: an
// ordinary table's rowids grow with each append, so the run's rows are those
// above the largest rowid the table held when the run began. A table WITHOUT
// ROWID has no such order: reading its additions fails, and a run into it
// cannot be undone.
#include "db/FilledText.h"
#include "db/Messages.h"
#include "db/Names.h"
#include "db/SqliteConnection.h"
#include "db/WrittenColumns.h"

#include <algorithm>
#include <charconv>

namespace tessaro7::db {

Value SqliteConnection::additionMark(const std::string& table) {
    sqlite3_stmt* stmt = cachedStatement("select coalesce(max(rowid), 0) from " + quotedName(table));
    int rc = sqlite3_step(stmt);
    Value mark = rc == SQLITE_ROW ? Value(static_cast<std::int64_t>(sqlite3_column_int64(stmt, 0))) : Value();
    sqlite3_reset(stmt);
    if (rc != SQLITE_ROW) fail(rc, table);
    return mark;
}

std::unique_ptr<Cursor> SqliteConnection::addedRows(const std::string& table, const Value& mark) {
    const std::string name = quotedName(table);
    const std::string after = " from " + name + " where " + name + ".rowid > " + std::to_string(mark.whole());
    return run(PreparedSelect{"select " + name + ".rowid as " + std::string(kRowIdColumn) + ", *" + after +
                                  " order by " + name + ".rowid",
                              table, true, "select count(*)" + after});
}

// A stored row can be told from the values written only in an ordinary
// table with no trigger, no generated column and no constraint that
// replaces rows: then each column holds what was written to it, or Null.
std::optional<SqliteConnection::AppendedShape> SqliteConnection::appendedShape(const std::string& table) {
    auto bound = [&](const char* sql) {
        SqliteStatement stmt = prepare(sql);
        sqlite3_bind_text(stmt.get(), 1, table.data(), static_cast<int>(table.size()), SQLITE_TRANSIENT);
        return stmt;
    };
    SqliteStatement kind = bound("select type = 'table' and not wr from pragma_table_list "
                                 "where name = ? collate nocase and schema = 'main'");
    if (sqlite3_step(kind.get()) != SQLITE_ROW || !sqlite3_column_int(kind.get(), 0)) return std::nullopt;
    SqliteStatement others = bound("select count(*) from sqlite_master where type = 'trigger' and tbl_name = ? collate "
                                   "nocase or type = 'table' and name = ? collate nocase and upper(sql) like '%REPLACE%'");
    sqlite3_bind_text(others.get(), 2, table.data(), static_cast<int>(table.size()), SQLITE_TRANSIENT);
    if (sqlite3_step(others.get()) != SQLITE_ROW || sqlite3_column_int(others.get(), 0) != 0) return std::nullopt;
    AppendedShape shape;
    shape.table = table;
    SqliteStatement columns = bound("select name, type, dflt_value is not null or pk > 0, hidden from pragma_table_xinfo(?)");
    while (sqlite3_step(columns.get()) == SQLITE_ROW) {
        if (sqlite3_column_int(columns.get(), 3) != 0) return std::nullopt;
        const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(columns.get(), 0));
        const auto* type = reinterpret_cast<const char*>(sqlite3_column_text(columns.get(), 1));
        std::string_view declared = type ? type : "";
        shape.columns.push_back({name ? name : "", fieldTypeOf(declared), affinityOf(declared),
                                 sqlite3_column_int(columns.get(), 2) != 0});
    }
    if (shape.columns.empty()) return std::nullopt;
    return shape;
}

bool SqliteConnection::storedRow(const std::string& table, const FieldValues& written, Value& rowId,
                                 std::vector<const Value*>& row) {
    static const Value null;
    if (!m_appendedShape || m_appendedShape->table != table || sqlite3_changes(m_db) != 1) return false;
    AppendedShape& shape = *m_appendedShape;
    const std::vector<StoredColumn>& columns = shape.columns;
    if (!shape.written.find(columns, written)) return false;
    row.assign(columns.size(), nullptr);
    for (std::size_t i = 0; i < written.size(); ++i) {
        const std::size_t at = shape.written.at(i);
        const Value& value = written[i].second;
        if (!readsBackAsWritten(value, columns[at].type, columns[at].affinity)) return false;
        row[at] = &value;
    }
    for (std::size_t c = 0; c < columns.size(); ++c) {
        if (row[c]) continue;
        if (columns[c].filledWhenUnset) return false;
        row[c] = &null;
    }
    rowId = Value(static_cast<std::int64_t>(sqlite3_last_insert_rowid(m_db)));
    return true;
}

long SqliteConnection::deleteRows(const std::string& table, const std::vector<Value>& rowIds) {
    sqlite3_stmt* stmt = cachedStatement("delete from " + quotedName(table) + " where rowid = ?");
    long deleted = 0;
    for (const Value& id : rowIds) {
        std::int64_t rowid = 0;
        if (id.kind() == Value::Kind::Whole) {
            rowid = id.whole();
        } else {
            const std::string text = id.toText();
            if (std::from_chars(text.data(), text.data() + text.size(), rowid).ec != std::errc())
                throw EngineError(engine_error::kOther, filledText(msg::kBadRowIdentity, {{"tabella", table}, {"valore", text}}));
        }
        sqlite3_bind_int64(stmt, 1, rowid);
        int rc = sqlite3_step(stmt);
        sqlite3_reset(stmt);
        if (rc != SQLITE_DONE) fail(rc, table);
        deleted += sqlite3_changes(m_db);
    }
    return deleted;
}

}  // namespace tessaro7::db
