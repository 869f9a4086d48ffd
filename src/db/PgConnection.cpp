#include "db/PgConnection.h"

#include "db/LibPq.h"

#include <charconv>
#include <cstring>

#include "db/FilledText.h"
#include "db/Messages.h"
#include "db/Names.h"
#include "db/PasswordFile.h"
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

std::string field(const PGresult* result, int code) {
    const char* value = result ? PQresultErrorField(result, code) : nullptr;
    return value ? value : "";
}

// Why a connection failed, in the user's terms.
std::string connectionProblem(PGconn* conn, const std::optional<std::string>& ignoredPasswordFile) {
    std::string detail = trimmedMessage(PQerrorMessage(conn));
    std::string why;
    if (PQconnectionNeedsPassword(conn) && ignoredPasswordFile)
        why = filledText(msg::kServerPasswordFileIgnored, {{"file", *ignoredPasswordFile}});
    else if (PQconnectionNeedsPassword(conn))
        why = msg::kServerAsksPassword;
    else if (detail.find("authentication failed") != std::string::npos ||
             detail.find("no pg_hba.conf entry") != std::string::npos ||
             (detail.find("role") != std::string::npos && detail.find("does not exist") != std::string::npos))
        why = msg::kServerRefusedLogin;
    else if (detail.find("database") != std::string::npos && detail.find("does not exist") != std::string::npos)
        why = msg::kServerNoDatabase;
    else
        why = msg::kServerNotAnswering;
    return why + " (" + detail + ")";
}

}  // namespace

PgConnection::PgConnection(const std::string& uri, int lockTimeoutMs) : Connection(uri) {
    connect(uri);
    execute("set datestyle = 'ISO, DMY'; set extra_float_digits = 1");
    checkDatabase();
    setBusyTimeout(lockTimeoutMs);
    loadCatalog();
}

PgConnection::~PgConnection() = default;

void PgConnection::connect(const std::string& uri) {
    ServerDescription server = describeServer(uri);
    if (!server.problem.empty()) throw EngineError(engine_error::kConnectionFailed, server.problem);
    m_server = server.text;
    // A password file libpq would ignore is kept from it (libpq would say so on
    // stderr); it is named instead if the server asks for a password.
    m_ignoredPasswordFile = ignoredPasswordFile(uri);
    // Later entries override earlier ones: the URI may set its own timeout.
    std::vector<const char*> keywords = {"connect_timeout", "application_name", "dbname", "client_encoding"};
    std::vector<const char*> values = {"10", "tessaro7", uri.c_str(), "UTF8"};
    std::string noFile;
    if (m_ignoredPasswordFile) {
        noFile = *m_ignoredPasswordFile + ".ignorato-da-tessaro7";
        keywords.push_back("passfile");
        values.push_back(noFile.c_str());
    }
    keywords.push_back(nullptr);
    values.push_back(nullptr);
    m_conn.reset(PQconnectdbParams(keywords.data(), values.data(), 1));
    if (!m_conn || PQstatus(m_conn.get()) != CONNECTION_OK) {
        std::string why = m_conn ? connectionProblem(m_conn.get(), m_ignoredPasswordFile) : std::string(msg::kOutOfMemory);
        throw EngineError(engine_error::kConnectionFailed,
                          filledText(msg::kServerCannotConnect, {{"server", m_server}, {"perché", why}}));
    }
    PQsetNoticeReceiver(m_conn.get(), &PgConnection::receiveNotice, this);
}

// The server's notices and warnings are kept, never printed: a message may
// quote them when they explain a failure.
void PgConnection::receiveNotice(void* self, const PGresult* notice) {
    auto& notices = static_cast<PgConnection*>(self)->m_notices;
    if (notices.size() >= 20) notices.erase(notices.begin());
    notices.push_back(trimmedMessage(PQresultErrorMessage(notice)));
}

