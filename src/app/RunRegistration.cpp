#include "app/RunRegistration.h"

#include "app/Messages.h"
#include "app/Sha256.h"

#include <charconv>

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

std::string fingerprintOfBytes(std::string_view bytes) { return sha256Hex(bytes).substr(0, 32); }

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
        for (std::size_t i = 0; i < identities.size(); ++i) {
            records.push_back({identities[i], fingerprintOfBytes(std::string_view(bytes).substr(start, ends[i] - start))});
            start = ends[i];
        }
        return records;
    }
};

}  // namespace

// Rows are hashed a batch at a time on another thread while the next batch
// is gathered: at most two batches are held, and they take turns, so their
// buffers are filled again rather than allocated for every batch.
class RowHasher {
public:
    template <typename Row>
    void add(const db::Value& rowId, const Row& row) {
        m_batch->identities.push_back(rowId.toText());
        appendRowBytes(m_batch->bytes, row);
        m_batch->ends.push_back(m_batch->bytes.size());
        if (m_batch->identities.size() == kBatchRows) handOver();
    }
    // The records of every row added, in their order.
    std::vector<AddedRecord> finish() {
        handOver();
        handOver();
        std::vector<AddedRecord> records = std::move(m_records);
        m_records.clear();
        return records;
    }
    void clear() {
        if (m_hashing.valid()) m_hashing.wait();
        m_hashing = {};
        for (RowBatch& b : m_batches) b.clear();
        m_records.clear();
    }

private:
    static constexpr std::size_t kBatchRows = 1024;
    void handOver() {
        if (m_hashing.valid()) {
            std::vector<AddedRecord> done = m_hashing.get();
            m_records.insert(m_records.end(), std::make_move_iterator(done.begin()), std::make_move_iterator(done.end()));
        }
        if (m_batch->identities.empty()) return;
        m_hashing = std::async(std::launch::async, [b = m_batch] { return b->fingerprinted(); });
        m_batch = m_batch == &m_batches[0] ? &m_batches[1] : &m_batches[0];
        m_batch->clear();
    }

    RowBatch m_batches[2];
    RowBatch* m_batch = &m_batches[0];
    std::vector<AddedRecord> m_records;
    // Declared after the batches: a hashing still running ends before they go.
    std::future<std::vector<AddedRecord>> m_hashing;
};

std::string rowFingerprint(const std::vector<db::Value>& row) {
    // The bytes of a row are gathered first and hashed at once: one call per
    // value costs more than the hashing itself.
    thread_local std::string bytes;
    bytes.clear();
    appendRowBytes(bytes, row);
    return fingerprintOfBytes(bytes);
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
        if (!target.endWatch()) {
            m_hasher->clear();
            target.readAdded(m_mark, [&](const db::Value& rowId, const std::vector<db::Value>& row) {
                m_hasher->add(rowId, row);
            });
        }
        m_records = m_hasher->finish();
        m_collected = true;
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
        ImportRegister(m_source.mappingDatabasePath)
            .record(run, run.undoable ? m_records : std::vector<AddedRecord>());
    } catch (const db::EngineError& e) {
        return msg::kRunNotRegistered + std::string(e.what());
    }
    return {};
}

}  // namespace tessaro7::app
