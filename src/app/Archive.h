#pragma once
// Where the archives are: the folder named by the first line of TS7Rete.dat,
// and the paths built from it by plain concatenation. An optional second line
// "database=postgresql://..." puts the business database on a server; the
// mapping database and the exported files stay in the folder.
#include <filesystem>
#include <string>

namespace tessaro7::app {

inline constexpr const char* kNetworkFileName = "TS7Rete.dat";

struct Archive {
    std::string ArchiveFolder;  // the first line of TS7Rete.dat, exactly as read
    std::string DatabasePath;   // ArchiveFolder + "\Tessaro7.mdb", or the server's URI
    std::string DatabaseServer; // the server's URI; empty when the business database is the folder's file

    // The mapping database as the Excel import names it.
    std::string mappingDatabasePath() const { return ArchiveFolder + "\\Tessaro7a.mdb"; }
    // The same file as the text import spells it.
    std::string textMappingDatabasePath() const { return ArchiveFolder + "\\tessaro7a.mdb"; }
    // The business database as the text imports spell it.
    std::string textImportDatabasePath() const {
        return DatabaseServer.empty() ? ArchiveFolder + "\\tessaro7.mdb" : DatabaseServer;
    }
    // The business database as messages name it: the server's description
    // (never its URI), or the file as the text imports spell it.
    std::string businessDatabaseShown() const;
    // A file of the archive folder, such as an export's worksheet.
    std::string fileInFolder(const std::string& name) const { return ArchiveFolder + "\\" + name; }
};

// Invalid: the second line names a server in a form that cannot be used.
enum class ArchiveStatus { Found, Missing, NotSet, Invalid };

struct ArchiveReading {
    ArchiveStatus status = ArchiveStatus::Missing;
    Archive archive;
    std::string problem;  // what is wrong with the second line (Invalid), or the two
                          // spellings of the file when they cannot be told apart
};

// The prefix of the second line that names the business database's server.
inline constexpr const char* kServerLinePrefix = "database=";

// Reads TS7Rete.dat in `directory`, its name matched whatever its letter case.
// A leading UTF-8 byte-order mark is dropped. The first line ends at CR, CRLF or LF; it
// is kept as read, blanks included. A file that is empty, unreadable, or whose
// first line is empty leaves the folder not set. A line that is not valid
// UTF-8 is read as Windows-1252 (a file written on a Windows workstation).
// A second line starting with "database=" must hold a PostgreSQL URI without
// a password; any other second line is ignored.
ArchiveReading readArchive(const std::filesystem::path& directory);

// The archive from a folder, as if TS7Rete.dat named it; with a server URI,
// the business database is on that server.
Archive archiveFromFolder(const std::string& folder, const std::string& server = {});

}  // namespace tessaro7::app
