#include "app/ImportRegister.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <optional>

#include "app/Messages.h"
#include "app/Sha256.h"
#include "db/SqliteConnection.h"

namespace tessaro7::app {

namespace {

constexpr int kWaitMs = 30000;

const char* const kCreate =
    "create table if not exists registro_importazioni (numero INTEGER PRIMARY KEY, data_ora TEXT, postazione TEXT, "
    "utente TEXT, tabella TEXT, file TEXT, dimensione INTEGER, sha256 TEXT, foglio TEXT, record_aggiunti INTEGER, "
    "esito TEXT, annullabile INTEGER, annullata_il TEXT, annullata_da TEXT);"
    "create table if not exists registro_righe (numero INTEGER, identita TEXT, impronta TEXT);"
    "create index if not exists registro_righe_numero on registro_righe (numero);";

const char* const kRunColumns =
    "select numero, data_ora, postazione, utente, tabella, file, dimensione, sha256, foglio, record_aggiunti, esito, "
    "annullabile, coalesce(annullata_il, ''), coalesce(annullata_da, '') from registro_importazioni ";

// One statement, finalised when it goes.
class Statement {
public:
    Statement(db::SqliteConnection& db, const std::string& sql) : m_db(db), m_stmt(db.prepare(sql)) {}
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& bind(int i, const std::string& text) {
        sqlite3_bind_text(m_stmt.get(), i, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
        return *this;
    }
    // A text that outlives the statement's next step is not copied.
    Statement& bindKept(int i, const std::string& text) {
        sqlite3_bind_text(m_stmt.get(), i, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
        return *this;
    }
    Statement& bind(int i, std::int64_t n) {
        sqlite3_bind_int64(m_stmt.get(), i, n);
        return *this;
    }
    // True while there is a row; throws the engine error on failure.
    bool step() {
        int rc = sqlite3_step(m_stmt.get());
        if (rc == SQLITE_ROW) return true;
        if (rc != SQLITE_DONE) m_db.fail(rc, kRegisterRunsTable);
        return false;
    }
    void again() { sqlite3_reset(m_stmt.get()); }
    std::string text(int i) const {
        const unsigned char* t = sqlite3_column_text(m_stmt.get(), i);
        return t ? reinterpret_cast<const char*>(t) : "";
    }
    std::int64_t whole(int i) const { return sqlite3_column_int64(m_stmt.get(), i); }

private:
    db::SqliteConnection& m_db;
    db::SqliteStatement m_stmt;
};

RegisterRun runOf(const Statement& s) {
    RegisterRun r;
    r.number = static_cast<long>(s.whole(0));
    r.when = s.text(1);
    r.workstation = s.text(2);
    r.user = s.text(3);
    r.table = s.text(4);
    r.file = s.text(5);
    r.size = static_cast<std::uint64_t>(s.whole(6));
    r.sha256 = s.text(7);
    r.sheet = s.text(8);
    r.added = static_cast<long>(s.whole(9));
    r.outcome = s.text(10);
    r.undoable = s.whole(11) != 0;
    r.undoneWhen = s.text(12);
    r.undoneBy = s.text(13);
    return r;
}

// A run's records, many rows to a statement: one statement per record
// would cost more than the rows themselves.
void writeRecords(db::SqliteConnection& connection, long number, const std::vector<AddedRecord>& records) {
    constexpr std::size_t kRowsPerStatement = 100;
    auto insertOf = [](std::size_t rows) {
        std::string sql = "insert into registro_righe (numero, identita, impronta) values ";
        for (std::size_t i = 0; i < rows; ++i) sql += i == 0 ? "(?,?,?)" : ",(?,?,?)";
        return sql;
    };
    std::optional<Statement> full;
    for (std::size_t first = 0; first < records.size(); first += kRowsPerStatement) {
        const std::size_t rows = std::min(kRowsPerStatement, records.size() - first);
        std::optional<Statement> last;
        if (rows == kRowsPerStatement && !full) full.emplace(connection, insertOf(rows));
        Statement& s = rows == kRowsPerStatement ? *full : last.emplace(connection, insertOf(rows));
        s.again();
        for (std::size_t i = 0; i < rows; ++i) {
            const AddedRecord& r = records[first + i];
            const int at = static_cast<int>(3 * i);
            s.bind(at + 1, std::int64_t{number}).bindKept(at + 2, r.identity).bindKept(at + 3, r.fingerprint);
        }
        s.step();
    }
}

}  // namespace

struct ImportRegister::Database {
    db::SqliteConnection connection;
    // Reading creates nothing: a register not yet made holds no runs.
    Database(const std::string& path, bool writing) : connection(path, kWaitMs) {
        if (writing) connection.execute(kCreate);
    }

    bool exists() {
        Statement s(connection, "select 1 from sqlite_master where name = 'registro_importazioni'");
        return s.step();
    }

