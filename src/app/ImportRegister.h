#pragma once
// The import register: one row per import run in the mapping database (the
// program's own file), kept in two tables created on first use. A run notes
// when and where it ran, the target table, the file (name, size, SHA-256 of
// its content) and sheet, the records it added, and for each added record
// its identity in the table and a fingerprint of its values, so that the run
// can be recognised when the same content comes again and undone while its
// records are as it left them.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tessaro7::app {

inline constexpr const char* kRegisterRunsTable = "registro_importazioni";
inline constexpr const char* kRegisterRowsTable = "registro_righe";
// Outcomes of a run.
inline constexpr const char* kRunCompleted = "completata";
inline constexpr const char* kRunStopped = "interrotta";

struct FileFingerprint {
    std::uint64_t size = 0;
    std::string sha256;  // hexadecimal
};
// The size and SHA-256 of a file's content; nothing when it cannot be read.
std::optional<FileFingerprint> fingerprintOf(const std::string& path);

// The workstation's name and the user's, as the register notes them.
std::string workstationName();
std::string userName();
// The local time as "YYYY-MM-DD HH:MM:SS".
std::string nowText();

struct AddedRecord {
    std::string identity;     // the row's identity as text (rowid, ctid)
    std::string fingerprint;  // of its values as stored
};

struct RegisterRun {
    long number = 0;
    std::string when;  // "YYYY-MM-DD HH:MM:SS"
    std::string workstation, user;
    std::string table;  // lower case: "clienti"
    std::string file;
    std::uint64_t size = 0;
    std::string sha256;
    std::string sheet;
    long added = 0;
    std::string outcome;
    bool undoable = false;   // every added record's identity was noted
    std::string undoneWhen;  // empty while not undone
    std::string undoneBy;    // workstation and user of the undo
};

class ImportRegister {
public:
    // The mapping database by its path; nothing is opened until it is used.
    explicit ImportRegister(std::string mappingDatabasePath);

    // Adds a run with its records; gives its number. Throws EngineError.
    long record(RegisterRun run, const std::vector<AddedRecord>& records);
    // The latest completed run, not undone, of the same content into `table`.
    std::optional<RegisterRun> earlierImport(const std::string& table, const std::string& sha256);
    // The latest run into `table` that added records and is not undone.
    std::optional<RegisterRun> lastNotUndone(const std::string& table);
    // Every run, or those into `table`, oldest first.
    std::vector<RegisterRun> runs(const std::string& table = {});
    std::vector<AddedRecord> recordsOf(long run);
    void recordUndo(long run, const std::string& when, const std::string& by);

private:
    friend class RegisterRunAhead;
    struct Database;
    std::string m_path;
};

// A run entered in the register ahead of its figures: its records are
// written in a transaction of their own while the run's rows are still
// being saved, which holds the register until the run is completed (and
// committed) or goes (and is rolled back).
class RegisterRunAhead {
public:
    // Throws EngineError.
    RegisterRunAhead(const std::string& mappingDatabasePath, const std::vector<AddedRecord>& records);
    ~RegisterRunAhead();
    RegisterRunAhead(const RegisterRunAhead&) = delete;
    RegisterRunAhead& operator=(const RegisterRunAhead&) = delete;
    // Leaves the records out: the run cannot be undone.
    void dropRecords();
    // Adds the run itself and commits; gives its number. Throws EngineError.
    long complete(const RegisterRun& run);

private:
    std::unique_ptr<ImportRegister::Database> m_database;
    long m_number = 0;
    bool m_committed = false;
};

// The question before the same content goes into the same table again:
// "Questo file è già stato importato nella tabella Clienti il 07/12/2026 alle
// 10:32 (25000 record). Importarlo di nuovo?"; nothing when the register holds
// no completed run of the file's content into `table` (or the file cannot be read).
std::optional<std::string> repeatedImportQuestion(const std::string& mappingDatabasePath, const std::string& table,
                                                  const std::string& file);

// "07/12/2026 alle 10:32" for a register time.
std::string registerDateTime(const std::string& when);
// "Clienti" for "clienti".
std::string tableCaption(const std::string& table);

}  // namespace tessaro7::app
