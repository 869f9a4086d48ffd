// The text column mapping and the editor's rules, read back with SQLite itself.
#include "import_text/TextMappingStore.h"

#include <gtest/gtest.h>

#include "import_text/FieldMappings.h"
#include "import_text/TextArchive.h"

namespace {

using namespace tessaro7::import_text;
using tessaro7::testing::TextArchive;
using Rows = std::vector<std::vector<std::string>>;

Rows stored(const TextArchive& a, const std::string& table) {
    return a.mapping("select colonna, Qta, utilizzato from " + table + " order by rowid");
}

class TextMappingStoreTest : public ::testing::Test {
protected:
    TextArchive archive;
    TextMappingStore store;
    void open(TextTable t) { store.open(archive.archive.textMappingDatabasePath(), t); }
};

TEST(TextTableNames, SelectTextsAndCaptions) {
    EXPECT_EQ(mappingSelect(TextTable::Clienti), "select [visualizzato],[colonna],[Qta],[utilizzato] from clientiBIS");
    EXPECT_EQ(mappingSelect(TextTable::Fornitori),
              "select [visualizzato],[colonna],[Qta],[utilizzato] from fornitoriBIS");
    EXPECT_EQ(mappingSelect(TextTable::Articoli), "select [visualizzato],[colonna],[Qta],[utilizzato] from articoliBIS");
    EXPECT_EQ(tableFromPanel("Tabella Fornitori"), TextTable::Fornitori);
    EXPECT_EQ(tableFromPanel(".:: in attesa ::."), std::nullopt);
    EXPECT_EQ(tableFromName("articoli"), TextTable::Articoli);
    EXPECT_EQ(tableFromName("Articoli"), std::nullopt);
}

TEST(BoxValue, LeadingDigitsEmptyIsZero) {
    EXPECT_EQ(boxValue("12"), 12);
    EXPECT_EQ(boxValue(""), 0);
    EXPECT_EQ(boxValue("00"), 0);
    EXPECT_EQ(boxValue("007"), 7);
}

TEST_F(TextMappingStoreTest, ReadsRowsInNaturalOrder) {
    open(TextTable::Articoli);
    ASSERT_EQ(store.rowCount(), 10);
    EXPECT_EQ(store.rows()[0].visualizzato.toText(), "Codice");
    EXPECT_EQ(store.rows()[9].visualizzato.toText(), "Ubicazione");
    open(TextTable::Clienti);
    EXPECT_EQ(store.rowCount(), 18);
}

TEST_F(TextMappingStoreTest, AssignStoresStartWidthAndTrue) {
    open(TextTable::Clienti);
    EXPECT_TRUE(store.assign(1, "12", "30"));
    Rows rows = stored(archive, "clientiBIS");
    EXPECT_EQ(rows[1], (std::vector<std::string>{"12", "30", "1"}));
    EXPECT_EQ(rows[0], (std::vector<std::string>{"0", "0", "0"}));
    EXPECT_EQ(store.rows()[1].colonna.toText(), "12");
    EXPECT_TRUE(store.rows()[1].assigned());
}

TEST_F(TextMappingStoreTest, AssignRefusedWhileABoxHoldsZero) {
    open(TextTable::Clienti);
    EXPECT_FALSE(store.assign(0, "0", "30"));
    EXPECT_FALSE(store.assign(0, "12", "0"));
    EXPECT_EQ(stored(archive, "clientiBIS")[0], (std::vector<std::string>{"0", "0", "0"}));
}

// The editor refuses what the import would refuse, with the import's words.
TEST_F(TextMappingStoreTest, AssignOutsideTheImportsRangesIsRefusedAsTheImportWould) {
    struct Case {
        const char* start;
        const char* width;
        std::string refusal;  // empty: saved
    };
    const std::string row4 = "Riga 4 di clientiBIS (campo cap, 'CAP'): ";
    const Case cases[] = {
        {"32767", "32767", ""},
        {"1", "", ""},
        {"", "5", row4 + "colonna di inizio '0' non valida, deve essere tra 1 e 32767."},
        {"00", "5", row4 + "colonna di inizio '00' non valida, deve essere tra 1 e 32767."},
        {"32768", "5", row4 + "colonna di inizio '32768' non valida, deve essere tra 1 e 32767."},
        {"4", "999999999999999999999999999999",
         row4 + "numero di caratteri '999999999999999999999999999999' non valido, deve essere tra 0 e 32767."},
        {"40000", "40000", row4 + "colonna di inizio '40000' non valida, deve essere tra 1 e 32767.\n" + row4 +
                               "numero di caratteri '40000' non valido, deve essere tra 0 e 32767."},
    };
    open(TextTable::Clienti);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.start) + " " + c.width);
        store.unassign(3, "0");
        Assignment done = store.assign(3, c.start, c.width);
        EXPECT_EQ(done.refusal, c.refusal);
        EXPECT_EQ(done.saved, c.refusal.empty());
        EXPECT_EQ(stored(archive, "clientiBIS")[3][2], c.refusal.empty() ? "1" : "0");
        // What the editor saves, the import can use.
        EXPECT_TRUE(readFieldMappings(archive.archive.textMappingDatabasePath(), TextTable::Clienti).usable());
    }
}

