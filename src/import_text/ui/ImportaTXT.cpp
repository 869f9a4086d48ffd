#include "import_text/ui/ImportaTXT.h"

#include <QPushButton>
#include <QVBoxLayout>

#include "app/Messages.h"

namespace tessaro7::import_text::ui {

ImportaTXT::ImportaTXT(const app::Archive& archive, app::Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), m_archive(archive), m_dialogs(dialogs) {
    setObjectName("ImportaTXT");
    setWindowTitle(app::msg::kImportTextCaption);
    auto* close = new QPushButton(app::msg::kClose, this);
    close->setObjectName("CBT_0");
    auto* layout = new QVBoxLayout(this);
    layout->addStretch();
    layout->addWidget(close);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace tessaro7::import_text::ui
