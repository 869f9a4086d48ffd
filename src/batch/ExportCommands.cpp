// export LIST, export-all
#include <string>

#include "app/Messages.h"
#include "batch/BatchCommand.h"
#include "db/FilledText.h"
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
bool exportOne(const ExportList& list, const app::Archive& archive, exporting::SheetFormat format, BatchContext& c) {
    try {
        if (exporting::countListRecords(list, archive.DatabasePath) == 0) {
            c.err << app::msg::kNothingToExport << "\n";
            return false;
        }
        const exporting::ExportOutcome outcome = exporting::exportList(list, archive, exporting::systemClock(), format);
        (outcome.succeeded ? c.out : c.err) << lines(outcome.message) << "\n";
        return outcome.succeeded;
    } catch (const db::EngineError& e) {
        c.err << lines(exporting::engineFailureMessage(e)) << "\n";
        return false;
    }
}

// Takes "--format xls|xlsx" out of the arguments; xls when absent.
exporting::SheetFormat takeFormat(std::vector<std::string>& args) {
    exporting::SheetFormat format = exporting::SheetFormat::Xls;
    for (auto at = args.begin(); at != args.end();) {
        if (*at != "--format") {
            ++at;
            continue;
        }
        if (at + 1 == args.end()) throw UsageError{app::msg::kBatchNoFormat};
        const auto chosen = exporting::sheetFormatByName(*(at + 1));
        if (!chosen) throw UsageError{db::filledText(app::msg::kBatchUnknownFormat, {{"formato", *(at + 1)}})};
        format = *chosen;
        at = args.erase(at, at + 2);
    }
    return format;
}

std::string joined(const std::vector<std::string>& args) {
    std::string text;
    for (const std::string& a : args) text += (text.empty() ? "" : " ") + a;
    return text;
}

int exportList(BatchContext& c) {
    const exporting::SheetFormat format = takeFormat(c.args);
    if (c.args.empty()) throw UsageError{app::msg::kBatchNoList};
    // A caption with a blank may come as two arguments: "Fatture Vendita".
    const ExportList* list = exporting::listByName(joined(c.args));
    if (!list) {
        std::string known;
        for (const ExportList& l : exporting::exportLists())
            known += "\n  " + std::to_string(l.number) + "  " + l.caption;
        throw UsageError{db::filledText(app::msg::kBatchUnknownList, {{"elenco", joined(c.args)}}) + known};
    }
    app::Archive archive;
    if (!c.loadArchive(archive)) return kExitFailure;
    return exportOne(*list, archive, format, c) ? kExitOk : kExitFailure;
}

int exportAll(BatchContext& c) {
    const exporting::SheetFormat format = takeFormat(c.args);
    if (!c.args.empty()) throw UsageError{app::msg::kBatchNoArguments};
    app::Archive archive;
    if (!c.loadArchive(archive)) return kExitFailure;
    int failed = 0;
    for (const ExportList& list : exporting::exportLists()) {
        const std::string name = std::to_string(list.number) + " " + list.caption;
        c.out << name << ":\n";
        if (!exportOne(list, archive, format, c)) {
            c.err << name << app::msg::kBatchListNotExported << "\n";
            ++failed;
        }
    }
    if (failed > 0) {
        c.err << db::filledText(app::msg::kBatchListsNotExported,
                                {{"n", std::to_string(failed)}, {"tutti", std::to_string(exporting::exportLists().size())}})
              << "\n";
        return kExitFailure;
    }
    return kExitOk;
}

}  // namespace

std::vector<Command> exportCommands() {
    return {
        {"export", "ELENCO [--format xls|xlsx]",
         "Esporta un elenco nel suo file .xls (o .xlsx con --format xlsx) della cartella degli archivi; ELENCO e' il "
         "numero (1-13) o la voce (\"Clienti\", \"Fatture Vendita\", ...) in maiuscole o minuscole.",
         exportList},
        {"export-all", "[--format xls|xlsx]",
         "Esporta i tredici elenchi in ordine (formato xls se non indicato); prosegue dopo un errore.", exportAll},
    };
}

}  // namespace tessaro7::batch
