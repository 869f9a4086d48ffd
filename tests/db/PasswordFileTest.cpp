// The password file libpq would read, and whether it ignores it for its
// permissions (then the program names it instead of letting libpq warn on stderr).
#include "db/PasswordFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/TempDir.h"

namespace {

using namespace tessaro7::db;

TEST(PasswordFileTest, AFileOthersMayReadIsTheIgnoredOne) {
    tessaro7::testing::TempDir dir;
    dir.write("pgpass", "dbserver:5432:tessaro:mario:segreta\n");
    const std::string file = (dir / "pgpass").string();
    const std::string uri = "postgresql://mario@dbserver/tessaro?passfile=" + file;
    EXPECT_EQ(passwordFilePath(uri), file);
    const struct {
        mode_t mode;
        bool ignored;
    } cases[] = {{0600, false}, {0400, false}, {0644, true}, {0640, true}, {0604, true}, {0660, true}};
    for (const auto& c : cases) {
        ASSERT_EQ(::chmod(file.c_str(), c.mode), 0);
        EXPECT_EQ(ignoredPasswordFile(uri), c.ignored ? std::optional<std::string>(file) : std::nullopt)
            << std::oct << c.mode;
    }
    EXPECT_EQ(ignoredPasswordFile("postgresql://mario@dbserver/tessaro?passfile=" + file + ".manca"), std::nullopt);
}

}  // namespace
