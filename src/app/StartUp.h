#pragma once
// The start of the program: the archive folder must be set, otherwise the
// user is told so and the program ends.
#include <filesystem>
#include <optional>
#include <string>

#include "app/Archive.h"
#include "app/Dialogs.h"

namespace tessaro7::app {

// The archive read from TS7Rete.dat in `directory`; when the file is missing,
// empty or unreadable, shows "E' necessario impostare Percorso degli Archivi !"
// (OK and Cancel, whatever the answer) and returns nothing.
std::optional<Archive> startUp(const std::filesystem::path& directory, Dialogs& dialogs);

// The text shown when TS7Rete.dat gives no archive folder: the fixed first
// line, then the folder it was looked for in and what to do, or, when two
// spellings of the file cannot be told apart, the reading's problem.
std::string archiveNotSetText(const ArchiveReading& reading, const std::filesystem::path& directory);

}  // namespace tessaro7::app
