#pragma once
// An office's own archive moved to a PostgreSQL server: its business database
// copied into an empty server database, then TS7Rete.dat pointed at it.
#include <filesystem>
#include <string>
#include <vector>

#include "db/ServerCopy.h"

namespace tessaro7::app {

// The second line of TS7Rete.dat that names the server.
std::string serverLine(const std::string& uri);

// Copies the business database of the archive that TS7Rete.dat in `directory`
// names into the empty server database `uri` (every table, in one
// transaction, each table's rows counted on both sides), then writes
// serverLine(uri) as the file's second line, the first kept byte for byte.
// The database file is left as it was. Refuses an archive already on a server.
std::vector<db::CopiedCount> moveArchiveToServer(const std::filesystem::path& directory, const std::string& uri);

}  // namespace tessaro7::app
