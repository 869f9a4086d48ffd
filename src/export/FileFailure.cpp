#include "export/FileFailure.h"

#include <cerrno>
#include <system_error>

#include "db/EngineError.h"
#include "db/PathResolver.h"
#include "export/ExcelFile.h"

namespace tessaro7::exporting {

namespace fs = std::filesystem;

FileFailure createFailure(int err) {
    switch (err) {
    case ENOENT:
    case ENOTDIR: return {ExcelFile::kPathNotFound, "cartella inesistente"};
    case EACCES:
    case EPERM: return {ExcelFile::kPermissionDenied, "accesso negato"};
    case EROFS: return {ExcelFile::kPermissionDenied, "accesso negato: disco di sola lettura"};
    case EBUSY:
    case ETXTBSY: return {ExcelFile::kPermissionDenied, "file in uso da un altro programma"};
    case EISDIR: return {ExcelFile::kPathFileAccess, "il nome indica una cartella"};
    case ENAMETOOLONG: return {ExcelFile::kPathFileAccess, "nome del file troppo lungo"};
    case ENOSPC:
    case EDQUOT: return {ExcelFile::kDiskFull, "disco pieno"};
    case EMFILE:
    case ENFILE: return {ExcelFile::kTooManyFiles, "troppi file aperti"};
    default: return {ExcelFile::kPathFileAccess, "errore di accesso al percorso o al file"};
    }
}

FileFailure writeFailure(int err) {
    if (err == ENOSPC || err == EDQUOT || err == EFBIG) return {ExcelFile::kDiskFull, "disco pieno"};
    return {ExcelFile::kDeviceIo, "errore di scrittura sul disco"};
}

std::FILE* replaceFile(const std::string& fileName, fs::path& path, FileFailure& failure) {
    try {
        path = db::resolvePath(fileName);
    } catch (const db::EngineError& e) {
        failure = {ExcelFile::kPathFileAccess, e.what()};
        return nullptr;
    }
    if (path.empty()) {
        failure = {ExcelFile::kPathFileAccess, "nome del file mancante"};
        return nullptr;
    }
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(path, ec);
    if (fs::is_directory(status)) {
        failure = createFailure(EISDIR);
        return nullptr;
    }
    if (fs::exists(status) && !fs::remove(path, ec) && ec) {
        failure = createFailure(ec.value());
        return nullptr;
    }
    errno = 0;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) failure = createFailure(errno);
    return file;
}

}  // namespace tessaro7::exporting
