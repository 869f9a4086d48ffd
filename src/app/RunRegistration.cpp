#include "app/RunRegistration.h"

#include "app/Messages.h"
#include "app/Sha256.h"

#include <charconv>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace tessaro7::app {

namespace {

const db::Value& valueOf(const db::Value& v) { return v; }
const db::Value& valueOf(const db::Value* v) { return *v; }

// Each value's kind, the length of its text and the text, one after another.
template <typename Row>
void appendRowBytes(std::string& bytes, const Row& row) {
    char head[24];
    std::string converted;
    for (const auto& held : row) {
        const db::Value& v = valueOf(held);
        const std::string& text = v.kind() == db::Value::Kind::Text ? v.text() : (converted = v.toText());
        head[0] = static_cast<char>('0' + static_cast<int>(v.kind()));
        char* end = std::to_chars(head + 1, head + sizeof head - 1, text.size()).ptr;
        *end++ = ':';
        bytes.append(head, end).append(text);
    }
}

// The first 128 bits of the SHA-256 of the bytes.
constexpr std::size_t kFingerprintDigits = 32;

// Rows read back, waiting to be fingerprinted: their identities and their
// bytes, one after another.
struct RowBatch {
    std::vector<std::string> identities;
    std::string bytes;
    std::vector<std::size_t> ends;

    void clear() {
        identities.clear();
        bytes.clear();
        ends.clear();
    }

    std::vector<AddedRecord> fingerprinted() const {
        std::vector<AddedRecord> records;
        records.reserve(identities.size());
        std::size_t start = 0;
        Sha256 sha;
        for (std::size_t i = 0; i < identities.size(); ++i) {
            records.push_back({identities[i], sha.hexOf(std::string_view(bytes).substr(start, ends[i] - start), kFingerprintDigits)});
            start = ends[i];
        }
        return records;
    }
};

}  // namespace

std::vector<AddedRecord> withIdentities(std::vector<AddedRecord> records, const std::vector<db::Value>& identities) {
    if (identities.size() != records.size()) throw std::runtime_error("row identities");
    std::size_t kept = 0;
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (identities[i].isNull()) continue;
        if (kept != i) records[kept] = std::move(records[i]);
        records[kept++].identity = identities[i].toText();
    }
    records.resize(kept);
    return records;
}

// Rows are hashed a batch at a time on another thread while the next batch
// is gathered: at most two batches are held, and they take turns, so their
// buffers are filled again rather than allocated for every batch. The one
// thread hashes every batch of the run.
class RowHasher {
public:
    RowHasher() = default;
    RowHasher(const RowHasher&) = delete;
    RowHasher& operator=(const RowHasher&) = delete;
    ~RowHasher() {
        {
            std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_changed.notify_all();
        if (m_worker.joinable()) m_worker.join();
    }

    template <typename Row>
    void add(const db::Value& rowId, const Row& row) {
        m_batch->identities.push_back(rowId.toText());
        appendRowBytes(m_batch->bytes, row);
        m_batch->ends.push_back(m_batch->bytes.size());
        if (m_batch->identities.size() == kBatchRows) handOver();
    }
    // The records of every row added, in their order; throws when they could not all be hashed.
    std::vector<AddedRecord> finish() {
        handOver();
        waitIdle();
        if (m_failed) throw std::runtime_error("row fingerprints");
        std::vector<AddedRecord> records = std::move(m_records);
        m_records.clear();
        return records;
    }
    void clear() {
        waitIdle();
        for (RowBatch& b : m_batches) b.clear();
        m_records.clear();
        m_failed = false;
    }

private:
    static constexpr std::size_t kBatchRows = 1024;

    void handOver() {
        if (m_batch->identities.empty()) return;
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return !m_given; });
        // The thread first: when it cannot start, no batch is left waiting for it.
        if (!m_worker.joinable()) m_worker = std::thread([this] { work(); });
        m_given = m_batch;
        lock.unlock();
        m_changed.notify_all();
        m_batch = m_batch == &m_batches[0] ? &m_batches[1] : &m_batches[0];
        m_batch->clear();
    }
    void waitIdle() {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return !m_given; });
    }
    void work() {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_changed.wait(lock, [&] { return m_given || m_stopping; });
            if (!m_given) return;
            const RowBatch* batch = m_given;
            lock.unlock();
            std::vector<AddedRecord> done;
            bool failed = false;
            try {
                done = batch->fingerprinted();
            } catch (...) {
                failed = true;
            }
            lock.lock();
            try {
                m_records.insert(m_records.end(), std::make_move_iterator(done.begin()), std::make_move_iterator(done.end()));
            } catch (...) {
                failed = true;
            }
            m_failed = m_failed || failed;
            m_given = nullptr;
            m_changed.notify_all();
        }
    }

    RowBatch m_batches[2];
    RowBatch* m_batch = &m_batches[0];
    std::mutex m_mutex;
    std::condition_variable m_changed;
    const RowBatch* m_given = nullptr;  // the batch being hashed
    bool m_stopping = false;
    bool m_failed = false;
    std::vector<AddedRecord> m_records;  // the worker's while a batch is given
    std::thread m_worker;
};

