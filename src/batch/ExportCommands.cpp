// export LIST, export-all
#include <string>

#include "app/Messages.h"
#include "batch/BatchCommand.h"
#include "export/Clock.h"
#include "export/ExportChoice.h"
#include "export/ExportRoutine.h"

namespace tessaro7::batch {

namespace {

using exporting::ExportList;

// The messages carry CRLF as the message boxes want them; a terminal wants LF.
std::string lines(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
    return out;
}

// Refuses a list whose table is empty, as the export button does; true when
// the file was written.
bool exportOne(const ExportList& list, const app::Archive& archive, BatchContext& c) {
    try {
        if (exporting::countListRecords(list, archive.DatabasePath) == 0) {
            c.err << app::msg::kNothingToExport << "\n";
            return false;
        }
        const exporting::ExportOutcome outcome = exporting::exportList(list, archive, exporting::systemClock());
        (outcome.succeeded ? c.out : c.err) << lines(outcome.message) << "\n";
        return outcome.succeeded;
    } catch (const db::EngineError& e) {
        c.err << lines(exporting::engineFailureMessage(e)) << "\n";
        return false;
    }
}

std::string joined(const std::vector<std::string>& args) {
    std::string text;
    for (const std::string& a : args) text += (text.empty() ? "" : " ") + a;
    return text;
}

int exportList(BatchContext& c) {
    if (c.args.empty()) throw UsageError{"Manca l'elenco da esportare."};
    // A caption with a blank may come as two arguments: "Fatture Vendita".
    const ExportList* list = exporting::listByName(joined(c.args));
    if (!list) {
        std::string known;
        for (const ExportList& l : exporting::exportLists())
            known += "\n  " + std::to_string(l.number) + "  " + l.caption;
        throw UsageError{"Elenco sconosciuto: " + joined(c.args) + ". Gli elenchi sono:" + known};
    }
    app::Archive archive;
    if (!c.loadArchive(archive)) return kExitFailure;
    return exportOne(*list, archive, c) ? kExitOk : kExitFailure;
}

int exportAll(BatchContext& c) {
    if (!c.args.empty()) throw UsageError{"Questo comando non vuole argomenti."};
    app::Archive archive;
    if (!c.loadArchive(archive)) return kExitFailure;
    int failed = 0;
    for (const ExportList& list : exporting::exportLists()) {
        const std::string name = std::to_string(list.number) + " " + list.caption;
        c.out << name << ":\n";
        if (!exportOne(list, archive, c)) {
            c.err << name << ": non esportato.\n";
            ++failed;
        }
    }
    if (failed > 0) {
        c.err << "Elenchi non esportati: " << failed << " su " << exporting::exportLists().size() << ".\n";
        return kExitFailure;
    }
    return kExitOk;
}

}  // namespace

std::vector<Command> exportCommands() {
    return {
        {"export", "ELENCO",
         "Esporta un elenco nel suo file .xls della cartella degli archivi; ELENCO e' il numero (1-13) o la voce "
         "(\"Clienti\", \"Fatture Vendita\", ...) in maiuscole o minuscole.",
         exportList},
        {"export-all", "", "Esporta i tredici elenchi in ordine; prosegue dopo un errore.", exportAll},
    };
}

}  // namespace tessaro7::batch
