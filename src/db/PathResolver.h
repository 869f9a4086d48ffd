#pragma once
// Paths as the system builds them: ArchiveFolder + "\Tessaro7.mdb". A backslash
// is a separator, doubled separators collapse, and every name matches an
// existing file or folder whatever its letter case.
#include <filesystem>
#include <string_view>

namespace tessaro7::db {

// The path with its separators mended, each name replaced by the existing
// file or folder of that name whatever its case; names that match nothing stay
// as given (a file about to be written, or one the caller will find missing).
std::filesystem::path resolvePath(std::string_view path);

}  // namespace tessaro7::db