std::string rowFingerprint(const std::vector<db::Value>& row) {
    // The bytes of a row are gathered first and hashed at once: one call per
    // value costs more than the hashing itself.
    thread_local std::string bytes;
    bytes.clear();
    appendRowBytes(bytes, row);
    thread_local Sha256 sha;
    return sha.hexOf(bytes, kFingerprintDigits);
}

RunRegistration::RunRegistration(RunSource source, std::string table)
    : m_source(std::move(source)), m_table(std::move(table)), m_hasher(std::make_unique<RowHasher>()) {
    if (!m_source.mappingDatabasePath.empty())
        m_file = std::async(std::launch::async, [file = m_source.file] { return fingerprintOf(file); });
}

RunRegistration::~RunRegistration() = default;

// The rows are hashed as they are stored where the engine can tell them
// then, so that they need not be read back.
void RunRegistration::begin(db::DataSource& target) noexcept {
    try {
        m_mark = target.additionMark();
        m_marked = true;
        target.watchAdded([hasher = m_hasher.get()](const db::Value& rowId, const std::vector<const db::Value*>& row) {
            hasher->add(rowId, row);
        });
    } catch (...) {
        m_marked = false;
    }
}

void RunRegistration::collect(db::DataSource& target) noexcept {
    m_records.clear();
    m_collected = false;
    if (!m_marked) return;
    try {
        // Rows the engine could not tell as they were stored are read back.
        std::vector<db::Value> later;
        const bool told = target.endWatch(later);
        if (!told) {
            m_hasher->clear();
            target.readAdded(m_mark, [&](const db::Value& rowId, const std::vector<db::Value>& row) {
                m_hasher->add(rowId, row);
            });
        }
        m_records = m_hasher->finish();
        if (told && !later.empty()) m_records = withIdentities(std::move(m_records), later);
        m_collected = true;
        // The records go into the register while the run's rows are saved.
        if (!m_source.mappingDatabasePath.empty() && !m_records.empty())
            m_ahead = std::async(std::launch::async, [this] {
                return std::make_unique<RegisterRunAhead>(m_source.mappingDatabasePath, m_records);
            });
    } catch (...) {
        m_hasher->clear();
        m_records.clear();
    }
}

std::string RunRegistration::finish(long kept, bool completed) {
    if (kept <= 0 || m_source.mappingDatabasePath.empty()) return {};
    RegisterRun run;
    run.when = nowText();
    run.workstation = workstationName();
    run.user = userName();
    run.table = m_table;
    run.file = m_source.file;
    run.sheet = m_source.sheet;
    run.added = kept;
    run.outcome = completed ? kRunCompleted : kRunStopped;
    run.undoable = m_collected && static_cast<long>(m_records.size()) == kept;
    try {
        if (auto file = m_file.valid() ? m_file.get() : fingerprintOf(m_source.file)) {
            run.size = file->size;
            run.sha256 = file->sha256;
        }
        std::unique_ptr<RegisterRunAhead> ahead = m_ahead.valid() ? m_ahead.get() : nullptr;
        if (!ahead)
            ahead = std::make_unique<RegisterRunAhead>(m_source.mappingDatabasePath,
                                                       run.undoable ? m_records : std::vector<AddedRecord>());
        else if (!run.undoable)
            ahead->dropRecords();
        ahead->complete(run);
    } catch (const db::EngineError& e) {
        return msg::kRunNotRegistered + std::string(e.what());
    }
    return {};
}

}  // namespace tessaro7::app
