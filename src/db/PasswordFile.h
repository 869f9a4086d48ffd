#pragma once
// The password file libpq reads for a connection: the URI's "passfile", or
// PGPASSFILE, or ~/.pgpass. libpq ignores one that others may read, and says
// so on stderr only; the program finds it first, so that it can name it as
// the cause when the server then asks for a password.
#include <optional>
#include <string>

namespace tessaro7::db {

// The file libpq would read for `uri` (empty when it cannot tell).
std::string passwordFilePath(const std::string& uri);

// The password file that libpq would ignore for its permissions, if any.
std::optional<std::string> ignoredPasswordFile(const std::string& uri);

}  // namespace tessaro7::db