// The database must hold text as UTF-8 (the engine counts characters, not
// bytes, and stores every character), and the server must have the Italian order.
void PgConnection::checkDatabase() {
    PgResult result = query("select current_setting('server_encoding'), "
                            "exists (select 1 from pg_collation where collname = '" +
                            std::string(kServerCollation) + "')");
    std::string encoding = PQgetvalue(result.get(), 0, 0);
    if (encoding != "UTF8")
        throw EngineError(engine_error::kOther,
                          filledText(msg::kServerNotUtf8, {{"server", m_server}, {"codifica", encoding}}));
    if (std::string_view(PQgetvalue(result.get(), 0, 1)) != "t")
        throw EngineError(engine_error::kOther,
                          filledText(msg::kServerNoCollation, {{"server", m_server}, {"collazione", kServerCollation}}));
}

EngineError PgConnection::errorOf(const PGresult* result, const std::string& table) const {
    std::string state = field(result, PG_DIAG_SQLSTATE);
    std::string message = trimmedMessage(result ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr);
    std::string column = field(result, PG_DIAG_COLUMN_NAME);
    if (message.empty()) message = trimmedMessage(PQerrorMessage(m_conn.get()));
    std::string where = table.empty() ? "" : filledText(msg::kOfTable, {{"tabella", table}});
    std::string in = " (" + message + ")";
    if (state.empty() || PQstatus(m_conn.get()) == CONNECTION_BAD || state.rfind("08", 0) == 0 ||
        state.rfind("57P", 0) == 0)
        return EngineError(engine_error::kConnectionFailed,
                           filledText(msg::kServerConnectionLost, {{"server", m_server}}) + in + ".");
    if (state == "23505")
        return EngineError(engine_error::kDuplicateValue,
                           msg::kDuplicateValue + where + in + ".");
    if (state == "23502")
        return EngineError(engine_error::kNullNotAllowed, filledText(msg::kNullNotAllowed, {{"campo", column}}));
    if (state == "42P01")
        return EngineError(engine_error::kTableNotFound,
                           filledText(msg::kServerTableNotFound, {{"tabella", quotedIn(message)}, {"server", m_server}}));
    if (state == "42703")
        return EngineError(engine_error::kFieldNotFound,
                           filledText(msg::kFieldNotFound, {{"campo", quotedIn(message)}}) + where + ".");
    if (state == "55P03" || state == "40P01")
        return EngineError(engine_error::kDatabaseLocked,
                           filledText(msg::kServerLocked, {{"server", m_server}}) + in + ".");
    if (state.rfind("22", 0) == 0)
        return EngineError(engine_error::kNotConvertible,
                           msg::kValueNotConvertible + where + in + ".");
    if (state == "25P02")
        return EngineError(engine_error::kOther,
                           filledText(msg::kServerTransactionAborted, {{"server", m_server}}) + in + ".");
    if (state == "42501")
        return EngineError(engine_error::kOther,
                           filledText(msg::kServerPermissionDenied, {{"server", m_server}}) + where + in + ".");
    return EngineError(engine_error::kOther, filledText(msg::kServerError, {{"server", m_server}}) + in + ".");
}

PgResult PgConnection::query(const std::string& sql, const std::string& table) {
    leavePipeline();
    m_notices.clear();
    PgResult result(PQexec(m_conn.get(), sql.c_str()));
    ExecStatusType status = PQresultStatus(result.get());
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) fail(result.get(), table);
    return result;
}

void PgConnection::execute(const std::string& sql, const std::string& table) { query(sql, table); }

void PgConnection::executeQuietly(const std::string& sql) noexcept {
    takeReadAhead();
    try {
        leavePipeline();
    } catch (...) {
        return;
    }
    if (PQstatus(m_conn.get()) != CONNECTION_OK || PQtransactionStatus(m_conn.get()) == PQTRANS_INERROR) return;
    PgResult(PQexec(m_conn.get(), sql.c_str()));
}

