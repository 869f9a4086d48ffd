// The rows an import run appended on the server, read back and deleted by
// their physical identity (ctid): each insert of the run returned it, so the
// rows are found without reading the rest of the table; rows copied are found
// by the transaction that wrote them, past where the table ended.
#include "db/LibPq.h"

#include <cstdlib>

#include "db/PgConnection.h"

namespace tessaro7::db {

Value PgConnection::additionMark(const std::string& table) {
    (void)table;
    return Value();
}

std::unique_ptr<Cursor> PgConnection::addedRows(const std::string& table, const Value& mark) {
    (void)mark;
    settleAppending();  // the rows still in the pipeline are the run's too
    const std::string name = quoted(table);
    if (m_copiedRows > 0 && PQtransactionStatus(m_conn.get()) == PQTRANS_INTRANS) {
        // In the table's order, as COPY stored them: no sorting.
        const std::string from = " from " + name + runRowsCondition();
        return readAhead(PreparedSelect{"select ctid as " + std::string(kRowIdColumn) + ", *" + from, table, true,
                                        "select count(*)" + from});
    }
    // Read in the order the run stored them, each found by its identity: the
    // server neither sorts the rows nor reads any other.
    const std::string from = " from unnest(" + storedIdsArray() + ") with ordinality as t7run(id, n) join " + name +
                             " as t7row on t7row.ctid = t7run.id";
    return readAhead(PreparedSelect{"select t7row.ctid as " + std::string(kRowIdColumn) + ", t7row.*" + from +
                                  " order by t7run.n",
                              table, true, "select count(*)" + from});
}

// Identities are the server's own "(block,item)" texts, never a user's.
std::string PgConnection::storedIdsArray() const {
    std::string identities = "'{";
    for (const std::string& ctid : m_storedIds) identities += (identities.size() > 2 ? ",\"" : "\"") + ctid + "\"";
    return identities + "}'::tid[]";
}

long PgConnection::deleteRows(const std::string& table, const std::vector<Value>& rowIds) {
    if (rowIds.empty()) return 0;
    std::string array = "{";
    for (const Value& id : rowIds) array += (array.size() > 1 ? ",\"" : "\"") + id.toText() + "\"";
    array += "}";
    std::vector<const char*> params{array.c_str()};
    PgResult result = write("delete from " + quoted(table) + " where ctid = any($1::tid[])", params, table);
    return std::atol(PQcmdTuples(result.get()));
}

}  // namespace tessaro7::db
