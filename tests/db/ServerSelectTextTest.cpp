// The record sources as the server reads them, translated without a server:
// names found case-blind and quoted where the server spells them with
// capitals, `like` as a case-blind comparison of the text form, literals untouched.
#include "db/ServerSelectText.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using tessaro7::db::serverQuoted;
using tessaro7::db::translateForServer;

// The server's catalog: its spelling of each name, found by its lower-case form.
std::string serverSpelling(std::string_view name) {
    static const std::map<std::string, std::string> catalog = {
        {"clienti", "clienti"}, {"nominativo", "nominativo"}, {"anno", "Anno"}, {"ragione sociale", "Ragione Sociale"}};
    std::string lower(name);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    auto it = catalog.find(lower);
    return it == catalog.end() ? std::string() : it->second;
}

TEST(ServerSelectTextTest, TranslatesEachFormOfTheProgramsSelections) {
    const struct {
        const char* source;
        const char* server;
    } cases[] = {
        {"select * from clienti order by [nominativo]", R"(select * from clienti order by "nominativo")"},
        {"select * from Clienti order by Nominativo", "select * from Clienti order by Nominativo"},
        {"select * from clienti order by anno", R"(select * from clienti order by "Anno")"},
        {"select * from clienti order by [ANNO]", R"(select * from clienti order by "Anno")"},
        {"select [ragione sociale] from clienti", R"(select "Ragione Sociale" from clienti)"},
        {"select `anno` from clienti", R"(select "Anno" from clienti)"},
        {"select [Campo X] from clienti", R"(select "Campo X" from clienti)"},
        {R"(select [a"b] from clienti)", R"(select "a""b" from clienti)"},
        {"select [aperta", R"(select "aperta")"},
        {"select * from clienti where [ANNO] like '2026'", R"(select * from clienti where "Anno"::text  ilike  '2026')"},
        {"select * from clienti where anno LIKE '20%'", R"(select * from clienti where "Anno"::text  ilike  '20%')"},
        {"select * from clienti where anno not like 'x%'",
         R"(select * from clienti where "Anno"::text  not  ilike  'x%')"},
        {"select * from clienti where nominativo = '[a] like ''b'' anno'",
         "select * from clienti where nominativo = '[a] like ''b'' anno'"},
        {"select * from clienti where likeness = 10", "select * from clienti where likeness = 10"},
        {"select * from clienti where anno=2025", R"(select * from clienti where "Anno"=2025)"},
        {"select * from clienti where città = 'x'", "select * from clienti where città = 'x'"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(translateForServer(c.source, serverSpelling), c.server) << c.source;
}

TEST(ServerSelectTextTest, QuotesANameDoublingItsQuotes) {
    const struct {
        const char* name;
        const char* quoted;
    } cases[] = {{"clienti", R"("clienti")"}, {"Anno", R"("Anno")"}, {R"(a"b)", R"("a""b")"}, {"", R"("")"},
                 {"ragione sociale", R"("ragione sociale")"}};
    for (const auto& c : cases) EXPECT_EQ(serverQuoted(c.name), c.quoted) << c.name;
}

}  // namespace
