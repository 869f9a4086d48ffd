// The text import with the register: blank lines left out and counted, the
// same file refused the second time, records already present skipped, and
// the run undone leaving the demo's rows exactly as they were.
#include <gtest/gtest.h>

#include <sstream>

#include "app/Messages.h"
#include "batch/BatchRunner.h"
#include "import_text/TextArchive.h"

namespace {

using tessaro7::import_text::TextTable;
using tessaro7::testing::padded;
using tessaro7::testing::TextArchive;
namespace msg = tessaro7::app::msg;

class TextImportRegisterTest : public ::testing::Test {
protected:
    TextArchive a;
    std::string out, err;

    void SetUp() override {
        a.assign(TextTable::Clienti, 1, 1, 20);   // nominativo
        a.assign(TextTable::Clienti, 6, 21, 20);  // citta
        a.assign(TextTable::Clienti, 9, 41, 11);  // piva
    }
    int run(const std::vector<std::string>& args) {
        std::ostringstream o, e;
        int rc = tessaro7::batch::runBatch(args, o, e, a.folder());
        out = o.str();
        err = e.str();
        return rc;
    }
    static std::string line(const std::string& name, const std::string& town, const std::string& piva) {
        return padded(name, 20) + padded(town, 20) + padded(piva, 11) + "\r\n";
    }
    // Every byte of every customer, with its rowid.
    std::vector<std::vector<std::string>> customers() const {
        return a.business("select rowid, quote(nominativo), quote(citta), quote(piva), hex(cast(nominativo as blob)), "
                          "quote(seconda_riga), quote(listino), quote(www) from clienti order by rowid");
    }
};

TEST_F(TextImportRegisterTest, BlankLinesAreCountedAndTheRunUndoneByteForByte) {
    const auto before = customers();
    a.file("nuovi.txt", line("Zeta Srl", "Pavia", "11111111111") + "\r\n" + std::string(60, ' ') + "\r\n" +
                            line("Omega", "Lecco", ""));
    ASSERT_EQ(run({"import-text", "clienti", "nuovi.txt"}), 0) << err;
    EXPECT_NE(out.find(std::string(msg::kTextAdded) + "2"), std::string::npos) << out;
    EXPECT_NE(out.find(std::string(msg::kBlankRowsNotImported) + "2"), std::string::npos) << out;
    EXPECT_EQ(customers().size(), before.size() + 2);

    EXPECT_EQ(run({"import-text", "clienti", "nuovi.txt"}), 1);
    EXPECT_NE(err.find("Questo file è già stato importato nella tabella Clienti il "), std::string::npos) << err;
    EXPECT_NE(err.find("--again"), std::string::npos) << err;

    ASSERT_EQ(run({"undo-import", "clienti"}), 0) << err;
    EXPECT_EQ(customers(), before);
}

TEST_F(TextImportRegisterTest, OnlyBlankLinesAddNothing) {
    const auto before = customers();
    a.file("vuoto.txt", "\r\n   \r\n\r\n");
    ASSERT_EQ(run({"import-text", "clienti", "vuoto.txt"}), 0) << err;
    EXPECT_NE(out.find(msg::kNothingToAdd), std::string::npos) << out;
    EXPECT_NE(out.find(std::string(msg::kBlankRowsNotImported) + "3"), std::string::npos) << out;
    EXPECT_EQ(customers(), before);
    ASSERT_EQ(run({"import-log"}), 0);
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
}

TEST_F(TextImportRegisterTest, SkipExistingTakesOnlyTheNewLines) {
    // The demo holds "Àlfa Ricambi" in Milano with partita IVA 26018159083.
    a.file("misti.txt", line("Altro nome", "Altrove", "26018159083") + line("ALFA RICAMBI", "milano", "") +
                            line("Nuovo Cliente", "Asti", "") + line("Altro Nuovo", "Asti", "55555555555"));
    const auto before = customers();
    ASSERT_EQ(run({"import-text", "clienti", "misti.txt", "--skip-existing"}), 0) << err;
    EXPECT_NE(out.find(std::string(msg::kExistingSkipped) + "2"), std::string::npos) << out;
    EXPECT_EQ(customers().size(), before.size() + 2);
}

TEST_F(TextImportRegisterTest, UndoRefusedAfterAnImportedRecordWasDeleted) {
    a.file("due.txt", line("Primo", "Asti", "") + line("Secondo", "Asti", ""));
    ASSERT_EQ(run({"import-text", "clienti", "due.txt"}), 0) << err;
    TextArchive::exec(a.businessDb(), "delete from clienti where nominativo = 'Secondo'");
    const auto after = customers();
    EXPECT_EQ(run({"undo-import", "clienti"}), 1);
    EXPECT_EQ(err, "1 record sono stati modificati o eliminati dopo l'importazione: annullamento non eseguito.\n");
    EXPECT_EQ(customers(), after);
}

}  // namespace
