// ImportFromExcel: both branches with their cut lengths and conversions, the
// refusals before anything is written, and the end notice.
#include "import_excel/ExcelImport.h"

#include <gtest/gtest.h>

#include "app/Messages.h"
#include "db/DataSource.h"
#include "import_excel/PreviewSheet.h"
#include "support/ExcelImportArchive.h"
#include "support/XlwtWorkbook.h"

namespace {

using namespace tessaro7::import_excel;
using namespace tessaro7::testing;
using tessaro7::db::DataSource;
using tessaro7::db::Value;
namespace msg = tessaro7::app::msg;

PreviewGrid gridOf(const std::vector<std::vector<std::string>>& rows, long cols) {
    PreviewGrid grid(static_cast<long>(rows.size()), cols);
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (std::size_t c = 0; c < rows[r].size(); ++c) grid.setCell(r, c, rows[r][c]);
    return grid;
}

// Every rule holds with the business database in the file and on a server.
struct ExcelImportTest : ::testing::TestWithParam<Engine> {
    void SetUp() override { TESSARO7_SKIP_WITHOUT_SERVER(GetParam()); }
    ExcelImportArchive a{GetParam()};
    ExcelMappingStore mapping;

    void choose(const char* table) { mapping.choose(a.archive.mappingDatabasePath(), *findExcelTable(table)); }
    ImportOutcome import(const PreviewGrid& grid) { return ImportFromExcel(a.archive.DatabasePath, mapping, grid); }
    std::vector<Value> valuesOf(const std::string& table, const std::string& field) {
        DataSource data;
        data.setDatabaseName(a.archive.DatabasePath);
        data.setRecordSource("select * from " + table);
        std::vector<Value> values;
        for (data.refresh(); !data.eof(); data.moveNext()) values.push_back(data.field(field));
        return values;
    }
    long count(const std::string& table) {
        DataSource data;
        data.setDatabaseName(a.archive.DatabasePath);
        data.setRecordSource(table);
        data.refresh();
        return data.recordCount();
    }
};

TEST_P(ExcelImportTest, OneRecordPerGridRowBelowTheHeading) {
    TempDir dir;
    writeXlwtWorkbook(dir / "c.xls", {{std::string("Nome")},
                                      {std::string("Primo")},
                                      {std::string("Secondo")},
                                      {std::string("Terzo")}});
    choose("clienti");
    mapping.assign(0, "0");
    PreviewGrid grid;
    PreviewSheet((dir / "c.xls").string(), "1", "4", grid);
    ImportOutcome outcome = import(grid);
    EXPECT_TRUE(outcome.completed);
    EXPECT_EQ(outcome.added, 3);
    EXPECT_EQ(outcome.notice.lines[0], msg::kExcelDone);
    EXPECT_EQ(outcome.notice.lines[1], "Record aggiunti alla tabella Clienti: 3.");
    EXPECT_EQ(outcome.notice.lines[2], tessaro7::app::kNoticePlaceholder);
    EXPECT_EQ(valuesOf("clienti", "nominativo"), (std::vector<Value>{"Primo", "Secondo", "Terzo"}));

    PreviewSheet((dir / "c.xls").string(), "1", "3", grid);
    EXPECT_EQ(import(grid).added, 2);
    EXPECT_EQ(valuesOf("clienti", "nominativo"),
              (std::vector<Value>{"Primo", "Secondo", "Terzo", "Primo", "Secondo"}));
}

TEST_P(ExcelImportTest, NoRowsStillEndsWithTheNotice) {
    choose("fornitori");
    for (long rows : {0L, 1L}) {
        ImportOutcome outcome = import(gridOf(std::vector<std::vector<std::string>>(static_cast<std::size_t>(rows), {"x"}), 1));
        EXPECT_TRUE(outcome.completed);
        EXPECT_EQ(outcome.notice.lines[0], msg::kExcelDone);
        EXPECT_EQ(outcome.notice.lines[1], "Record aggiunti alla tabella Fornitori: 0.");
    }
    EXPECT_EQ(count("fornitori"), 0);
}

TEST_P(ExcelImportTest, PartyFieldsAreCutToTheirLengths) {
    choose("clienti");
    // Field k reads column k.
    for (std::size_t k = 0; k < 18; ++k) mapping.assign(k, std::to_string(k));
    std::vector<std::string> row;
    for (std::size_t k = 0; k < 18; ++k) row.push_back(std::string(100, char('a' + k)));
    ImportOutcome outcome = import(gridOf({std::vector<std::string>(18, "titolo"), row}, 18));
    ASSERT_TRUE(outcome.completed) << outcome.notice.lines[1];
    const std::size_t cuts[] = {80, 80, 50, 5, 5, 50, 30, 16, 11, 15, 30, 30, 30, 30, 20, 20, 50, 80};
    for (std::size_t k = 0; k < 18; ++k) {
        const char* field = findExcelTable("clienti")->fields[k].name;
        EXPECT_EQ(valuesOf("clienti", field).at(0), Value(std::string(cuts[k], char('a' + k)))) << field;
    }
}

TEST_P(ExcelImportTest, TrailingBlanksOfTheCutTextGoLeadingBlanksStay) {
    choose("clienti");
    mapping.assign(0, "0");
    mapping.assign(3, "1");
    std::string name = std::string(78, 'n') + "    tail";  // blanks at characters 79 and 80
    import(gridOf({{"h", "h"}, {name, " 12  "}, {" Rossi  ", "1234567"}}, 2));
    EXPECT_EQ(valuesOf("clienti", "nominativo"), (std::vector<Value>{std::string(78, 'n'), " Rossi"}));
    EXPECT_EQ(valuesOf("clienti", "cap"), (std::vector<Value>{" 12", "12345"}));
}

TEST_P(ExcelImportTest, TabsAndLineEndsAreTextWhereverTheyStand) {
    choose("clienti");
    mapping.assign(0, "0");
    const std::vector<std::string> names = {"\tRossi", "Rossi e figli\tS.r.l.", "Bianchi Società\r\nsede\nMilano",
                                            "Verdi Giuseppe & C.\t\t"};
    std::vector<std::vector<std::string>> rows = {{"h"}};
    for (const std::string& name : names) rows.push_back({name});
    ImportOutcome outcome = import(gridOf(rows, 1));
    EXPECT_TRUE(outcome.completed) << outcome.notice.lines[1];
    EXPECT_EQ(valuesOf("clienti", "nominativo"), std::vector<Value>(names.begin(), names.end()));
}

TEST_P(ExcelImportTest, CutsCountCharactersNotBytes) {
    choose("clienti");
    mapping.assign(3, "0");
    import(gridOf({{"h"}, {"àèìòùé"}}, 1));
    EXPECT_EQ(valuesOf("clienti", "cap").at(0), Value("àèìòù"));
}

TEST_P(ExcelImportTest, UnassignedFieldsAreEmptyTextWhateverTheSheetHolds) {
    choose("clienti");
    mapping.assign(0, "0");
    mapping.assign(17, "1");
    mapping.assign(4, "1");
    mapping.unassign(4);
    import(gridOf({{"h", "h"}, {"Rossi", "www.esempio.it"}}, 2));
    EXPECT_EQ(valuesOf("clienti", "www").at(0), Value("www.esempio.it"));
    for (const char* field : {"seconda_riga", "pr", "codfis", "telcont"})
        EXPECT_EQ(valuesOf("clienti", field).at(0), Value("")) << field;
    // Fields outside the list keep the table's default.
    EXPECT_TRUE(valuesOf("clienti", "listino").at(0).isNull());
}

TEST_P(ExcelImportTest, TwoFieldsMayReadTheSameColumn) {
    choose("clienti");
    mapping.assign(10, "1");
    mapping.assign(12, "1");
    import(gridOf({{"h", "h"}, {"x", "06 123456"}}, 2));
    EXPECT_EQ(valuesOf("clienti", "tel").at(0), Value("06 123456"));
    EXPECT_EQ(valuesOf("clienti", "fax").at(0), Value("06 123456"));
}

TEST_P(ExcelImportTest, SuppliersGoToFornitoriOnly) {
    choose("fornitori");
    mapping.assign(0, "0");
    ImportOutcome outcome = import(gridOf({{"h"}, {"Fornitore uno"}, {"Fornitore due"}}, 1));
    EXPECT_EQ(outcome.notice.lines[1], "Record aggiunti alla tabella Fornitori: 2.");
    EXPECT_EQ(valuesOf("fornitori", "nominativo"), (std::vector<Value>{"Fornitore uno", "Fornitore due"}));
    EXPECT_EQ(count("clienti"), 0);
}

TEST_P(ExcelImportTest, ArticleFieldsByTheirRules) {
    choose("articoli");
    for (std::size_t k = 0; k < 10; ++k) mapping.assign(k, std::to_string(k));
    std::vector<std::string> heading(10, "h");
    std::vector<std::string> first{std::string(20, 'C'), std::string(300, 'd'), "21,6", "12,5", "", "1", "2",
                                   "-3,25", std::string(20, 'B'), std::string(120, 'u')};
    std::vector<std::string> second{"A2", "Descrizione  ", "0,5", " 7 ", "0,5", "", "", "", "", ""};
    ImportOutcome outcome = import(gridOf({heading, first, second}, 10));
    ASSERT_TRUE(outcome.completed) << outcome.notice.lines[1];
    EXPECT_EQ(valuesOf("articoli", "codice"), (std::vector<Value>{std::string(18, 'C'), "A2"}));
    EXPECT_EQ(valuesOf("articoli", "descrizione"), (std::vector<Value>{std::string(250, 'd'), "Descrizione"}));
    EXPECT_EQ(valuesOf("articoli", "iva"), (std::vector<Value>{Value(21), Value(0)}));
    EXPECT_EQ(valuesOf("articoli", "costoeuro"), (std::vector<Value>{Value(12.5), Value(7.0)}));
    EXPECT_EQ(valuesOf("articoli", "sottoscorta"), (std::vector<Value>{Value(0.0), Value(0.5)}));
    EXPECT_EQ(valuesOf("articoli", "giacenzamin"), (std::vector<Value>{Value(1.0), Value(0.0)}));
    EXPECT_EQ(valuesOf("articoli", "giacenzamax"), (std::vector<Value>{Value(2.0), Value(0.0)}));
    EXPECT_EQ(valuesOf("articoli", "esistenza"), (std::vector<Value>{Value(-3.25), Value(0.0)}));
    EXPECT_EQ(valuesOf("articoli", "codiceabarre"), (std::vector<Value>{std::string(18, 'B'), ""}));
    EXPECT_EQ(valuesOf("articoli", "ubicazione"), (std::vector<Value>{std::string(100, 'u'), ""}));
}

TEST_P(ExcelImportTest, UnassignedArticleNumbersAreZero) {
    choose("articoli");
    mapping.assign(0, "0");
    import(gridOf({{"h"}, {"A1"}}, 1));
    for (const char* field : {"costoeuro", "sottoscorta", "giacenzamin", "giacenzamax", "esistenza"})
        EXPECT_EQ(valuesOf("articoli", field).at(0), Value(0.0)) << field;
    EXPECT_EQ(valuesOf("articoli", "iva").at(0), Value(0));
    EXPECT_EQ(valuesOf("articoli", "descrizione").at(0), Value(""));
}

TEST_P(ExcelImportTest, AnEmptyIvaCellStoresNullAndIsCounted) {
    choose("articoli");
    mapping.assign(0, "0");
    mapping.assign(2, "1");
    ImportOutcome outcome = import(gridOf({{"h", "h"}, {"A1", ""}, {"A2", "22"}, {"A3", ""}}, 2));
    EXPECT_TRUE(outcome.completed);
    EXPECT_EQ(valuesOf("articoli", "iva"), (std::vector<Value>{Value(), Value(22), Value()}));
    EXPECT_EQ(outcome.notice.lines[2], std::string(msg::kArticlesWithoutVat) + "2.");
}

// Each value that its field cannot store stops the import before anything is
// written, naming the sheet row, the field and the value.
TEST_P(ExcelImportTest, ValuesTheirFieldsCannotStoreImportNothing) {
    struct Case {
        std::string cell;
        CellKind kind;
        std::size_t position;  // 2 iva, 3 costoeuro, 1 descrizione
        const char* heading;
        std::string detail;
    };
    const Case cases[] = {
        {"300", CellKind::Value, 2, msg::kValueOutOfRange, "'300' non è fra 0 e 255"},
        {"1E+20", CellKind::Value, 2, msg::kValueOutOfRange, "'1E+20' non è fra 0 e 255"},
        {"-1,5", CellKind::Value, 2, msg::kValueOutOfRange, "'-1,5' non è fra 0 e 255"},
        {"dodici", CellKind::Value, 3, msg::kValueNotNumber, "'dodici' non è un numero"},
        {"#DIV/0!", CellKind::Error, 3, msg::kCellNotAValue, "la cella contiene l'errore #DIV/0!"},
        {"#N/D", CellKind::Error, 1, msg::kCellNotAValue, "la cella contiene l'errore #N/D"},
        {"", CellKind::NoResult, 3, msg::kCellNotAValue, "la cella contiene una formula salvata senza il suo risultato"},
        {"Vite\x01M6", CellKind::Value, 1, msg::kValueControlCharacter, "'Vite\x01M6' contiene un carattere di controllo (codice 1)"},
        {"\x1F", CellKind::Value, 3, msg::kValueControlCharacter, "'\x1F' contiene un carattere di controllo (codice 31)"},
        // Long texts are looked at eight bytes at a time: the character late
        // in a word, after accented letters, after a tab and a line end.
        {"Viti e bulloni\x02M6", CellKind::Value, 1, msg::kValueControlCharacter,
         "'Viti e bulloni\x02M6' contiene un carattere di controllo (codice 2)"},
        {"Perù più così\x1B", CellKind::Value, 1, msg::kValueControlCharacter,
         "'Perù più così\x1B' contiene un carattere di controllo (codice 27)"},
        {"A\tcapo\r\nriga due, poi\x7F\x08", CellKind::Value, 1, msg::kValueControlCharacter,
         "'A\tcapo\r\nriga due, poi\x7F\x08' contiene un carattere di controllo (codice 8)"},
    };
    choose("articoli");
    mapping.assign(0, "0");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cell);
        mapping.assign(c.position, "1");
        PreviewGrid grid = gridOf({{"h", "h"}, {"A1", "22"}, {"A2", ""}}, 2);
        grid.setCell(2, 1, c.cell, c.kind);
        ImportOutcome outcome = import(grid);
        EXPECT_FALSE(outcome.completed);
        EXPECT_EQ(outcome.notice.lines[0], c.heading);
        EXPECT_EQ(outcome.notice.lines[1], "Riga 3 del foglio, campo '" + mapping.rows()[c.position].visualizzato + "' (" + findExcelTable("articoli")->fields[c.position].name + "): " +
                                               c.detail + ".");
        EXPECT_EQ(count("articoli"), 0);
        mapping.unassign(c.position);
    }
}

