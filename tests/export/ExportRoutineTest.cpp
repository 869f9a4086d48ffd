// Each of the thirteen lists exported from a database made by the test,
// compared record by record with the file the list must give, and read back
// with xlrd against the stored values; then the edge cases of the routine.
#include "export/ExportRoutine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "db/RegionalText.h"
#include "export/ExportChoice.h"
#include "export/SheetFiles.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;
using namespace tessaro7;
using namespace tessaro7::exporting;
using namespace tessaro7::testing::sheet;
using tessaro7::testing::TempDir;

constexpr int kYear = 2031;

std::string tableOf(const ExportList& list) {
    std::string t = list.countTable;
    std::transform(t.begin(), t.end(), t.begin(), [](unsigned char c) { return std::tolower(c); });
    return t;
}

// The field each list is ordered by (none for the municipalities, which come
// in the table's own order) and the field holding the year.
std::string keyField(int number) {
    switch (number) {
    case 1: case 2: case 10: return "nominativo";
    case 3: return "codice";
    case 4: return "";
    case 11: return "data_reg";
    case 12: return "data_documento";
    case 13: return "data";
    default: return "fattura_n";
    }
}
std::string yearField(int number) {
    if (number >= 5 && number <= 9) return "anno_fattura";
    if (number >= 11) return "anno";
    return "";
}

std::string isoDate(int year, int month, int day) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
    return text;
}

// Key values in the order the list must give them: Italian order ignores case
// and accents ("acme" before "Àlfa").
Stored keyValue(int number, int rank, int year = kYear) {
    static const char* names[] = {"acme Italia", "Àlfa Ricambi", "Bianchi Forniture", "città Nuova", "Zeta Impianti",
                                  "zzz"};
    const std::string key = keyField(number);
    if (key == "fattura_n") return std::int64_t{10 * (rank + 1)};
    if (key.rfind("data", 0) == 0) return isoDate(year, 3, 1 + 2 * rank);
    if (key.empty()) return std::string("C") + std::to_string(9 - rank);
    return std::string(names[rank]);
}

// The text a text cell shows for a stored value.
std::string shownText(const Stored& v, const std::string& type) {
    if (const auto* w = std::get_if<std::int64_t>(&v)) return std::to_string(*w);
    const std::string& text = std::get<std::string>(v);
    if (type.find("DATE") != std::string::npos)
        return text.substr(8, 2) + "/" + text.substr(5, 2) + "/" + text.substr(0, 4);
    return db::characterCount(text) > 255 ? db::leftCharacters(text, 255) : text;
}

std::optional<CellValue> expectedCell(const ExportColumn& column, const Stored& v, const std::string& type) {
    if (std::holds_alternative<std::monostate>(v)) {
        if (column.cell == CellType::Text) return CellValue(std::string());
        if (column.nullRule == NullRule::Zero) return CellValue(0.0);
        return std::nullopt;
    }
    switch (column.cell) {
    case CellType::Text: return CellValue(shownText(v, type));
    case CellType::Number:
    case CellType::Whole:
        if (const auto* d = std::get_if<double>(&v)) return CellValue(column.cell == CellType::Whole ? std::nearbyint(*d) : *d);
        if (const auto* w = std::get_if<std::int64_t>(&v)) return CellValue(static_cast<double>(*w));
        if (const auto t = std::get<std::string>(v); !t.empty() && std::all_of(t.begin(), t.end(), ::isdigit))
            return CellValue(std::stod(t));
        return std::nullopt;
    }
    return std::nullopt;
}

class ExportRoutineTest : public ::testing::Test {
protected:
    TempDir dir;
    Database database{dir / "Tessaro7.mdb"};
    app::Archive archive = app::archiveFromFolder(dir.str());
    FixedClock clock{kYear};

    fs::path fileOf(const ExportList& list) const { return dir / list.fileName; }

