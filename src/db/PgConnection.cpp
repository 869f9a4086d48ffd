#include "db/PgConnection.h"

#include <libpq-fe.h>

#include <charconv>
#include <cstring>

#include "db/Names.h"
#include "db/ServerName.h"
#include "db/ServerSelectText.h"

namespace tessaro7::db {

namespace {

// The field type of a result column, from the server's type (by name, as the
// declared types of the embedded engine are read).
FieldType typeOfOid(Oid oid) {
    switch (oid) {
    case 16: return fieldTypeOf("bool");
    case 20: case 21: case 23: return fieldTypeOf("int");
    case 700: case 701: case 1700: return fieldTypeOf("float");
    case 1082: case 1114: case 1184: return fieldTypeOf("date");
    case 25: case 1042: case 1043: return fieldTypeOf("text");
    default: return FieldType::Untyped;
    }
}

// A value as the server writes it in text form.
Value valueOf(const char* text, int length, FieldType type) {
    std::string_view s(text, static_cast<std::size_t>(length));
    switch (type) {
    case FieldType::Whole: {
        std::int64_t n = 0;
        if (std::from_chars(s.data(), s.data() + s.size(), n).ec == std::errc()) return n;
        break;
    }
    case FieldType::Number: {
        double d = 0;
        if (std::from_chars(s.data(), s.data() + s.size(), d).ec == std::errc()) return d;
        break;
    }
    case FieldType::Date:
        if (auto date = parseDate(s)) return *date;
        break;
    case FieldType::YesNo:
        if (s == "t" || s == "f") return Value::yesNo(s == "t");
        break;
    case FieldType::Text:
    case FieldType::Untyped:
        break;
    }
    return std::string(s);
}

}  // namespace

std::optional<std::string> serverText(const Value& v) {
    switch (v.kind()) {
    case Value::Kind::Null: return std::nullopt;
    case Value::Kind::Text: return v.text();
    case Value::Kind::Whole: return std::to_string(v.whole());
    case Value::Kind::Number: {
        char buffer[32];
        auto end = std::to_chars(buffer, buffer + sizeof buffer, v.number()).ptr;
        return std::string(buffer, end);
    }
    case Value::Kind::Date: return dateToIso(v.date());
    case Value::Kind::YesNo: return std::string(v.yes() ? "true" : "false");
    }
    return std::nullopt;
}

namespace {

std::string trimmedMessage(const char* text) {
    std::string s = text ? text : "";
    while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
    return s;
}

// The name in double quotes in a server message (relation "x" does not exist).
std::string quotedIn(const std::string& message) {
    std::size_t a = message.find('"');
    std::size_t b = a == std::string::npos ? a : message.find('"', a + 1);
    return b == std::string::npos ? std::string() : message.substr(a + 1, b - a - 1);
}

// Why a connection failed, in the user's terms.
std::string connectionProblem(PGconn* conn) {
    std::string detail = trimmedMessage(PQerrorMessage(conn));
    std::string why;
    if (PQconnectionNeedsPassword(conn))
        why = "il server chiede una password: scriverla nel file ~/.pgpass dell'utente o nella variabile PGPASSWORD";
    else if (detail.find("authentication failed") != std::string::npos ||
             detail.find("no pg_hba.conf entry") != std::string::npos ||
             (detail.find("role") != std::string::npos && detail.find("does not exist") != std::string::npos))
        why = "il server ha rifiutato l'accesso: controllare l'utente e la password";
    else if (detail.find("database") != std::string::npos && detail.find("does not exist") != std::string::npos)
        why = "il database non esiste sul server";
    else
        why = "il server non risponde: controllare che sia acceso e raggiungibile dalla rete";
    return why + " (" + detail + ")";
}

}  // namespace

PgConnection::PgConnection(const std::string& uri, int lockTimeoutMs) : Connection(uri) {
    ServerDescription server = describeServer(uri);
    if (!server.problem.empty()) throw EngineError(engine_error::kConnectionFailed, server.problem);
    m_server = server.text;
    // Later entries override earlier ones: the URI may set its own timeout.
    const char* keywords[] = {"connect_timeout", "application_name", "dbname", "client_encoding", nullptr};
    const char* values[] = {"10", "tessaro7", uri.c_str(), "UTF8", nullptr};
    m_conn = PQconnectdbParams(keywords, values, 1);
    if (!m_conn || PQstatus(m_conn) != CONNECTION_OK) {
        std::string why = m_conn ? connectionProblem(m_conn) : std::string("memoria esaurita");
        PQfinish(m_conn);
        m_conn = nullptr;
        throw EngineError(engine_error::kConnectionFailed, "Impossibile collegarsi al " + m_server + ": " + why + ".");
    }
    execute("set datestyle = 'ISO, DMY'; set extra_float_digits = 1");
    setBusyTimeout(lockTimeoutMs);
    loadCatalog();
}

PgConnection::~PgConnection() { PQfinish(m_conn); }

void PgConnection::fail(PGresult* result, const std::string& table) const {
    std::string state = result && PQresultErrorField(result, PG_DIAG_SQLSTATE)
                            ? PQresultErrorField(result, PG_DIAG_SQLSTATE)
                            : "";
    std::string message = trimmedMessage(result ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr);
    std::string column = result && PQresultErrorField(result, PG_DIAG_COLUMN_NAME)
                             ? PQresultErrorField(result, PG_DIAG_COLUMN_NAME)
                             : "";
    if (message.empty()) message = trimmedMessage(PQerrorMessage(m_conn));
    PQclear(result);
    std::string where = table.empty() ? "" : " della tabella '" + table + "'";
    std::string in = " (" + message + ")";
    if (state.empty() || PQstatus(m_conn) == CONNECTION_BAD || state.rfind("08", 0) == 0 || state.rfind("57P", 0) == 0)
        throw EngineError(engine_error::kConnectionFailed,
                          "Collegamento interrotto con il " + m_server + ": controllare il server e la rete" + in + ".");
    if (state == "23505")
        throw EngineError(engine_error::kDuplicateValue,
                          "Valore duplicato in un indice univoco o nella chiave primaria" + where + in + ".");
    if (state == "23502")
        throw EngineError(engine_error::kNullNotAllowed, "Il campo " + column + " non può contenere un valore Null.");
    if (state == "42P01")
        throw EngineError(engine_error::kTableNotFound,
                          "Tabella '" + quotedIn(message) + "' non trovata nel " + m_server + ".");
    if (state == "42703")
        throw EngineError(engine_error::kFieldNotFound, "Campo '" + quotedIn(message) + "' non trovato" + where + ".");
    if (state == "55P03" || state == "40P01")
        throw EngineError(engine_error::kDatabaseLocked,
                          "Il " + m_server + " è bloccato da un altro utente o programma" + in + ".");
    if (state.rfind("22", 0) == 0)
        throw EngineError(engine_error::kNotConvertible,
                          "Valore non convertibile nel tipo del campo" + where + in + ".");
    if (state == "42704" && message.find(kServerCollation) != std::string::npos)
        throw EngineError(engine_error::kOther, std::string("Il server non ha la collazione \"") + kServerCollation +
                                                    "\" dell'ordine italiano: serve PostgreSQL con ICU" + in + ".");
    if (state == "25P02")
        throw EngineError(engine_error::kOther,
                          "La transazione sul " + m_server + " è stata annullata da un errore precedente" + in + ".");
    if (state == "42501")
        throw EngineError(engine_error::kOther, "Permesso negato dal " + m_server + where + in + ".");
    throw EngineError(engine_error::kOther, "Errore del " + m_server + in + ".");
}

void PgConnection::execute(const std::string& sql, const std::string& table) {
    PGresult* result = PQexec(m_conn, sql.c_str());
    ExecStatusType status = PQresultStatus(result);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) fail(result, table);
    PQclear(result);
}

