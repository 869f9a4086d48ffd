// Each of the thirteen lists exported from a database made by the test,
// compared record by record with the file the list must give, and read back
// with xlrd against the stored values; then the edge cases of the routine.
#include "export/ExportRoutine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "db/RegionalText.h"
#include "export/ExportChoice.h"
#include "export/SheetFiles.h"
#include "export/XlsxFiles.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;
using namespace tessaro7;
using namespace tessaro7::exporting;
using namespace tessaro7::testing::sheet;
using tessaro7::testing::TempDir;
namespace xlsx = tessaro7::testing::xlsx;

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
    char text[32];  // room for any int, as the compiler checks
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

// What openpyxl must read from an .xlsx cell for a stored value: dates as
// dates, numbers as numbers, texts whole; an empty text is no cell.
std::optional<std::string> expectedXlsxCell(const ExportColumn& column, const Stored& v, const std::string& type) {
    if (std::holds_alternative<std::monostate>(v)) {
        if (column.nullRule != NullRule::Zero) return std::nullopt;
        return column.cell == CellType::Text ? std::string("s:0") : xlsx::number(0);
    }
    if (column.cell == CellType::Text) {
        if (const auto* w = std::get_if<std::int64_t>(&v)) return "s:" + std::to_string(*w);
        const std::string& text = std::get<std::string>(v);
        if (type.find("DATE") != std::string::npos)
            return "d:" + (text.size() == 10 ? text + " 00:00:00" : text);
        if (text.empty()) return std::nullopt;
        return "s:" + text;
    }
    const std::optional<CellValue> biff = expectedCell(column, v, type);
    if (!biff) return std::nullopt;
    return xlsx::number(std::get<double>(*biff));
}