    // Inserts `inserted`, exports `list` and compares the file with the one
    // `expectedOrder` must give, byte for byte and through xlrd.
    ExportOutcome checkExport(const ExportList& list, const std::vector<StoredRow>& inserted,
                              const std::vector<StoredRow>& expectedOrder) {
        const std::string table = tableOf(list);
        for (const StoredRow& row : inserted) database.insert(table, row);
        const auto types = database.columnTypes(table);

        std::vector<Row> rows;
        for (const StoredRow& stored : expectedOrder) {
            Row row;
            for (const ExportColumn& column : list.columns) {
                const auto found = stored.find(column.field);
                row.push_back(expectedCell(column, found == stored.end() ? Stored{} : found->second,
                                           types.at(column.field)));
            }
            rows.push_back(row);
        }

        const ExportOutcome outcome = exportList(list, archive, clock);
        EXPECT_TRUE(outcome.succeeded) << outcome.message;
        EXPECT_EQ(outcome.rowsWritten, static_cast<long>(expectedOrder.size()));
        EXPECT_EQ(outcome.path, dir.str() + "\\" + list.fileName);

        const std::string actual = readBytes(fileOf(list));
        const std::string expected = expectedSheet(list, rows);
        const std::string difference = firstDifference(actual, expected);
        EXPECT_EQ(difference, "") << list.caption;

        const Sheet sheet = readSheetWithXlrd(fileOf(list));
        EXPECT_EQ(sheet.rows, expectedOrder.size() + 1) << list.caption;
        EXPECT_EQ(sheet.columns, list.columns.size()) << list.caption;
        for (std::size_t c = 0; c < list.columns.size(); ++c) {
            const auto cell = sheet.cells.find({0u, static_cast<unsigned>(c)});
            EXPECT_EQ(show(cell == sheet.cells.end() ? std::nullopt : std::optional<CellValue>(cell->second)),
                      show(CellValue(std::string(list.columns[c].heading))));
        }
        for (std::size_t r = 0; r < rows.size(); ++r)
            for (std::size_t c = 0; c < list.columns.size(); ++c) {
                const auto cell = sheet.cells.find({static_cast<unsigned>(r + 1), static_cast<unsigned>(c)});
                EXPECT_EQ(show(cell == sheet.cells.end() ? std::nullopt : std::optional<CellValue>(cell->second)),
                          show(rows[r][c]))
                    << list.caption << " row " << r + 2 << " column " << list.columns[c].field;
            }
        return outcome;
    }

    // Five records of the list's year: key by rank, every other exported field
    // filled after its stored type, except rank 2 whose fields are all Null.
    StoredRow generated(const ExportList& list, int rank, int year = kYear) {
        const auto types = database.columnTypes(tableOf(list));
        StoredRow row;
        int c = 0;
        for (const ExportColumn& column : list.columns) {
            ++c;
            if (column.field == keyField(list.number) || rank == 2) continue;
            const std::string& type = types.at(column.field);
            if (type.find("DATE") != std::string::npos)
                row[column.field] = isoDate(year, 1 + (rank + c) % 12, 1 + rank);
            else if (type.find("CHAR") != std::string::npos)
                row[column.field] = column.cell == CellType::Number
                                        ? std::to_string(rank + 1)
                                        : "Valore " + std::to_string(rank) + "-" + std::to_string(c) + " àè€";
            else if (type.find("DOUBLE") != std::string::npos)
                row[column.field] = rank * 10 + c + 0.25;
            else
                row[column.field] = std::int64_t{100 + rank};
        }
        if (!keyField(list.number).empty()) row[keyField(list.number)] = keyValue(list.number, rank, year);
        else row["codice"] = keyValue(list.number, rank);
        if (!yearField(list.number).empty()) row[yearField(list.number)] = std::int64_t{year};
        return row;
    }
};

class EveryList : public ExportRoutineTest, public ::testing::WithParamInterface<int> {};

TEST_P(EveryList, FileMatchesTheListRecordByRecordAndReadsBack) {
    const ExportList& list = *listByNumber(GetParam());
    std::vector<StoredRow> ranked;
    for (int rank = 0; rank < 5; ++rank) ranked.push_back(generated(list, rank));
    std::vector<StoredRow> inserted = {ranked[3], ranked[0], ranked[4], ranked[2], ranked[1]};
    if (list.yearly()) {
        // Documents of the years around the export year are not exported.
        inserted.insert(inserted.begin() + 1, generated(list, 0, kYear - 1));
        inserted.push_back(generated(list, 1, kYear + 1));
    }
    // Without an ordering clause the rows keep the table's order.
    const std::vector<StoredRow>& expected = keyField(list.number).empty() ? inserted : ranked;
    checkExport(list, inserted, expected);
}

INSTANTIATE_TEST_SUITE_P(ExportRoutine, EveryList, ::testing::Range(1, 14),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(listByNumber(info.param)->routine);
                         });

TEST_F(ExportRoutineTest, PriceListCodesThatAreNotNumbersLeaveColumnKEmpty) {
    const ExportList& list = *listByNumber(1);
    std::vector<StoredRow> rows = {
        {{"nominativo", std::string("Alfa")}, {"listino", std::string("A00")}},
        {{"nominativo", std::string("Beta")}, {"listino", std::string("12")}},
        {{"nominativo", std::string("Gamma")}},
    };
    checkExport(list, rows, rows);
    const Sheet sheet = readSheetWithXlrd(fileOf(list));
    EXPECT_EQ(sheet.cells.count({1u, 10u}), 0u);
    EXPECT_EQ(show(sheet.cells.at({2u, 10u})), "12");
    EXPECT_EQ(sheet.cells.count({3u, 10u}), 0u);
    EXPECT_EQ(show(sheet.cells.at({3u, 1u})), "\"\"");  // seconda_riga Null: an empty text
}

