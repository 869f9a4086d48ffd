// The three text imports against a demo archive, read back with SQLite itself.
#include "import_text/TextImport.h"

#include <gtest/gtest.h>

#include "app/Messages.h"


#include "db/BusinessSchema.h"
#include "db/DataSource.h"
#include "import_text/TextArchive.h"
#include "import_text/TextFields.h"

namespace {

namespace msg = tessaro7::app::msg;

using namespace tessaro7::import_text;
using tessaro7::testing::padded;
using tessaro7::testing::TextArchive;
using Row = std::vector<std::string>;

class TextImportTest : public ::testing::Test {
protected:
    TextArchive a;
    long customersBefore = a.count("clienti");
    long suppliersBefore = a.count("fornitori");
    long articlesBefore = a.count("articoli");
    std::string lastCustomer = lastRowId("clienti");
    std::string lastSupplier = lastRowId("fornitori");
    std::string lastArticle = lastRowId("articoli");

    std::string lastRowId(const std::string& table) const {
        return a.business("select coalesce(max(rowid), 0) from " + table)[0][0];
    }
    // The rows added to `table` since the test began, oldest first.
    std::vector<Row> added(const std::string& table, const std::string& fields, long) const {
        const std::string& last = table == "clienti" ? lastCustomer : table == "fornitori" ? lastSupplier : lastArticle;
        return a.business("select " + fields + " from " + table + " where rowid > " + last + " order by rowid");
    }
    TextImportOutcome customers(const std::string& bytes) {
        return ImportCustomersFromText(a.archive, a.file("clienti.txt", bytes));
    }
    TextImportOutcome articles(const std::string& bytes) {
        return ImportArticlesFromText(a.archive, a.file("articoli.txt", bytes));
    }
};

std::string rossiLine() { return padded("ROSSI MARIO SRL", 30) + padded("MILANO", 20) + "MI"; }

TEST_F(TextImportTest, CustomerLineWithThreeFieldsAndTheFixedValues) {
    a.assign(TextTable::Clienti, 1, 1, 30);
    a.assign(TextTable::Clienti, 6, 31, 20);
    a.assign(TextTable::Clienti, 5, 51, 2);
    TextImportOutcome o = customers(rossiLine() + "\r\n");
    EXPECT_TRUE(o.completed);
    EXPECT_EQ(o.added, 1);
    EXPECT_EQ(o.message, "Procedura terminata!\nRecord aggiunti: 1\nRighe oltre la 25000ª non lette: 0\nCodifica: Windows-1252");
    auto rows = added("clienti", "nominativo, citta, pr, Valuta, listino, DescListino, indirizzo, www", customersBefore);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0], (Row{"ROSSI MARIO SRL", "MILANO", "MI", "EURO", "A00", "Listino in percentuale 100%",
                            "<null>", "<null>"}));
}

TEST_F(TextImportTest, SupplierGetsOnlyTheCurrency) {
    a.assign(TextTable::Fornitori, 1, 1, 30);
    TextImportOutcome o = ImportSuppliersFromText(a.archive, a.file("f.txt", rossiLine()));
    EXPECT_TRUE(o.completed);
    auto rows = added("fornitori", "nominativo, Valuta, agente", suppliersBefore);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0], (Row{"ROSSI MARIO SRL", "EURO", "<null>"}));
    EXPECT_EQ(a.count("clienti"), customersBefore);
}

TEST_F(TextImportTest, SupplierMappingIsIndependentOfTheCustomerMapping) {
    a.assign(TextTable::Clienti, 1, 1, 5);
    a.assign(TextTable::Fornitori, 1, 7, 5);
    ImportSuppliersFromText(a.archive, a.file("f.txt", rossiLine()));
    EXPECT_EQ(added("fornitori", "nominativo", suppliersBefore)[0][0], "MARIO");
}

// With no field assigned every record would be blank: none is added.
TEST_F(TextImportTest, AllRowsUnassignedAddNothing) {
    TextImportOutcome o = customers("first\r\nsecond\r\n");
    EXPECT_TRUE(o.completed);
    EXPECT_EQ(o.added, 0);
    EXPECT_EQ(o.blank, 2);
    EXPECT_NE(o.message.find(msg::kNothingToAdd), std::string::npos) << o.message;
    EXPECT_EQ(a.count("clienti"), customersBefore);
}

