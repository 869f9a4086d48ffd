#include "app/StartUp.h"

#include "app/Messages.h"

namespace tessaro7::app {

std::optional<Archive> startUp(const std::filesystem::path& directory, Dialogs& dialogs) {
    ArchiveReading reading = readArchive(directory);
    if (reading.status == ArchiveStatus::Found) return reading.archive;
    dialogs.message(msg::kSetArchiveFolder, msg::kTitleWarning, Buttons::OkCancel, Icon::Information);
    return std::nullopt;
}

}  // namespace tessaro7::app
