#include "db/PathResolver.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <system_error>

#include "db/Names.h"
#include <vector>

namespace tessaro7::db {

namespace fs = std::filesystem;

namespace {

std::vector<std::string> splitComponents(std::string_view path, bool& absolute) {
    std::string s(path);
    std::replace(s.begin(), s.end(), '\\', '/');
    absolute = !s.empty() && s.front() == '/';
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= s.size()) {
        std::size_t slash = s.find('/', start);
        if (slash == std::string::npos) slash = s.size();
        if (slash > start) parts.push_back(s.substr(start, slash - start));
        start = slash + 1;
    }
    return parts;
}

// The entry of `dir` called `name`: exactly if present, else the first whose
// name differs only in case.
fs::path matchEntry(const fs::path& dir, const std::string& name) {
    std::error_code ec;
    fs::path exact = dir / name;
    if (name == "." || name == ".." || fs::exists(exact, ec)) return exact;
    for (fs::directory_iterator it(dir.empty() ? fs::path(".") : dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::string entry = it->path().filename().string();
        if (sameName(entry, name)) return dir / entry;
    }
    return exact;
}

}  // namespace

fs::path resolvePath(std::string_view path) {
    bool absolute = false;
    std::vector<std::string> parts = splitComponents(path, absolute);
    fs::path current = absolute ? fs::path("/") : fs::path();
    for (const std::string& part : parts) current = matchEntry(current, part);
    return current;
}

}  // namespace tessaro7::db