void PgConnection::loadCatalog() {
    PGresult* result = PQexec(m_conn, R"(
        select c.relname, a.attname, t.typname, coalesce(array_position(k.conkey, a.attnum), 0)
        from pg_class c
        join pg_attribute a on a.attrelid = c.oid and a.attnum > 0 and not a.attisdropped
        join pg_type t on t.oid = a.atttypid
        left join pg_constraint k on k.conrelid = c.oid and k.contype = 'p'
        where c.relkind in ('r', 'v', 'm', 'p', 'f') and pg_table_is_visible(c.oid)
        order by c.relname, a.attnum)");
    if (PQresultStatus(result) != PGRES_TUPLES_OK) fail(result, {});
    m_tables.clear();
    std::map<std::string, std::map<int, std::string>> keys;
    for (int r = 0; r < PQntuples(result); ++r) {
        std::string name = PQgetvalue(result, r, 0);
        Table& table = m_tables[lowerName(name)];
        table.name = name;
        table.columns.push_back({PQgetvalue(result, r, 1), fieldTypeOf(PQgetvalue(result, r, 2))});
        if (int k = std::atoi(PQgetvalue(result, r, 3)); k > 0) keys[lowerName(name)][k] = PQgetvalue(result, r, 1);
    }
    PQclear(result);
    for (auto& [table, columns] : keys)
        for (auto& [position, column] : columns) m_tables[table].key.push_back(column);
    // The unique indexes, named in a repeated key's message as the embedded engine names them.
    result = PQexec(m_conn, R"(
        select c.relname, string_agg(c.relname || '.' || a.attname, ', ' order by k.ord)
        from pg_index i
        join pg_class c on c.oid = i.indrelid
        cross join lateral unnest(i.indkey) with ordinality as k(attnum, ord)
        join pg_attribute a on a.attrelid = c.oid and a.attnum = k.attnum
        where i.indisunique and pg_table_is_visible(c.oid)
        group by c.relname, i.indexrelid
        order by c.relname, i.indexrelid)");
    if (PQresultStatus(result) != PGRES_TUPLES_OK) fail(result, {});
    for (int r = 0; r < PQntuples(result); ++r)
        if (auto it = m_tables.find(lowerName(PQgetvalue(result, r, 0))); it != m_tables.end())
            it->second.uniqueKeys.push_back(PQgetvalue(result, r, 1));
    PQclear(result);
}

