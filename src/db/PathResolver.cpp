#include "db/PathResolver.h"

#include <algorithm>
#include <system_error>
#include <vector>

#include "db/EngineError.h"
#include "db/FilledText.h"
#include "db/Messages.h"
#include "db/Names.h"
#include "db/QuotedText.h"

namespace tessaro7::db {

namespace fs = std::filesystem;

namespace {

std::string withSlashes(std::string_view path) {
    std::string s(path);
    std::replace(s.begin(), s.end(), '\\', '/');
    return s;
}

std::vector<std::string> splitComponents(std::string_view path, bool& absolute) {
    std::string s = withSlashes(path);
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

}  // namespace

fs::path matchEntry(const fs::path& dir, const std::string& name, std::string_view whole) {
    fs::path exact = dir / name;
    if (name == "." || name == "..") return exact;
    std::error_code ec;
    std::vector<std::string> found;
    for (fs::directory_iterator it(dir.empty() ? fs::path(".") : dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::string entry = it->path().filename().string();
        if (sameName(entry, name)) found.push_back(entry);
    }
    if (found.size() > 1) {
        std::sort(found.begin(), found.end());
        throw EngineError(engine_error::kFileNotFound,
                          filledText(msg::kNameMatchesTwoFiles, {{"nome", shortPath(withSlashes(whole))},
                                                                 {"primo", shortPath((dir / found[0]).string())},
                                                                 {"secondo", shortPath((dir / found[1]).string())}}));
    }
    // An entry the listing cannot see (an unreadable folder) may still exist by its exact name.
    return found.empty() ? exact : dir / found.front();
}

std::string shownPath(std::string_view path) { return shortPath(displayPath(path)); }

std::string quotePath(std::string_view path) { return "'" + shownPath(path) + "'"; }

fs::path resolvePath(std::string_view path) {
    bool absolute = false;
    std::vector<std::string> parts = splitComponents(path, absolute);
    fs::path current = absolute ? fs::path("/") : fs::path();
    for (const std::string& part : parts) current = matchEntry(current, part, path);
    return current;
}

std::string displayPath(std::string_view path) {
    try {
        return resolvePath(path).string();
    } catch (const EngineError&) {
        bool absolute = false;
        std::vector<std::string> parts = splitComponents(path, absolute);
        fs::path mended = absolute ? fs::path("/") : fs::path();
        for (const std::string& part : parts) mended /= part;
        return mended.string();
    }
}

fs::path resolveUserFile(std::string_view typed, std::string_view baseFolder) {
    std::string name = withSlashes(typed);
    if (name.empty() || name.front() == '/') return resolvePath(name);
    return resolvePath(std::string(baseFolder) + "/" + name);
}

}  // namespace tessaro7::db
