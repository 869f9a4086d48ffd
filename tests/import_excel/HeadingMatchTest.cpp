// Columns assigned from the sheet's headings: the rules, one case per row.
#include "import_excel/HeadingMatch.h"

#include <gtest/gtest.h>

#include "db/Names.h"

namespace {

using namespace tessaro7::import_excel;

// The mapping rows as delivered: each field's caption.
std::vector<MappingRow> captions(const ExcelTable& table, std::initializer_list<const char*> shown) {
    std::vector<MappingRow> rows;
    auto it = shown.begin();
    for (std::size_t k = 0; k < table.fields.size(); ++k)
        rows.push_back({it != shown.end() ? *it++ : table.fields[k].name, 0, false});
    return rows;
}

PreviewGrid headings(const std::vector<std::string>& cells) {
    PreviewGrid grid(2, static_cast<long>(cells.size()));
    for (std::size_t c = 0; c < cells.size(); ++c) grid.setCell(0, c, cells[c]);
    return grid;
}

// The field a heading is assigned to, or "" when none.
std::string fieldFor(const ExcelTable& table, const HeadingMatch& match, long column) {
    for (const HeadingAssignment& a : match.assigned)
        if (a.column == column) return table.fields[a.row].name;
    return "";
}

struct Case {
    const char* table;
    const char* heading;
    const char* field;
};

TEST(HeadingMatchTest, EachHeadingFindsItsField) {
    const Case cases[] = {
        {"clienti", "Ragione sociale", "nominativo"},  {"clienti", "DENOMINAZIONE", "nominativo"},
        {"clienti", "Partita IVA", "piva"},            {"clienti", "p. iva", "piva"},
        {"clienti", "VAT", "piva"},                    {"clienti", "Codice Fiscale", "codfis"},
        {"clienti", "Città", "citta"},                 {"clienti", "Comune", "citta"},
        {"clienti", "Località", "citta"},              {"clienti", "Provincia", "pr"},
        {"clienti", "Prov.", "pr"},                    {"clienti", "Telefono", "tel"},
        {"clienti", "Posta elettronica", "email"},     {"clienti", "Sito web", "www"},
        {"clienti", "Via", "indirizzo"},               {"clienti", "C.A.P.", "cap"},
        {"articoli", "Cod. articolo", "codice"},       {"articoli", "SKU", "codice"},
        {"articoli", "Aliquota IVA", "iva"},           {"articoli", "Prezzo di acquisto", "costoeuro"},
        {"articoli", "Giacenza", "esistenza"},         {"articoli", "Qtà", "esistenza"},
        {"articoli", "EAN", "codiceabarre"},           {"articoli", "Codice a barre", "codiceabarre"},
        {"articoli", "Scaffale", "ubicazione"},        {"clienti", "Colore preferito", ""},
    };
    for (const Case& c : cases) {
        const ExcelTable& table = *findExcelTable(c.table);
        HeadingMatch match = matchHeadings(table, captions(table, {}), headings({c.heading}));
        EXPECT_EQ(fieldFor(table, match, 0), c.field) << c.heading;
        EXPECT_EQ(match.headingsWithout.size(), *c.field ? 0u : 1u) << c.heading;
    }
}

TEST(HeadingMatchTest, TheCaptionInTheMappingTableCounts) {
    const ExcelTable& table = *findExcelTable("clienti");
    HeadingMatch match = matchHeadings(table, captions(table, {"Nome della ditta"}), headings({"nome della DITTA"}));
    EXPECT_EQ(fieldFor(table, match, 0), "nominativo");
}

TEST(HeadingMatchTest, AHeadingServesOneFieldAndOwnNamesWinOverSynonyms) {
    const ExcelTable& table = *findExcelTable("articoli");
    // "Giacenza" is a synonym of esistenza; "Esistenza" is its own name; "Giacenza minima" is giacenzamin's.
    HeadingMatch match =
        matchHeadings(table, captions(table, {}), headings({"Giacenza", "Esistenza", "Giacenza minima", "Esistenza"}));
    EXPECT_EQ(fieldFor(table, match, 0), "");
    EXPECT_EQ(fieldFor(table, match, 1), "esistenza");
    EXPECT_EQ(fieldFor(table, match, 2), "giacenzamin");
    EXPECT_EQ(fieldFor(table, match, 3), "");
    EXPECT_EQ(match.headingsWithout, (std::vector<std::string>{"Giacenza", "Esistenza"}));
}

TEST(HeadingMatchTest, EverySynonymNamesAnImportableField) {
    for (const HeadingSynonyms& s : headingSynonyms()) {
        bool found = false;
        for (const char* table : {"clienti", "articoli"})
            for (const ImportField& f : findExcelTable(table)->fields) found = found || tessaro7::db::sameName(f.name, s.field);
        EXPECT_TRUE(found) << s.field;
    }
}

}  // namespace