const PgConnection::Table* PgConnection::findTable(std::string_view name) {
    auto it = m_tables.find(lowerName(name));
    if (it == m_tables.end()) {  // perhaps created since the connection was opened
        loadCatalog();
        it = m_tables.find(lowerName(name));
    }
    return it == m_tables.end() ? nullptr : &it->second;
}

std::string PgConnection::tableName(std::string_view name) {
    const Table* table = findTable(name);
    return table ? table->name : std::string();
}

std::string PgConnection::resolve(std::string_view name) {
    if (auto it = m_tables.find(lowerName(name)); it != m_tables.end()) return it->second.name;
    for (const auto& [key, table] : m_tables)
        for (const TableColumn& c : table.columns)
            if (sameName(c.name, name)) return c.name;
    return {};
}

std::string PgConnection::quoted(std::string_view name) const {
    auto it = m_tables.find(lowerName(name));
    return serverQuoted(it == m_tables.end() ? name : std::string_view(it->second.name));
}

std::string PgConnection::rowIdentity(std::string_view table) const { return quoted(table) + ".ctid"; }

// Rows without an ordering: by the primary key where the table has one,
// otherwise in the order of their physical rows.
std::string PgConnection::naturalOrder(std::string_view table) const {
    auto it = m_tables.find(lowerName(table));
    if (it == m_tables.end() || it->second.key.empty()) return rowIdentity(table);
    std::string terms;
    for (const std::string& column : it->second.key) {
        if (!terms.empty()) terms += ", ";
        terms += quoted(table) + "." + serverQuoted(column);
    }
    return terms;
}

// Only texts take the collation (the server refuses one on numbers and dates).
std::string PgConnection::collated(std::string_view table, std::string term) const {
    auto it = m_tables.find(lowerName(table));
    if (it == m_tables.end()) return term;
    std::string_view name = term;
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"') name = name.substr(1, name.size() - 2);
    for (const TableColumn& c : it->second.columns)
        if (sameName(c.name, name))
            return c.type == FieldType::Text ? term + " collate \"" + kServerCollation + "\"" : term;
    return term;
}

std::string PgConnection::countOf(const std::string& sql) const {
    return "select count(*) from (" + sql + ") as t7count";
}

// The server puts Null after every value going up: it is placed as the embedded engine places it.
std::string PgConnection::nullsPlacement(bool descending) const { return descending ? " nulls last" : " nulls first"; }

