#include "app/RunRegistration.h"

#include "app/Messages.h"
#include "app/Sha256.h"

#include <charconv>

namespace tessaro7::app {

namespace {

// Each value's kind, the length of its text and the text, one after another.
void appendRowBytes(std::string& bytes, const std::vector<db::Value>& row) {
    char head[24];
    std::string converted;
    for (const db::Value& v : row) {
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

std::string rowFingerprint(const std::vector<db::Value>& row) {
    // The bytes of a row are gathered first and hashed at once: one call per
    // value costs more than the hashing itself.
    thread_local std::string bytes;
    bytes.clear();
    appendRowBytes(bytes, row);
    return fingerprintOfBytes(bytes);
}

RunRegistration::RunRegistration(RunSource source, std::string table)
    : m_source(std::move(source)), m_table(std::move(table)) {
    if (!m_source.mappingDatabasePath.empty())
        m_file = std::async(std::launch::async, [file = m_source.file] { return fingerprintOf(file); });
}

void RunRegistration::begin(db::DataSource& target) noexcept {
    try {
        m_mark = target.additionMark();
        m_marked = true;
    } catch (...) {
        m_marked = false;
    }
}

void RunRegistration::collect(db::DataSource& target) noexcept {
    m_records.clear();
    m_collected = false;
    if (!m_marked) return;
    // The rows are hashed a batch at a time on another thread while the next
    // batch is read: at most two batches are held.
    // The two batches take turns, so their buffers are filled again rather
    // than allocated for every batch.
    constexpr std::size_t kBatchRows = 1024;
    RowBatch batches[2];
    RowBatch* batch = &batches[0];
    std::future<std::vector<AddedRecord>> hashing;
    auto handOver = [&] {
        if (hashing.valid()) {
            std::vector<AddedRecord> done = hashing.get();
            m_records.insert(m_records.end(), std::make_move_iterator(done.begin()), std::make_move_iterator(done.end()));
        }
        if (batch->identities.empty()) return;
        hashing = std::async(std::launch::async, [b = batch] { return b->fingerprinted(); });
        batch = batch == &batches[0] ? &batches[1] : &batches[0];
        batch->clear();
    };
    try {
        target.readAdded(m_mark, [&](const db::Value& rowId, const std::vector<db::Value>& row) {
            batch->identities.push_back(rowId.toText());
            appendRowBytes(batch->bytes, row);
            batch->ends.push_back(batch->bytes.size());
            if (batch->identities.size() == kBatchRows) handOver();
        });
        handOver();
        handOver();
        m_collected = true;
    } catch (...) {
        if (hashing.valid()) hashing.wait();
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
