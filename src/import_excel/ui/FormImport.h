#pragma once
// The Excel import window.
#include <QDialog>

#include "app/Archive.h"
#include "app/Dialogs.h"

namespace tessaro7::import_excel::ui {

class FormImport : public QDialog {
    Q_OBJECT
public:
    FormImport(const app::Archive& archive, app::Dialogs& dialogs, QWidget* parent = nullptr);

private:
    app::Archive m_archive;
    app::Dialogs& m_dialogs;
};

}  // namespace tessaro7::import_excel::ui
