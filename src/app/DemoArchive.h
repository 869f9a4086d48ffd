#pragma once
// A ready archive folder to try the program on.
#include <string>

namespace tessaro7::app {

// Creates `folder` (if needed) with Tessaro7.mdb (demo data), Tessaro7a.mdb
// (the mapping database as delivered) and a TS7Rete.dat naming the folder's
// absolute path. Refuses, before writing anything, when one of the files exists.
void createDemoArchive(const std::string& folder);

// The same with the business database on a server: loads the demo data into
// the (empty) server database that `uri` names, then writes Tessaro7a.mdb and a
// TS7Rete.dat of two lines, the folder and "database=" + uri. Refuses, before
// writing anything, when a file exists or the server database has the tables.
void createDemoArchiveOnServer(const std::string& folder, const std::string& uri);

// Writes only folder/Tessaro7a.mdb as delivered; refuses to overwrite.
void createMappingDatabase(const std::string& folder);

}  // namespace tessaro7::app
