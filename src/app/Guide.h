#pragma once
// The user guide: its pages, one per task, and where its folder is. The
// installed guide lies beside the program (PREFIX/bin/tessaro7-io and
// PREFIX/share/doc/tessaro7/guida); a build folder holds a link "guida" to
// the repository's copy.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tessaro7::app::guide {

// The page each window opens with F1; a page may name a section after '#'.
inline constexpr const char* kStartPage = "index.html";
inline constexpr const char* kExportPage = "esportare.html";
inline constexpr const char* kImportExcelPage = "importare-foglio.html";
inline constexpr const char* kImportTextPage = "importare-testo.html";
inline constexpr const char* kTextPreviewPage = "importare-testo.html#anteprima";
inline constexpr const char* kNoticePage = "importazione-non-riuscita.html";

// The folders looked in, in order: the installed guide, then the build folder's.
std::vector<std::filesystem::path> guideFolders(const std::filesystem::path& programFolder);

// The first of guideFolders() that holds the guide's start page.
std::optional<std::filesystem::path> findGuide(const std::filesystem::path& programFolder);

// A page of the guide in `folder`: its file, and the section it names (empty for none).
struct PageLocation {
    std::filesystem::path file;
    std::string section;
};
PageLocation pageIn(const std::filesystem::path& folder, const std::string& page);

}  // namespace tessaro7::app::guide