TEST_F(TextImportTest, OneAssignedFieldAddsTheFixedValuesToo) {
    a.assign(TextTable::Clienti, 2, 1, 10);  // seconda_riga
    TextImportOutcome o = customers("first\r\nsecond\r\n");
    EXPECT_EQ(o.added, 2);
    auto rows = added("clienti", "nominativo, Valuta, listino, DescListino", customersBefore);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1], (Row{"<null>", "EURO", "A00", "Listino in percentuale 100%"}));
}

TEST_F(TextImportTest, ArticleExampleWithNumberDefaultsAndFixedFields) {
    a.assign(TextTable::Articoli, 1, 1, 10);
    a.assign(TextTable::Articoli, 2, 11, 40);
    a.assign(TextTable::Articoli, 3, 51, 2);
    TextImportOutcome o = articles(padded("A100", 10) + padded("VITE M6", 40) + "22\r\n");
    ASSERT_TRUE(o.completed) << o.message;
    EXPECT_EQ(o.message,
              "Procedura terminata!\nRecord aggiunti: 1\nRighe saltate perché duplicate (errore 3022): 0\n"
              "Righe oltre la 25000ª non lette: 0\nCodifica: Windows-1252");
    auto rows = added("articoli",
                      "codice, descrizione, iva, costoeuro, sottoscorta, giacenzamin, giacenzamax, esistenza, "
                      "codiceabarre, ubicazione",
                      articlesBefore);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0], (Row{"A100", "VITE M6", "22", "0.0", "0.0", "0.0", "0.0", "0.0", "<null>", "<null>"}));
    std::string fixed;
    for (const char* f : tessaro7::db::schema::kArticleFixedFields) fixed += std::string(fixed.empty() ? "" : ",") + f;
    auto fixedRow = added("articoli", fixed, articlesBefore);
    EXPECT_EQ(fixedRow[0], Row(13, "0.0"));
}

TEST_F(TextImportTest, IvaUnassignedHoldsZero) {
    a.assign(TextTable::Articoli, 1, 1, 4);
    articles("Z001");
    EXPECT_EQ(added("articoli", "iva", articlesBefore)[0][0], "0");
}

TEST_F(TextImportTest, NumberStretchWithinTheMaximumAfterTrailingBlanksIsStored) {
    a.assign(TextTable::Articoli, 1, 1, 4);
    a.assign(TextTable::Articoli, 5, 5, 3);  // Sottoscorta, maximum 2
    ASSERT_TRUE(articles("Z00210 ").completed);
    EXPECT_EQ(added("articoli", "sottoscorta", articlesBefore)[0][0], "10.0");
}

TEST_F(TextImportTest, NumberLongerThanItsMaximumIsRefusedNotCut) {
    a.assign(TextTable::Articoli, 1, 1, 4);
    a.assign(TextTable::Articoli, 5, 5, 3);  // Sottoscorta, maximum 2
    TextImportOutcome o = articles("Z001 5\r\nZ002100\r\n");
    EXPECT_FALSE(o.completed);
    EXPECT_NE(o.message.find("Riga 2, campo sottoscorta: '100' ha più di 2 caratteri: il numero sarebbe troncato."),
              std::string::npos)
        << o.message;
    EXPECT_EQ(o.message.find("Riga 1"), std::string::npos);
    EXPECT_EQ(a.count("articoli"), articlesBefore);
}

TEST_F(TextImportTest, DescriptionWiderThanItsMaximumKeeps250) {
    a.assign(TextTable::Articoli, 1, 1, 4);
    a.assign(TextTable::Articoli, 2, 5, 300);
    std::string description = std::string(249, 'd') + "  " + std::string(49, 'e');
    articles("Z003" + description);
    EXPECT_EQ(added("articoli", "descrizione", articlesBefore)[0][0], std::string(249, 'd'));
}

TEST_F(TextImportTest, DuplicateArticlesAreSkippedAndCounted) {
    a.assign(TextTable::Articoli, 1, 1, 5);
    a.assign(TextTable::Articoli, 2, 6, 10);
    TextImportOutcome o = articles("X0001first\r\nX0002second\r\nX0001third\r\nX0003fourth\r\n");
    ASSERT_TRUE(o.completed) << o.message;
    EXPECT_EQ(o.added, 3);
    EXPECT_EQ(o.duplicates, 1);
    EXPECT_NE(o.message.find("Righe saltate perché duplicate (errore 3022): 1"), std::string::npos);
    auto rows = added("articoli", "codice, descrizione", articlesBefore);
    EXPECT_EQ(rows, (std::vector<Row>{{"X0001", "first"}, {"X0002", "second"}, {"X0003", "fourth"}}));
}

