#include "app/ServerArchive.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

#include "app/Archive.h"
#include "app/Messages.h"
#include "db/EngineError.h"
#include "db/PathResolver.h"
#include "db/ServerName.h"

namespace tessaro7::app {

namespace fs = std::filesystem;

namespace {

// The first line of the file with its line end, as it is.
std::string firstLineOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::size_t end = bytes.find_first_of("\r\n");
    if (end == std::string::npos) return bytes + "\r\n";
    if (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n') ++end;
    return bytes.substr(0, end + 1);
}

// Written beside it and renamed over it, so that a failure leaves the old file whole.
void rewriteNetworkFile(const fs::path& file, const std::string& uri) {
    std::string first = firstLineOf(file);
    std::string ending = first.size() >= 2 && first.compare(first.size() - 2, 2, "\r\n") == 0 ? "\r\n" : first.substr(first.size() - 1);
    fs::path scratch = file;
    scratch += ".nuovo";
    {
        std::ofstream out(scratch, std::ios::binary | std::ios::trunc);
        out << first << serverLine(uri) << ending;
        if (!out.flush()) throw std::runtime_error(std::string(msg::kNetworkFileNotWritten) + file.string() + "'.");
    }
    std::error_code ec;
    fs::rename(scratch, file, ec);
    if (ec) throw std::runtime_error(std::string(msg::kNetworkFileNotWritten) + file.string() + "': " + ec.message() + ".");
}

}  // namespace

std::string serverLine(const std::string& uri) { return kServerLinePrefix + uri; }

std::vector<db::CopiedCount> moveArchiveToServer(const fs::path& directory, const std::string& uri) {
    ArchiveReading reading = readArchive(directory);
    if (reading.status != ArchiveStatus::Found)
        throw std::runtime_error(std::string(msg::kSetArchiveFolder) + (reading.problem.empty() ? "" : " " + reading.problem));
    if (!reading.archive.DatabaseServer.empty())
        throw std::runtime_error(std::string(msg::kArchiveAlreadyOnServer) +
                                 db::describeServer(reading.archive.DatabaseServer).text + ".");
    if (!db::isServerName(uri)) throw std::runtime_error(msg::kServerUriForm);
    fs::path file = db::matchEntry(directory, kNetworkFileName, (directory / kNetworkFileName).string());
    std::vector<db::CopiedCount> counts = db::copyDatabaseToServer(reading.archive.DatabasePath, uri);
    rewriteNetworkFile(file, uri);
    return counts;
}

}  // namespace tessaro7::app
