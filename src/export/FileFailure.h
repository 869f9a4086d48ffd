#pragma once
// File-system failures of the export files as the writer's error numbers and
// Italian reasons, and the one way an export file replaces an older one.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

namespace tessaro7::exporting {

struct FileFailure {
    std::int16_t number;  // ExcelFile's error numbers
    const char* reason;   // "cartella inesistente", "accesso negato", ...
};

// Creating, replacing or removing a file failed with `err` (an errno value).
FileFailure createFailure(int err);
// Writing or closing a file failed with `err`.
FileFailure writeFailure(int err);

// Deletes an existing file named `fileName` (backslash separators, any letter
// case for existing names) and creates it anew, open for writing; nullptr with
// `failure` set when either step fails. Deleted rather than truncated, so no
// byte of the old file survives even if the create fails. `path` receives the
// resolved path.
std::FILE* replaceFile(const std::string& fileName, std::filesystem::path& path, FileFailure& failure);

}  // namespace tessaro7::exporting
