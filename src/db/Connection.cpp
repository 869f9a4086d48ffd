#include "db/Connection.h"

#include "db/PgConnection.h"
#include "db/ServerName.h"
#include "db/SqliteConnection.h"

namespace tessaro7::db {

std::shared_ptr<Connection> Connection::open(const std::string& databaseName, int busyTimeoutMs) {
    if (isServerName(databaseName)) return std::make_shared<PgConnection>(databaseName, busyTimeoutMs);
    return std::make_shared<SqliteConnection>(databaseName, busyTimeoutMs);
}

}  // namespace tessaro7::db
