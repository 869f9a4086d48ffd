#pragma once
// Owned libpq handles: a connection is finished, a result cleared, when its
// owner goes, whatever path the code leaves by.
#include "db/LibPq.h"

#include <memory>

namespace tessaro7::db {

struct PgConnFinish {
    void operator()(PGconn* conn) const noexcept { PQfinish(conn); }
};
struct PgResultClear {
    void operator()(PGresult* result) const noexcept { PQclear(result); }
};

using PgConn = std::unique_ptr<PGconn, PgConnFinish>;
using PgResult = std::unique_ptr<PGresult, PgResultClear>;

}  // namespace tessaro7::db
