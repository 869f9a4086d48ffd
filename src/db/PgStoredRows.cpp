// The rows of an import on the server told as they are sent, so that they
// need not be read back for the register. A text sent to a text column of
// an ordinary table with no trigger or rule is stored as it is, and a column
// not sent holds Null unless it has a default: the values sent are the row
// stored. The server answers for the rows later, and COPY gives no
// identities: once the run's rows are written, each is found by the value of
// a column that differs in every row sent, read back with its identity alone.
#include "db/LibPq.h"

#include <algorithm>
#include <functional>
#include <string_view>
#include <unordered_map>

#include "db/PgConnection.h"
#include "db/ServerSelectText.h"
#include "db/WrittenColumns.h"

namespace tessaro7::db {

namespace {

constexpr std::size_t kMaxKeys = 3;
constexpr Oid kTextType = 25;
constexpr Oid kVarcharType = 1043;

std::uint64_t keyHash(std::string_view text) { return std::hash<std::string_view>{}(text); }

}  // namespace

std::unique_ptr<PgConnection::StoredShape> PgConnection::storedShapeOf(const std::string& spelled) {
    PgResult columns = query(
        "select a.attname, a.atttypid, a.atthasdef or a.attgenerated <> '' or a.attidentity <> '' "
        "from pg_class c join pg_attribute a on a.attrelid = c.oid and a.attnum > 0 and not a.attisdropped "
        "where c.oid = " + serverLiteral(quoted(spelled)) + "::regclass and " + kPlainTable + " order by a.attnum",
        m_appendTable);
    const int count = PQntuples(columns.get());
    if (count == 0) return nullptr;
    auto shape = std::make_unique<StoredShape>();
    for (int r = 0; r < count; ++r) {
        const Oid type = static_cast<Oid>(std::strtoul(PQgetvalue(columns.get(), r, 1), nullptr, 10));
        shape->columns.push_back({PQgetvalue(columns.get(), r, 0), type == kTextType || type == kVarcharType,
                                  type == kVarcharType, *PQgetvalue(columns.get(), r, 2) == 't'});
    }
    return shape;
}

bool PgConnection::storedRow(const std::string& table, const FieldValues& written, Value& rowId,
                             std::vector<const Value*>& row) {
    (void)table;
    static const Value null;
    if (!m_storedShape || !appending()) return false;
    StoredShape& shape = *m_storedShape;
    const std::vector<StoredColumn>& columns = shape.columns;
    if (!shape.written.find(columns, written)) return false;
    row.assign(columns.size(), nullptr);
    for (std::size_t i = 0; i < written.size(); ++i) {
        const StoredColumn& column = columns[shape.written.at(i)];
        const Value& value = written[i].second;
        if (!value.isNull()) {
            if (value.kind() != Value::Kind::Text || !column.verbatim) return false;
            if (column.cutsSpaces && !value.text().empty() && value.text().back() == ' ') return false;
        }
        row[shape.written.at(i)] = &value;
    }
    for (std::size_t c = 0; c < columns.size(); ++c) {
        if (row[c]) continue;
        if (columns[c].filledWhenUnset) return false;
        row[c] = &null;
    }
    if (shape.told == 0) {
        for (std::size_t i = 0; i < written.size() && shape.keys.size() < kMaxKeys; ++i)
            if (columns[shape.written.at(i)].verbatim) shape.keys.push_back(shape.written.at(i));
        shape.keyHashes.resize(shape.keys.size());
        shape.keyUsable.assign(shape.keys.size(), true);
    }
    for (std::size_t k = 0; k < shape.keys.size(); ++k) {
        const Value& value = *row[shape.keys[k]];
        if (value.isNull()) shape.keyUsable[k] = false;
        shape.keyHashes[k].push_back(value.isNull() ? 0 : keyHash(value.text()));
    }
    ++shape.told;
    rowId = Value();
    return true;
}

std::optional<std::size_t> PgConnection::distinctKey(const StoredShape& shape) {
    for (std::size_t k = 0; k < shape.keys.size(); ++k) {
        if (!shape.keyUsable[k]) continue;
        std::vector<std::uint64_t> hashes = shape.keyHashes[k];
        std::sort(hashes.begin(), hashes.end());
        if (std::adjacent_find(hashes.begin(), hashes.end()) == hashes.end()) return k;
    }
    return std::nullopt;
}

// The run's rows are read back with their identity and the key column only.
// Each must be one row told, no two the same one, and as many as the rows
// the server says it stored; otherwise the rows are read back in full.
bool PgConnection::laterIdentities(const std::string& table, long told, std::vector<Value>& identities) {
    std::unique_ptr<StoredShape> shape = std::move(m_storedShape);
    if (!shape || shape->told != told || told <= 0) return false;
    settleAppending();
    if (PQtransactionStatus(m_conn.get()) != PQTRANS_INTRANS) return false;
    const std::optional<std::size_t> key = distinctKey(*shape);
    if (!key) return false;
    const std::string select = "select ctid, " + quoted(shape->columns[shape->keys[*key]].name) + " from " + quoted(table);
    const long stored = appendCounts().stored;
    std::vector<PgResult> parts;
    long found = 0;
    auto read = [&](const std::string& condition) {
        parts.push_back(query(select + condition, table));
        found += PQntuples(parts.back().get());
    };
    if (m_copiedRows > 0) {
        read(writtenRowsCondition(m_tableEnd));
        // The rest lie in older pages that had room, most often near the
        // table's start (rows deleted there): looked for a stretch of pages
        // at a time from there, each a quarter longer than the one before, so
        // that the last reads few pages past them, until all are found.
        for (long from = 0, span = std::max(64L, m_tableEnd / 64); found < stored && from < m_tableEnd;
             from += span, span += span / 4)
            read(writtenRowsCondition(from, std::min(from + span, m_tableEnd)));
    } else {
        read(" where ctid = any(" + storedIdsArray() + ")");
    }
    if (found != stored) return false;
    const std::vector<std::uint64_t>& hashes = shape->keyHashes[*key];
    std::unordered_map<std::uint64_t, std::size_t> rowOf;
    rowOf.reserve(hashes.size());
    for (std::size_t i = 0; i < hashes.size(); ++i) rowOf.emplace(hashes[i], i);
    identities.assign(static_cast<std::size_t>(told), Value());
    for (const PgResult& part : parts)
        for (int r = 0; r < PQntuples(part.get()); ++r) {
            if (PQgetisnull(part.get(), r, 1)) return false;
            auto row = rowOf.find(keyHash(std::string_view(PQgetvalue(part.get(), r, 1),
                                                           static_cast<std::size_t>(PQgetlength(part.get(), r, 1)))));
            if (row == rowOf.end() || !identities[row->second].isNull()) return false;
            identities[row->second] = Value(std::string(PQgetvalue(part.get(), r, 0)));
        }
    return true;
}

}  // namespace tessaro7::db
