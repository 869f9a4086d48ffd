// The mapping store: the rows of a mapping table in natural order, and the
// three edits, each saved at once.
#include "import_excel/ExcelMappingStore.h"

#include <gtest/gtest.h>

#include "support/ExcelImportArchive.h"

namespace {

using namespace tessaro7::import_excel;
using tessaro7::testing::ExcelImportArchive;

struct ExcelMappingStoreTest : ::testing::Test {
    ExcelImportArchive a;
    ExcelMappingStore store;

    // The table as another reader sees it.
    std::vector<MappingRow> stored(const char* table) {
        ExcelMappingStore other;
        other.choose(a.archive.mappingDatabasePath(), *findExcelTable(table));
        return other.rows();
    }
};

TEST_F(ExcelMappingStoreTest, ChoosingATableReadsItsRowsInNaturalOrder) {
    EXPECT_EQ(store.table(), nullptr);
    store.choose(a.archive.mappingDatabasePath(), *findExcelTable("Articoli"));
    ASSERT_EQ(store.rows().size(), 10u);
    EXPECT_EQ(store.rows()[0].visualizzato, "Codice");
    EXPECT_EQ(store.rows()[9].visualizzato, "Ubicazione");
    EXPECT_STREQ(store.table()->panelCaption, "Tabella Articoli");
    store.choose(a.archive.mappingDatabasePath(), *findExcelTable("fornitori"));
    EXPECT_EQ(store.rows().size(), 18u);
    EXPECT_EQ(store.rows()[17].visualizzato, "Sito web");
}

TEST_F(ExcelMappingStoreTest, AssignStoresTheColumnAndMarksTheRow) {
    store.choose(a.archive.mappingDatabasePath(), *findExcelTable("clienti"));
    EXPECT_TRUE(store.assign(2, "7"));
    EXPECT_TRUE(store.assign(4, ""));
    EXPECT_TRUE(store.assign(5, "012"));
    auto rows = stored("clienti");
    EXPECT_EQ(rows[2].colonna, 7);
    EXPECT_TRUE(rows[2].utilizzato);
    EXPECT_EQ(rows[4].colonna, 0);
    EXPECT_TRUE(rows[4].utilizzato);
    EXPECT_EQ(rows[5].colonna, 12);
    EXPECT_FALSE(rows[3].utilizzato);
    EXPECT_EQ(store.rows()[2].colonna, 7);
    // The other tables are not touched.
    EXPECT_FALSE(stored("fornitori")[2].utilizzato);
}

TEST_F(ExcelMappingStoreTest, UnassignAndClearSetZeroAndNo) {
    store.choose(a.archive.mappingDatabasePath(), *findExcelTable("articoli"));
    for (std::size_t i = 0; i < 10; ++i) store.assign(i, std::to_string(i + 3));
    EXPECT_TRUE(store.unassign(4));
    auto rows = stored("articoli");
    EXPECT_EQ(rows[4].colonna, 0);
    EXPECT_FALSE(rows[4].utilizzato);
    EXPECT_EQ(rows[5].colonna, 8);
    EXPECT_TRUE(rows[5].utilizzato);
    store.clear();
    for (const MappingRow& row : stored("articoli")) {
        EXPECT_EQ(row.colonna, 0);
        EXPECT_FALSE(row.utilizzato);
    }
    for (const MappingRow& row : store.rows()) EXPECT_FALSE(row.utilizzato);
}

TEST_F(ExcelMappingStoreTest, EditsBeforeATableIsChosenOrBeyondTheRowsDoNothing) {
    EXPECT_FALSE(store.assign(0, "3"));
    EXPECT_FALSE(store.unassign(0));
    store.clear();
    store.choose(a.archive.mappingDatabasePath(), *findExcelTable("articoli"));
    EXPECT_FALSE(store.assign(10, "3"));
    for (const MappingRow& row : stored("articoli")) EXPECT_FALSE(row.utilizzato);
}

TEST_F(ExcelMappingStoreTest, AMissingMappingDatabaseLeavesNoTableChosen) {
    store.choose(a.archive.mappingDatabasePath(), *findExcelTable("articoli"));
    try {
        store.choose(a.archive.ArchiveFolder + "\\manca\\Tessaro7a.mdb", *findExcelTable("clienti"));
        FAIL() << "opened a missing database";
    } catch (const tessaro7::db::EngineError& e) {
        EXPECT_EQ(e.number(), 3024);
    }
    EXPECT_EQ(store.table(), nullptr);
    EXPECT_TRUE(store.rows().empty());
    EXPECT_FALSE(store.assign(0, "1"));
}

TEST_F(ExcelMappingStoreTest, ReadFirstTakesTheLeadingRowsAndRefusesAShortTable) {
    store.choose(a.archive.mappingDatabasePath(), *findExcelTable("articoli"));
    store.assign(1, "4");
    auto rows = store.readFirst(2);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].colonna, 4);
    try {
        store.readFirst(11);
        FAIL() << "read 11 rows of 10";
    } catch (const MappingTooShort& e) {
        EXPECT_EQ(e.table, "articoli");
        EXPECT_EQ(e.rows, 10u);
        EXPECT_EQ(e.needed, 11u);
    }
}

}  // namespace
