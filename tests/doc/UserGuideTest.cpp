// The user guide in doc/guida: its pictures exist, every window's title and
// every batch command is in it, and every page F1 opens is there.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>

#include "app/Guide.h"
#include "app/Messages.h"
#include "batch/BatchCommand.h"

namespace {

namespace fs = std::filesystem;
using namespace tessaro7;

const fs::path kGuide = TESSARO7_GUIDE;

std::string read(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<fs::path> pages() {
    std::vector<fs::path> out;
    for (const auto& entry : fs::directory_iterator(kGuide))
        if (entry.path().extension() == ".html") out.push_back(entry.path());
    return out;
}

std::string wholeGuide() {
    std::string all;
    for (const fs::path& page : pages()) all += read(page);
    return all;
}

// The values of one attribute (src, href) in a page.
std::vector<std::string> attributes(const std::string& html, const std::string& name) {
    std::regex pattern(name + "=\"([^\"]*)\"");
    std::vector<std::string> out;
    for (std::sregex_iterator it(html.begin(), html.end(), pattern), end; it != end; ++it) out.push_back((*it)[1]);
    return out;
}

TEST(UserGuide, EveryPictureAndLinkedPageExistsAndEveryPictureIsShown) {
    ASSERT_GE(pages().size(), 8u);
    std::set<std::string> shown;
    for (const fs::path& page : pages()) {
        std::string html = read(page);
        for (const std::string& src : attributes(html, "src")) {
            EXPECT_TRUE(fs::is_regular_file(kGuide / src)) << page.filename() << ": " << src;
            shown.insert(src);
        }
        for (const std::string& href : attributes(html, "href")) {
            if (href.find("://") != std::string::npos || href.rfind("mailto:", 0) == 0) continue;
            std::string file = href.substr(0, href.find('#'));
            if (file.empty()) continue;
            EXPECT_TRUE(fs::is_regular_file(kGuide / file)) << page.filename() << ": " << href;
        }
    }
    for (const auto& entry : fs::directory_iterator(kGuide / "immagini"))
        EXPECT_TRUE(shown.count("immagini/" + entry.path().filename().string())) << entry.path().filename();
}

TEST(UserGuide, EveryWindowsTitleIsInTheGuide) {
    std::string all = wholeGuide();
    for (const char* title : {app::msg::kMainCaption, app::msg::kExportCaption, app::msg::kImportExcelCaption,
                              app::msg::kImportTextCaption, app::msg::kTextPreviewCaption, app::msg::kNoticeHeading})
        EXPECT_NE(all.find(title), std::string::npos) << title;
}

TEST(UserGuide, EveryBatchCommandIsInTheCommandLinePage) {
    std::string html = read(kGuide / "riga-di-comando.html");
    for (const auto& list : {batch::foundationCommands(), batch::exportCommands(), batch::textImportCommands(),
                             batch::excelImportCommands()})
        for (const batch::Command& command : list)
            EXPECT_NE(html.find("<code>tessaro7-batch " + command.name), std::string::npos) << command.name;
}

TEST(UserGuide, EveryPageF1OpensIsThereWithItsSection) {
    for (const char* page : {app::guide::kStartPage, app::guide::kExportPage, app::guide::kImportExcelPage,
                             app::guide::kImportTextPage, app::guide::kTextPreviewPage, app::guide::kNoticePage}) {
        app::guide::PageLocation location = app::guide::pageIn(kGuide, page);
        ASSERT_TRUE(fs::is_regular_file(location.file)) << page;
        if (location.section.empty()) continue;
        EXPECT_NE(read(location.file).find("id=\"" + location.section + "\""), std::string::npos) << page;
    }
}

}  // namespace
