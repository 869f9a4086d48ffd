#include "batch/BatchRunner.h"

#include <exception>

#include "app/Messages.h"
#include "app/StartUp.h"
#include "batch/BatchCommand.h"
#include "db/EngineError.h"

namespace tessaro7::batch {

namespace {

std::vector<Command> allCommands() {
    std::vector<Command> all;
    for (auto list : {foundationCommands(), exportCommands(), textImportCommands(), excelImportCommands(),
                      registerCommands()})
        all.insert(all.end(), list.begin(), list.end());
    return all;
}

void printHelp(std::ostream& out, const std::vector<Command>& commands) {
    out << "Uso: tessaro7-batch COMANDO [ARGOMENTI]\n"
           "Legge TS7Rete.dat dalla cartella corrente, come il programma desktop.\n\nComandi:\n";
    for (const Command& c : commands) {
        std::string head = "  " + c.name + (c.usage.empty() ? "" : " " + c.usage);
        out << head << "\n      " << c.summary << "\n";
    }
    out << "\nUscita: 0 riuscito, 1 errore o rifiuto, 2 uso errato.\n";
}

}  // namespace

bool BatchContext::loadArchive(app::Archive& archive) const {
    app::ArchiveReading reading = app::readArchive(workingDirectory);
    if (reading.status == app::ArchiveStatus::Invalid) {
        err << reading.problem << "\n";
        return false;
    }
    if (reading.status != app::ArchiveStatus::Found) {
        err << app::archiveNotSetText(reading, workingDirectory) << "\n";
        return false;
    }
    archive = reading.archive;
    return true;
}

int runBatch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
             const std::filesystem::path& workingDirectory) {
    std::vector<Command> commands = allCommands();
    if (args.empty()) {
        printHelp(err, commands);
        return kExitUsage;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        printHelp(out, commands);
        return kExitOk;
    }
    for (const Command& command : commands) {
        if (command.name != args[0]) continue;
        BatchContext context{{args.begin() + 1, args.end()}, out, err, workingDirectory};
        try {
            return command.run(context);
        } catch (const UsageError& e) {
            err << e.text << "\nUso: tessaro7-batch " << command.name << " " << command.usage << "\n";
            return kExitUsage;
        } catch (const db::EngineError& e) {
            err << "Errore " << e.number() << ": " << e.what() << "\n";
            return kExitFailure;
        } catch (const std::exception& e) {
            err << e.what() << "\n";
            return kExitFailure;
        }
    }
    err << app::msg::kBatchUnknownCommand << args[0] << "\n";
    printHelp(err, commands);
    return kExitUsage;
}

}  // namespace tessaro7::batch