std::string columnLetter(std::size_t c) { return std::string(1, static_cast<char>('A' + c)); }

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

    // Inserts `inserted`, exports `list` as .xlsx and reads it back with
    // openpyxl: every cell against the stored values, the headings, widths,
    // frozen heading row, autofilter and protection.
    xlsx::Sheet checkXlsxExport(const ExportList& list, const std::vector<StoredRow>& inserted,
                                const std::vector<StoredRow>& expectedOrder) {
        const std::string table = tableOf(list);
        for (const StoredRow& row : inserted) database.insert(table, row);
        const auto types = database.columnTypes(table);

        const ExportOutcome outcome = exportList(list, archive, clock, SheetFormat::Xlsx);
        EXPECT_TRUE(outcome.succeeded) << outcome.message;
        EXPECT_EQ(outcome.path, dir.str() + "\\" + fileNameFor(list, SheetFormat::Xlsx));
        EXPECT_EQ(outcome.rowsWritten, static_cast<long>(expectedOrder.size()));

        const xlsx::Sheet sheet = xlsx::readWithOpenpyxl(dir / fileNameFor(list, SheetFormat::Xlsx));
        const std::size_t n = list.columns.size();
        EXPECT_EQ(sheet.rows, static_cast<int>(expectedOrder.size() + 1)) << list.caption;
        EXPECT_EQ(sheet.columns, static_cast<int>(n)) << list.caption;
        EXPECT_EQ(sheet.title, list.title);
        EXPECT_EQ(sheet.frozen, "A2");
        EXPECT_EQ(sheet.filter, "A1:" + columnLetter(n - 1) + std::to_string(expectedOrder.size() + 1));
        EXPECT_EQ(sheet.protectedSheet, list.protect);
        auto alignment = [](Align a) { return a == Align::Left ? "left" : "right"; };
        for (std::size_t c = 0; c < n; ++c) {
            const ExportColumn& column = list.columns[c];
            EXPECT_NEAR(sheet.widths.count(columnLetter(c)) ? sheet.widths.at(columnLetter(c)) : 0.0,
                        column.width + 0.5, 0.5)
                << column.field;
            const auto heading = sheet.cells.find({1, static_cast<int>(c + 1)});
            if (heading == sheet.cells.end()) {
                ADD_FAILURE() << "no heading " << column.heading;
                continue;
            }
            EXPECT_EQ(heading->second.value, std::string("s:") + column.heading);
            EXPECT_TRUE(heading->second.bold) << column.heading;
            EXPECT_EQ(heading->second.align, alignment(column.headingAlign)) << column.heading;
        }
        for (std::size_t r = 0; r < expectedOrder.size(); ++r)
            for (std::size_t c = 0; c < n; ++c) {
                const ExportColumn& column = list.columns[c];
                const auto found = expectedOrder[r].find(column.field);
                const auto want = expectedXlsxCell(
                    column, found == expectedOrder[r].end() ? Stored{} : found->second, types.at(column.field));
                const auto cell = sheet.cells.find({static_cast<int>(r + 2), static_cast<int>(c + 1)});
                const std::string where = std::string(list.caption) + " row " + std::to_string(r + 2) + " " + column.field;
                EXPECT_EQ(cell == sheet.cells.end() ? "(no cell)" : cell->second.value, want.value_or("(no cell)")) << where;
                if (cell == sheet.cells.end()) continue;
                EXPECT_FALSE(cell->second.bold) << where;
                EXPECT_EQ(cell->second.align, alignment(column.dataAlign)) << where;
                if (want && want->rfind("d:", 0) == 0) {
                    EXPECT_EQ(cell->second.numberFormat,
                              want->substr(13) == "00:00:00" ? "dd/mm/yyyy" : "dd/mm/yyyy hh:mm:ss")
                        << where;
                }
            }
        return sheet;
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

TEST_P(EveryList, XlsxReadsBackCellByCellWithTheDatabase) {
    const ExportList& list = *listByNumber(GetParam());
    std::vector<StoredRow> ranked;
    for (int rank = 0; rank < 5; ++rank) ranked.push_back(generated(list, rank));
    std::vector<StoredRow> inserted = {ranked[3], ranked[0], ranked[4], ranked[2], ranked[1]};
    if (list.yearly()) inserted.push_back(generated(list, 1, kYear + 1));
    checkXlsxExport(list, inserted, keyField(list.number).empty() ? inserted : ranked);
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
                                   "/XLSArticoli.xls\r\nTesti accorciati a 255 caratteri: 1");
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
    EXPECT_EQ(empty.message, "File Excel esportato.\r\nNome File: " + dir.str() + "/XLSFTVENDITA.xls");
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
                                   "/XLSComuni.xls\r\nRighe non esportate (oltre la riga 32767 del foglio): 2\r\n"
                                   "Oltre 16384 righe: alcuni programmi (Gnumeric) leggono solo le prime 16384 "
                                   "righe di un file in questo formato, altri (xlrd, e quindi pandas) non lo aprono "
                                   "affatto. Per elenchi così lunghi scegliere il formato .xlsx.");
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

TEST_F(ExportRoutineTest, ASheetOfMoreThan16384RowsWarnsThatSomeProgramsStopThere) {
    const ExportList& list = *listByNumber(4);
    const std::string note = "\r\nOltre 16384 righe: alcuni programmi (Gnumeric) leggono solo le prime 16384 righe";
    database.exec("begin");
    for (int i = 1; i <= 16383; ++i) database.insert("comuni", {{"codice", std::to_string(i)}, {"comune", std::string("C")}});
    database.exec("commit");
    // 16383 records and the heading: 16384 rows, which every reader reads.
    // What the line says of xlrd, as it stands (pandas reads through it): it opens 16384 rows, not one more.
    const std::string xlrdOpens = "/usr/bin/python3 -c 'import sys, xlrd; xlrd.open_workbook(sys.argv[1])' '" +
                                  fileOf(list).string() + "' >/dev/null 2>&1";
    const ExportOutcome full = exportList(list, archive, clock);
    EXPECT_EQ(full.message.find(note), std::string::npos) << full.message;
    EXPECT_EQ(std::system(xlrdOpens.c_str()), 0);
    database.insert("comuni", {{"codice", std::string("16384")}, {"comune", std::string("C")}});
    const ExportOutcome over = exportList(list, archive, clock);
    EXPECT_EQ(over.rowsWritten, 16384);
    EXPECT_NE(over.message.find(note), std::string::npos) << over.message;
    EXPECT_NE(std::system(xlrdOpens.c_str()), 0);
    // The newer format has no such limit.
    const ExportOutcome xlsx = exportList(list, archive, clock, SheetFormat::Xlsx);
    EXPECT_TRUE(xlsx.succeeded) << xlsx.message;
    EXPECT_EQ(xlsx.message, "File Excel esportato.\r\nNome File: " + dir.str() + "/XLSComuni.xlsx");
}

