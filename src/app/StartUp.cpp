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
    dialogs.message(archiveNotSetText(reading, directory), msg::kTitleWarning, Buttons::OkCancel, Icon::Information);
    return std::nullopt;
}

std::string archiveNotSetText(const ArchiveReading& reading, const std::filesystem::path& directory) {
    std::string text = std::string(msg::kSetArchiveFolder) + "\n";
    if (!reading.problem.empty()) return text + reading.problem;
    text += reading.status == ArchiveStatus::Missing ? msg::kArchiveFileMissingIn : msg::kArchiveFileEmptyIn;
    return text + directory.string() + ".\n" + msg::kArchiveFileWhatToDo;
}

}  // namespace tessaro7::app
