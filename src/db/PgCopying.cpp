// The rows of an import copied straight into the table on the server: COPY
// stores its rows in batches, where an insert stores them one at a time, and
// its rows stream without an answer until the chunk ends. Each chunk runs
// under a savepoint and keeps its rows until the server has answered; a
// chunk the server refuses is undone and its rows are sent again as groups,
// which name the row refused and leave out repeated keys, and the rest of the
// run goes by groups.
//
// COPY gives back no identities: the run's rows are found afterwards by the
// transaction that wrote them. The run holds the table's lock from before its
// first write, so no other transaction that began after it can have written
// the table: the rows written by this transaction or by a later one are the run's.
#include "db/LibPq.h"

#include <algorithm>
#include <cstdlib>

#include "db/PgConnection.h"
#include "db/RowGroups.h"
#include "db/ServerSelectText.h"

namespace tessaro7::db {

namespace {

constexpr const char* kChunkSavepoint = "savepoint t7_copia";
constexpr const char* kChunkDone = "release savepoint t7_copia; ";
constexpr const char* kChunkUndo = "rollback to savepoint t7_copia; release savepoint t7_copia";
// libpq is handed the COPY text in pieces of about this size.
constexpr std::size_t kCopyPiece = 64 * 1024;

}  // namespace

void PgConnection::checkCopyAllowed(const std::string& spelled, bool skipDuplicates) {
    m_copyAllowed = false;
    m_copying = false;
    m_copySavepoint = false;
    m_copiedRows = 0;
    clearChunk();
    // Where repeated keys are left out, they are expected: a chunk refused
    // for one would only be written again by groups.
    const Table* target = findTable(spelled);
    if (skipDuplicates && (!target || !target->key.empty() || !target->uniqueKeys.empty())) return;
    PgResult table = query(
        std::string("select ") + kPlainTable +
            ", pg_relation_size(c.oid) / current_setting('block_size')::bigint from pg_class c where c.oid = " +
            serverLiteral(quoted(spelled)) + "::regclass",
        m_appendTable);
    if (PQntuples(table.get()) != 1) return;
    m_copyAllowed = std::string_view(PQgetvalue(table.get(), 0, 0)) == "t";
    // COPY begins in the table's last page, where that has room.
    m_tableEnd = std::max(0L, std::atol(PQgetvalue(table.get(), 0, 1)) - 1);
}

void PgConnection::clearChunk() {
    m_chunkRows = 0;
    m_chunkBytes = 0;
    m_chunkText.clear();
    m_chunkSent = 0;
}

// The row is written in COPY's text form straight away; the chunk's text is
// what is held to send its rows again.
void PgConnection::copyRow(const FieldValues& values, long row) {
    if (m_copying && !sameColumns(m_chunkNames, values)) endCopy();
    if (m_copyAllowed && !m_copying && !m_failure) startCopy(values, row);
    if (!m_copying) return groupRow(values, row);
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i) m_chunkText += '\t';
        const Value& value = values[i].second;
        if (value.kind() == Value::Kind::Text) {
            appendCopyText(m_chunkText, std::string_view(value.text()));
            m_chunkBytes += value.text().size();
        } else {
            const std::optional<std::string> text = serverText(value);
            appendCopyText(m_chunkText, text);
            m_chunkBytes += text ? text->size() : 0;
        }
    }
    m_chunkText += '\n';
    ++m_chunkRows;
    if (m_chunkText.size() - m_chunkSent >= kCopyPiece) putCopyData();
    if (!m_copying || copyChunkIsFull(m_chunkRows, m_chunkBytes)) endCopy();
}

// The chunk before is released and a new one begun in one exchange.
void PgConnection::startCopy(const FieldValues& values, long row) {
    std::string columns;
    m_chunkNames.clear();
    for (const auto& [name, v] : values) {
        columns += (columns.empty() ? "" : ",") + serverQuoted(name);
        m_chunkNames.push_back(name);
    }
    std::string sql = std::string(m_copySavepoint ? kChunkDone : "") + kChunkSavepoint + "; copy " +
                      quoted(tableName(m_appendTable)) + " (" + columns + ") from stdin";
    const bool released = m_copySavepoint;
    m_copySavepoint = false;
    clearChunk();
    m_chunkFirstRow = row;
    PGconn* conn = m_conn.get();
    if (PQsendQuery(conn, sql.c_str()) != 1) return noteFailure(errorOf(nullptr, m_appendTable), row);
    int done = 0;  // the statements before the COPY that are done
    for (;;) {
        PgResult answer(PQgetResult(conn));
        const ExecStatusType status = answer ? PQresultStatus(answer.get()) : PGRES_FATAL_ERROR;
        if (status == PGRES_COPY_IN) {
            m_copying = true;
            m_copySavepoint = true;
            return;
        }
        if (status == PGRES_COMMAND_OK) {
            ++done;
            continue;
        }
        EngineError error = errorOf(answer.get(), m_appendTable);
        answerOfSent();  // what is left of the answer
        // Refused by the COPY itself: its savepoint is there to be rolled back to.
        const bool savepointTaken = done == (released ? 2 : 1);
        if (!savepointTaken || error.number() == engine_error::kConnectionFailed) return noteFailure(std::move(error), row);
        m_copySavepoint = true;
        m_copyAllowed = false;
        undoCopyChunk();
        return;
    }
}

