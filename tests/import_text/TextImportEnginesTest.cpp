// The three text imports store the same rows with the business database in
// the file and on a server, and two imports into one table from two processes
// at once both succeed, nothing lost or doubled.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>

#include "import_text/TextArchive.h"
#include "import_text/TextImport.h"

namespace {

using namespace tessaro7::import_text;
using namespace tessaro7::testing;
using Rows = std::vector<std::vector<std::string>>;

class TextImportEnginesTest : public ::testing::TestWithParam<Engine> {
protected:
    void SetUp() override { TESSARO7_SKIP_WITHOUT_SERVER(GetParam()); }
    TextArchive a{GetParam()};

    // The rows appended after the first `before`.
    Rows added(const std::string& table, const std::vector<std::string>& fields, std::size_t before) const {
        Rows all = a.rows(table, fields);
        return Rows(all.begin() + static_cast<long>(std::min(before, all.size())), all.end());
    }
};

TEST_P(TextImportEnginesTest, TheThreeImportsStoreTheSameRows) {
    const std::size_t customers = a.rows("clienti", {"nominativo"}).size();
    const std::size_t suppliers = a.rows("fornitori", {"nominativo"}).size();
    const std::size_t articles = a.rows("articoli", {"codice"}).size();
    a.assign(TextTable::Clienti, 1, 1, 20);
    a.assign(TextTable::Clienti, 5, 21, 2);
    a.assign(TextTable::Fornitori, 1, 1, 20);
    a.assign(TextTable::Articoli, 1, 1, 6);
    a.assign(TextTable::Articoli, 4, 7, 6);  // costoeuro

    TextImportOutcome c = ImportCustomersFromText(
        a.archive, a.file("c.txt", padded("\xC0lfa Nuova", 20) + "MI\r\n" + padded("  Bianchi 'due'", 20) + "\r\n"));
    ASSERT_TRUE(c.completed) << c.message;
    EXPECT_EQ(added("clienti", {"nominativo", "pr", "Valuta", "listino", "DescListino", "www"}, customers),
              (Rows{{"Àlfa Nuova", "MI", "EURO", "A00", "Listino in percentuale 100%", "<null>"},
                    {"  Bianchi 'due'", "", "EURO", "A00", "Listino in percentuale 100%", "<null>"}}));

    TextImportOutcome s = ImportSuppliersFromText(a.archive, a.file("f.txt", "Fornitore Uno\r\n"));
    ASSERT_TRUE(s.completed) << s.message;
    EXPECT_EQ(added("fornitori", {"nominativo", "Valuta"}, suppliers), (Rows{{"Fornitore Uno", "EURO"}}));

    TextImportOutcome r = ImportArticlesFromText(
        a.archive, a.file("a.txt", "ZZ0001  12,5\r\nZZ0002  1.25\r\nZZ0001     7\r\nZZ0003\r\n" /* a short line: no cost, Null */));
    ASSERT_TRUE(r.completed) << r.message;
    EXPECT_EQ(r.added, 3);
    EXPECT_EQ(r.duplicates, 1);
    EXPECT_EQ(added("articoli", {"codice", "costoeuro", "iva", "Fisso1IE"}, articles),
              (Rows{{"ZZ0001", "12,5", "0", "0"}, {"ZZ0002", "1,25", "0", "0"}, {"ZZ0003", "<null>", "0", "0"}}));
}

// Blank lines are left out before anything is written: a line the database
// refuses is still named by its line of the file.
TEST_P(TextImportEnginesTest, ARefusedLineAfterBlankLinesIsNamedByItsLine) {
    a.assign(TextTable::Clienti, 1, 1, 20);
    if (GetParam() == Engine::Server)
        ServerSession(a.archive.DatabasePath).exec("alter table clienti add constraint no_rifiuto check (nominativo <> 'Rifiuto')");
    else
        TextArchive::exec(a.businessDb(), "create trigger no_rifiuto before insert on clienti when new.nominativo = 'Rifiuto' "
                                          "begin select raise(abort, 'rifiutato'); end;");
    const struct {
        const char* name;
        std::vector<std::string> lines;
        int line;
    } cases[] = {
        {"uno.txt", {"Uno", "", "Due", "Rifiuto", "Tre"}, 4},
        {"due.txt", {"Rifiuto", "", "Quattro"}, 1},
        {"tre.txt", {"", "", "", "Rifiuto"}, 4},
    };
    for (const auto& c : cases) {
        std::string text;
        for (const std::string& line : c.lines) text += padded(line, 20) + "\r\n";
        TextImportOutcome o = ImportCustomersFromText(a.archive, a.file(c.name, text));
        EXPECT_FALSE(o.completed);
        EXPECT_NE(o.message.find("Importazione interrotta alla riga " + std::to_string(c.line) + " del file"),
                  std::string::npos)
            << c.name << ": " << o.message;
    }
}

// Lines are written as they are read: a value refused far into the file
// undoes the rows written before it, on either engine, and the table takes
// the next import at once.
TEST_P(TextImportEnginesTest, AValueRefusedAfterManyLinesLeavesNothingOfTheRun) {
    const std::size_t before = a.rows("articoli", {"codice"}).size();
    a.assign(TextTable::Articoli, 1, 1, 6);
    a.assign(TextTable::Articoli, 3, 7, 3);  // iva
    std::string text;
    for (int i = 0; i < 3000; ++i) text += "R" + std::to_string(10000 + i) + " 22\r\n";
    text += "RX0001 x1\r\nR99999 10\r\n";
    TextImportOutcome refused = ImportArticlesFromText(a.archive, a.file("r.txt", text));
    EXPECT_FALSE(refused.completed);
    EXPECT_EQ(refused.added, 0);
    EXPECT_NE(refused.message.find("Riga 3001, campo iva: 'x1' non è un numero."), std::string::npos) << refused.message;
    EXPECT_EQ(a.rows("articoli", {"codice"}).size(), before);

    TextImportOutcome next = ImportArticlesFromText(a.archive, a.file("s.txt", "S00001 22\r\n"));
    ASSERT_TRUE(next.completed) << next.message;
    EXPECT_EQ(added("articoli", {"codice", "iva"}, before), (Rows{{"S00001", "22"}}));
}

TEST_P(TextImportEnginesTest, TwoImportsIntoOneTableFromTwoProcessesAtOnceBothSucceed) {
    const std::size_t before = a.rows("clienti", {"nominativo"}).size();
    a.assign(TextTable::Clienti, 1, 1, 12);
    std::string first, second;
    for (int i = 0; i < 3000; ++i) {
        first += padded("uno " + std::to_string(i), 12) + "\r\n";
        second += padded("due " + std::to_string(i), 12) + "\r\n";
    }
    a.file("uno.txt", first);
    a.file("due.txt", second);
    // Two workstations: two batch programs started together on the same archive.
    const std::string batch = "'" TESSARO7_BATCH_EXE "' import-text clienti ";
    a.file("both.sh", "cd '" + a.folder() + "'\n(" + batch + "uno.txt >uno.out 2>&1; echo $? >uno.rc) &\n(" + batch +
                          "due.txt >due.out 2>&1; echo $? >due.rc) &\nwait\n");
    ASSERT_EQ(std::system(("bash '" + a.folder() + "/both.sh'").c_str()), 0);
    auto text = [&](const std::string& name) {
        std::ifstream in(a.folder() + "/" + name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    for (std::string run : {"uno", "due"}) EXPECT_EQ(text(run + ".rc"), "0\n") << text(run + ".out");
    Rows names = added("clienti", {"nominativo"}, before);
    std::set<std::string> distinct;
    for (const auto& row : names) distinct.insert(row[0]);
    EXPECT_EQ(names.size(), 6000u);
    EXPECT_EQ(distinct.size(), 6000u);
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(Engines, TextImportEnginesTest, TESSARO7_ENGINES);
