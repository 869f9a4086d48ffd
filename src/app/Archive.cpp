#include "app/Archive.h"

#include <fstream>
#include <iterator>

#include "db/Cp1252.h"

namespace tessaro7::app {

Archive archiveFromFolder(const std::string& folder) { return Archive{folder, folder + "\\Tessaro7.mdb"}; }

ArchiveReading readArchive(const std::filesystem::path& directory) {
    ArchiveReading reading;
    std::filesystem::path file = directory / kNetworkFileName;
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