void PgConnection::copyIn(const std::string& sql, const std::string& table,
                          const std::function<bool(std::string&)>& nextBlock) {
    leavePipeline();
    PGconn* conn = m_conn.get();
    PgResult started(PQexec(conn, sql.c_str()));
    if (PQresultStatus(started.get()) != PGRES_COPY_IN) fail(started.get(), table);
    std::string block;
    bool sent = true;
    while (sent && nextBlock(block)) {
        sent = PQputCopyData(conn, block.data(), static_cast<int>(block.size())) == 1;
        block.clear();
    }
    PQputCopyEnd(conn, sent ? nullptr : "interrotta");
    PgResult result = answerOfSent();
    if (PQresultStatus(result.get()) != PGRES_COMMAND_OK) fail(result.get(), table);
}

void PgConnection::loadCatalog() {
    PgResult result = query(R"(
        select c.relname, a.attname, t.typname, coalesce(array_position(k.conkey, a.attnum), 0),
               format_type(a.atttypid, null)
        from pg_class c
        join pg_attribute a on a.attrelid = c.oid and a.attnum > 0 and not a.attisdropped
        join pg_type t on t.oid = a.atttypid
        left join pg_constraint k on k.conrelid = c.oid and k.contype = 'p'
        where c.relkind in ('r', 'v', 'm', 'p', 'f') and pg_table_is_visible(c.oid)
        order by c.relname, a.attnum)");
    m_tables.clear();
    std::map<std::string, std::map<int, std::string>> keys;
    PGresult* rows = result.get();
    for (int r = 0; r < PQntuples(rows); ++r) {
        std::string name = PQgetvalue(rows, r, 0);
        Table& table = m_tables[lowerName(name)];
        table.name = name;
        table.columns.push_back({PQgetvalue(rows, r, 1), fieldTypeOf(PQgetvalue(rows, r, 2))});
        table.serverTypes.push_back(PQgetvalue(rows, r, 4));
        if (int k = std::atoi(PQgetvalue(rows, r, 3)); k > 0) keys[lowerName(name)][k] = PQgetvalue(rows, r, 1);
    }
    for (auto& [table, columns] : keys)
        for (auto& [position, column] : columns) m_tables[table].key.push_back(column);
    // The unique indexes, named in a repeated key's message as the embedded engine names them.
    result = query(R"(
        select c.relname, string_agg(c.relname || '.' || a.attname, ', ' order by k.ord)
        from pg_index i
        join pg_class c on c.oid = i.indrelid
        cross join lateral unnest(i.indkey) with ordinality as k(attnum, ord)
        join pg_attribute a on a.attrelid = c.oid and a.attnum = k.attnum
        where i.indisunique and pg_table_is_visible(c.oid)
        group by c.relname, i.indexrelid
        order by c.relname, i.indexrelid)");
    rows = result.get();
    for (int r = 0; r < PQntuples(rows); ++r)
        if (auto it = m_tables.find(lowerName(PQgetvalue(rows, r, 0))); it != m_tables.end())
            it->second.uniqueKeys.push_back(PQgetvalue(rows, r, 1));
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
// read a block at a time, so that an export holds one block in memory. A
// cursor that reads ahead asks for the next block as soon as it has one, so
// that the server sends it while this one is read; any other statement on the
// connection first takes that block in.
class PgCursor : public Cursor {
public:
    static constexpr int kBlockRows = 2000;
    static constexpr int kTakeInEvery = 200;

    PgCursor(PgConnection& connection, const PreparedSelect& select, long number, bool readAhead)
        : m_connection(connection), m_table(select.table), m_hasRowId(select.hasRowId),
          m_name("t7c" + std::to_string(number)), m_readAhead(readAhead) {
        connection.execute("declare " + m_name + " no scroll cursor with hold for " + select.sql, m_table);
        m_open = true;
        fetch(100);
        for (int i = m_hasRowId ? 1 : 0; i < PQnfields(m_block.get()); ++i)
            m_columns.push_back({PQfname(m_block.get(), i), typeOfOid(PQftype(m_block.get(), i))});
    }
    ~PgCursor() override {
        m_block.reset();
        takeAnswer();
        if (m_open) m_connection.executeQuietly("close " + m_name);
    }

    bool next(std::vector<Value>& row, Value& rowId) override {
        if (m_row >= PQntuples(m_block.get())) {
            if (!m_open) return false;
            fetch(kBlockRows);
            if (PQntuples(m_block.get()) == 0) return false;
        }
        // What the server sent of the next block is taken in now and then, so that it need not wait.
        if (m_asked && m_row % kTakeInEvery == 0) m_connection.takeInWhatArrived();
        PGresult* block = m_block.get();
        int offset = m_hasRowId ? 1 : 0;
        // Texts go into the storage of the row before's values.
        if (offset) rowId.assignText(std::string_view(PQgetvalue(block, m_row, 0), PQgetlength(block, m_row, 0)));
        row.resize(m_columns.size());
        for (std::size_t i = 0; i < m_columns.size(); ++i) {
            int field = static_cast<int>(i) + offset;
            const FieldType type = m_columns[i].type;
            if (!wanted(i) || PQgetisnull(block, m_row, field))
                row[i] = Value(Null{});
            else if (type == FieldType::Text || type == FieldType::Untyped)
                row[i].assignText(std::string_view(PQgetvalue(block, m_row, field), PQgetlength(block, m_row, field)));
            else
                row[i] = valueOf(PQgetvalue(block, m_row, field), PQgetlength(block, m_row, field), type);
        }
        ++m_row;
        return true;
    }

private:
    std::string fetchText(int rows) const { return "fetch forward " + std::to_string(rows) + " from " + m_name; }

    void fetch(int rows) {
        m_block.reset();
        m_row = 0;
        try {
            if (m_asked || m_ahead) {
                takeAnswer();
                m_block = std::move(m_ahead);
                if (PQresultStatus(m_block.get()) != PGRES_TUPLES_OK)
                    throw m_connection.errorOf(m_block.get(), m_table);
            } else {
                m_block = m_connection.query(fetchText(rows), m_table);
            }
        } catch (...) {
            m_open = false;
            throw;
        }
        if (PQntuples(m_block.get()) < rows) {  // the last block: the cursor is no longer needed
            m_open = false;
            m_connection.executeQuietly("close " + m_name);
        } else if (m_readAhead) {
            askAhead();
        }
    }

    void askAhead() {
        if (!m_connection.sendWithoutWaiting(fetchText(kBlockRows))) return;
        m_asked = true;
        m_connection.readAheadAsked([this] { takeAnswer(); });
    }

    // Takes in the block asked for ahead, if any.
    void takeAnswer() {
        if (!m_asked) return;
        m_connection.readAheadTaken();
        m_asked = false;
        m_ahead = m_connection.answerOfSent();
    }

    PgConnection& m_connection;
    std::string m_table;
    bool m_hasRowId;
    std::string m_name;
    bool m_readAhead;
    PgResult m_block;
    PgResult m_ahead;     // the next block, taken in before another statement
    bool m_asked = false; // the next block was asked for and not taken in yet
    int m_row = 0;
    bool m_open = false;
};

}  // namespace