TEST_F(ExportRoutineTest, ArticleNullRulesAndLongDescriptions) {
    const ExportList& list = *listByNumber(3);
    const std::string longText = std::string(299, 'x') + "è";
    std::vector<StoredRow> rows = {
        {{"codice", std::string("A1")}, {"descrizione", longText}, {"costoeuro", 2.5}, {"esistenza", 4.0}},
        {{"codice", std::string("A2")}, {"descrizione", std::string("Vite")}},
    };
    const ExportOutcome outcome = checkExport(list, rows, rows);
    EXPECT_EQ(outcome.textsCut, 1);
    EXPECT_EQ(outcome.message, "File Excel esportato.\r\nNome File: " + dir.str() +
                                   "\\XLSArticoli.xls\r\nTesti accorciati a 255 caratteri: 1");
    const Sheet sheet = readSheetWithXlrd(fileOf(list));
    EXPECT_EQ(show(sheet.cells.at({1u, 1u})), "\"" + std::string(255, 'x') + "\"");
    EXPECT_EQ(sheet.cells.count({2u, 2u}), 0u);       // costoeuro Null: no cell
    EXPECT_EQ(show(sheet.cells.at({2u, 3u})), "0");   // esistenza Null: zero
    EXPECT_EQ(show(sheet.cells.at({2u, 4u})), "\"\""); // ubicazione Null: empty text
}

TEST_F(ExportRoutineTest, JournalKeepsEveryVatGroup) {
    const ExportList& list = *listByNumber(11);
    StoredRow entry = {{"anno", std::int64_t{kYear}}, {"data_reg", isoDate(kYear, 5, 2)},
                       {"data doc", isoDate(kYear, 4, 30)}, {"tipo", std::string("FT")},
                       {"riferimento", std::string("Fattura 7")}, {"n_movimento", std::int64_t{7}},
                       {"credito", 122.5}, {"debito", 0.0}, {"impo1", 100.0}, {"aliquota1", 22.0}, {"iva1", 22.5}};
    for (int n = 2; n <= 5; ++n)
        for (const char* f : {"impo", "aliquota", "iva"}) entry[f + std::to_string(n)] = 0.0;
    checkExport(list, {entry}, {entry});
    const Sheet sheet = readSheetWithXlrd(fileOf(list));
    EXPECT_EQ(show(sheet.cells.at({1u, 0u})), "\"02/05/2031\"");
    EXPECT_EQ(show(sheet.cells.at({1u, 4u})), "7");
    EXPECT_EQ(show(sheet.cells.at({1u, 8u})), "22");
    EXPECT_EQ(show(sheet.cells.at({1u, 9u})), "22.5");
    for (unsigned c = 10; c <= 12; ++c) EXPECT_EQ(show(sheet.cells.at({1u, c})), "0");
}

TEST_F(ExportRoutineTest, YearComesFromTheClockAndAnEmptyYearGivesTheHeadingOnly) {
    const ExportList& list = *listByNumber(6);
    database.insert("fatturav", generated(list, 0, 2030));
    database.insert("fatturav", generated(list, 1, 2030));
    const ExportOutcome empty = exportList(list, archive, clock);
    EXPECT_TRUE(empty.succeeded);
    EXPECT_EQ(empty.rowsWritten, 0);
    EXPECT_EQ(empty.message, "File Excel esportato.\r\nNome File: " + dir.str() + "\\XLSFTVENDITA.xls");
    EXPECT_EQ(firstDifference(readBytes(fileOf(list)), expectedSheet(list, {})), "");
    EXPECT_EQ(countListRecords(list, archive.DatabasePath), 2);  // the count covers every year

    const ExportOutcome earlier = exportList(list, archive, FixedClock(2030));
    EXPECT_EQ(earlier.rowsWritten, 2);
}

TEST_F(ExportRoutineTest, RowsBeyondTheLastSheetRowAreCountedAndReported) {
    const ExportList& list = *listByNumber(4);
    database.exec("begin");
    for (int i = 1; i <= 32768; ++i)
        database.insert("comuni", {{"codice", std::to_string(i)}, {"comune", std::string("Comune")}});
    database.exec("commit");
    const ExportOutcome outcome = exportList(list, archive, clock);
    EXPECT_TRUE(outcome.succeeded);
    EXPECT_EQ(outcome.rowsWritten, 32766);
    EXPECT_EQ(outcome.rowsLeftOut, 2);
    EXPECT_EQ(outcome.message, "File Excel esportato.\r\nNome File: " + dir.str() +
                                   "\\XLSComuni.xls\r\nRighe non esportate (oltre la riga 32767 del foglio): 2");
    const std::string bytes = readBytes(fileOf(list));
    const auto all = records(bytes);
    ASSERT_GE(all.size(), 3u);
    const Record& lastCell = all[all.size() - 3];
    EXPECT_EQ(hex(lastCell.bytes.substr(0, 8)), "04 00 0E 00 FE 7F 01 00");  // row 32767, column B
    EXPECT_EQ(hex(all[all.size() - 2].bytes), "12 00 02 00 01 00");          // protected
    const Sheet sheet = readSheetWithXlrd(fileOf(list));
    EXPECT_EQ(sheet.rows, 32767u);
    EXPECT_EQ(show(sheet.cells.at({32766u, 0u})), "\"32766\"");
}

