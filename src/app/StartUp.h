#pragma once
// The start of the program: the archive folder must be set, otherwise the
// user is told so and the program ends.
#include <filesystem>
#include <optional>

#include "app/Archive.h"
#include "app/Dialogs.h"

namespace tessaro7::app {

// The archive read from TS7Rete.dat in `directory`; when the file is missing,
// empty or unreadable, shows "E' necessario impostare Percorso degli Archivi !"
// (OK and Cancel, whatever the answer) and returns nothing.
std::optional<Archive> startUp(const std::filesystem::path& directory, Dialogs& dialogs);

}  // namespace tessaro7::app