std::unique_ptr<Cursor> PgConnection::run(const PreparedSelect& select) {
    return std::make_unique<PgCursor>(*this, select, ++m_cursors, false);
}

std::unique_ptr<Cursor> PgConnection::readAhead(const PreparedSelect& select) {
    return std::make_unique<PgCursor>(*this, select, ++m_cursors, true);
}

bool PgConnection::sendWithoutWaiting(const std::string& sql) {
    return PQstatus(m_conn.get()) == CONNECTION_OK && !m_pipeline &&
           PQsendQueryParams(m_conn.get(), sql.c_str(), 0, nullptr, nullptr, nullptr, nullptr, 0) == 1;
}

void PgConnection::takeInWhatArrived() { PQconsumeInput(m_conn.get()); }

PgResult PgConnection::answerOfSent() {
    PgResult answer(PQgetResult(m_conn.get()));
    while (PgResult(PQgetResult(m_conn.get()))) {
    }
    return answer;
}

void PgConnection::takeReadAhead() {
    if (!m_takeReadAhead) return;
    std::function<void()> take = std::move(m_takeReadAhead);
    m_takeReadAhead = nullptr;
    take();
}

long PgConnection::count(const PreparedSelect& select) {
    return std::atol(PQgetvalue(query(select.countSql, select.table).get(), 0, 0));
}