TEST_F(TextImportTest, ImportingArticlesTwiceSkipsEveryLine) {
    a.assign(TextTable::Articoli, 1, 1, 5);
    articles("X0001\r\nX0002\r\n");
    TextImportOutcome o = articles("X0001\r\nX0002\r\n");
    EXPECT_TRUE(o.completed);
    EXPECT_EQ(o.added, 0);
    EXPECT_EQ(o.duplicates, 2);
    EXPECT_EQ(a.count("articoli"), articlesBefore + 2);
}

TEST_F(TextImportTest, CustomersImportedTwiceAreAddedTwice) {
    a.assign(TextTable::Clienti, 1, 1, 30);
    customers(rossiLine());
    customers(rossiLine());
    EXPECT_EQ(a.count("clienti"), customersBefore + 2);
}

TEST_F(TextImportTest, EmptyFileAddsNothingAndEnds) {
    TextImportOutcome o = customers("");
    EXPECT_TRUE(o.completed);
    EXPECT_EQ(o.added, 0);
    EXPECT_EQ(o.message.substr(0, 20), "Procedura terminata!");
    EXPECT_EQ(a.count("clienti"), customersBefore);
}

TEST_F(TextImportTest, LineEndsOfEveryKind) {
    a.assign(TextTable::Clienti, 1, 1, 10);
    EXPECT_EQ(customers("a\r\nb\r\nc").added, 3);   // no final line end: the last line counts
    EXPECT_EQ(customers("d\ne\nf\n").added, 3);     // LF alone ends a line
    EXPECT_EQ(customers("g\rh\r").added, 2);        // CR alone
    EXPECT_EQ(customers("i\r\n\r\n").added, 1);     // a final empty line is a blank record: left out
    auto rows = added("clienti", "nominativo", customersBefore);
    std::vector<Row> expected{{"a"}, {"b"}, {"c"}, {"d"}, {"e"}, {"f"}, {"g"}, {"h"}, {"i"}};
    EXPECT_EQ(rows, expected);
}

TEST_F(TextImportTest, CuttingRulesAsStored) {
    a.assign(TextTable::Clienti, 1, 1, 120);  // nominativo, maximum 80
    a.assign(TextTable::Clienti, 5, 2, 4);    // pr, maximum 2
    a.assign(TextTable::Clienti, 6, 200, 5);  // citta, beyond the line
    a.assign(TextTable::Clienti, 3, 90, 6);   // indirizzo, blanks only
    a.assign(TextTable::Clienti, 4, 3, 3);    // cap, leading blanks and a tab
    std::string line = "x MI" + std::string(76, 'n') + "TAIL      " + "      ";
    line[4] = '\t';
    customers(line + "\r\n" + "  \tcap\r\n");
    auto rows = added("clienti", "nominativo, pr, citta, indirizzo, cap", customersBefore);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][0], line.substr(0, 80));
    EXPECT_EQ(rows[0][1], " M");
    EXPECT_EQ(rows[0][2], "");
    EXPECT_EQ(rows[0][3], "");
    EXPECT_EQ(rows[0][4], "MI\t");
    EXPECT_EQ(rows[1][4], "\tca");
    EXPECT_EQ(rows[1][1], " \t");
}

TEST_F(TextImportTest, Windows1252BytesAreStoredAsTheirCharacters) {
    a.assign(TextTable::Clienti, 6, 1, 5);
    a.assign(TextTable::Clienti, 1, 6, 6);
    customers("Citt\xE0\x80uro\xE8 ");
    auto rows = added("clienti", "citta, nominativo", customersBefore);
    EXPECT_EQ(rows[0], (Row{"Città", "€uroè"}));
}

TEST_F(TextImportTest, AtMost25000LinesTheRestCounted) {
    a.assign(TextTable::Clienti, 1, 1, 6);
    std::string bytes;
    for (int i = 1; i <= 25003; ++i) bytes += std::to_string(100000 + i) + "\r\n";
    long lastDone = 0, lastTotal = 0;
    TextImportOutcome o = ImportCustomersFromText(a.archive, a.file("big.txt", bytes), [&](long done, long total) {
        lastDone = done;
        lastTotal = total;
    });
    ASSERT_TRUE(o.completed) << o.message;
    EXPECT_EQ(o.added, 25000);
    EXPECT_EQ(o.notRead, 3);
    EXPECT_EQ(lastDone, 25000);
    EXPECT_EQ(lastTotal, 25000);
    EXPECT_NE(o.message.find("Righe oltre la 25000ª non lette: 3"), std::string::npos);
    EXPECT_EQ(a.count("clienti"), customersBefore + 25000);
    auto last = a.business("select nominativo from clienti order by rowid desc limit 1");
    EXPECT_EQ(last[0][0], "125000");
}

