#include "export/FileFailure.h"

#include <cerrno>
#include <system_error>

#include "app/Messages.h"
#include "db/EngineError.h"
#include "db/PathResolver.h"
#include "export/ExcelFile.h"

namespace tessaro7::exporting {

namespace fs = std::filesystem;
namespace msg = app::msg;

FileFailure createFailure(int err) {
    switch (err) {
    case ENOENT:
    case ENOTDIR: return {ExcelFile::kPathNotFound, msg::kWriteNoFolder};
    case EACCES:
    case EPERM: return {ExcelFile::kPermissionDenied, msg::kWriteAccessDenied};
    case EROFS: return {ExcelFile::kPermissionDenied, msg::kWriteReadOnlyDisk};
    case EBUSY:
    case ETXTBSY: return {ExcelFile::kPermissionDenied, msg::kWriteFileBusy};
    case EISDIR: return {ExcelFile::kPathFileAccess, msg::kWriteNameIsFolder};
    case ENAMETOOLONG: return {ExcelFile::kPathFileAccess, msg::kWriteNameTooLong};
    case ENOSPC:
    case EDQUOT: return {ExcelFile::kDiskFull, msg::kWriteDiskFull};
    case EMFILE:
    case ENFILE: return {ExcelFile::kTooManyFiles, msg::kWriteTooManyFiles};
    default: return {ExcelFile::kPathFileAccess, msg::kWritePathError};
    }
}

FileFailure writeFailure(int err) {
    if (err == ENOSPC || err == EDQUOT || err == EFBIG) return {ExcelFile::kDiskFull, msg::kWriteDiskFull};
    return {ExcelFile::kDeviceIo, msg::kWriteDiskError};
}

std::FILE* replaceFile(const std::string& fileName, fs::path& path, FileFailure& failure) {
    try {
        path = db::resolvePath(fileName);
    } catch (const db::EngineError& e) {
        failure = {ExcelFile::kPathFileAccess, e.what()};
        return nullptr;
    }
    if (path.empty()) {
        failure = {ExcelFile::kPathFileAccess, msg::kWriteNoName};
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