// A cell no field takes stops nothing, whatever it holds: in the heading row,
// in a column no field is assigned, in a row beyond the last chosen.
TEST_P(ExcelImportTest, CellsNoFieldTakesStopNothing) {
    struct Case {
        std::size_t row, col;
        std::string cell;
        CellKind kind;
    };
    const Case cases[] = {
        {0, 0, "Codice", CellKind::Value},
        {1, 2, "note", CellKind::Value},
        {2, 2, "#N/D", CellKind::Error},
        {2, 2, "", CellKind::NoResult},
        {3, 1, "Vite", CellKind::Value},
    };
    choose("articoli");
    mapping.assign(0, "0");
    mapping.assign(1, "1");
    std::vector<Value> stored;
    ImportOptions options;
    options.rows = GridRows{1, 2};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cell);
        const std::string n = std::to_string(stored.size());  // article codes differ from run to run
        PreviewGrid grid = gridOf({{"h", "h", "h"}, {"A1-" + n, "Vite", "x"}, {"A2-" + n, "Dado", "y"}, {"A3-" + n, "Rondella", "z"}}, 3);
        grid.setCell(c.row, c.col, c.cell, c.kind);
        ImportOutcome outcome = ImportFromExcel(a.archive.DatabasePath, mapping, grid, options);
        EXPECT_TRUE(outcome.completed) << outcome.notice.lines[1];
        stored.insert(stored.end(), {Value("Vite"), Value("Dado")});
        EXPECT_EQ(valuesOf("articoli", "descrizione"), stored);
    }
}

