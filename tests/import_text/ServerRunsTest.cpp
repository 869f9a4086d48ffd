// Imports on the server as workstations run them: two imports of the same
// article codes at once, in opposite orders, both succeed with no code
// doubled; a connection killed in the middle leaves nothing of the run and
// says so, naming the server and never its URI; a failing line is still named
// although its answer comes after later lines were sent.
#include <gtest/gtest.h>

#include <thread>

#include "app/Messages.h"
#include "import_text/TextArchive.h"
#include "import_text/TextImport.h"

namespace {

using namespace tessaro7::import_text;
using namespace tessaro7::testing;

std::string articleLines(int first, int last, int step) {
    std::string text;
    for (int n = first; n != last + step; n += step) text += "K" + std::to_string(10000 + n) + "\r\n";
    return text;
}

long serverCount(const TextArchive& a, const std::string& sql) {
    return std::stol(ServerSession(a.archive.DatabasePath).exec(sql));
}

TEST(ServerRunsTest, TwoImportsOfTheSameArticlesAtOnceBothSucceed) {
    TESSARO7_SKIP_WITHOUT_SERVER(Engine::Server);
    TextArchive a(Engine::Server);
    a.assign(TextTable::Articoli, 1, 1, 6);
    const long before = serverCount(a, "select count(*) from articoli");
    const std::string up = a.file("su.txt", articleLines(1, 3000, 1));
    const std::string down = a.file("giu.txt", articleLines(3000, 1, -1));
    TextImportOutcome first, second;
    std::thread one([&] { first = ImportArticlesFromText(a.archive, up); });
    std::thread other([&] { second = ImportArticlesFromText(a.archive, down); });
    one.join();
    other.join();
    ASSERT_TRUE(first.completed) << first.message;
    ASSERT_TRUE(second.completed) << second.message;
    EXPECT_EQ(first.added + second.added, 3000);
    EXPECT_EQ(first.duplicates + second.duplicates, 3000);
    EXPECT_EQ(serverCount(a, "select count(*) from articoli"), before + 3000);
    EXPECT_EQ(serverCount(a, "select count(*) from articoli where codice like 'K1%'"), 3000);
}

TEST(ServerRunsTest, AConnectionKilledMidImportKeepsNothingAndSaysSo) {
    TESSARO7_SKIP_WITHOUT_SERVER(Engine::Server);
    TextArchive a(Engine::Server);
    a.assign(TextTable::Clienti, 1, 1, 20);
    const long before = serverCount(a, "select count(*) from clienti");
    std::string lines;
    for (int n = 1; n <= 6000; ++n) lines += padded("Ucciso " + std::to_string(n), 20) + "\r\n";
    const std::string file = a.file("c.txt", lines);
    ServerSession other(a.archive.DatabasePath);
    ::testing::internal::CaptureStderr();
    TextImportOutcome o = ImportCustomersFromText(a.archive, file, [&](long done, long) {
        if (done == 2000)
            other.exec("select count(pg_terminate_backend(pid, 10000)) from pg_stat_activity "
                       "where datname = current_database() and application_name = 'tessaro7'");
    });
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");  // the server's own text stays out
    EXPECT_FALSE(o.completed);
    EXPECT_NE(o.message.find(tessaro7::app::msg::kNoneKept), std::string::npos) << o.message;
    EXPECT_NE(o.message.find("Record aggiunti alla tabella Clienti: 0."), std::string::npos) << o.message;
    EXPECT_EQ(o.message.find("postgresql://"), std::string::npos) << o.message;
    EXPECT_EQ(serverCount(a, "select count(*) from clienti"), before);
    EXPECT_EQ(serverCount(a, "select count(*) from clienti where nominativo like 'Ucciso%'"), 0);
}

TEST(ServerRunsTest, AFailingLineIsNamedAlthoughLaterLinesWereAlreadySent) {
    TESSARO7_SKIP_WITHOUT_SERVER(Engine::Server);
    TextArchive a(Engine::Server);
    a.assign(TextTable::Clienti, 1, 1, 20);
    // The server refuses one name; the lines after it are on their way by then.
    ServerSession(a.archive.DatabasePath).exec("alter table clienti add constraint no_rifiuto check (nominativo <> 'Rifiuto')");
    std::string lines;
    for (int n = 1; n <= 1500; ++n) lines += padded(n == 777 ? "Rifiuto" : "Cliente " + std::to_string(n), 20) + "\r\n";
    const long before = serverCount(a, "select count(*) from clienti");
    ::testing::internal::CaptureStderr();
    TextImportOutcome o = ImportCustomersFromText(a.archive, a.file("c.txt", lines));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");  // no warning of a second rollback
    EXPECT_FALSE(o.completed);
    EXPECT_NE(o.message.find("Importazione interrotta alla riga 777 del file"), std::string::npos) << o.message;
    EXPECT_NE(o.message.find(tessaro7::app::msg::kNoneKept), std::string::npos) << o.message;
    EXPECT_EQ(serverCount(a, "select count(*) from clienti"), before);
}

}  // namespace
