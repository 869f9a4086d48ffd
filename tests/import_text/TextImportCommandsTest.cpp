// tessaro7-batch text-mapping, preview-text and import-text.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "batch/BatchRunner.h"
#include "import_text/TextArchive.h"

namespace {

using tessaro7::import_text::TextTable;
using tessaro7::testing::padded;
using tessaro7::testing::TextArchive;

class TextImportCommandsTest : public ::testing::Test {
protected:
    TextArchive a;
    std::ostringstream out, err;
    TextImportCommandsTest() { std::ofstream(a.folder() + "/TS7Rete.dat") << a.folder() << "\r\n"; }
    int run(const std::vector<std::string>& args) {
        out.str("");
        err.str("");
        return tessaro7::batch::runBatch(args, out, err, a.folder());
    }
    std::vector<std::string> row(const std::string& table, int n) {
        return a.mapping("select colonna, Qta, utilizzato from " + table + " where rowid=" + std::to_string(n))[0];
    }
};

TEST_F(TextImportCommandsTest, ShowListsTheRowsFromOne) {
    a.assign(TextTable::Fornitori, 2, 81, 40);
    ASSERT_EQ(run({"text-mapping", "fornitori", "show"}), 0) << err.str();
    std::string text = out.str();
    EXPECT_EQ(text.substr(0, text.find('\n')), "Riga\tCampo della tabella\tColonna\tQtà chrs\tAssegnato");
    EXPECT_NE(text.find("\n1\tRagione sociale\t0\t0\tNo\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\n2\tSeconda riga ragione sociale\t81\t40\tSì\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\n18\tSito web\t"), std::string::npos);
}

TEST_F(TextImportCommandsTest, AssignAndItsRefusal) {
    ASSERT_EQ(run({"text-mapping", "clienti", "assign", "3", "12", "30"}), 0) << err.str();
    EXPECT_EQ(row("clientiBIS", 3), (std::vector<std::string>{"12", "30", "1"}));
    EXPECT_EQ(run({"text-mapping", "clienti", "assign", "4", "0", "30"}), 1);
    EXPECT_NE(err.str().find("Assegnazione rifiutata"), std::string::npos);
    EXPECT_EQ(run({"text-mapping", "clienti", "assign", "4", "999999999999999999999999999999", "5"}), 1);
    EXPECT_EQ(err.str(), "Riga 4 di clientiBIS (campo cap, 'CAP'): colonna di inizio "
                         "'999999999999999999999999999999' non valida, deve essere tra 1 e 32767.\n");
    EXPECT_EQ(row("clientiBIS", 4), (std::vector<std::string>{"0", "0", "0"}));
}

TEST_F(TextImportCommandsTest, UnassignKeepsTheRowsWidthUnlessGiven) {
    run({"text-mapping", "articoli", "assign", "2", "5", "40"});
    ASSERT_EQ(run({"text-mapping", "articoli", "unassign", "2"}), 0);
    EXPECT_EQ(row("articoliBIS", 2), (std::vector<std::string>{"0", "40", "0"}));
    ASSERT_EQ(run({"text-mapping", "articoli", "unassign", "2", "9"}), 0);
    EXPECT_EQ(row("articoliBIS", 2), (std::vector<std::string>{"0", "9", "0"}));
}

TEST_F(TextImportCommandsTest, ClearWithAndWithoutWidth) {
    run({"text-mapping", "clienti", "assign", "1", "1", "30"});
    ASSERT_EQ(run({"text-mapping", "clienti", "clear"}), 0);
    EXPECT_EQ(row("clientiBIS", 1), (std::vector<std::string>{"0", "30", "0"}));
    ASSERT_EQ(run({"text-mapping", "clienti", "clear", "5"}), 0);
    EXPECT_EQ(a.mapping("select count(*) from clientiBIS where Qta=5 and colonna=0 and utilizzato=0")[0][0], "18");
}

TEST_F(TextImportCommandsTest, UsageErrors) {
    EXPECT_EQ(run({"text-mapping", "agenti", "show"}), 2);
    EXPECT_NE(err.str().find("Tabella sconosciuta: 'agenti'"), std::string::npos);
    EXPECT_EQ(run({"text-mapping", "clienti", "assign", "19", "1", "1"}), 2);
    EXPECT_NE(err.str().find("La riga 19 non esiste"), std::string::npos) << err.str();
    EXPECT_EQ(run({"text-mapping", "clienti", "assign", "0", "1", "1"}), 2);
    EXPECT_EQ(run({"text-mapping", "clienti", "assign", "1", "1a", "1"}), 2);
    EXPECT_EQ(run({"text-mapping", "clienti", "drop"}), 2);
    EXPECT_EQ(run({"import-text", "clienti"}), 2);
}

TEST_F(TextImportCommandsTest, PreviewPrintsEachShownRowAndWhatTheImportWouldRefuse) {
    a.assign(TextTable::Articoli, 1, 1, 4);
    a.assign(TextTable::Articoli, 3, 5, 2);
    a.assign(TextTable::Articoli, 5, 7, 4);
    a.assign(TextTable::Articoli, 2, 11, 6);
    a.file("art.txt", "A10022 100Città resto\r\n");
    ASSERT_EQ(run({"preview-text", "articoli", "art.txt"}), 0) << err.str();
    EXPECT_EQ(out.str(),
              "Codice: A100\nDescrizione: Città\n% IVA: 22\nCosto EURO: 0\n"
              "Sottoscorta: 100 <- ha più di 2 caratteri: il numero sarebbe troncato\n"
              "Giacenza MIN: 0\nGiacenza MAX: 0\nEsistenza: 0\nCodice a Barre: \nUbicazione: \n");
    EXPECT_EQ(err.str(), "Codifica: UTF-8\n");
}

TEST_F(TextImportCommandsTest, ImportPrintsTheFinalMessage) {
    a.assign(TextTable::Clienti, 1, 1, 30);
    long before = a.count("clienti");
    a.file("CLIENTI.TXT", padded("NUOVO CLIENTE", 30) + "\r\n" + padded("ALTRO", 30) + "\r\n");
    ASSERT_EQ(run({"import-text", "clienti", "CLIENTI.TXT"}), 0) << err.str();
    EXPECT_EQ(out.str(), "Procedura terminata!\nRecord aggiunti: 2\nRighe oltre la 25000ª non lette: 0\nCodifica: Windows-1252\n");
    EXPECT_EQ(err.str(), "Codifica: Windows-1252\n");
    EXPECT_EQ(a.count("clienti"), before + 2);
}

TEST_F(TextImportCommandsTest, ImportRefusalsExitOne) {
    EXPECT_EQ(run({"import-text", "clienti", "clienti.csv"}), 1);
    EXPECT_EQ(err.str(), "Selezionare un file di testo!\n");
    EXPECT_EQ(run({"import-text", "clienti", "manca.txt"}), 1);
    EXPECT_NE(err.str().find("il file non esiste"), std::string::npos);
    a.assign(TextTable::Articoli, 4, 1, 3);
    a.file("bad.txt", "abc\r\n");
    EXPECT_EQ(run({"import-text", "articoli", "bad.txt"}), 1);
    EXPECT_NE(err.str().find("Riga 1, campo costoeuro: 'abc' non è un numero."), std::string::npos) << err.str();
}

TEST_F(TextImportCommandsTest, NoNetworkFileIsRefused) {
    std::filesystem::remove(a.folder() + "/TS7Rete.dat");
    EXPECT_EQ(run({"import-text", "clienti", "x.txt"}), 1);
    EXPECT_NE(err.str().find("E' necessario impostare Percorso degli Archivi !"), std::string::npos);
}

}  // namespace

namespace {

// A file name written the archive's way (backslashes, another letter case)
// is found from the current folder, in both imports.
TEST_F(TextImportCommandsTest, FileNamesAreResolvedLikeTheArchivesPaths) {
    a.assign(TextTable::Articoli, 1, 1, 4);
    std::filesystem::create_directories(a.folder() + "/Testi");
    std::ofstream(a.folder() + "/Testi/Art.txt") << "A100 resto\r\n";
    ASSERT_EQ(run({"preview-text", "articoli", "testi\\ART.txt"}), 0) << err.str();
    EXPECT_EQ(out.str().substr(0, 13), "Codice: A100\n");
    std::string upper = a.folder();
    for (std::size_t slash = upper.rfind('/') + 1; slash < upper.size(); ++slash) upper[slash] = static_cast<char>(std::toupper(upper[slash]));
    ASSERT_EQ(run({"preview-text", "articoli", upper + "\\TESTI\\art.txt"}), 0) << err.str();
    // The workbook reader tells formats by their bytes: this one is read as a one-column list.
    ASSERT_EQ(run({"preview-excel", "testi\\ART.txt", "1", "1"}), 0) << err.str();
    EXPECT_NE(out.str().find("A100 resto"), std::string::npos) << out.str();
}

}  // namespace
