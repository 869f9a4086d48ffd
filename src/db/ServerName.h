#pragma once
// A business database on a PostgreSQL server is named by a libpq connection
// URI (postgresql://user@host:port/database?...). The password never travels
// in it: libpq takes it from ~/.pgpass or PGPASSWORD.
#include <string>
#include <string_view>

namespace tessaro7::db {

// True for a name that starts with postgresql:// or postgres:// (any case).
bool isServerName(std::string_view name);

struct ServerDescription {
    std::string text;          // "database 'tessaro' sul server host:5432, utente 'mario'": never a password
    std::string problem;       // why the URI cannot be used (empty when it can)
};

// Describes the server a URI names, or the problem with it: a URI that does
// not parse, or that carries a password.
ServerDescription describeServer(const std::string& uri);

}  // namespace tessaro7::db
