// text-mapping, preview-text, import-text: the text import from the command line.
#include <algorithm>
#include <cstdlib>

#include "app/Messages.h"
#include "batch/BatchCommand.h"
#include "db/FilledText.h"
#include "db/PathResolver.h"
#include "db/QuotedText.h"
#include "import_text/TextFile.h"
#include "import_text/TextImport.h"
#include "import_text/TextMappingStore.h"
#include "import_text/TextPreview.h"

namespace tessaro7::batch {

namespace {

using import_text::TextMappingStore;
using import_text::TextTable;

TextTable tableArgument(const std::string& name) {
    std::optional<TextTable> table = import_text::tableFromName(name);
    if (!table) throw UsageError{db::filledText(app::msg::kBatchUnknownTable, {{"nome", db::quoteValue(name)}})};
    return *table;
}

// An entry box takes only digits.
std::string digitsArgument(const std::string& text, const char* what) {
    if (!std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        throw UsageError{db::filledText(app::msg::kBatchMustBeDigits, {{"argomento", what}, {"valore", db::quoteValue(text)}})};
    return text;
}

int rowArgument(const std::string& text, const TextMappingStore& store) {
    digitsArgument(text, "RIGA");
    long row = text.empty() || text.size() > 9 ? 0 : std::atol(text.c_str());
    if (row < 1 || row > store.rowCount())
        throw UsageError{db::filledText(app::msg::kBatchTextRowMissing,
                                        {{"riga", text},
                                         {"tabella", import_text::mappingTableName(*store.table())},
                                         {"n", std::to_string(store.rowCount())}})};
    return static_cast<int>(row - 1);
}

// A name without a folder is taken from the current folder, as on any command line.
std::string resolvedFile(const BatchContext& c, const std::string& file) {
    return db::resolveUserFile(file, c.workingDirectory.string()).string();
}

void printMapping(const BatchContext& c, const TextMappingStore& store) {
    c.out << "Riga\tCampo della tabella\tColonna\tQtà chrs\tAssegnato\n";
    for (int i = 0; i < store.rowCount(); ++i) {
        const import_text::MappingRow& row = store.rows()[static_cast<std::size_t>(i)];
        c.out << i + 1 << "\t" << row.visualizzato.toText() << "\t" << row.colonna.toText() << "\t"
              << row.qta.toText() << "\t" << (row.assigned() ? "Sì" : "No") << "\n";
    }
}

int textMapping(BatchContext& c) {
    if (c.args.size() < 2) throw UsageError{app::msg::kBatchGiveTableAndOperation};
    TextTable table = tableArgument(c.args[0]);
    const std::string& op = c.args[1];
    std::size_t extra = c.args.size() - 2;
    app::Archive archive;
    if (!c.loadArchive(archive)) return kExitFailure;
    TextMappingStore store;
    store.open(archive.textMappingDatabasePath(), table);
    if (op == "show") {
        if (extra != 0) throw UsageError{app::msg::kBatchShowNoMore};
    } else if (op == "assign") {
        if (extra != 3) throw UsageError{app::msg::kBatchAssignNeeds};
        int row = rowArgument(c.args[2], store);
        std::string start = digitsArgument(c.args[3], "INIZIO");
        std::string width = digitsArgument(c.args[4], "LARGHEZZA");
        import_text::Assignment done = store.assign(row, start, width);
        if (!done) {
            c.err << (done.refusal.empty()
                          ? app::msg::kBatchAssignRefused
                          : done.refusal)
                  << "\n";
            return kExitFailure;
        }
    } else if (op == "unassign") {
        if (extra != 1 && extra != 2) throw UsageError{app::msg::kBatchUnassignNeeds};
        int row = rowArgument(c.args[2], store);
        std::string width = extra == 2 ? digitsArgument(c.args[3], "LARGHEZZA")
                                       : store.rows()[static_cast<std::size_t>(row)].qta.toText();
        store.unassign(row, width);
    } else if (op == "clear") {
        if (extra > 1) throw UsageError{app::msg::kBatchClearNeeds};
        if (extra == 1)
            store.clearAll(std::string_view(digitsArgument(c.args[2], "LARGHEZZA")));
        else
            store.clearAll(std::nullopt);
    } else {
        throw UsageError{db::filledText(app::msg::kBatchUnknownOperation, {{"operazione", db::quoteValue(op)}})};
    }
    printMapping(c, store);
    return kExitOk;
}

// TABLE FILE, the file check and the archive, as preview-text and import-text
// both need them; false after a refusal printed on err.
bool tableFileAndArchive(const BatchContext& c, TextTable& table, app::Archive& archive, std::string& file) {
    if (c.args.size() != 2) throw UsageError{app::msg::kBatchGiveTableAndFile};
    table = tableArgument(c.args[0]);
    if (!import_text::isTextFileName(c.args[1])) {
        c.err << app::msg::kTextChooseFile << "\n";
        return false;
    }
    if (!c.loadArchive(archive)) return false;
    file = resolvedFile(c, c.args[1]);
    return true;
}

int previewText(BatchContext& c) {
    TextTable table{};
    app::Archive archive;
    std::string file;
    if (!tableFileAndArchive(c, table, archive, file)) return kExitFailure;
    import_text::TextPreviewOutcome outcome = import_text::previewFromText(table, archive, file);
    if (!outcome.ok) {
        c.err << outcome.message << "\n";
        return kExitFailure;
    }
    c.err << app::msg::kTextEncoding << outcome.encoding << "\n";
    for (const app::PreviewLine& line : outcome.lines) {
        if (!line.visible) continue;
        c.out << line.caption << ": " << line.text;
        if (!line.refusal.empty()) c.out << app::msg::kTextRefusedMark << line.refusal;
        c.out << "\n";
    }
    return kExitOk;
}

int importText(BatchContext& c) {
    const bool again = takeFlag(c.args, "--again");
    import_text::TextImportOptions options;
    options.skipExisting = takeFlag(c.args, "--skip-existing");
    TextTable table{};
    app::Archive archive;
    std::string file;
    if (!tableFileAndArchive(c, table, archive, file)) return kExitFailure;
    if (refusedAsRepeated(c, archive, import_text::tableName(table), file, again)) return kExitFailure;
    import_text::TextImportOutcome outcome = import_text::importFromText(table, archive, file, {}, options);
    if (!outcome.encoding.empty()) c.err << app::msg::kTextEncoding << outcome.encoding << "\n";
    (outcome.completed ? c.out : c.err) << outcome.message << "\n";
    return outcome.completed ? kExitOk : kExitFailure;
}

}  // namespace

std::vector<Command> textImportCommands() {
    return {
        {"text-mapping", "TABELLA show | assign RIGA INIZIO LARGHEZZA | unassign RIGA [LARGHEZZA] | clear [LARGHEZZA]",
         "Mostra o modifica le colonne assegnate per l'import da file di testo (TABELLA: clienti, fornitori, "
         "articoli; RIGA contata da 1; senza LARGHEZZA resta quella della riga).",
         textMapping},
        {"preview-text", "TABELLA FILE", "Mostra la prima riga del file di testo divisa nei campi, come la importerebbe; un campo che "
         "l'importazione rifiuterebbe è seguito da ' <- ' e dal motivo. La codifica del file va su stderr.",
         previewText},
        {"import-text", "TABELLA FILE [--skip-existing] [--again]",
         "Importa il file di testo a larghezza fissa nella tabella (al più 25000 righe); --skip-existing salta i "
         "record già presenti, --again importa anche un file già importato.",
         importText},
    };
}

}  // namespace tessaro7::batch
