// import-log, undo-import: the import register from the command line, and
// the refusal of a file already imported, shared by both import commands.
#include <algorithm>

#include "app/ImportRegister.h"
#include "app/Messages.h"
#include "app/UndoImport.h"
#include "batch/BatchCommand.h"
#include "db/FilledText.h"
#include "db/QuotedText.h"

namespace tessaro7::batch {

namespace {

const char* const kTables[] = {"clienti", "fornitori", "articoli"};

std::string tableArgument(const std::string& name) {
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char ch) { return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch + 32) : ch; });
    for (const char* table : kTables)
        if (lower == table) return lower;
    throw UsageError{db::filledText(app::msg::kBatchUnknownTable, {{"nome", db::quoteValue(name)}})};
}

std::string undoneText(const app::RegisterRun& run) {
    if (run.undoneWhen.empty()) return "";
    return db::filledText(app::msg::kBatchRunUndone, {{"quando", app::registerDateTime(run.undoneWhen)}, {"chi", run.undoneBy}});
}

int importLog(BatchContext& c) {
    if (c.args.size() > 1) throw UsageError{app::msg::kBatchWrongArgumentCount};
    std::string table = c.args.empty() ? std::string() : tableArgument(c.args[0]);
    app::Archive archive;
    if (!c.loadArchive(archive)) return kExitFailure;
    c.out << "N.\tData e ora\tPostazione\tUtente\tTabella\tFile\tByte\tSHA-256\tFoglio\tRecord aggiunti\tEsito\t"
             "Annullabile\tAnnullamento\n";
    for (const app::RegisterRun& run : app::ImportRegister(archive.mappingDatabasePath()).runs(table))
        c.out << run.number << "\t" << run.when << "\t" << run.workstation << "\t" << run.user << "\t" << run.table
              << "\t" << run.file << "\t" << run.size << "\t" << run.sha256 << "\t" << run.sheet << "\t" << run.added
              << "\t" << run.outcome << "\t" << (run.undoable ? "Sì" : "No") << "\t" << undoneText(run) << "\n";
    return kExitOk;
}

int undoImport(BatchContext& c) {
    if (c.args.size() != 1) throw UsageError{app::msg::kBatchGiveTable};
    std::string table = tableArgument(c.args[0]);
    app::Archive archive;
    if (!c.loadArchive(archive)) return kExitFailure;
    app::UndoOutcome outcome = app::undoLastImport(archive.DatabasePath, archive.mappingDatabasePath(), table);
    (outcome.done ? c.out : c.err) << outcome.message << "\n";
    return outcome.done ? kExitOk : kExitFailure;
}

}  // namespace

bool takeFlag(std::vector<std::string>& args, const std::string& flag) {
    auto it = std::find(args.begin(), args.end(), flag);
    if (it == args.end()) return false;
    args.erase(it);
    return true;
}

bool refusedAsRepeated(const BatchContext& c, const app::Archive& archive, const std::string& table,
                       const std::string& file, bool again) {
    if (again) return false;
    std::optional<std::string> question = app::repeatedImportQuestion(archive.mappingDatabasePath(), table, file);
    if (!question) return false;
    c.err << *question << "\n" << app::msg::kAlreadyImportedBatch << "\n";
    return true;
}

std::vector<Command> registerCommands() {
    return {
        {"import-log", "[TABELLA]",
         "Elenca le importazioni annotate nel registro (tutte, o quelle nella tabella clienti, fornitori o "
         "articoli).",
         importLog},
        {"undo-import", "TABELLA",
         "Annulla l'ultima importazione non ancora annullata nella tabella, se tutti i suoi record sono ancora "
         "come li ha importati.",
         undoImport},
    };
}

}  // namespace tessaro7::batch