TEST_F(TextImportTest, BadNumberAnywhereWritesNothing) {
    a.assign(TextTable::Articoli, 1, 1, 4);
    a.assign(TextTable::Articoli, 4, 5, 6);  // CostoEuro
    TextImportOutcome o = articles("A001  12,5\r\nA002      \r\nA003 1x.00\r\nA004   abc\r\nA005     7\r\n");
    EXPECT_FALSE(o.completed);
    EXPECT_EQ(o.added, 0);
    EXPECT_EQ(a.count("articoli"), articlesBefore);
    EXPECT_NE(o.message.find("Riga 3, campo costoeuro: '1x.00' non è un numero."), std::string::npos) << o.message;
    EXPECT_NE(o.message.find("Riga 4, campo costoeuro: 'abc' non è un numero."), std::string::npos) << o.message;
    EXPECT_NE(o.message.find("Nessun record importato."), std::string::npos);
    EXPECT_EQ(o.message.find("Riga 1,"), std::string::npos);
}

TEST_F(TextImportTest, BlankNumberStretchStoresNull) {
    a.assign(TextTable::Articoli, 1, 1, 4);
    a.assign(TextTable::Articoli, 4, 5, 6);
    TextImportOutcome o = articles("A001  12,5\r\nA002      \r\n");
    ASSERT_TRUE(o.completed) << o.message;
    EXPECT_EQ(added("articoli", "costoeuro", articlesBefore), (std::vector<Row>{{"12.5"}, {"<null>"}}));
}

TEST_F(TextImportTest, ManyBadLinesListOnlyTheFirst) {
    a.assign(TextTable::Articoli, 1, 1, 4);
    a.assign(TextTable::Articoli, 3, 5, 2);
    std::string bytes;
    for (int i = 0; i < 30; ++i) bytes += 'B' + std::to_string(100 + i) + "xx\r\n";
    TextImportOutcome o = articles(bytes);
    EXPECT_FALSE(o.completed);
    EXPECT_NE(o.message.find("Riga 10, campo iva"), std::string::npos);
    EXPECT_EQ(o.message.find("Riga 11, campo iva"), std::string::npos);
    EXPECT_NE(o.message.find("... e altri 20 problemi."), std::string::npos);
}

TEST_F(TextImportTest, UnusableMappingWritesNothing) {
    a.assign(TextTable::Clienti, 1, 0, 30);
    TextImportOutcome o = customers(rossiLine());
    EXPECT_FALSE(o.completed);
    EXPECT_NE(o.message.find("campo nominativo"), std::string::npos) << o.message;
    EXPECT_EQ(a.count("clienti"), customersBefore);
}

TEST_F(TextImportTest, MissingFileIsNamed) {
    TextImportOutcome o = ImportCustomersFromText(a.archive, a.folder() + "/assente.txt");
    EXPECT_FALSE(o.completed);
    EXPECT_EQ(o.message, "Impossibile leggere il file di testo '" + a.folder() +
                             "/assente.txt': il file non esiste.\nNessun record importato.");
}

TEST_F(TextImportTest, MissingTargetTableIsNamed) {
    TextArchive::exec(a.businessDb(), "drop table fornitori");
    a.assign(TextTable::Fornitori, 1, 1, 5);
    TextImportOutcome o = ImportSuppliersFromText(a.archive, a.file("f.txt", "x\r\n"));
    EXPECT_FALSE(o.completed);
    EXPECT_NE(o.message.find("Impossibile aprire la tabella Fornitori: errore 3078"), std::string::npos) << o.message;
}

// A file with refused values is told so first, even when the table cannot
// be opened either.
TEST_F(TextImportTest, TheFilesFaultsComeBeforeAMissingTable) {
    TextArchive::exec(a.businessDb(), "drop table articoli");
    a.assign(TextTable::Articoli, 1, 1, 4);
    a.assign(TextTable::Articoli, 3, 5, 3);
    TextImportOutcome o = articles("A001 22\r\nA002abc\r\n");
    EXPECT_FALSE(o.completed);
    EXPECT_EQ(o.message, "Il file '" + a.folder() + "/articoli.txt' contiene valori non validi:\nRiga 2, campo iva: "
                         "'abc' non è un numero.\nNessun record importato.");
    o = articles("A001 22\r\n");
    EXPECT_NE(o.message.find("Impossibile aprire la tabella Articoli: errore 3078"), std::string::npos) << o.message;
}

