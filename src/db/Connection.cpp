#include "db/Connection.h"

#include "db/SqliteConnection.h"

namespace tessaro7::db {

std::shared_ptr<Connection> Connection::open(const std::string& databaseName, int busyTimeoutMs) {
    return std::make_shared<SqliteConnection>(databaseName, busyTimeoutMs);
}

}  // namespace tessaro7::db