TEST_P(ExcelImportTest, OnlyTheFirstTenArticleMappingRowsAreRead) {
    {
        DataSource data;
        data.setDatabaseName(a.archive.mappingDatabasePath());
        data.setRecordSource("articoli");
        data.refresh();
        data.addNew();
        data.setField("visualizzato", "In più");
        data.setField("colonna", 99.0);
        data.setField("utilizzato", true);
        data.update();
    }
    choose("articoli");
    ASSERT_EQ(mapping.rows().size(), 11u);
    mapping.assign(0, "0");
    ImportOutcome outcome = import(gridOf({{"h"}, {"A1"}}, 1));
    EXPECT_TRUE(outcome.completed) << outcome.notice.lines[1];
    EXPECT_EQ(count("articoli"), 1);
}

TEST_P(ExcelImportTest, NoTableChosenImportsNothing) {
    ImportOutcome outcome = import(gridOf({{"h"}, {"x"}}, 1));
    EXPECT_FALSE(outcome.completed);
    EXPECT_EQ(outcome.notice.lines[0], msg::kChooseDestinationTable);
    EXPECT_EQ(count("clienti") + count("fornitori") + count("articoli"), 0);
}

TEST_P(ExcelImportTest, AColumnBeyondThePreviewIsRefused) {
    choose("clienti");
    mapping.assign(0, "0");
    mapping.assign(2, "3");
    ImportOutcome outcome = import(gridOf({{"h", "h", "h"}, {"Rossi", "x", "y"}}, 3));
    EXPECT_FALSE(outcome.completed);
    EXPECT_EQ(outcome.notice.lines[0], msg::kColumnBeyondPreview);
    EXPECT_EQ(outcome.notice.lines[1],
              "Il campo 'Indirizzo' (indirizzo) ha la colonna 3, l'anteprima ha 3 colonne (da 0 a 2).");
    EXPECT_EQ(outcome.notice.lines[2], msg::kNothingImported);
    EXPECT_EQ(count("clienti"), 0);
    // An unassigned row's column does not matter.
    mapping.unassign(2);
    EXPECT_TRUE(import(gridOf({{"h", "h", "h"}, {"Rossi", "x", "y"}}, 3)).completed);
}