TEST_F(TextMappingStoreTest, UnassignStoresZeroFalseAndTheWidthBox) {
    open(TextTable::Fornitori);
    store.assign(3, "40", "20");
    EXPECT_TRUE(store.unassign(3, "20"));
    EXPECT_EQ(stored(archive, "fornitoriBIS")[3], (std::vector<std::string>{"0", "20", "0"}));
    store.assign(3, "40", "20");
    store.unassign(3, "9");
    EXPECT_EQ(stored(archive, "fornitoriBIS")[3], (std::vector<std::string>{"0", "9", "0"}));
}

TEST_F(TextMappingStoreTest, ClearAllWithTheWidthBox) {
    open(TextTable::Articoli);
    store.assign(0, "1", "10");
    store.assign(4, "20", "3");
    store.clearAll(std::string_view("7"));
    for (const auto& row : stored(archive, "articoliBIS")) EXPECT_EQ(row, (std::vector<std::string>{"0", "7", "0"}));
    EXPECT_FALSE(store.rows()[0].assigned());
}

TEST_F(TextMappingStoreTest, ClearAllWithoutWidthKeepsEachRowsWidth) {
    open(TextTable::Articoli);
    store.assign(0, "1", "10");
    store.assign(4, "20", "3");
    store.clearAll(std::nullopt);
    Rows rows = stored(archive, "articoliBIS");
    EXPECT_EQ(rows[0], (std::vector<std::string>{"0", "10", "0"}));
    EXPECT_EQ(rows[4], (std::vector<std::string>{"0", "3", "0"}));
    EXPECT_EQ(rows[1], (std::vector<std::string>{"0", "0", "0"}));
}

TEST_F(TextMappingStoreTest, OtherTablesAreUntouched) {
    open(TextTable::Fornitori);
    store.assign(0, "1", "30");
    store.clearAll(std::string_view("4"));
    EXPECT_EQ(stored(archive, "clientiBIS")[0], (std::vector<std::string>{"0", "0", "0"}));
    EXPECT_EQ(archive.mapping("select count(*) from clienti where utilizzato<>0")[0][0], "0");
}

TEST_F(TextMappingStoreTest, RowsBeyondTheListCanBeEdited) {
    TextArchive::exec(archive.mappingDb(),
                      "insert into articoliBIS (visualizzato, colonna, Qta, utilizzato) values ('Extra', 0, 0, 0)");
    open(TextTable::Articoli);
    ASSERT_EQ(store.rowCount(), 11);
    EXPECT_TRUE(store.assign(10, "5", "6"));
    EXPECT_EQ(stored(archive, "articoliBIS")[10], (std::vector<std::string>{"5", "6", "1"}));
    EXPECT_FALSE(store.assign(11, "5", "6"));
}

TEST_F(TextMappingStoreTest, MissingTableIsAnEngineError) {
    TextArchive::exec(archive.mappingDb(), "drop table fornitoriBIS");
    try {
        open(TextTable::Fornitori);
        FAIL() << "no error";
    } catch (const tessaro7::db::EngineError& e) {
        EXPECT_EQ(e.number(), 3078);
    }
    EXPECT_FALSE(store.isOpen());
}

