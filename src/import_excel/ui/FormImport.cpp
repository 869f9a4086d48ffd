#include "import_excel/ui/FormImport.h"

#include <QPushButton>
#include <QVBoxLayout>

#include "app/Messages.h"

namespace tessaro7::import_excel::ui {

FormImport::FormImport(const app::Archive& archive, app::Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), m_archive(archive), m_dialogs(dialogs) {
    setObjectName("FormImport");
    setWindowTitle(app::msg::kImportExcelCaption);
    auto* close = new QPushButton(app::msg::kClose, this);
    close->setObjectName("PB_0");
    auto* layout = new QVBoxLayout(this);
    layout->addStretch();
    layout->addWidget(close);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace tessaro7::import_excel::ui
