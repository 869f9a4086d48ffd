#pragma once
// What both import windows show of the import register: the choice to skip
// records already present (remembered for the next start, per user), the
// question before the same file goes into the same table again, and the undo
// of the table's last import.
#include <string>

#include "app/Archive.h"
#include "app/Dialogs.h"

class QCheckBox;
class QWidget;

namespace tessaro7::app::ui {

// "Salta i record già presenti", named "SaltaPresenti", off unless the user
// left it on last time.
QCheckBox* skipExistingBox(QWidget* parent);

// True when the import may go on: the register holds no completed run of the
// file's content into `table`, or the user answers Yes (the default is No).
bool confirmRepeatedImport(Dialogs& dialogs, const Archive& archive, const std::string& table, const std::string& file);

// Asks, naming the run, then undoes the last import into `table` and shows the outcome.
void undoLastImportAsked(Dialogs& dialogs, const Archive& archive, const std::string& table);

}  // namespace tessaro7::app::ui
