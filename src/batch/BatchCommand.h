#pragma once
// The subcommands of tessaro7-batch. Each subsystem contributes its own list.
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "app/Archive.h"

namespace tessaro7::batch {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

struct BatchContext {
    std::vector<std::string> args;  // the arguments after the subcommand's name
    std::ostream& out;
    std::ostream& err;
    std::filesystem::path workingDirectory;

    // The archive of TS7Rete.dat in the working directory; on failure prints
    // the start-up message to err and returns false.
    bool loadArchive(app::Archive& archive) const;
};

// A usage error inside a command: the runner prints it with the command's usage.
struct UsageError {
    std::string text;
};

struct Command {
    std::string name;
    std::string usage;    // the arguments, e.g. "TABLE FILE"
    std::string summary;  // one line for --help
    std::function<int(BatchContext&)> run;
};

// Takes `flag` out of the arguments; true when it was there.
bool takeFlag(std::vector<std::string>& args, const std::string& flag);

// Before an import: when the register holds a completed run of the file's
// content into `table`, prints the question and the way round it (--again) on
// err and returns true, unless `again`.
bool refusedAsRepeated(const BatchContext& c, const app::Archive& archive, const std::string& table,
                       const std::string& file, bool again);

std::vector<Command> foundationCommands();
std::vector<Command> exportCommands();
std::vector<Command> textImportCommands();
std::vector<Command> excelImportCommands();
std::vector<Command> registerCommands();

}  // namespace tessaro7::batch
