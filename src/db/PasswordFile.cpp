#include "db/PasswordFile.h"

#include "db/LibPq.h"
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>

namespace tessaro7::db {

namespace {

struct ConninfoFree {
    void operator()(PQconninfoOption* o) const noexcept { PQconninfoFree(o); }
};

std::string homeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return {};
}

}  // namespace

std::string passwordFilePath(const std::string& uri) {
    std::unique_ptr<PQconninfoOption, ConninfoFree> options(PQconninfoParse(uri.c_str(), nullptr));
    if (options)
        for (PQconninfoOption* o = options.get(); o->keyword; ++o)
            if (std::string_view(o->keyword) == "passfile" && o->val && *o->val) return o->val;
    if (const char* file = std::getenv("PGPASSFILE"); file && *file) return file;
    std::string home = homeFolder();
    return home.empty() ? std::string() : home + "/.pgpass";
}

std::optional<std::string> ignoredPasswordFile(const std::string& uri) {
    std::string path = passwordFilePath(uri);
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    if ((st.st_mode & (S_IRWXG | S_IRWXO)) == 0) return std::nullopt;
    return path;
}

}  // namespace tessaro7::db
