// excel-mapping, preview-excel, import-excel: the Excel import window's
// actions from the command line, through the same core routines.
#include <algorithm>
#include <filesystem>
#include <future>

#include "app/Messages.h"
#include "batch/BatchCommand.h"
#include "db/FilledText.h"
#include "db/Names.h"
#include "db/PathResolver.h"
#include "db/QuotedText.h"
#include "db/RegionalText.h"
#include "import_excel/ExcelImport.h"
#include "import_excel/ExcelMappingStore.h"
#include "import_excel/HeadingMatch.h"
#include "import_excel/ImportChecks.h"
#include "import_excel/PreviewSheet.h"

namespace tessaro7::batch {

namespace {

using namespace import_excel;

bool digitsOnly(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The fields of the window take digits only; so do the arguments.
const std::string& digitsArgument(const std::string& text, const char* what) {
    if (!digitsOnly(text)) throw UsageError{db::filledText(app::msg::kBatchDigitsOnly, {{"argomento", what}, {"valore", db::quoteValue(text)}})};
    return text;
}

const ExcelTable& tableArgument(const std::string& name) {
    const ExcelTable* table = findExcelTable(name);
    if (!table) throw UsageError{db::filledText(app::msg::kBatchUnknownTable, {{"nome", db::quoteValue(name)}})};
    return *table;
}

// A relative name is taken from the working directory, like the other commands;
// backslash separators and letter case as in the archive's paths.
std::string fileArgument(const BatchContext& c, const std::string& name) {
    if (name.empty()) return name;
    return db::resolveUserFile(name, c.workingDirectory.string()).string();
}

void printNotice(std::ostream& out, const app::Notice& notice) {
    for (const std::string& line : notice.lines)
        if (line != app::kNoticePlaceholder) out << line << "\n";
}

// A cell's line breaks and tabs would break the one-row-a-line output.
std::string printable(std::string_view cell) {
    std::string text(cell);
    std::replace_if(text.begin(), text.end(), [](char ch) { return ch == '\t' || ch == '\n' || ch == '\r'; }, ' ');
    return text;
}

// Takes "--sheet NAME" out of the arguments: the sheet to read, empty for
// the one the workbook opens on.
std::string sheetOption(std::vector<std::string>& args) {
    std::string sheet;
    for (auto it = args.begin(); it != args.end();) {
        if (*it != "--sheet") {
            ++it;
            continue;
        }
        if (it + 1 == args.end() || (it + 1)->empty()) throw UsageError{app::msg::kBatchSheetNeedsName};
        sheet = *(it + 1);
        it = args.erase(it, it + 2);
    }
    return sheet;
}

// The grid alone goes to standard output; the sheet read is told on standard error.
void printSheetRead(std::ostream& err, const PreviewOutcome& outcome) {
    if (!outcome.sheetRead.empty()) err << app::msg::kSheetRead << outcome.sheetRead << "\n";
}

void printMappingRow(std::ostream& out, std::size_t index, const MappingRow& row) {
    out << index + 1 << "\t" << row.visualizzato << "\t" << row.colonna << "\t" << (row.utilizzato ? "Sì" : "No")
        << "\n";
}

// The first row of the sheet, as wide as a preview can be.
constexpr const char* kHeadingColumns = "256";

int fromHeadings(BatchContext& c, ExcelMappingStore& store, const std::string& sheet) {
    PreviewGrid grid;
    PreviewOutcome preview = PreviewSheet(fileArgument(c, c.args[2]), kHeadingColumns, "1", grid, sheet);
    printSheetRead(c.err, preview);
    if (preview.notice) {
        printNotice(c.err, *preview.notice);
        return kExitFailure;
    }
    std::vector<MappingRow> rows = store.rows();
    HeadingMatch match = matchHeadings(*store.table(), rows, grid);
    for (const std::string& line : headingMatchLines(match, rows)) c.out << line << "\n";
    if (match.assigned.empty()) return kExitFailure;
    assignFromHeadings(store, match);
    return kExitOk;
}

int excelMapping(BatchContext& c) {
    std::string sheet = sheetOption(c.args);
    if (c.args.size() < 2) throw UsageError{app::msg::kBatchWrongArgumentCount};
    const ExcelTable& table = tableArgument(c.args[0]);
    const std::string& action = c.args[1];
    app::Archive archive;
    if (!c.loadArchive(archive)) return kExitFailure;
    ExcelMappingStore store;
    store.choose(archive.mappingDatabasePath(), table);

    auto rowArgument = [&](const std::string& text) -> std::size_t {
        digitsArgument(text, "RIGA");
        long long row = db::leadingNumber(text);
        if (row < 1 || static_cast<std::size_t>(row) > store.rows().size())
            throw UsageError{db::filledText(app::msg::kBatchExcelRowMissing, {{"riga", text},
                                                                              {"tabella", table.mappingTable},
                                                                              {"n", std::to_string(store.rows().size())}})};
        return static_cast<std::size_t>(row - 1);
    };

    if (action == "show" && c.args.size() == 2) {
        c.out << "Riga\t" << app::msg::kGridFieldColumn << "\t" << app::msg::kGridColumnColumn << "\t"
              << app::msg::kGridAssignedColumn << "\n";
        for (std::size_t i = 0; i < store.rows().size(); ++i) printMappingRow(c.out, i, store.rows()[i]);
        return kExitOk;
    }
    if (action == "assign" && c.args.size() == 4) {
        std::size_t row = rowArgument(c.args[2]);
        store.assign(row, digitsArgument(c.args[3], "COLONNA"));
        printMappingRow(c.out, row, store.rows()[row]);
        return kExitOk;
    }
    if (action == "unassign" && c.args.size() == 3) {
        std::size_t row = rowArgument(c.args[2]);
        store.unassign(row);
        printMappingRow(c.out, row, store.rows()[row]);
        return kExitOk;
    }
    if (action == "from-headings" && c.args.size() == 3) return fromHeadings(c, store, sheet);
    if (action == "clear" && c.args.size() == 2) {
        store.clear();
        c.out << app::msg::kBatchAssignmentsCleared << table.mappingTable << ".\n";
        return kExitOk;
    }
    throw UsageError{db::filledText(app::msg::kBatchUnknownAction, {{"azione", db::quoteValue(action)}})};
}

int previewExcel(BatchContext& c) {
    std::string sheet = sheetOption(c.args);
    if (c.args.size() != 3) throw UsageError{app::msg::kBatchWrongArgumentCount};
    PreviewGrid grid;
    PreviewOutcome outcome = PreviewSheet(fileArgument(c, c.args[0]), digitsArgument(c.args[1], "COLONNE"),
                                          digitsArgument(c.args[2], "RIGHE"), grid, sheet);
    printSheetRead(c.err, outcome);
    if (outcome.notice) {
        printNotice(c.err, *outcome.notice);
        return kExitFailure;
    }
    for (long r = 0; r < grid.PreviewRows(); ++r) {
        for (long col = 0; col < grid.PreviewCols(); ++col) c.out << (col ? "\t" : "") << printable(grid.cell(r, col));
        c.out << "\n";
    }
    return kExitOk;
}

int importExcel(BatchContext& c) {
    std::string sheet = sheetOption(c.args);
    const bool again = takeFlag(c.args, "--again");
    ImportOptions options;
    options.skipExisting = takeFlag(c.args, "--skip-existing");
    if (c.args.size() != 4 && c.args.size() != 6) throw UsageError{app::msg::kBatchWrongArgumentCount};
    const ExcelTable& table = tableArgument(c.args[0]);
    std::string file = fileArgument(c, c.args[1]);
    const std::string& columns = digitsArgument(c.args[2], "COLONNE");
    const std::string& rows = digitsArgument(c.args[3], "RIGHE");
    std::string first = c.args.size() == 6 ? digitsArgument(c.args[4], "PRIMA") : "0";
    std::string last = c.args.size() == 6 ? digitsArgument(c.args[5], "ULTIMA") : "0";
    // The workbook is read while the archive is found and its database
    // opened; a missing archive is still reported before the workbook.
    PreviewGrid grid;
    std::future<PreviewOutcome> reading =
        std::async(std::launch::async, [&] { return PreviewSheet(file, columns, rows, grid, sheet); });
    app::Archive archive;
    if (!c.loadArchive(archive)) return kExitFailure;
    ExcelMappingStore store;
    store.choose(archive.mappingDatabasePath(), table);
    options.target = std::make_shared<db::DataSource>();
    options.target->setDatabaseName(archive.DatabasePath);
    options.target->openInBackground();

    PreviewOutcome preview = reading.get();
    printSheetRead(c.err, preview);
    if (preview.notice) {
        printNotice(c.err, *preview.notice);
        return kExitFailure;
    }
    ImportCheck check = checkBeforeImport(file, first, last);
    if (check.refusal) {
        printNotice(c.err, *check.refusal);
        return kExitFailure;
    }
    RowChoice chosen = chooseImportRows(grid.PreviewRows(), check.firstRow, check.lastRow);
    if (chosen.refusal) {
        printNotice(c.err, *chosen.refusal);
        return kExitFailure;
    }
    if (refusedAsRepeated(c, archive, db::lowerName(table.mappingTable), file, again)) return kExitFailure;
    options.source = {archive.mappingDatabasePath(), file, preview.sheetRead};
    options.rows = chosen.rows;
    ImportOutcome outcome = ImportFromExcel(archive.DatabasePath, store, grid, options);
    printNotice(outcome.completed ? c.out : c.err, outcome.notice);
    return outcome.completed ? kExitOk : kExitFailure;
}

}  // namespace

std::vector<Command> excelImportCommands() {
    return {
        {"excel-mapping",
         "TABELLA show | assign RIGA COLONNA | unassign RIGA | clear | from-headings FILE [--sheet FOGLIO]",
         "Mostra o modifica le assegnazioni delle colonne di Excel (clienti, fornitori, articoli); RIGA da 1, "
         "COLONNA da 0 (0 = A); from-headings assegna le colonne dai titoli della prima riga del foglio.",
         excelMapping},
        {"preview-excel", "FILE COLONNE RIGHE [--sheet FOGLIO]",
         "Stampa l'anteprima del foglio che la cartella di lavoro apre per primo (o di FOGLIO): una riga per "
         "riga, celle separate da tabulazioni; il foglio letto va sullo standard error.",
         previewExcel},
        {"import-excel", "TABELLA FILE COLONNE RIGHE [PRIMA ULTIMA] [--sheet FOGLIO] [--skip-existing] [--again]",
         "Anteprima, controlli e importazione da Excel nella tabella (clienti, fornitori, articoli); PRIMA e "
         "ULTIMA scelgono le righe del foglio da importare (0 e 0: tutte le righe sotto l'intestazione); "
         "--skip-existing salta i record già presenti, --again importa anche un file già importato.",
         importExcel},
    };
}

}  // namespace tessaro7::batch
