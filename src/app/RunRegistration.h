#pragma once
// How an import run enters the import register: inside the run's transaction
// it marks where its rows begin and takes each row's identity and values as
// stored (as each row is written, where the engine can tell them then, else
// read back once they are written), and starts writing them to the register
// of the mapping database while the rows are saved. The mapping database is
// another file: the run is committed to the register only after the business
// rows are saved; when that fails the rows stay, and the final message says
// the run is not registered.
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/ImportRegister.h"
#include "db/DataSource.h"

namespace tessaro7::app {

// Where a run's rows come from, as the register notes it.
struct RunSource {
    std::string mappingDatabasePath;
    std::string file;   // the path read
    std::string sheet;  // empty for a text file
};

// The fingerprint of a row's values as stored (each value's kind and text).
std::string rowFingerprint(const std::vector<db::Value>& row);

// The records of rows told as they were sent, given the identities told
// afterwards (one per record, Null for a row that was not stored, which has
// no record).
std::vector<AddedRecord> withIdentities(std::vector<AddedRecord> records, const std::vector<db::Value>& identities);

class RowHasher;

class RunRegistration {
public:
    RunRegistration(RunSource source, std::string table);
    ~RunRegistration();
    RunRegistration(const RunRegistration&) = delete;
    RunRegistration& operator=(const RunRegistration&) = delete;

    // Inside the transaction, before the first row is added.
    void begin(db::DataSource& target) noexcept;
    // Inside the transaction, after the last row written (or at a failure).
    void collect(db::DataSource& target) noexcept;
    // After the transaction: `kept` records of the run are in the table.
    // Empty, or the line saying that the run could not be registered.
    std::string finish(long kept, bool completed);

private:
    RunSource m_source;
    std::string m_table;
    db::Value m_mark;
    bool m_marked = false;
    bool m_collected = false;
    std::vector<AddedRecord> m_records;
    std::unique_ptr<RowHasher> m_hasher;
    // The records written to the register ahead of the run's figures (after
    // the records it reads, so that it ends before they go).
    std::future<std::unique_ptr<RegisterRunAhead>> m_ahead;
    // The file's size and SHA-256, taken on another thread while the run works.
    std::future<std::optional<FileFingerprint>> m_file;
};

// Inside the transaction: reads the run's rows back when the row loop ends,
// at its end or at a failure.
class CollectAddedRows {
public:
    CollectAddedRows(RunRegistration& registration, db::DataSource& target) : m_registration(registration), m_target(target) {
        m_registration.begin(m_target);
    }
    ~CollectAddedRows() { m_registration.collect(m_target); }
    CollectAddedRows(const CollectAddedRows&) = delete;
    CollectAddedRows& operator=(const CollectAddedRows&) = delete;

private:
    RunRegistration& m_registration;
    db::DataSource& m_target;
};

}  // namespace tessaro7::app