const std::vector<TableColumn>& PgConnection::columnsOf(const std::string& table) {
    const Table* found = findTable(table);
    if (!found)
        throw EngineError(engine_error::kTableNotFound, "Tabella '" + table + "' non trovata nel " + m_server + ".");
    return found->columns;
}

std::string PgConnection::insertText(const std::string& table, const FieldValues& values, const char* ending) {
    std::vector<std::string> names;
    names.reserve(values.size());
    for (const auto& [name, v] : values) names.push_back(name);
    return insertText(table, names, ending);
}

std::string PgConnection::insertText(const std::string& table, const std::vector<std::string>& names,
                                     const char* ending) {
    std::string columns, marks;
    int number = 0;
    for (const std::string& name : names) {
        columns += (columns.empty() ? "" : ",") + serverQuoted(name);
        marks += (marks.empty() ? "$" : ",$") + std::to_string(++number);
    }
    std::string spelled = tableName(table);
    return "insert into " + quoted(spelled.empty() ? table : spelled) +
           (names.empty() ? " default values" : " (" + columns + ") values (" + marks + ")") + ending;
}

EngineError PgConnection::duplicateError(const std::string& table) {
    std::string keys;
    if (const Table* t = findTable(table))
        for (const std::string& key : t->uniqueKeys) keys += (keys.empty() ? " (" : " o ") + key;
    return EngineError(engine_error::kDuplicateValue, msg::kDuplicateValue + filledText(msg::kOfTable, {{"tabella", table}}) +
                                                          (keys.empty() ? std::string() : keys + ")") + ".");
}

const std::string& PgConnection::statementFor(const std::string& sql, int parameters, const std::string& table) {
    auto it = m_statements.find(sql);
    if (it != m_statements.end()) return it->second;
    std::string name = "t7s" + std::to_string(++m_prepared);
    if (m_pipeline) {
        if (PQsendPrepare(m_conn.get(), name.c_str(), sql.c_str(), parameters, nullptr) != 1)
            noteFailure(errorOf(nullptr, table), appendCounts().sent);
        m_sent.push_back({Sent::Kind::Prepare, 0, sql, {}});
    } else {
        PgResult prepared(PQprepare(m_conn.get(), name.c_str(), sql.c_str(), parameters, nullptr));
        if (PQresultStatus(prepared.get()) != PGRES_COMMAND_OK) fail(prepared.get(), table);
    }
    return m_statements.emplace(sql, name).first->second;
}

namespace {

// Text parameters, Null as no text.
struct Parameters {
    std::vector<std::optional<std::string>> texts;
    std::vector<const char*> pointers;

    void add(std::optional<std::string> text) { texts.push_back(std::move(text)); }
    const char* const* values() {
        pointers.clear();
        for (const auto& t : texts) pointers.push_back(t ? t->c_str() : nullptr);
        return pointers.data();
    }
    int count() const { return static_cast<int>(texts.size()); }
};

Parameters parametersOf(const FieldValues& values) {
    Parameters p;
    p.texts.reserve(values.size() + 1);
    for (const auto& [name, v] : values) p.add(db::serverText(v));
    return p;
}

}  // namespace

PgResult PgConnection::write(const std::string& sql, const std::vector<const char*>& params, const std::string& table) {
    leavePipeline();
    throwIfFailed();
    const std::string& name = statementFor(sql, static_cast<int>(params.size()), table);
    m_notices.clear();
    PgResult result(PQexecPrepared(m_conn.get(), name.c_str(), static_cast<int>(params.size()), params.data(), nullptr,
                                   nullptr, 0));
    ExecStatusType status = PQresultStatus(result.get());
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) fail(result.get(), table);
    return result;
}

void PgConnection::insert(const std::string& table, const FieldValues& values) {
    if (appending())
        appendRow(table, values);
    else
        insertNow(table, values);
}