TEST_F(TextImportTest, FailureWhileWritingKeepsTheRowsBefore) {
    TextArchive::exec(a.businessDb(),
                      "create trigger refuse before insert on clienti when new.nominativo = 'BOOM' "
                      "begin select raise(abort, 'nominativo rifiutato'); end;");
    a.assign(TextTable::Clienti, 1, 1, 10);
    TextImportOutcome o = customers("uno\r\ndue\r\nBOOM\r\nquattro\r\n");
    EXPECT_FALSE(o.completed);
    EXPECT_EQ(o.added, 2);
    EXPECT_EQ(added("clienti", "nominativo", customersBefore), (std::vector<Row>{{"uno"}, {"due"}}));
    EXPECT_EQ(o.message, "Importazione interrotta alla riga 3 del file '" + a.folder() +
                             "/clienti.txt': errore 3000 - Errore del database '" + a.businessDb() +
                             "' (nominativo rifiutato).\n"
                             "Sono salvati nella tabella i record fino alla riga 2 del file: importare di nuovo solo "
                             "le righe successive.\n"
                             "Record aggiunti alla tabella Clienti: 2.");
}

TEST_F(TextImportTest, WritesTheEngineUndidAreNotReportedAsKept) {
    TextArchive::exec(a.businessDb(),
                      "create trigger undo before insert on clienti when new.nominativo = 'BOOM' "
                      "begin select raise(rollback, 'tutto annullato'); end;");
    a.assign(TextTable::Clienti, 1, 1, 10);
    TextImportOutcome o = customers("uno\r\ndue\r\nBOOM\r\n");
    EXPECT_FALSE(o.completed);
    EXPECT_EQ(o.added, 0);
    EXPECT_EQ(a.count("clienti"), customersBefore);
    EXPECT_EQ(o.message, "Importazione interrotta alla riga 3 del file '" + a.folder() +
                             "/clienti.txt': errore 3000 - Errore del database '" + a.businessDb() +
                             "' (tutto annullato).\n"
                             "Nessun record di questa importazione è rimasto nella tabella: correggere la causa e "
                             "ripetere l'importazione per intero.\n"
                             "Record aggiunti alla tabella Clienti: 0.");
}

TEST_F(TextImportTest, FailureOfAnArticleOtherThanDuplicateStops) {
    TextArchive::exec(a.businessDb(),
                      "create trigger refuse before insert on articoli when new.codice = 'K3' "
                      "begin select raise(abort, 'no'); end;");
    a.assign(TextTable::Articoli, 1, 1, 2);
    TextImportOutcome o = articles("K1\r\nK1\r\nK3\r\nK4\r\n");
    EXPECT_FALSE(o.completed);
    EXPECT_EQ(o.added, 1);
    EXPECT_EQ(o.duplicates, 1);
    EXPECT_EQ(a.count("articoli"), articlesBefore + 1);
}

TEST(TextFieldTables, MaximaAndDefaultsAsTheImportsUseThem) {
    const auto& party = fieldsOf(TextTable::Clienti).fields;
    ASSERT_EQ(party.size(), 18u);
    int maxima[] = {80, 80, 50, 5, 2, 50, 30, 16, 15, 15, 30, 30, 30, 30, 20, 20, 50, 80};
    for (std::size_t i = 0; i < party.size(); ++i) {
        EXPECT_EQ(party[i].maximum, maxima[i]) << i;
        EXPECT_STREQ(party[i].name, tessaro7::db::schema::kPartyFields[i]);
    }
    const auto& article = fieldsOf(TextTable::Articoli).fields;
    ASSERT_EQ(article.size(), 10u);
    int articleMaxima[] = {18, 250, 3, 9, 2, 50, 30, 16, 15, 100};
    for (std::size_t i = 0; i < article.size(); ++i) {
        EXPECT_EQ(article[i].maximum, articleMaxima[i]) << i;
        EXPECT_EQ(article[i].unassigned == WhenUnassigned::Zero, i >= 2 && i <= 7) << i;
    }
    EXPECT_EQ(fieldsOf(TextTable::Clienti).fixedValues.size(), 3u);
    EXPECT_EQ(fieldsOf(TextTable::Fornitori).fixedValues.size(), 1u);
    EXPECT_EQ(fieldsOf(TextTable::Articoli).fixedValues.size(), 13u);
}

}  // namespace
