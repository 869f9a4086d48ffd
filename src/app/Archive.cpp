#include "app/Archive.h"

#include <fstream>
#include <iterator>

#include "db/Cp1252.h"
#include "db/EngineError.h"
#include "db/PathResolver.h"

namespace tessaro7::app {

Archive archiveFromFolder(const std::string& folder) { return Archive{folder, folder + "\\Tessaro7.mdb"}; }

ArchiveReading readArchive(const std::filesystem::path& directory) {
    ArchiveReading reading;
    std::filesystem::path file;
    try {
        // Found whatever its letter case, as every other name is.
        file = db::matchEntry(directory, kNetworkFileName, (directory / kNetworkFileName).string());
    } catch (const db::EngineError& e) {
        reading.status = ArchiveStatus::NotSet;
        reading.problem = e.what();
        return reading;
    }
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) return reading;
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        reading.status = ArchiveStatus::NotSet;
        return reading;
    }
    std::string line;
    char c;
    while (in.get(c) && c != '\r' && c != '\n') line += c;
    // A byte-order mark (Windows Notepad writes one) marks the encoding; it is not part of the folder.
    if (line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
    if (line.empty()) {
        reading.status = ArchiveStatus::NotSet;
        return reading;
    }
    if (!db::isValidUtf8(line)) line = db::cp1252ToUtf8(line);
    reading.status = ArchiveStatus::Found;
    reading.archive = archiveFromFolder(line);
    return reading;
}

}  // namespace tessaro7::app
