#pragma once
// Paths as the system builds them: ArchiveFolder + "\Tessaro7.mdb". A backslash
// is a separator, doubled separators collapse, and every name matches an
// existing file or folder whatever its letter case.
#include <filesystem>
#include <string>
#include <string_view>

namespace tessaro7::db {

// The path with its separators mended, each name replaced by the existing
// file or folder of that name whatever its case; names that match nothing stay
// as given (a file about to be written, or one the caller will find missing).
// A name that matches two or more entries of its folder differing only in
// case picks none of them: EngineError 3024 naming both, since the program
// spells the same file in different cases in different places.
std::filesystem::path resolvePath(std::string_view path);

// The entry of `dir` called `name` whatever its case, `dir / name` when there is
// none; more than one is EngineError 3024 naming `whole`, the path being resolved.
std::filesystem::path matchEntry(const std::filesystem::path& dir, const std::string& name, std::string_view whole);

// The path as shown to the user: resolved as above, with "/" separators. A
// name matching several entries is shown as built, separators mended.
std::string displayPath(std::string_view path);

// The displayed path with each overlong name shortened, for messages;
// quotePath puts it in single quotes.
std::string shownPath(std::string_view path);
std::string quotePath(std::string_view path);

// A file name typed or chosen by the user: resolved as above, and a relative
// name taken from `baseFolder` (itself a path built the archive's way).
std::filesystem::path resolveUserFile(std::string_view typed, std::string_view baseFolder);

}  // namespace tessaro7::db
