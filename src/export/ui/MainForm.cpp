#include "export/ui/MainForm.h"

#include <QPushButton>
#include <QVBoxLayout>

#include "app/Messages.h"

namespace tessaro7::exporting::ui {

MainForm::MainForm(const app::Archive& archive, app::Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), m_archive(archive), m_dialogs(dialogs) {
    setObjectName("MainForm");
    setWindowTitle(app::msg::kExportCaption);
    auto* close = new QPushButton(app::msg::kClose, this);
    close->setObjectName("CBT_0");
    auto* layout = new QVBoxLayout(this);
    layout->addStretch();
    layout->addWidget(close);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace tessaro7::exporting::ui