// A repeated key leaves the row out instead of aborting the transaction, so
// that the caller can go on, as on the embedded engine.
void PgConnection::insertNow(const std::string& table, const FieldValues& values) {
    Parameters p = parametersOf(values);
    const char* const* v = p.values();
    PgResult result = write(insertText(table, values, " on conflict do nothing"),
                            std::vector<const char*>(v, v + p.count()), table);
    if (std::strcmp(PQcmdTuples(result.get()), "1") != 0) throw duplicateError(table);
}

Value PgConnection::update(const std::string& table, const Value& rowId, const FieldValues& values) {
    if (values.empty()) return rowId;
    std::string sets;
    int number = 0;
    for (const auto& [name, v] : values) sets += (sets.empty() ? "" : ",") + serverQuoted(name) + "=$" + std::to_string(++number);
    Parameters p = parametersOf(values);
    p.add(rowId.toText());
    const char* const* v = p.values();
    std::string sql = "update " + quoted(table) + " set " + sets + " where ctid=$" + std::to_string(p.count()) +
                      "::tid returning ctid";
    PgResult result = write(sql, std::vector<const char*>(v, v + p.count()), table);
    if (PQntuples(result.get()) != 1)
        throw EngineError(engine_error::kRowChanged, filledText(msg::kRecordChangedByOthers, {{"tabella", table}}));
    return std::string(PQgetvalue(result.get(), 0, 0));
}

bool PgConnection::inTransaction() { return m_pipeline || PQtransactionStatus(m_conn.get()) != PQTRANS_IDLE; }

void PgConnection::begin() { execute("begin"); }

// A connection lost before the commit was sent leaves nothing of the
// transaction (the server rolls it back); lost while committing, the outcome
// cannot be known.
void PgConnection::commit() {
    settleAppending();
    endAppending();
    m_commitUncertain = false;
    m_failure.reset();  // thrown to the run already; the transaction itself tells what remains
    m_storedAfterFailure.clear();
    if (PQstatus(m_conn.get()) != CONNECTION_OK) fail(nullptr, {});
    if (PQtransactionStatus(m_conn.get()) == PQTRANS_INERROR) {
        rollback();
        throw EngineError(engine_error::kOther, filledText(msg::kServerRolledBack, {{"server", m_server}}));
    }
    PgResult result(PQexec(m_conn.get(), "commit"));
    if (PQresultStatus(result.get()) == PGRES_COMMAND_OK) return;
    EngineError error = errorOf(result.get(), {});
    m_commitUncertain = error.number() == engine_error::kConnectionFailed;
    throw error;
}

// The wait is set outside any failure path: a setting the server refuses
// (inside a failed transaction) keeps the one in force.
void PgConnection::setBusyTimeout(int ms) {
    ms = ms < 1 ? 1 : ms;
    if (ms == m_lockTimeoutMs) return;
    leavePipeline();
    if (PQstatus(m_conn.get()) != CONNECTION_OK) return;
    PgResult result(PQexec(m_conn.get(), ("set lock_timeout = " + std::to_string(ms)).c_str()));
    if (PQresultStatus(result.get()) == PGRES_COMMAND_OK) m_lockTimeoutMs = ms;
}

// Rolled back once, and only while there is a transaction to roll back.
// Settings made inside the transaction are undone with it: the wait in force
// is set again.
void PgConnection::rollback() noexcept {
    m_group.reset();  // rows not sent yet are not sent at all
    abandonCopy();
    try {
        leavePipeline();
    } catch (...) {
    }
    endAppending();
    m_failure.reset();
    m_storedAfterFailure.clear();
    if (PQstatus(m_conn.get()) != CONNECTION_OK || PQtransactionStatus(m_conn.get()) == PQTRANS_IDLE) return;
    PgResult(PQexec(m_conn.get(), "rollback"));
    int wait = m_lockTimeoutMs;
    m_lockTimeoutMs = -1;
    setBusyTimeout(wait);
}

}  // namespace tessaro7::db
