#include "app/Archive.h"

#include <fstream>
#include <iterator>

#include "app/Messages.h"
#include "db/Cp1252.h"
#include "db/EngineError.h"
#include "db/Names.h"
#include "db/PathResolver.h"
#include "db/ServerName.h"

namespace tessaro7::app {

Archive archiveFromFolder(const std::string& folder, const std::string& server) {
    return Archive{folder, server.empty() ? folder + "\\Tessaro7.mdb" : server, server};
}

std::string Archive::businessDatabaseShown() const {
    return DatabaseServer.empty() ? db::shownPath(textImportDatabasePath()) : db::describeServer(DatabaseServer).text;
}

namespace {

// One line ending at CR, CRLF or LF (consumed); false at the end of the file.
bool readLine(std::istream& in, std::string& line) {
    line.clear();
    char c;
    bool any = false;
    while (in.get(c)) {
        any = true;
        if (c == '\n') return true;
        if (c == '\r') {
            if (in.peek() == '\n') in.get(c);
            return true;
        }
        line += c;
    }
    return any;
}

std::string trimmed(const std::string& s) {
    std::size_t a = s.find_first_not_of(" \t"), b = s.find_last_not_of(" \t");
    return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

// The server named by the second line; fills `problem` when it cannot be used.
std::string serverOf(const std::string& line, std::string& problem) {
    std::string value = trimmed(trimmed(line).substr(std::string_view(kServerLinePrefix).size()));
    if (!db::isServerName(value)) {
        problem = std::string(msg::kServerLineNotUri);
        return {};
    }
    db::ServerDescription server = db::describeServer(value);
    if (!server.problem.empty()) problem = std::string(msg::kServerLineRefused) + server.problem;
    return server.problem.empty() ? value : std::string();
}

}  // namespace

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
    readLine(in, line);
    // A byte-order mark (Windows Notepad writes one) marks the encoding; it is not part of the folder.
    if (line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
    if (line.empty()) {
        reading.status = ArchiveStatus::NotSet;
        return reading;
    }
    if (!db::isValidUtf8(line)) line = db::cp1252ToUtf8(line);
    std::string second, server;
    if (readLine(in, second) && db::sameName(trimmed(second).substr(0, std::string_view(kServerLinePrefix).size()),
                                             kServerLinePrefix)) {
        server = serverOf(second, reading.problem);
        if (server.empty()) {
            reading.status = ArchiveStatus::Invalid;
            return reading;
        }
    }
    reading.status = ArchiveStatus::Found;
    reading.archive = archiveFromFolder(line, server);
    return reading;
}

}  // namespace tessaro7::app
