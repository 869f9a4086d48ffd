// The rows an import run appended, read back and deleted by their rowid: an
// ordinary table's rowids grow with each append, so the run's rows are those
// above the largest rowid the table held when the run began. A table WITHOUT
// ROWID has no such order: reading its additions fails, and a run into it
// cannot be undone.
#include "db/FilledText.h"
#include "db/Messages.h"
#include "db/SqliteConnection.h"

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