TEST_P(ExcelImportTest, ANumberThatDoesNotConvertStopsTheImportBeforeWriting) {
    choose("articoli");
    mapping.assign(0, "0");
    mapping.assign(3, "1");
    ImportOutcome outcome = import(gridOf({{"h", "h"}, {"A1", "1,5"}, {"A2", "2"}, {"A3", "dieci"}}, 2));
    EXPECT_FALSE(outcome.completed);
    EXPECT_EQ(outcome.notice.lines[0], msg::kValueNotNumber);
    EXPECT_EQ(outcome.notice.lines[1], "Riga 4 del foglio, campo 'Costo in euro' (costoeuro): 'dieci' non è un numero.");
    EXPECT_EQ(outcome.notice.lines[2], msg::kNothingImported);
    EXPECT_EQ(count("articoli"), 0);
}

TEST_P(ExcelImportTest, AnEngineFailureKeepsTheRowsBeforeItAndNamesTheRow) {
    choose("articoli");
    mapping.assign(0, "0");
    // The business table forbids a second article with the same code.
    ImportOutcome outcome = import(gridOf({{"h"}, {"A1"}, {"A2"}, {"A1"}, {"A4"}}, 1));
    EXPECT_FALSE(outcome.completed);
    EXPECT_EQ(outcome.added, 2);
    EXPECT_EQ(outcome.notice.lines[0], msg::kImportStopped);
    EXPECT_EQ(outcome.notice.lines[1], "Riga 4 del foglio: Valore duplicato in un indice univoco o nella chiave "
                                       "primaria della tabella 'Articoli' (articoli.codice). (errore 3022)");
    EXPECT_EQ(outcome.notice.lines[2], "Sono salvati nella tabella i record fino alla riga 3 del foglio: importare "
                                       "di nuovo solo le righe successive.");
    EXPECT_EQ(outcome.notice.lines[3], "Record aggiunti alla tabella Articoli: 2.");
    EXPECT_EQ(valuesOf("articoli", "codice"), (std::vector<Value>{"A1", "A2"}));
}

