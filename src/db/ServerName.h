#pragma once
// A business database on a PostgreSQL server is named by a libpq connection
// URI (postgresql://user@host:port/database?...). The password never travels
// in it: libpq takes it from the password file or PGPASSWORD.
#include <string>
#include <string_view>

namespace tessaro7::db {

// True for a name that starts with postgresql:// or postgres:// (any case).
bool isServerName(std::string_view name);

// The parts of a URI that can be read without libpq, even from a URI libpq
// refuses: what a message may name.
struct UriParts {
    std::string user, host, port, dbname;
    bool password = false;  // the URI carries a password (after "user:" or as a parameter)
};
UriParts readUriParts(std::string_view uri);

struct ServerDescription {
    std::string text;          // "database 'tessaro' sul server host:5432, utente 'mario'": never a password
    std::string problem;       // why the URI cannot be used (empty when it can); never a password nor the URI
};

// Describes the server a URI names, or the problem with it: a URI that
// carries a password (refused before libpq reads it), or one that does not parse.
ServerDescription describeServer(const std::string& uri);

}  // namespace tessaro7::db
