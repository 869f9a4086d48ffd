#include "db/Connection.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "db/ItalianCollation.h"
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
    {{SQLITE_BUSY, SQLITE_LOCKED}, engine_error::kDatabaseLocked,
     "Il database '{file}' è bloccato da un altro utente o programma: attendere che finisca, o chiuderlo, e "
     "ripetere l'operazione"},
    {{SQLITE_READONLY, SQLITE_PERM}, engine_error::kOther,
     "Il database '{file}' è di sola lettura: controllare che il file non sia protetto dalla scrittura e di avere il "
     "permesso di modificarlo"},
    {{SQLITE_CANTOPEN, 0}, engine_error::kOther,
     "Impossibile scrivere il database '{file}': nella cartella '{folder}' non si può creare il file di appoggio "
     "(journal) che il database usa durante le scritture; controllare che la cartella non sia di sola lettura e di "
     "avere il permesso di scriverci"},
    {{SQLITE_FULL, 0}, engine_error::kOther,
     "Spazio su disco esaurito scrivendo il database '{file}': liberare spazio sul disco che lo contiene e ripetere "
     "l'operazione"},
    {{SQLITE_IOERR, 0}, engine_error::kOther,
     "Errore del disco leggendo o scrivendo il database '{file}': controllare il disco, o la rete, su cui si trova"},
    {{SQLITE_NOTADB, 0}, engine_error::kOther,
     "Il file '{file}' non è un database riconosciuto: controllare di aver indicato il file giusto"},
    {{SQLITE_CORRUPT, 0}, engine_error::kOther,
     "Il database '{file}' è danneggiato: ripristinarlo da una copia di sicurezza, o farlo riparare, prima di usarlo "
     "ancora"},
};

// The folder part of a database name as the system writes it (ArchiveFolder + "\Tessaro7.mdb").
std::string folderOf(const std::string& name) {
    std::size_t at = name.find_last_of("\\/");
    return at == std::string::npos ? std::string(".") : name.substr(0, at);
}

std::string causeText(std::string_view text, const std::string& file) {
    std::string out;
    while (!text.empty()) {
        std::size_t open = text.find('{');
        out += text.substr(0, open);
        if (open == std::string_view::npos) break;
        std::size_t close = text.find('}', open);
        std::string_view key = text.substr(open + 1, close - open - 1);
        out += key == "file" ? file : folderOf(file);
        text.remove_prefix(close + 1);
    }
    return out;
}

}  // namespace

Connection::Connection(const std::string& databaseName, int busyTimeoutMs) : m_name(databaseName) {
    std::filesystem::path file = resolvePath(databaseName);
    std::error_code ec;
    if (databaseName.empty() || !std::filesystem::is_regular_file(file, ec))
        throw EngineError(engine_error::kFileNotFound, "Impossibile trovare il file di database '" + databaseName + "'.");
    int rc = sqlite3_open_v2(file.c_str(), &m_db, SQLITE_OPEN_READWRITE, nullptr);
    if (rc != SQLITE_OK) {
        std::string detail = m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(rc);
        sqlite3_close(m_db);
        m_db = nullptr;
        throw EngineError(engine_error::kOther, "Impossibile aprire il database '" + databaseName +
                                                    "': controllare di avere il permesso di leggere e scrivere il "
                                                    "file (" + detail + ").");
    }
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, busyTimeoutMs);
    sqlite3_create_collation(m_db, std::string(kCollationName).c_str(), SQLITE_UTF8, nullptr, italianCollation);
}

Connection::~Connection() {
    for (auto& [sql, stmt] : m_statements) sqlite3_finalize(stmt);
    sqlite3_close_v2(m_db);
}

sqlite3_stmt* Connection::prepare(const std::string& sql) {
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(m_db, sql.c_str(), static_cast<int>(sql.size()), &stmt, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(stmt);
        fail(rc);
    }
    return stmt;
}

sqlite3_stmt* Connection::cachedStatement(const std::string& sql) {
    auto it = m_statements.find(sql);
    if (it != m_statements.end()) {
        sqlite3_reset(it->second);
        sqlite3_clear_bindings(it->second);
        return it->second;
    }
    sqlite3_stmt* stmt = prepare(sql);
    m_statements.emplace(sql, stmt);
    return stmt;
}

void Connection::execute(const std::string& sql) {
    int rc = sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) fail(rc);
}

const std::vector<TableColumn>& Connection::columnsOf(const std::string& table) {
    std::string key = lowerName(table);
    auto it = m_columns.find(key);
    if (it != m_columns.end()) return it->second;
    std::vector<TableColumn> columns;
    sqlite3_stmt* stmt = prepare("pragma table_info([" + table + "])");
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        const char* name = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1));
        const char* type = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 2));
        columns.push_back({name ? name : "", fieldTypeOf(type ? type : "")});
    }
    sqlite3_finalize(stmt);
    if (columns.empty())
        throw EngineError(engine_error::kTableNotFound,
                          "Tabella '" + table + "' non trovata nel database '" + m_name + "'.");
    return m_columns.emplace(key, std::move(columns)).first->second;
}

void Connection::fail(int rc, const std::string& table) const {
    std::string message = m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(rc);
    int extended = m_db ? sqlite3_extended_errcode(m_db) : rc;
    std::string where = table.empty() ? "" : " della tabella '" + table + "'";
    switch (extended) {
    case SQLITE_CONSTRAINT_UNIQUE:
    case SQLITE_CONSTRAINT_PRIMARYKEY:
        throw EngineError(engine_error::kDuplicateValue,
                          "Valore duplicato in un indice univoco o nella chiave primaria" + where + " (" +
                              nameAfter(message, "failed: ") + ").");
    case SQLITE_CONSTRAINT_NOTNULL:
        throw EngineError(engine_error::kNullNotAllowed,
                          "Il campo " + nameAfter(message, "failed: ") + " non può contenere un valore Null.");
    default:
        break;
    }
    // A folder where the journal cannot be created may also be told as a read-only database.
    int code = extended == SQLITE_READONLY_DIRECTORY ? SQLITE_CANTOPEN : rc & 0xFF;
    for (const Cause& cause : kCauses)
        if (cause.codes[0] == code || cause.codes[1] == code)
            throw EngineError(cause.number, causeText(cause.text, m_name) + " (" + message + ").");
    if (message.rfind("no such table: ", 0) == 0)
        throw EngineError(engine_error::kTableNotFound,
                          "Tabella '" + nameAfter(message, "no such table: ") + "' non trovata nel database '" +
                              m_name + "'.");
    if (message.rfind("no such column: ", 0) == 0)
        throw EngineError(engine_error::kFieldNotFound,
                          "Campo '" + nameAfter(message, "no such column: ") + "' non trovato" + where + ".");
    throw EngineError(engine_error::kOther, "Errore del database '" + m_name + "' (" + message + ").");
}

}  // namespace tessaro7::db
