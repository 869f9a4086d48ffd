#include "app/RunRegistration.h"

#include "app/Messages.h"
#include "app/Sha256.h"

#include <charconv>

namespace tessaro7::app {

std::string rowFingerprint(const std::vector<db::Value>& row) {
    // The bytes of a row are gathered first and hashed at once: an import
    // fingerprints every row it adds, and one call per value costs more than
    // the hashing itself.
    thread_local std::string bytes;
    bytes.clear();
    char length[24];
    for (const db::Value& v : row) {
        bytes += static_cast<char>('0' + static_cast<int>(v.kind()));
        std::string converted;
        const std::string& text = v.kind() == db::Value::Kind::Text ? v.text() : (converted = v.toText());
        const auto end = std::to_chars(length, length + sizeof length, text.size()).ptr;
        bytes.append(length, end) += ':';
        bytes += text;
    }
    return sha256Hex(bytes).substr(0, 32);
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
    try {
        target.readAdded(m_mark, [&](const db::Value& rowId, const std::vector<db::Value>& row) {
            m_records.push_back({rowId.toText(), rowFingerprint(row)});
        });
        m_collected = true;
    } catch (...) {
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
