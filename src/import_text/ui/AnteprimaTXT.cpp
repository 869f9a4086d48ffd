#include "import_text/ui/AnteprimaTXT.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/Messages.h"
#include "app/ui/WindowParts.h"
#include "import_text/TextFields.h"

namespace tessaro7::import_text::ui {

namespace {
constexpr int kRowPitch = 20;  // 300 twips
}

AnteprimaTXT::AnteprimaTXT(const std::string& panelCaption, const std::vector<app::PreviewLine>& lines,
                           const std::string& encoding, QWidget* parent)
    : QDialog(parent) {
    setObjectName("AnteprimaTXT");
    setWindowTitle(app::msg::kTextPreviewCaption);

    auto* tabs = new QTabWidget(this);
    tabs->setObjectName("tabbe1");
    auto* page = new QWidget(tabs);
    tabs->addTab(page, app::msg::kTextPreviewTab);
    // The window is never narrower than the tab's caption, even with no fields shown.
    tabs->tabBar()->setUsesScrollButtons(false);

    auto* panel = new QLabel(app::msg::kTextWaiting, page);
    panel->setObjectName("P1");
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setAlignment(Qt::AlignCenter);
    auto* encodingLabel = new QLabel(page);
    encodingLabel->setObjectName("encoding");
    encodingLabel->setAlignment(Qt::AlignCenter);
    if (!encoding.empty())
        encodingLabel->setText(QString::fromUtf8(app::msg::kTextEncoding) + QString::fromStdString(encoding));
    auto* image = new QLabel("Tessaro 7", page);
    image->setObjectName("Image1");

    QGridLayout* rows = buildRows(page);

    // The reason of a refused field, readable without hovering: the field
    // with the cursor, or else the first refused one.
    m_reason = new QLabel(page);
    m_reason->setObjectName("reason");
    m_reason->setWordWrap(true);
    QPalette red = m_reason->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    m_reason->setPalette(red);

    auto* pageLayout = new QVBoxLayout(page);
    pageLayout->addWidget(image);
    pageLayout->addWidget(panel);
    pageLayout->addWidget(encodingLabel);
    pageLayout->addLayout(rows);
    pageLayout->addWidget(m_reason);
    pageLayout->addStretch();

    auto* close = new QPushButton(app::msg::kClose, this);
    close->setObjectName("CBT_0");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addWidget(close, 0, Qt::AlignRight);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    showLines(lines);
    showReason(nullptr);
    if (!panelCaption.empty()) panel->setText(QString::fromStdString(panelCaption));
    app::ui::withoutDefaultButtons(this);
}

// One caption and one read-only text per field the preview can show, all hidden.
QGridLayout* AnteprimaTXT::buildRows(QWidget* page) {
    auto* rows = new QGridLayout;
    rows->setVerticalSpacing(0);
    for (int i = 0; i < kPreviewRows; ++i) {
        auto* caption = new QLabel(page);
        caption->setObjectName(QString("Label1_%1").arg(i));
        auto* text = new QLineEdit(page);
        text->setObjectName(QString("Text1_%1").arg(i));
        text->setReadOnly(true);
        text->setMinimumWidth(360);
        caption->setFixedHeight(kRowPitch);
        text->setFixedHeight(kRowPitch);
        caption->hide();
        text->hide();
        rows->addWidget(caption, i, 0);
        rows->addWidget(text, i, 1);
        m_captions.push_back(caption);
        m_texts.push_back(text);
    }
    return rows;
}

void AnteprimaTXT::showLines(const std::vector<app::PreviewLine>& lines) {
    for (std::size_t i = 0; i < lines.size() && i < m_texts.size(); ++i) {
        if (!lines[i].visible) continue;
        m_texts[i]->setText(QString::fromStdString(lines[i].text));
        m_texts[i]->setCursorPosition(0);
        if (!lines[i].refusal.empty()) {
            // What the import would refuse stands out in red, the reason beside it on hover.
            QPalette palette = m_texts[i]->palette();
            palette.setColor(QPalette::Text, Qt::red);
            m_texts[i]->setPalette(palette);
            m_texts[i]->setToolTip(QString::fromStdString(lines[i].refusal));
        }
        m_texts[i]->show();
        m_captions[i]->show();
        m_captions[i]->setText(QString::fromStdString(lines[i].caption));
        if (!lines[i].refusal.empty()) {
            m_reasons.push_back({m_texts[i], QString::fromStdString(lines[i].caption + ": " + lines[i].refusal)});
            m_texts[i]->installEventFilter(this);
        }
    }
}

void AnteprimaTXT::showReason(const QWidget* field) {
    for (const auto& [box, reason] : m_reasons)
        if (box == field) {
            m_reason->setText(reason);
            return;
        }
    m_reason->setText(m_reasons.empty() ? QString() : m_reasons.front().second);
}

bool AnteprimaTXT::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) showReason(static_cast<QWidget*>(watched));
    return QDialog::eventFilter(watched, event);
}

}  // namespace tessaro7::import_text::ui
