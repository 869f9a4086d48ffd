#include "app/ui/MsgForm.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/Dialogs.h"
#include "app/Messages.h"

namespace tessaro7::app::ui {

MsgForm::MsgForm(QWidget* parent)
    : QDialog(parent), m_close(new QPushButton(msg::kClose, this)), m_confirm(new QPushButton(msg::kConfirm, this)) {
    setObjectName("MsgForm");
    setWindowTitle(msg::kTitle);
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* heading = new QLabel(msg::kNoticeHeading, this);
    heading->setObjectName("Label1");
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    layout->addWidget(heading);
    auto* rule = new QFrame(this);
    rule->setObjectName("Line1");
    rule->setFrameShape(QFrame::HLine);
    layout->addWidget(rule);
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        m_lines[i] = new QLabel(kNoticePlaceholder, this);
        m_lines[i]->setObjectName(QString("Label2_%1").arg(i));
        m_lines[i]->setWordWrap(true);
        // A message quoting a file name or a cell must not be read as markup.
        m_lines[i]->setTextFormat(Qt::PlainText);
        // Lines keep their places when some are hidden.
        QSizePolicy keep = m_lines[i]->sizePolicy();
        keep.setRetainSizeWhenHidden(true);
        m_lines[i]->setSizePolicy(keep);
        layout->addWidget(m_lines[i]);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    m_confirm->setObjectName("PB1_1");
    m_close->setObjectName("PB1_0");
    m_confirm->setVisible(false);
    buttons->addWidget(m_confirm);
    buttons->addWidget(m_close);
    layout->addLayout(buttons);
    // Tab goes left to right, as the buttons stand.
    QWidget::setTabOrder(m_confirm, m_close);
    setMinimumWidth(380);
    connect(m_close, &QPushButton::clicked, this, [this] {
        m_answer = kNoticeClosed;
        accept();
    });
    connect(m_confirm, &QPushButton::clicked, this, [this] {
        m_answer = kNoticeConfirmed;
        accept();
    });
}

void MsgForm::showEvent(QShowEvent* event) {
    for (QLabel* line : m_lines)
        if (line->text() == kNoticePlaceholder) line->hide();
    QDialog::showEvent(event);
}

}  // namespace tessaro7::app::ui