TEST_F(ExportRoutineTest, AFileThatCannotBeCreatedIsAFailureNamingPathAndReason) {
    const ExportList& list = *listByNumber(4);
    database.insert("comuni", {{"codice", std::string("1")}, {"comune", std::string("Roma")}});
    for (const char* name : {"XLSComuni.xls", "XLSComuni.xlsx"}) {
        const SheetFormat format = std::string(name).ends_with("x") ? SheetFormat::Xlsx : SheetFormat::Xls;
        const ExportOutcome outcome = exportList(list, archive, std::string("manca\\") + name, clock, format);
        EXPECT_FALSE(outcome.succeeded);
        EXPECT_EQ(outcome.message, "Impossibile creare il file Excel.\r\nNome File: " + dir.str() + "/manca/" +
                                       name + "\r\nMotivo: cartella inesistente");
    }
    EXPECT_FALSE(fs::exists(dir / "manca"));
}

// A folder on a file system of 64 KiB: both formats find it full, say so,
// and leave no file there.
TEST_F(ExportRoutineTest, AFullDiskIsAFailureAndLeavesNoFile) {
    const fs::path small = dir / "piccolo";
    fs::create_directory(small);
    if (std::system(("mount -t tmpfs -o size=64k tmpfs '" + small.string() + "' 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "a small file system cannot be mounted here (needs root and mount rights)";
    struct Unmount {
        fs::path at;
        ~Unmount() { std::system(("umount '" + at.string() + "'").c_str()); }
    } unmount{small};
    // Texts that do not compress away, so the .xlsx too outgrows 64 KiB.
    database.exec("begin");
    for (int i = 1; i <= 3000; ++i)
        database.insert("comuni", {{"codice", std::to_string(i)},
                                   {"comune", std::to_string(i * 2654435761u) + std::to_string(i * 40503u)}});
    database.exec("commit");
    for (SheetFormat format : {SheetFormat::Xls, SheetFormat::Xlsx}) {
        const std::string name = fileNameFor(*listByNumber(4), format);
        const ExportOutcome outcome = exportList(*listByNumber(4), archive, "piccolo\\" + name, clock, format);
        EXPECT_FALSE(outcome.succeeded) << name;
        EXPECT_EQ(outcome.message, "Impossibile scrivere il file Excel: il file non è stato creato.\r\nNome File: " +
                                       dir.str() + "/piccolo/" + name + "\r\nMotivo: disco pieno");
        EXPECT_TRUE(fs::is_empty(small)) << name;
    }
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
        EXPECT_NE(std::string(e.what()).find(dir.str() + "/XLSFornitori.xls"), std::string::npos) << e.what();
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
    auto openFiles = [] {
        return std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator());
    };
    const auto filesBefore = openFiles();
    for (SheetFormat format : {SheetFormat::Xls, SheetFormat::Xlsx}) {
        const std::string name = fileNameFor(*listByNumber(4), format);
        dir.write(name, "old");
        try {
            const ExportOutcome outcome = exportList(*listByNumber(4), archive, clock, format);
            ADD_FAILURE() << "no engine error: " << outcome.message;
        } catch (const db::EngineError& e) {
            EXPECT_NE(std::string(e.what()).find(", riga del foglio "), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find("eliminato"), std::string::npos) << e.what();
        }
        EXPECT_FALSE(fs::exists(dir / name));
    }
    EXPECT_EQ(openFiles(), filesBefore) << "a file (the .xlsx sheet's temporary file?) left open";
}

TEST_F(ExportRoutineTest, XlsxKeepsLongTextsWholeAndDatesWithTheirTime) {
    const ExportList& articles = *listByNumber(3);
    std::string thousand;
    while (db::characterCount(thousand) < 1000) thousand += "Descrizione lunga àè€ ";
    thousand = db::leftCharacters(thousand, 1000);
    checkXlsxExport(articles, {{{"codice", std::string("A1")}, {"descrizione", thousand}, {"costoeuro", 2.5}}},
                    {{{"codice", std::string("A1")}, {"descrizione", thousand}, {"costoeuro", 2.5}}});

    // Beyond what the format holds a text is cut, and counted.
    database.insert("articoli", {{"codice", std::string("A2")}, {"descrizione", std::string(32768, 'x')}});
    const ExportOutcome cut = exportList(articles, archive, clock, SheetFormat::Xlsx);
    EXPECT_EQ(cut.textsCut, 1);
    EXPECT_EQ(cut.message, "File Excel esportato.\r\nNome File: " + dir.str() +
                               "/XLSArticoli.xlsx\r\nTesti accorciati a 32767 caratteri: 1");
    EXPECT_EQ(xlsx::readWithOpenpyxl(dir / "XLSArticoli.xlsx").cells.at({3, 2}).value, "s:" + std::string(32767, 'x'));

    const ExportList& journal = *listByNumber(11);
    const StoredRow entry = {{"anno", std::int64_t{kYear}}, {"data_reg", std::string("2031-05-02 10:20:30")},
                             {"data doc", isoDate(kYear, 4, 30)}, {"n_movimento", 7.5}, {"credito", 122.5}};
    checkXlsxExport(journal, {entry}, {entry});
}

TEST_F(ExportRoutineTest, Xlsx40000RowsAllReadBack) {
    const ExportList& list = *listByNumber(4);
    database.exec("begin");
    for (int i = 1; i <= 40000; ++i)
        database.insert("comuni", {{"codice", std::to_string(i)}, {"comune", "Comune " + std::to_string(i)}});
    database.exec("commit");
    const ExportOutcome outcome = exportList(list, archive, clock, SheetFormat::Xlsx);
    EXPECT_TRUE(outcome.succeeded) << outcome.message;
    EXPECT_EQ(outcome.rowsWritten, 40000);
    EXPECT_EQ(outcome.rowsLeftOut, 0);
    const xlsx::Sheet sheet = xlsx::readWithOpenpyxl(dir / "XLSComuni.xlsx");
    EXPECT_EQ(sheet.rows, 40001);
    EXPECT_EQ(sheet.filter, "A1:B40001");
    int mismatches = 0;
    for (int i = 1; i <= 40000; ++i)
        if (sheet.cells.at({i + 1, 1}).value != "s:" + std::to_string(i) ||
            sheet.cells.at({i + 1, 2}).value != "s:Comune " + std::to_string(i))
            ++mismatches;
    EXPECT_EQ(mismatches, 0);
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
    // The numeric value of the leading number decides: sign and decimal point included.
    for (std::string count : {"-5", "+3", "0.5", " -0.01x", ".5", "1e3"})
        EXPECT_EQ(exportRequest(count, "1").action, Action::Run) << count;
    for (std::string count : {"-0", "+0.000", "0e5", "-", "+.", ".", "+x3", "0,5"})
        EXPECT_EQ(exportRequest(count, "1").action, Action::Refuse) << count;
}

}  // namespace
