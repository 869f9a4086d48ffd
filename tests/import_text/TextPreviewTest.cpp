// The preview of the first line: rows, captions, and the same cut as the import.
#include "import_text/TextPreview.h"

#include <gtest/gtest.h>

#include "import_text/TextArchive.h"
#include "import_text/TextImport.h"

namespace {

using namespace tessaro7::import_text;
using tessaro7::testing::padded;
using tessaro7::testing::TextArchive;

const std::vector<std::string> kPartyCaptions = {
    "Ragione",  "Sociale",  "Indirizzo", "CAP",      "Provincia",    "Città", "Nazione", "Codice Fiscale", "Partita IVA",
    "Pratita IVA CEE", "Telefono", "Telefono", "Telefax", "Telefax", "Contatto", "Tel Contatto", "Email", "WWW"};
const std::vector<std::string> kArticleCaptions = {"Codice",       "Descrizione",  "% IVA",     "Costo EURO",
                                                   "Sottoscorta",  "Giacenza MIN", "Giacenza MAX", "Esistenza",
                                                   "Codice a Barre", "Ubicazione"};

class TextPreviewTest : public ::testing::Test {
protected:
    TextArchive a;
};

TEST_F(TextPreviewTest, PartyPreviewShowsAll18RowsWithTheirCaptions) {
    a.assign(TextTable::Clienti, 1, 1, 30);
    a.assign(TextTable::Clienti, 6, 31, 20);
    std::string line = padded("ROSSI MARIO SRL", 30) + padded("MILANO", 20) + "MI";
    TextPreviewOutcome o = PreviewPartiesFromText(TextTable::Clienti, a.archive, a.file("c.txt", line + "\r\nALTRO\r\n"));
    ASSERT_TRUE(o.ok) << o.message;
    EXPECT_EQ(o.panelCaption, "Tabella Clienti");
    ASSERT_EQ(o.lines.size(), 18u);
    for (std::size_t i = 0; i < 18; ++i) {
        EXPECT_TRUE(o.lines[i].visible) << i;
        EXPECT_EQ(o.lines[i].caption, kPartyCaptions[i]) << i;
    }
    EXPECT_EQ(o.lines[0].text, "ROSSI MARIO SRL");
    EXPECT_EQ(o.lines[5].text, "MILANO");
    EXPECT_EQ(o.lines[4].text, "");  // unassigned
}

TEST_F(TextPreviewTest, SuppliersUseTheirOwnMapping) {
    a.assign(TextTable::Fornitori, 2, 3, 3);
    TextPreviewOutcome o = PreviewPartiesFromText(TextTable::Fornitori, a.archive, a.file("f.txt", "abcdef"));
    ASSERT_TRUE(o.ok);
    EXPECT_EQ(o.panelCaption, "Tabella Fornitori");
    EXPECT_EQ(o.lines[0].text, "");
    EXPECT_EQ(o.lines[1].text, "cde");
}

TEST_F(TextPreviewTest, ArticlePreviewShowsTenRowsAndZeroForUnassignedNumbers) {
    a.assign(TextTable::Articoli, 1, 1, 4);
    a.assign(TextTable::Articoli, 5, 5, 4);  // Sottoscorta, maximum 2
    TextPreviewOutcome o = PreviewArticlesFromText(a.archive, a.file("a.txt", "A100  12\r\n"));
    ASSERT_TRUE(o.ok) << o.message;
    EXPECT_EQ(o.panelCaption, "Tabella Articoli");
    ASSERT_EQ(o.lines.size(), 18u);
    for (std::size_t i = 0; i < 10; ++i) {
        EXPECT_TRUE(o.lines[i].visible) << i;
        EXPECT_EQ(o.lines[i].caption, kArticleCaptions[i]) << i;
    }
    for (std::size_t i = 10; i < 18; ++i) EXPECT_FALSE(o.lines[i].visible) << i;
    EXPECT_EQ(o.lines[0].text, "A100");
    EXPECT_EQ(o.lines[4].text, "12");  // right-aligned in its width of 4
    EXPECT_EQ(o.lines[4].refusal, "");
    EXPECT_EQ(o.lines[2].text, "0");
    EXPECT_EQ(o.lines[7].text, "0");
    EXPECT_EQ(o.lines[8].text, "");
    EXPECT_EQ(o.lines[1].text, "");
}

TEST_F(TextPreviewTest, EmptyFileShowsEveryRowEmptyNumbersToo) {
    a.assign(TextTable::Articoli, 1, 1, 4);
    TextPreviewOutcome o = PreviewArticlesFromText(a.archive, a.file("a.txt", ""));
    ASSERT_TRUE(o.ok);
    for (std::size_t i = 0; i < 10; ++i) EXPECT_EQ(o.lines[i].text, "") << i;
}

TEST_F(TextPreviewTest, EmptyFirstLineIsALineNotAnEmptyFile) {
    a.assign(TextTable::Articoli, 1, 1, 4);
    TextPreviewOutcome o = PreviewArticlesFromText(a.archive, a.file("a.txt", "\r\nA100"));
    ASSERT_TRUE(o.ok);
    EXPECT_EQ(o.lines[0].text, "");
    EXPECT_EQ(o.lines[2].text, "0");
}

TEST_F(TextPreviewTest, ProvinceOfWidthFiveShowsTwoLetters) {
    a.assign(TextTable::Clienti, 5, 1, 5);
    EXPECT_EQ(PreviewPartiesFromText(TextTable::Clienti, a.archive, a.file("c.txt", "MILAN")).lines[4].text, "MI");
    EXPECT_EQ(PreviewPartiesFromText(TextTable::Clienti, a.archive, a.file("d.txt", "MI   x")).lines[4].text, "MI");
}

TEST_F(TextPreviewTest, StartBeyondTheFirstLineShowsEmpty) {
    a.assign(TextTable::Clienti, 1, 10, 5);
    TextPreviewOutcome o = PreviewPartiesFromText(TextTable::Clienti, a.archive, a.file("c.txt", "short\nlong line here"));
    EXPECT_EQ(o.lines[0].text, "");
}

TEST_F(TextPreviewTest, ShowsWhatTheImportStores) {
    a.assign(TextTable::Clienti, 1, 2, 120);
    a.assign(TextTable::Clienti, 5, 1, 4);
    a.assign(TextTable::Clienti, 17, 3, 9);
    std::string line = " \xC8 \tgi\xF9   " + std::string(90, 'z') + "   ";
    std::string file = a.file("c.txt", line + "\n");
    TextPreviewOutcome o = PreviewPartiesFromText(TextTable::Clienti, a.archive, file);
    ASSERT_TRUE(o.ok);
    ASSERT_TRUE(ImportCustomersFromText(a.archive, file).completed);
    auto stored = a.business("select nominativo, pr, email from clienti order by rowid desc limit 1");
    EXPECT_EQ(stored[0][0], o.lines[0].text);
    EXPECT_EQ(stored[0][1], o.lines[4].text);
    EXPECT_EQ(stored[0][2], o.lines[16].text);
    EXPECT_EQ(o.lines[4].text, " È");
}

TEST_F(TextPreviewTest, MissingFileOrBadMappingGivesNoPreview) {
    TextPreviewOutcome missing = PreviewPartiesFromText(TextTable::Clienti, a.archive, a.folder() + "/none.txt");
    EXPECT_FALSE(missing.ok);
    EXPECT_NE(missing.message.find("none.txt"), std::string::npos);
    a.setRaw(TextTable::Articoli, 3, "colonna=0, Qta=2, utilizzato=1");
    TextPreviewOutcome bad = PreviewArticlesFromText(a.archive, a.file("a.txt", "x"));
    EXPECT_FALSE(bad.ok);
    EXPECT_NE(bad.message.find("campo iva"), std::string::npos) << bad.message;
}

}  // namespace