PreparedSelect PgConnection::prepareSelect(std::string_view recordSource) {
    // A bare table name is named through the dialect; a selection is translated first.
    if (isTableName(recordSource)) return db::prepareSelect(recordSource, *this);
    std::string translated = translateForServer(recordSource, [this](std::string_view name) { return resolve(name); });
    return db::prepareSelect(translated, *this);
}

namespace {

// The rows of a selection through a server cursor that outlives transactions,
// read a block at a time, so that an export holds one block in memory.
class PgCursor : public Cursor {
public:
    PgCursor(PgConnection& connection, const PreparedSelect& select, long number)
        : m_connection(connection), m_table(select.table), m_hasRowId(select.hasRowId),
          m_name("t7c" + std::to_string(number)) {
        connection.execute("declare " + m_name + " no scroll cursor with hold for " + select.sql, m_table);
        m_open = true;
        fetch(100);
        for (int i = m_hasRowId ? 1 : 0; i < PQnfields(m_block); ++i)
            m_columns.push_back({PQfname(m_block, i), typeOfOid(PQftype(m_block, i))});
    }
    ~PgCursor() override {
        PQclear(m_block);
        if (m_open && PQtransactionStatus(m_connection.handle()) != PQTRANS_INERROR)
            PQclear(PQexec(m_connection.handle(), ("close " + m_name).c_str()));
    }

    bool next(std::vector<Value>& row, Value& rowId) override {
        if (m_row >= PQntuples(m_block)) {
            if (!m_open) return false;
            fetch(2000);
            if (PQntuples(m_block) == 0) return false;
        }
        int offset = m_hasRowId ? 1 : 0;
        if (offset) rowId = std::string(PQgetvalue(m_block, m_row, 0));
        row.resize(m_columns.size());
        for (std::size_t i = 0; i < m_columns.size(); ++i) {
            int field = static_cast<int>(i) + offset;
            row[i] = PQgetisnull(m_block, m_row, field)
                         ? Value(Null{})
                         : valueOf(PQgetvalue(m_block, m_row, field), PQgetlength(m_block, m_row, field),
                                   m_columns[i].type);
        }
        ++m_row;
        return true;
    }

private:
    void fetch(int rows) {
        PQclear(m_block);
        m_block = nullptr;
        m_row = 0;
        PGresult* block = PQexec(m_connection.handle(), ("fetch forward " + std::to_string(rows) + " from " + m_name).c_str());
        if (PQresultStatus(block) != PGRES_TUPLES_OK) {
            m_open = false;
            m_connection.fail(block, m_table);
        }
        m_block = block;
        if (PQntuples(m_block) < rows) {  // the last block: the cursor is no longer needed
            m_open = false;
            PQclear(PQexec(m_connection.handle(), ("close " + m_name).c_str()));
        }
    }

    PgConnection& m_connection;
    std::string m_table;
    bool m_hasRowId;
    std::string m_name;
    PGresult* m_block = nullptr;
    int m_row = 0;
    bool m_open = false;
};

}  // namespace

std::unique_ptr<Cursor> PgConnection::run(const PreparedSelect& select) {
    return std::make_unique<PgCursor>(*this, select, ++m_cursors);
}

long PgConnection::count(const PreparedSelect& select) {
    PGresult* result = PQexec(m_conn, select.countSql.c_str());
    if (PQresultStatus(result) != PGRES_TUPLES_OK) fail(result, select.table);
    long n = std::atol(PQgetvalue(result, 0, 0));
    PQclear(result);
    return n;
}

const std::vector<TableColumn>& PgConnection::columnsOf(const std::string& table) {
    const Table* found = findTable(table);
    if (!found)
        throw EngineError(engine_error::kTableNotFound, "Tabella '" + table + "' non trovata nel " + m_server + ".");
    return found->columns;
}

PGresult* PgConnection::write(const std::string& sql, const std::vector<const char*>& params, const std::string& table) {
    auto it = m_statements.find(sql);
    if (it == m_statements.end()) {
        std::string name = "t7s" + std::to_string(m_statements.size() + 1);
        PGresult* prepared = PQprepare(m_conn, name.c_str(), sql.c_str(), static_cast<int>(params.size()), nullptr);
        if (PQresultStatus(prepared) != PGRES_COMMAND_OK) fail(prepared, table);
        PQclear(prepared);
        it = m_statements.emplace(sql, name).first;
    }
    PGresult* result = PQexecPrepared(m_conn, it->second.c_str(), static_cast<int>(params.size()), params.data(),
                                      nullptr, nullptr, 0);
    ExecStatusType status = PQresultStatus(result);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) fail(result, table);
    return result;
}