TEST_F(TextMappingStoreTest, OnlyAStoredTrueCountsAsAssigned) {
    archive.setRaw(TextTable::Clienti, 1, "colonna=5, Qta=3, utilizzato=0");
    archive.setRaw(TextTable::Clienti, 2, "colonna=5, Qta=3, utilizzato=NULL");
    open(TextTable::Clienti);
    EXPECT_FALSE(store.rows()[0].assigned());
    EXPECT_FALSE(store.rows()[1].assigned());
}

// The working copy a run reads.

TEST_F(TextMappingStoreTest, WorkingCopyOfAssignedRows) {
    archive.assign(TextTable::Clienti, 1, 1, 30);
    archive.assign(TextTable::Clienti, 6, 31, 20);
    FieldMappings m = readFieldMappings(archive.archive.textMappingDatabasePath(), TextTable::Clienti);
    ASSERT_TRUE(m.usable());
    ASSERT_EQ(m.fields.size(), 18u);
    EXPECT_TRUE(m.fields[0].assigned);
    EXPECT_EQ(m.fields[5].start, 31);
    EXPECT_EQ(m.fields[5].width, 20);
    EXPECT_FALSE(m.fields[1].assigned);
    EXPECT_EQ(m.fields[1].start, 0);
}

TEST_F(TextMappingStoreTest, AssignedStartBelowOneIsRefusedNamingTheField) {
    archive.assign(TextTable::Clienti, 5, 0, 2);
    FieldMappings m = readFieldMappings(archive.archive.textMappingDatabasePath(), TextTable::Clienti);
    ASSERT_EQ(m.problems.size(), 1u);
    EXPECT_NE(m.problems[0].find("Riga 5 di clientiBIS (campo pr, 'Provincia')"), std::string::npos) << m.problems[0];
    EXPECT_NE(m.problems[0].find("colonna di inizio '0'"), std::string::npos) << m.problems[0];
}

TEST_F(TextMappingStoreTest, StartOrWidthAbove32767IsRefused) {
    archive.assign(TextTable::Articoli, 1, 32768, 2);
    archive.assign(TextTable::Articoli, 2, 1, 40000);
    archive.assign(TextTable::Articoli, 3, 32767, 32767);
    FieldMappings m = readFieldMappings(archive.archive.textMappingDatabasePath(), TextTable::Articoli);
    ASSERT_EQ(m.problems.size(), 2u);
    EXPECT_NE(m.problems[0].find("campo codice"), std::string::npos);
    EXPECT_NE(m.problems[1].find("campo descrizione"), std::string::npos);
    EXPECT_NE(m.problems[1].find("numero di caratteri '40000'"), std::string::npos) << m.problems[1];
}

TEST_F(TextMappingStoreTest, MissingOrNegativeValuesOfAssignedRowsAreRefused) {
    archive.setRaw(TextTable::Articoli, 1, "colonna=NULL, Qta=3, utilizzato=1");
    archive.setRaw(TextTable::Articoli, 2, "colonna=1, Qta=-1, utilizzato=1");
    archive.setRaw(TextTable::Articoli, 3, "colonna=NULL, Qta=NULL, utilizzato=0");
    FieldMappings m = readFieldMappings(archive.archive.textMappingDatabasePath(), TextTable::Articoli);
    ASSERT_EQ(m.problems.size(), 2u);
    EXPECT_NE(m.problems[0].find("vuoto"), std::string::npos);
}

TEST_F(TextMappingStoreTest, FewerRowsThanFieldsIsRefused) {
    TextArchive::exec(archive.mappingDb(), "delete from clientiBIS where rowid=18");
    FieldMappings m = readFieldMappings(archive.archive.textMappingDatabasePath(), TextTable::Clienti);
    ASSERT_EQ(m.problems.size(), 1u);
    EXPECT_EQ(m.problems[0], "La tabella clientiBIS ha 17 righe: ne servono 18, una per campo.");
}

TEST_F(TextMappingStoreTest, FractionalValuesRoundHalfToEven) {
    archive.setRaw(TextTable::Clienti, 1, "colonna=2.5, Qta=3.5, utilizzato=1");
    FieldMappings m = readFieldMappings(archive.archive.textMappingDatabasePath(), TextTable::Clienti);
    ASSERT_TRUE(m.usable());
    EXPECT_EQ(m.fields[0].start, 2);
    EXPECT_EQ(m.fields[0].width, 4);
}

}  // namespace
