#pragma once
// The export window.
#include <QDialog>

#include "app/Archive.h"
#include "app/Dialogs.h"

namespace tessaro7::exporting::ui {

class MainForm : public QDialog {
    Q_OBJECT
public:
    MainForm(const app::Archive& archive, app::Dialogs& dialogs, QWidget* parent = nullptr);

private:
    app::Archive m_archive;
    app::Dialogs& m_dialogs;
};

}  // namespace tessaro7::exporting::ui
