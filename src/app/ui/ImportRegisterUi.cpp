#include "app/ui/ImportRegisterUi.h"

#include <QCheckBox>
#include <QSettings>

#include "app/ImportRegister.h"
#include "app/Messages.h"
#include "app/UndoImport.h"
#include "app/ui/WaitCursor.h"
#include "db/EngineError.h"

namespace tessaro7::app::ui {

namespace {

constexpr const char* kSettingsOrganization = "Tessaro7";
constexpr const char* kSettingsApplication = "tessaro7-io";
constexpr const char* kSkipExistingKey = "importazione/saltaPresenti";

}  // namespace

QCheckBox* skipExistingBox(QWidget* parent) {
    auto* box = new QCheckBox(QString::fromUtf8(msg::kSkipExisting), parent);
    box->setObjectName("SaltaPresenti");
    box->setChecked(QSettings(kSettingsOrganization, kSettingsApplication).value(kSkipExistingKey, false).toBool());
    QObject::connect(box, &QCheckBox::toggled, box, [](bool on) {
        QSettings(kSettingsOrganization, kSettingsApplication).setValue(kSkipExistingKey, on);
    });
    return box;
}

bool confirmRepeatedImport(Dialogs& dialogs, const Archive& archive, const std::string& table, const std::string& file) {
    std::optional<std::string> question;
    try {
        question = repeatedImportQuestion(archive.mappingDatabasePath(), table, file);
    } catch (const tessaro7::db::EngineError& e) {
        // A register that cannot be read does not stop an import; the user is told.
        dialogs.message(std::string("Registro delle importazioni non leggibile: ") + e.what(), msg::kTitleWarning,
                        Buttons::Ok, Icon::Warning);
        return true;
    }
    if (!question) return true;
    return dialogs.message(*question, msg::kTitleWarning, Buttons::YesNo, Icon::Question, Answer::No) == Answer::Yes;
}

void undoLastImportAsked(Dialogs& dialogs, const Archive& archive, const std::string& table) {
    try {
        std::optional<RegisterRun> run = runToUndo(archive.mappingDatabasePath(), table);
        if (!run) {
            dialogs.message(msg::kNoImportToUndo + tableCaption(table) + ".", msg::kTitle, Buttons::Ok,
                            Icon::Information);
            return;
        }
        if (dialogs.message(undoQuestion(*run), msg::kTitleWarning, Buttons::YesNo, Icon::Question, Answer::No) !=
            Answer::Yes)
            return;
        UndoOutcome outcome;
        {
            WaitCursor wait;
            outcome = undoLastImport(archive.DatabasePath, archive.mappingDatabasePath(), table);
        }
        dialogs.message(outcome.message, outcome.done ? msg::kTitle : msg::kTitleWarning, Buttons::Ok,
                        outcome.done ? Icon::Information : Icon::Warning);
    } catch (const tessaro7::db::EngineError& e) {
        dialogs.message(std::string("Annullamento non eseguito: ") + e.what() + " (errore " +
                            std::to_string(e.number()) + ")",
                        msg::kTitleWarning, Buttons::Ok, Icon::Critical);
    }
}

}  // namespace tessaro7::app::ui
