// The rows of an import on the server: written a group at a time, one
// statement per group binding an array of values per column, down a pipeline that never waits for an answer before
// sending the next group. Each group runs under a savepoint; a group the
// server refuses is undone and its rows are sent again one by one, so that
// the failing row is still the one named.
#include "db/LibPq.h"

#include "db/Names.h"
#include "db/PgConnection.h"
#include "db/RowGroups.h"
#include "db/ServerSelectText.h"

namespace tessaro7::db {

namespace {

// Every group runs under this savepoint, released as soon as the group is
// written; a group that fails leaves it in place to be rolled back to.
constexpr const char* kGroupSavepoint = "savepoint t7_gruppo";
constexpr const char* kGroupDone = "release savepoint t7_gruppo";
constexpr const char* kGroupUndo = "rollback to savepoint t7_gruppo";

std::vector<const char*> pointersTo(const std::optional<std::string>* texts, std::size_t count) {
    std::vector<const char*> pointers;
    pointers.reserve(count);
    for (std::size_t i = 0; i < count; ++i) pointers.push_back(texts[i] ? texts[i]->c_str() : nullptr);
    return pointers;
}

}  // namespace

// Imports into one table take turns, as on the embedded engine (the wait is
// the lock timeout in force); readers are not held up.
void PgConnection::beginAppending(const std::string& table, bool skipDuplicates) {
    leavePipeline();
    m_failure.reset();
    m_storedAfterFailure.clear();
    m_storedIds.clear();
    m_commitUncertain = false;
    std::string spelled = tableName(table);
    if (spelled.empty())
        throw EngineError(engine_error::kTableNotFound, "Tabella '" + table + "' non trovata nel " + m_server + ".");
    execute("lock table " + quoted(spelled) + " in share row exclusive mode", table);
    m_appendTable = table;
    checkCopyAllowed(spelled, skipDuplicates);
    m_storedShape = storedShapeOf(spelled);
    Connection::beginAppending(table, skipDuplicates);
}

// Rows go by COPY while the table allows it, otherwise by groups. A full
// group is sent without waiting for the server's answer. The answers are read
// a group behind, and a failure found there is thrown by a later row or by
// the commit, with the number of the row it belongs to.
void PgConnection::appendRow(const std::string& table, const FieldValues& values) {
    (void)table;
    takeReadAhead();
    throwIfFailed();
    long row = ++appendCounts().sent;
    // A row without values takes every column's default: only an insert can write it.
    if (values.empty() && m_copyAllowed) {
        endCopy();
        m_copyAllowed = false;
    }
    if (m_copyAllowed)
        copyRow(values, row);
    else
        groupRow(values, row);
    throwIfFailed();
}

bool PgConnection::sameColumns(const std::vector<std::string>& names, const FieldValues& values) {
    if (names.size() != values.size()) return false;
    for (std::size_t i = 0; i < names.size(); ++i)
        if (names[i] != values[i].first) return false;
    return true;
}

void PgConnection::enterPipeline() {
    if (m_pipeline) return;
    if (PQenterPipelineMode(m_conn.get()) != 1) fail(nullptr, m_appendTable);
    m_pipeline = true;
}

void PgConnection::groupRow(const FieldValues& values, long row) {
    if (m_failure) return;
    enterPipeline();
    if (m_group && !sameColumns(m_group->names, values)) sendGroup();
    if (!m_group) {
        m_group = std::make_shared<Group>();
        m_group->firstRow = row;
        for (const auto& [name, v] : values) m_group->names.push_back(name);
    }
    for (const auto& [name, v] : values) {
        m_group->texts.push_back(serverText(v));
        m_group->bytes += m_group->texts.back() ? m_group->texts.back()->size() : 0;
    }
    ++m_group->rows;
    // A row without values goes alone: its statement takes every column's default.
    if (values.empty() || groupIsFull(static_cast<std::size_t>(m_group->rows), m_group->bytes)) sendGroup();
}

std::string PgConnection::groupInsertText(const std::string& table, const std::vector<std::string>& names,
                                          const char* ending) {
    const Table* target = findTable(table);
    std::string columns, values;
    int number = 0;
    for (const std::string& name : names) {
        std::string type = "text";
        for (std::size_t i = 0; target && i < target->columns.size(); ++i)
            if (sameName(target->columns[i].name, name)) type = target->serverTypes[i];
        columns += (columns.empty() ? "" : ",") + serverQuoted(name);
        // Each array is unnested on its own, so that the server walks them
        // side by side without holding the rows. It is read as the column's
        // type without its length: a value too long is refused when stored,
        // as a single row's is, never cut by the conversion.
        values += (values.empty() ? "unnest($" : ",unnest($") + std::to_string(++number) + "::" + type + "[])";
    }
    return "insert into " + quoted(target ? target->name : table) + " (" + columns + ") select " + values + ending;
}

// One statement for the group. When repeated keys are skipped, the server
// leaves them out and the rows it stored answer with their identities; when
// they are not, a repeated key fails the group like any other refusal.
void PgConnection::sendGroup() {
    std::shared_ptr<const Group> group = std::move(m_group);
    const Group& g = *group;
    const long row = g.firstRow;
    const char* ending = skipDuplicates() ? " on conflict do nothing returning ctid" : " returning ctid";
    std::vector<std::string> arrays(g.names.size(), "{");
    for (std::size_t c = 0; c < arrays.size(); ++c) {
        arrays[c].reserve(g.bytes / arrays.size() + 4 * static_cast<std::size_t>(g.rows));
        for (std::size_t r = 0; r < static_cast<std::size_t>(g.rows); ++r)
            appendArrayElement(arrays[c], g.texts[r * arrays.size() + c]);
        arrays[c] += '}';
    }
    std::vector<const char*> values;
    for (const std::string& array : arrays) values.push_back(array.c_str());
    const int count = static_cast<int>(values.size());
    const std::string& name = statementFor(
        g.names.empty() ? insertText(m_appendTable, g.names, ending) : groupInsertText(m_appendTable, g.names, ending),
        count, m_appendTable);
    sendCommand(kGroupSavepoint, row);
    if (PQsendQueryPrepared(m_conn.get(), name.c_str(), count, values.data(), nullptr, nullptr, 0) != 1)
        noteFailure(errorOf(nullptr, m_appendTable), row);
    else
        m_sent.push_back({Sent::Kind::Group, row, {}, group});
    sendCommand(kGroupDone, row);
    sendSync();
}

void PgConnection::sendRow(const std::vector<std::string>& names, const std::optional<std::string>* texts, long row) {
    // A repeated key leaves the row out without undoing the transaction; its
    // identity lets the rows after a failing one be taken out again.
    std::vector<const char*> values = pointersTo(texts, names.size());
    const int count = static_cast<int>(values.size());
    const std::string& name =
        statementFor(insertText(m_appendTable, names, " on conflict do nothing returning ctid"), count, m_appendTable);
    if (PQsendQueryPrepared(m_conn.get(), name.c_str(), count, values.data(), nullptr, nullptr, 0) != 1)
        noteFailure(errorOf(nullptr, m_appendTable), row);
    else
        m_sent.push_back({Sent::Kind::Row, row, {}, {}});
}

void PgConnection::sendCommand(const char* sql, long row) {
    if (PQsendQueryParams(m_conn.get(), sql, 0, nullptr, nullptr, nullptr, nullptr, 0) != 1)
        noteFailure(errorOf(nullptr, m_appendTable), row);
    else
        m_sent.push_back({Sent::Kind::Command, row, {}, {}});
}

void PgConnection::sendSync() {
    if (PQpipelineSync(m_conn.get()) != 1) {
        noteFailure(errorOf(nullptr, m_appendTable), appendCounts().sent);
        m_sent.clear();
        m_syncsDue = 0;
        return;
    }
    m_sent.push_back({Sent::Kind::Sync, 0, {}, {}});
    // The answers of the group before are read while the server works on this one.
    ++m_syncsDue;
    readDue(1);
}

void PgConnection::readDue(int keep) {
    while (m_syncsDue > keep) readUntilSync();
    if (!m_failedGroup) return;
    while (m_syncsDue > 0) readUntilSync();
    resendFailedGroup();
}

void PgConnection::readUntilSync() {
    while (!m_sent.empty()) {
        Sent sent = std::move(m_sent.front());
        m_sent.pop_front();
        if (sent.kind != Sent::Kind::Sync) {
            readAnswer(sent);
            continue;
        }
        --m_syncsDue;
        PgResult sync(PQgetResult(m_conn.get()));
        if (PQresultStatus(sync.get()) == PGRES_PIPELINE_SYNC) return;
        break;  // the connection is lost
    }
    if (!m_failure) noteFailure(errorOf(nullptr, m_appendTable), appendCounts().sent);
    m_sent.clear();
    m_syncsDue = 0;
}

void PgConnection::readAnswer(const Sent& sent) {
    PgResult answer(PQgetResult(m_conn.get()));
    if (answer) {
        while (PgResult(PQgetResult(m_conn.get()))) {  // up to the end of this statement's answer
        }
    }
    ExecStatusType status = answer ? PQresultStatus(answer.get()) : PGRES_FATAL_ERROR;
    if (sent.kind == Sent::Kind::Group) return readGroupAnswer(answer.get(), status, sent);
    if (status == PGRES_COMMAND_OK) return;  // a statement prepared, a savepoint
    if (status == PGRES_TUPLES_OK) {
        if (PQntuples(answer.get()) == 1) {
            if (m_failure)
                m_storedAfterFailure.push_back(PQgetvalue(answer.get(), 0, 0));
            else {
                m_storedIds.push_back(PQgetvalue(answer.get(), 0, 0));
                ++appendCounts().stored;
            }
        } else if (skipDuplicates()) {
            ++appendCounts().duplicates;
        } else {
            noteFailure(duplicateError(m_appendTable), sent.row);
        }
        return;
    }
    if (sent.kind == Sent::Kind::Prepare) m_statements.erase(sent.sql);
    // After a group's failure the statements up to the group's undoing fail
    // for the same reason; the group itself tells which row it was.
    if (status != PGRES_PIPELINE_ABORTED && !m_failedGroup)
        noteFailure(errorOf(answer.get(), m_appendTable), sent.row ? sent.row : appendCounts().sent);
}

void PgConnection::readGroupAnswer(const PGresult* answer, ExecStatusType status, const Sent& sent) {
    if (status == PGRES_TUPLES_OK) {
        const int stored = PQntuples(answer);
        for (int i = 0; i < stored; ++i)
            (m_failure ? m_storedAfterFailure : m_storedIds).push_back(PQgetvalue(answer, i, 0));
        if (m_failure) return;
        appendCounts().stored += stored;
        appendCounts().duplicates += sent.group->rows - stored;
        return;
    }
    if (status == PGRES_PIPELINE_ABORTED || m_failure || m_failedGroup) return;
    EngineError error = errorOf(answer, m_appendTable);
    if (error.number() == engine_error::kConnectionFailed) return noteFailure(std::move(error), sent.row);
    m_failedGroup = sent.group;
    m_groupError = std::move(error);
}

// The failed group is undone and its rows are sent again one by one, each
// answered on its own as before groups were written: the first row refused
// is named, and what happens to the rows before it does not depend on the
// grouping. Should every row pass this time (the refusal was of the moment,
// a lock waited for too long), the run still stops at the group, and the
// rows just written are taken out again.
void PgConnection::resendFailedGroup() {
    std::shared_ptr<const Group> group = std::move(m_failedGroup);
    EngineError error = std::move(*m_groupError);
    m_groupError.reset();
    if (m_failure) return;
    AppendCounts before = appendCounts();
    const std::size_t idsBefore = m_storedIds.size();
    sendCommand(kGroupUndo, group->firstRow);
    for (long r = 0; r < group->rows; ++r)
        sendRow(group->names, group->texts.data() + static_cast<std::size_t>(r) * group->names.size(),
                group->firstRow + r);
    if (PQpipelineSync(m_conn.get()) == 1) {
        m_sent.push_back({Sent::Kind::Sync, 0, {}, {}});
        ++m_syncsDue;
    }
    while (m_syncsDue > 0) readUntilSync();
    if (m_failure) return;
    m_storedAfterFailure.insert(m_storedAfterFailure.end(), m_storedIds.begin() + static_cast<long>(idsBefore),
                                m_storedIds.end());
    m_storedIds.resize(idsBefore);
    appendCounts().stored = before.stored;
    appendCounts().duplicates = before.duplicates;
    noteFailure(std::move(error), group->firstRow);
}

void PgConnection::noteFailure(EngineError error, long row) {
    if (m_failure) return;
    m_failure = std::move(error);
    appendCounts().failedRow = row;
}

void PgConnection::throwIfFailed() {
    if (m_failure) throw *m_failure;
}

void PgConnection::leavePipeline() {
    takeReadAhead();
    endCopy();
    if (!m_pipeline) return;
    if (m_group && !m_failure && PQstatus(m_conn.get()) == CONNECTION_OK) sendGroup();
    m_group.reset();
    readDue(0);
    m_sent.clear();
    PQexitPipelineMode(m_conn.get());
    m_pipeline = false;
}

void PgConnection::settleAppending() {
    leavePipeline();
    if (m_storedAfterFailure.empty() || PQtransactionStatus(m_conn.get()) != PQTRANS_INTRANS) return;
    std::string identities = "{";
    for (const std::string& ctid : m_storedAfterFailure)
        identities += (identities.size() > 1 ? ",\"" : "\"") + ctid + "\"";
    identities += "}";
    m_storedAfterFailure.clear();
    const char* params[] = {identities.c_str()};
    PgResult result(PQexecParams(m_conn.get(),
                                 ("delete from " + quoted(tableName(m_appendTable)) + " where ctid = any($1::tid[])").c_str(),
                                 1, nullptr, params, nullptr, nullptr, 0));
    if (PQresultStatus(result.get()) != PGRES_COMMAND_OK && !m_failure) noteFailure(errorOf(result.get(), m_appendTable), 0);
}

void PgConnection::finishAppending() {
    settleAppending();
    throwIfFailed();
}

}  // namespace tessaro7::db