TEST_F(ExportRoutineTest, AFileThatCannotBeCreatedIsAFailureNamingPathAndReason) {
    const ExportList& list = *listByNumber(4);
    database.insert("comuni", {{"codice", std::string("1")}, {"comune", std::string("Roma")}});
    const ExportOutcome outcome = exportList(list, archive, "manca\\XLSComuni.xls", clock);
    EXPECT_FALSE(outcome.succeeded);
    EXPECT_EQ(outcome.message, "Impossibile creare il file Excel.\r\nNome File: " + dir.str() +
                                   "\\manca\\XLSComuni.xls\r\nMotivo: cartella inesistente");
    EXPECT_FALSE(fs::exists(dir / "manca"));
}

TEST_F(ExportRoutineTest, AMissingFieldFailsBeforeTheFileIsTouched) {
    const ExportList& list = *listByNumber(2);
    database.insert("fornitori", {{"nominativo", std::string("Alfa")}});
    database.exec("alter table fornitori drop column agente");
    dir.write("XLSFornitori.xls", "old");
    try {
        exportList(list, archive, clock);
        FAIL() << "no engine error";
    } catch (const db::EngineError& e) {
        EXPECT_EQ(e.number(), 3265);
        EXPECT_NE(std::string(e.what()).find("agente"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find(dir.str() + "\\XLSFornitori.xls"), std::string::npos) << e.what();
    }
    EXPECT_EQ(dir.read("XLSFornitori.xls"), "old");
}

TEST_F(ExportRoutineTest, AMissingTableIsTheEngineError) {
    database.exec("drop table ddt");
    try {
        exportList(*listByNumber(5), archive, clock);
        FAIL() << "no engine error";
    } catch (const db::EngineError& e) {
        EXPECT_EQ(e.number(), 3078);
        EXPECT_EQ(engineFailureMessage(e).rfind("Errore 3078: Esportazione non riuscita: ", 0), 0u)
            << engineFailureMessage(e);
    }
    EXPECT_FALSE(fs::exists(dir / "XLSDDT.xls"));
}

TEST_F(ExportRoutineTest, AnEngineFailureInTheMiddleRemovesThePartialFile) {
    // Many pages of municipalities, then the last pages of the database file
    // damaged: the first rows read, a later one fails.
    database.exec("begin");
    for (int i = 1; i <= 3000; ++i)
        database.insert("comuni", {{"codice", std::to_string(i)}, {"comune", std::string(200, 'c')}});
    database.exec("commit");
    database.close();
    {
        std::fstream file(dir / "Tessaro7.mdb", std::ios::binary | std::ios::in | std::ios::out);
        file.seekp(0, std::ios::end);
        const std::streamoff size = file.tellp();
        file.seekp(size - 40 * 4096);
        file << std::string(40 * 4096, '\xFF');
    }
    dir.write("XLSComuni.xls", "old");
    try {
        const ExportOutcome outcome = exportList(*listByNumber(4), archive, clock);
        FAIL() << "no engine error: " << outcome.message;
    } catch (const db::EngineError& e) {
        EXPECT_NE(std::string(e.what()).find(", riga del foglio "), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("eliminato"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(fs::exists(dir / "XLSComuni.xls"));
}

TEST(ExportRequestTest, TheLeadingNumberOfTheCountAndTheListNumberDecide) {
    using Action = ExportRequest::Action;
    EXPECT_EQ(exportRequest("", "L").action, Action::Refuse);
    EXPECT_EQ(exportRequest("0", "1").action, Action::Refuse);
    EXPECT_EQ(exportRequest("abc12", "1").action, Action::Refuse);
    EXPECT_EQ(exportRequest("12", "L").action, Action::Nothing);
    EXPECT_EQ(exportRequest("12", "14").action, Action::Nothing);
    const ExportRequest run = exportRequest("12 righe", "13");
    EXPECT_EQ(run.action, Action::Run);
    EXPECT_EQ(run.list, listByNumber(13));
    EXPECT_EQ(exportRequest(" 3", "1").list, listByNumber(1));
}

}  // namespace