// Blank rows are left out before anything is written: the failing row is
// still named by its row of the sheet.
TEST_P(ExcelImportTest, AFailingRowAfterBlankRowsIsNamedByItsSheetRow) {
    choose("articoli");
    mapping.assign(0, "0");
    ImportOutcome outcome = import(gridOf({{"h"}, {"A1"}, {""}, {""}, {"A2"}, {"A1"}, {"A4"}}, 1));
    EXPECT_FALSE(outcome.completed);
    EXPECT_EQ(outcome.notice.lines[1].rfind("Riga 6 del foglio: ", 0), 0u) << outcome.notice.lines[1];
    EXPECT_EQ(outcome.notice.lines[2], "Sono salvati nella tabella i record fino alla riga 5 del foglio: importare "
                                       "di nuovo solo le righe successive.");
    EXPECT_EQ(valuesOf("articoli", "codice"), (std::vector<Value>{"A1", "A2"}));
}

TEST_P(ExcelImportTest, AShortMappingTableIsRefused) {
    tessaro7::db::createDatabaseFromSql(a.dir.str() + "/corta.mdb",
                                        "create table fornitori (visualizzato TEXT, colonna LONG, utilizzato YESNO);"
                                        "insert into fornitori values ('Ragione sociale', 0, -1);");
    mapping.choose(a.archive.ArchiveFolder + "\\corta.mdb", *findExcelTable("fornitori"));
    ImportOutcome outcome = import(gridOf({{"h"}, {"x"}}, 1));
    EXPECT_FALSE(outcome.completed);
    EXPECT_EQ(outcome.notice.lines[0], msg::kMappingTooShort);
    EXPECT_EQ(outcome.notice.lines[1], "La tabella 'fornitori' del database delle assegnazioni ha 1 righe, ne servono 18.");
    EXPECT_EQ(count("fornitori"), 0);
}

TEST_P(ExcelImportTest, AFailedPreviewLeavesNothingToImport) {
    TempDir dir;
    writeXlwtWorkbook(dir / "c.xls", {{std::string("Nome")}, {std::string("Primo")}});
    choose("clienti");
    mapping.assign(0, "0");
    PreviewGrid grid;
    PreviewSheet((dir / "c.xls").string(), "1", "2", grid);
    PreviewSheet((dir / "altro.xls").string(), "1", "2", grid);
    ImportOutcome outcome = import(grid);
    EXPECT_TRUE(outcome.completed);
    EXPECT_EQ(outcome.added, 0);
    EXPECT_EQ(count("clienti"), 0);
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(Engines, ExcelImportTest, TESSARO7_ENGINES);
