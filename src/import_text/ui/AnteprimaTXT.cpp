#include "import_text/ui/AnteprimaTXT.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/Messages.h"

namespace tessaro7::import_text::ui {

AnteprimaTXT::AnteprimaTXT(const std::vector<app::PreviewLine>& lines, QWidget* parent) : QDialog(parent) {
    setObjectName("AnteprimaTXT");
    auto* layout = new QFormLayout(this);
    for (const app::PreviewLine& line : lines) {
        if (!line.visible) continue;
        auto* text = new QLineEdit(QString::fromStdString(line.text), this);
        text->setReadOnly(true);
        layout->addRow(QString::fromStdString(line.caption), text);
    }
    auto* close = new QPushButton(app::msg::kClose, this);
    close->setObjectName("CBT_0");
    layout->addRow(close);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace tessaro7::import_text::ui