    std::vector<RegisterRun> select(const std::string& where, const std::vector<std::string>& params) {
        if (!exists()) return {};
        Statement s(connection, kRunColumns + where);
        for (std::size_t i = 0; i < params.size(); ++i) s.bind(static_cast<int>(i + 1), params[i]);
        std::vector<RegisterRun> out;
        while (s.step()) out.push_back(runOf(s));
        return out;
    }
};

ImportRegister::ImportRegister(std::string mappingDatabasePath) : m_path(std::move(mappingDatabasePath)) {}

long ImportRegister::record(RegisterRun run, const std::vector<AddedRecord>& records) {
    return RegisterRunAhead(m_path, records).complete(run);
}

// The run's number is taken under the register's write lock, so that its
// records can be written before the run itself.
RegisterRunAhead::RegisterRunAhead(const std::string& mappingDatabasePath, const std::vector<AddedRecord>& records)
    : m_database(std::make_unique<ImportRegister::Database>(mappingDatabasePath, true)) {
    db::SqliteConnection& connection = m_database->connection;
    connection.execute("begin immediate");
    try {
        Statement next(connection, "select coalesce(max(numero), 0) + 1 from registro_importazioni");
        next.step();
        m_number = static_cast<long>(next.whole(0));
        writeRecords(connection, m_number, records);
    } catch (...) {
        connection.rollback();
        throw;
    }
}

RegisterRunAhead::~RegisterRunAhead() {
    if (!m_committed) m_database->connection.rollback();
}

void RegisterRunAhead::dropRecords() {
    Statement s(m_database->connection, "delete from registro_righe where numero = ?");
    s.bind(1, std::int64_t{m_number}).step();
}

long RegisterRunAhead::complete(const RegisterRun& run) {
    db::SqliteConnection& connection = m_database->connection;
    Statement s(connection,
                "insert into registro_importazioni (numero, data_ora, postazione, utente, tabella, file, dimensione, "
                "sha256, foglio, record_aggiunti, esito, annullabile) values (?,?,?,?,?,?,?,?,?,?,?,?)");
    s.bind(1, std::int64_t{m_number}).bind(2, run.when).bind(3, run.workstation).bind(4, run.user);
    s.bind(5, run.table).bind(6, run.file).bind(7, static_cast<std::int64_t>(run.size)).bind(8, run.sha256);
    s.bind(9, run.sheet).bind(10, static_cast<std::int64_t>(run.added)).bind(11, run.outcome);
    s.bind(12, std::int64_t{run.undoable});
    s.step();
    connection.execute("commit");
    m_committed = true;
    return m_number;
}

std::optional<RegisterRun> ImportRegister::earlierImport(const std::string& table, const std::string& sha256) {
    Database d(m_path, false);
    auto found = d.select("where tabella = ? and sha256 = ? and esito = 'completata' and record_aggiunti > 0 and "
                          "annullata_il is null order by numero desc limit 1",
                          {table, sha256});
    if (found.empty()) return std::nullopt;
    return found.front();
}

std::optional<RegisterRun> ImportRegister::lastNotUndone(const std::string& table) {
    Database d(m_path, false);
    auto found = d.select("where tabella = ? and record_aggiunti > 0 and annullata_il is null "
                          "order by numero desc limit 1",
                          {table});
    if (found.empty()) return std::nullopt;
    return found.front();
}

std::vector<RegisterRun> ImportRegister::runs(const std::string& table) {
    Database d(m_path, false);
    if (table.empty()) return d.select("order by numero", {});
    return d.select("where tabella = ? order by numero", {table});
}

std::vector<AddedRecord> ImportRegister::recordsOf(long run) {
    Database d(m_path, false);
    if (!d.exists()) return {};
    Statement s(d.connection, "select identita, impronta from registro_righe where numero = ? order by rowid");
    s.bind(1, std::int64_t{run});
    std::vector<AddedRecord> out;
    while (s.step()) out.push_back({s.text(0), s.text(1)});
    return out;
}

void ImportRegister::recordUndo(long run, const std::string& when, const std::string& by) {
    Database d(m_path, true);
    Statement s(d.connection, "update registro_importazioni set annullata_il = ?, annullata_da = ? where numero = ?");
    s.bind(1, when).bind(2, by).bind(3, std::int64_t{run}).step();
}

std::optional<FileFingerprint> fingerprintOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    FileFingerprint f;
    Sha256 sha;
    std::string buffer(1 << 16, '\0');
    while (in) {
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        const auto got = static_cast<std::size_t>(in.gcount());
        sha.add(std::string_view(buffer.data(), got));
        f.size += got;
    }
    if (in.bad()) return std::nullopt;
    f.sha256 = sha.hex();
    return f;
}

std::string workstationName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0) return {};
    return name;
}

std::string userName() {
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_name) return pw->pw_name;
    const char* user = std::getenv("USER");
    return user ? user : "";
}

std::string nowText() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

std::optional<std::string> repeatedImportQuestion(const std::string& mappingDatabasePath, const std::string& table,
                                                  const std::string& file) {
    std::optional<FileFingerprint> content = fingerprintOf(file);
    if (!content) return std::nullopt;
    std::optional<RegisterRun> earlier = ImportRegister(mappingDatabasePath).earlierImport(table, content->sha256);
    if (!earlier) return std::nullopt;
    return msg::kAlreadyImported + tableCaption(table) + " il " + registerDateTime(earlier->when) + " (" +
           std::to_string(earlier->added) + " record). " + msg::kAlreadyImportedAgain;
}

std::string registerDateTime(const std::string& when) {
    if (when.size() < 16) return when;
    return when.substr(8, 2) + "/" + when.substr(5, 2) + "/" + when.substr(0, 4) + " alle " + when.substr(11, 5);
}

std::string tableCaption(const std::string& table) {
    std::string caption = table;
    if (!caption.empty() && caption[0] >= 'a' && caption[0] <= 'z') caption[0] = static_cast<char>(caption[0] - 32);
    return caption;
}

}  // namespace tessaro7::app