void PgConnection::insert(const std::string& table, const FieldValues& values) {
    std::string names, marks;
    std::vector<std::optional<std::string>> texts;
    std::vector<const char*> params;
    texts.reserve(values.size());
    for (const auto& [name, v] : values) {
        if (!names.empty()) names += ',';
        names += serverQuoted(name);
        marks += (marks.empty() ? "$" : ",$") + std::to_string(texts.size() + 1);
        texts.push_back(db::serverText(v));
    }
    for (const auto& t : texts) params.push_back(t ? t->c_str() : nullptr);
    // A repeated key leaves the row out instead of aborting the transaction,
    // so that an import can skip it and go on, as on the embedded engine.
    std::string sql = "insert into " + quoted(tableName(table).empty() ? table : tableName(table)) +
                      (values.empty() ? " default values" : " (" + names + ") values (" + marks + ")") +
                      " on conflict do nothing";
    PGresult* result = write(sql, params, table);
    bool inserted = std::strcmp(PQcmdTuples(result), "1") == 0;
    PQclear(result);
    if (!inserted) {
        std::string keys;
        if (const Table* t = findTable(table))
            for (const std::string& key : t->uniqueKeys) keys += (keys.empty() ? " (" : " o ") + key;
        throw EngineError(engine_error::kDuplicateValue, "Valore duplicato in un indice univoco o nella chiave primaria "
                                                         "della tabella '" + table + "'" +
                                                             (keys.empty() ? std::string() : keys + ")") + ".");
    }
}

Value PgConnection::update(const std::string& table, const Value& rowId, const FieldValues& values) {
    if (values.empty()) return rowId;
    std::string sets;
    std::vector<std::optional<std::string>> texts;
    for (const auto& [name, v] : values) {
        if (!sets.empty()) sets += ',';
        texts.push_back(db::serverText(v));
        sets += serverQuoted(name) + "=$" + std::to_string(texts.size());
    }
    texts.push_back(rowId.toText());
    std::vector<const char*> params;
    for (const auto& t : texts) params.push_back(t ? t->c_str() : nullptr);
    std::string sql = "update " + quoted(table) + " set " + sets + " where ctid=$" + std::to_string(texts.size()) +
                      "::tid returning ctid";
    PGresult* result = write(sql, params, table);
    if (PQntuples(result) != 1) {
        PQclear(result);
        throw EngineError(engine_error::kRowChanged, "Il record della tabella '" + table +
                                                         "' è stato modificato o eliminato da un altro utente.");
    }
    Value id = std::string(PQgetvalue(result, 0, 0));
    PQclear(result);
    return id;
}

bool PgConnection::inTransaction() { return PQtransactionStatus(m_conn) != PQTRANS_IDLE; }

void PgConnection::begin() { execute("begin"); }

void PgConnection::commit() {
    if (PQtransactionStatus(m_conn) == PQTRANS_INERROR) {
        rollback();
        throw EngineError(engine_error::kOther, "La transazione sul " + m_server +
                                                    " è stata annullata dal server: nessuna riga è stata salvata.");
    }
    execute("commit");
}

// The wait is set outside any failure path: a setting the server refuses
// (inside a failed transaction) keeps the one in force.
void PgConnection::setBusyTimeout(int ms) {
    ms = ms < 1 ? 1 : ms;
    if (ms == m_lockTimeoutMs) return;
    PGresult* result = PQexec(m_conn, ("set lock_timeout = " + std::to_string(ms)).c_str());
    if (PQresultStatus(result) == PGRES_COMMAND_OK) m_lockTimeoutMs = ms;
    PQclear(result);
}

// Settings made inside the transaction are undone with it: the wait in force
// is set again.
void PgConnection::rollback() noexcept {
    PQclear(PQexec(m_conn, "rollback"));
    int wait = m_lockTimeoutMs;
    m_lockTimeoutMs = -1;
    setBusyTimeout(wait);
}

}  // namespace tessaro7::db
