#include "app/DemoArchive.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "app/Archive.h"
#include "app/Messages.h"
#include "app/ServerArchive.h"
#include "db/DatabaseCreator.h"
#include "db/EmbeddedSql.h"
#include "db/FilledText.h"
#include "db/ServerCopy.h"
#include "db/ServerName.h"

#include <unistd.h>

namespace tessaro7::app {

namespace fs = std::filesystem;

namespace {

void createFolder(const fs::path& folder) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec || !fs::is_directory(folder))
        throw std::runtime_error(
            db::filledText(msg::kFolderNotCreated, {{"cartella", folder.string()}, {"motivo", ec.message()}}));
}

fs::path archiveDirectory(const std::string& folder, std::initializer_list<const char*> files) {
    fs::path dir = fs::absolute(folder).lexically_normal();
    if (dir.has_filename() == false) dir = dir.parent_path();
    for (const char* name : files) {
        std::error_code ec;
        if (fs::exists(dir / name, ec))
            throw std::runtime_error(db::filledText(msg::kFileExistsNotOverwritten, {{"file", (dir / name).string()}}));
    }
    return dir;
}

void writeNetworkFile(const fs::path& dir, const std::string& server) {
    std::ofstream out(dir / kNetworkFileName, std::ios::binary);
    out << dir.string() << "\r\n";
    if (!server.empty()) out << serverLine(server) << "\r\n";
    if (!out.flush())
        throw std::runtime_error(db::filledText(msg::kFileNotWritten, {{"file", (dir / kNetworkFileName).string()}}));
}

}  // namespace

void createDemoArchive(const std::string& folder) {
    fs::path dir = archiveDirectory(folder, {"Tessaro7.mdb", "Tessaro7a.mdb", kNetworkFileName});
    createFolder(dir);
    db::createDatabaseFromSql((dir / "Tessaro7.mdb").string(), db::kDemoSql);
    db::createDatabaseFromSql((dir / "Tessaro7a.mdb").string(), db::kMappingSql);
    writeNetworkFile(dir, {});
}

void createDemoArchiveOnServer(const std::string& folder, const std::string& uri) {
    fs::path dir = archiveDirectory(folder, {"Tessaro7a.mdb", kNetworkFileName});
    if (!db::isServerName(uri)) throw std::runtime_error(msg::kServerUriForm);
    // The demo data is made as an embedded database first, then copied.
    std::error_code ec;
    fs::path scratch = fs::temp_directory_path(ec) / ("tessaro7-demo-" + std::to_string(::getpid()) + ".mdb");
    fs::remove(scratch, ec);
    db::createDatabaseFromSql(scratch.string(), db::kDemoSql);
    try {
        db::copyDatabaseToServer(scratch.string(), uri);
    } catch (...) {
        fs::remove(scratch, ec);
        throw;
    }
    fs::remove(scratch, ec);
    createFolder(dir);
    db::createDatabaseFromSql((dir / "Tessaro7a.mdb").string(), db::kMappingSql);
    writeNetworkFile(dir, uri);
}

void createMappingDatabase(const std::string& folder) {
    fs::path dir = fs::absolute(folder);
    createFolder(dir);
    db::createDatabaseFromSql((dir / "Tessaro7a.mdb").string(), db::kMappingSql);
}

}  // namespace tessaro7::app
