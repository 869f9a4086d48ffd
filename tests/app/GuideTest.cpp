#include "app/Guide.h"

#include <gtest/gtest.h>

#include "support/TempDir.h"

using namespace tessaro7::app::guide;
using tessaro7::testing::TempDir;
namespace fs = std::filesystem;

TEST(Guide, TheInstalledGuideComesBeforeTheBuildFoldersLink) {
    EXPECT_EQ(guideFolders("/usr/bin"), (std::vector<fs::path>{"/usr/share/doc/tessaro7/guida", "/usr/bin/guida"}));
    EXPECT_EQ(guideFolders("/opt/t7/bin/"),
              (std::vector<fs::path>{"/opt/t7/share/doc/tessaro7/guida", "/opt/t7/bin/guida"}));
}

TEST(Guide, TheFirstFolderHoldingTheStartPageIsTheGuide) {
    struct Case {
        std::vector<std::string> startPages;  // relative to the prefix
        std::string expected;                 // relative to the prefix; empty: none
    } cases[] = {
        {{"share/doc/tessaro7/guida/index.html", "bin/guida/index.html"}, "share/doc/tessaro7/guida"},
        {{"bin/guida/index.html"}, "bin/guida"},
        {{"share/doc/tessaro7/guida/altro.html"}, ""},
        {{}, ""},
    };
    for (const Case& c : cases) {
        TempDir prefix;
        fs::create_directories(prefix / "bin");
        for (const std::string& page : c.startPages) {
            fs::create_directories((prefix / page).parent_path());
            prefix.write(page, "<html></html>");
        }
        std::optional<fs::path> found = findGuide(prefix / "bin");
        if (c.expected.empty()) {
            EXPECT_FALSE(found.has_value()) << found->string();
        } else {
            ASSERT_TRUE(found.has_value()) << c.expected;
            EXPECT_TRUE(fs::equivalent(*found, prefix / c.expected)) << found->string();
        }
    }
}

TEST(Guide, APageMayNameASection) {
    struct Case {
        const char* page;
        const char* file;
        const char* section;
    } cases[] = {{"esportare.html", "/g/esportare.html", ""},
                 {"importare-testo.html#anteprima", "/g/importare-testo.html", "anteprima"},
                 {"index.html#", "/g/index.html", ""}};
    for (const Case& c : cases) {
        PageLocation location = pageIn("/g", c.page);
        EXPECT_EQ(location.file, fs::path(c.file)) << c.page;
        EXPECT_EQ(location.section, c.section) << c.page;
    }
}
