#include "app/DemoArchive.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "app/Archive.h"
#include "db/DatabaseCreator.h"
#include "db/EmbeddedSql.h"

namespace tessaro7::app {

namespace fs = std::filesystem;

namespace {

void createFolder(const fs::path& folder) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec || !fs::is_directory(folder))
        throw std::runtime_error("Impossibile creare la cartella '" + folder.string() + "': " + ec.message() + ".");
}

}  // namespace

void createDemoArchive(const std::string& folder) {
    fs::path dir = fs::absolute(folder).lexically_normal();
    if (dir.has_filename() == false) dir = dir.parent_path();
    for (const char* name : {"Tessaro7.mdb", "Tessaro7a.mdb", kNetworkFileName}) {
        std::error_code ec;
        if (fs::exists(dir / name, ec))
            throw std::runtime_error("Il file '" + (dir / name).string() + "' esiste già: non viene sovrascritto.");
    }
    createFolder(dir);
    db::createDatabaseFromSql((dir / "Tessaro7.mdb").string(), db::kDemoSql);
    db::createDatabaseFromSql((dir / "Tessaro7a.mdb").string(), db::kMappingSql);
    std::ofstream out(dir / kNetworkFileName, std::ios::binary);
    out << dir.string() << "\r\n";
    if (!out.flush())
        throw std::runtime_error("Impossibile scrivere il file '" + (dir / kNetworkFileName).string() + "'.");
}

void createMappingDatabase(const std::string& folder) {
    fs::path dir = fs::absolute(folder);
    createFolder(dir);
    db::createDatabaseFromSql((dir / "Tessaro7a.mdb").string(), db::kMappingSql);
}

}  // namespace tessaro7::app