void PgConnection::putCopyData() {
    if (m_chunkSent == m_chunkText.size()) return;
    // A refusal the server sent early ends the COPY in libpq: its answer is read at the chunk's end.
    if (PQputCopyData(m_conn.get(), m_chunkText.data() + m_chunkSent, static_cast<int>(m_chunkText.size() - m_chunkSent)) != 1)
        m_copying = false;
    m_chunkSent = m_chunkText.size();
}

void PgConnection::endCopy() {
    if (m_chunkRows == 0 && !m_copying) return;
    PGconn* conn = m_conn.get();
    if (m_copying) putCopyData();
    PQputCopyEnd(conn, m_copying ? nullptr : "interrotta");
    m_copying = false;
    PgResult answer = answerOfSent();
    if (PQresultStatus(answer.get()) == PGRES_COMMAND_OK) {
        const long stored = std::atol(PQcmdTuples(answer.get()));
        appendCounts().stored += stored;
        m_copiedRows += stored;
        clearChunk();
        return;
    }
    EngineError error = errorOf(answer.get(), m_appendTable);
    if (error.number() == engine_error::kConnectionFailed) {
        noteFailure(std::move(error), m_chunkRows ? m_chunkFirstRow : appendCounts().sent);
        clearChunk();
        return;
    }
    m_copyAllowed = false;
    undoCopyChunk();
}

// The chunk's rows go again as groups, read back from its COPY text: the
// groups' own savepoints and answers tell which row the server refuses, and a
// repeated key is left out where the run skips them.
void PgConnection::undoCopyChunk() {
    const std::string text = std::move(m_chunkText);
    const long firstRow = m_chunkFirstRow;
    clearChunk();
    m_copySavepoint = false;
    PgResult undone(PQexec(m_conn.get(), kChunkUndo));
    if (PQresultStatus(undone.get()) != PGRES_COMMAND_OK)
        return noteFailure(errorOf(undone.get(), m_appendTable), firstRow);
    enterPipeline();
    long row = firstRow;
    for (std::size_t from = 0; from < text.size() && !m_failure;) {
        auto group = std::make_shared<Group>();
        group->names = m_chunkNames;
        group->firstRow = row;
        while (from < text.size() && group->rows < static_cast<long>(kMaxGroupRows)) {
            const std::size_t end = text.find('\n', from);
            readCopyLine(std::string_view(text).substr(from, end - from), group->texts);
            from = end + 1;
            ++group->rows;
        }
        for (const auto& value : group->texts) group->bytes += value ? value->size() : 0;
        row += group->rows;
        m_group = std::move(group);
        sendGroup();
    }
}

void PgConnection::abandonCopy() noexcept {
    clearChunk();
    m_copyAllowed = false;
    if (!m_copying) return;
    m_copying = false;
    PQputCopyEnd(m_conn.get(), "interrotta");
    answerOfSent();
}

// The rows the run stored: those this transaction wrote. They are looked for
// first from the table's last page on, where COPY puts them unless older
// pages have room; the whole table is read only when some are not found there.
std::string PgConnection::writtenRowsCondition(long fromPage, long toPage) const {
    std::string condition = " where age(xmin) <= 0";
    if (fromPage > 0) condition += " and ctid >= '(" + std::to_string(fromPage) + ",0)'::tid";
    if (toPage >= 0) condition += " and ctid < '(" + std::to_string(toPage) + ",0)'::tid";
    return condition;
}

std::string PgConnection::runRowsCondition() {
    const std::string past = writtenRowsCondition(m_tableEnd);
    PgResult found = query("select count(*) from " + quoted(tableName(m_appendTable)) + past, m_appendTable);
    return std::atol(PQgetvalue(found.get(), 0, 0)) == appendCounts().stored ? past : writtenRowsCondition(0);
}

}  // namespace tessaro7::db
