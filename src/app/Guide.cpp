#include "app/Guide.h"

namespace tessaro7::app::guide {

std::vector<std::filesystem::path> guideFolders(const std::filesystem::path& programFolder) {
    return {(programFolder / ".." / "share" / "doc" / "tessaro7" / "guida").lexically_normal(),
            programFolder / "guida"};
}

std::optional<std::filesystem::path> findGuide(const std::filesystem::path& programFolder) {
    for (const std::filesystem::path& folder : guideFolders(programFolder)) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(folder / kStartPage, ec)) return folder;
    }
    return std::nullopt;
}

PageLocation pageIn(const std::filesystem::path& folder, const std::string& page) {
    std::size_t hash = page.find('#');
    if (hash == std::string::npos) return {folder / page, {}};
    return {folder / page.substr(0, hash), page.substr(hash + 1)};
}

}  // namespace tessaro7::app::guide
