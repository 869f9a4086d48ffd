#pragma once
// Where the archives are: the folder named by the first line of TS7Rete.dat,
// and the paths built from it by plain concatenation.
#include <filesystem>
#include <string>

namespace tessaro7::app {

inline constexpr const char* kNetworkFileName = "TS7Rete.dat";

struct Archive {
    std::string ArchiveFolder;  // the first line of TS7Rete.dat, exactly as read
    std::string DatabasePath;   // ArchiveFolder + "\Tessaro7.mdb"

    // The mapping database as the Excel import names it.
    std::string mappingDatabasePath() const { return ArchiveFolder + "\\Tessaro7a.mdb"; }
    // The same file as the text import spells it.
    std::string textMappingDatabasePath() const { return ArchiveFolder + "\\tessaro7a.mdb"; }
    // The business database as the text imports spell it.
    std::string textImportDatabasePath() const { return ArchiveFolder + "\\tessaro7.mdb"; }
    // A file of the archive folder, such as an export's worksheet.
    std::string fileInFolder(const std::string& name) const { return ArchiveFolder + "\\" + name; }
};

enum class ArchiveStatus { Found, Missing, NotSet };

struct ArchiveReading {
    ArchiveStatus status = ArchiveStatus::Missing;
    Archive archive;
    std::string problem;  // why the file could not be told apart, when it could not
};

// Reads TS7Rete.dat in `directory`, its name matched whatever its letter case.
// A leading UTF-8 byte-order mark is dropped. The first line ends at CR, CRLF or LF; it
// is kept as read, blanks included. A file that is empty, unreadable, or whose
// first line is empty leaves the folder not set. A line that is not valid
// UTF-8 is read as Windows-1252 (a file written on a Windows workstation).
ArchiveReading readArchive(const std::filesystem::path& directory);

// The archive from a folder, as if TS7Rete.dat named it.
Archive archiveFromFolder(const std::string& folder);

}  // namespace tessaro7::app
