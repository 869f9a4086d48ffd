#include "app/StartUp.h"

#include "app/Messages.h"

namespace tessaro7::app {

std::optional<Archive> startUp(const std::filesystem::path& directory, Dialogs& dialogs) {
    ArchiveReading reading = readArchive(directory);
    if (reading.status == ArchiveStatus::Found) return reading.archive;
    if (reading.status == ArchiveStatus::Invalid) {
        dialogs.message(reading.problem, msg::kTitleWarning, Buttons::Ok, Icon::Information);
        return std::nullopt;
    }
    std::string text = msg::kSetArchiveFolder;
    if (!reading.problem.empty()) text += "\n" + reading.problem;
    dialogs.message(text, msg::kTitleWarning, Buttons::OkCancel, Icon::Information);
    return std::nullopt;
}

}  // namespace tessaro7::app
