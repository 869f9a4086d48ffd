#include "export/ui/MainForm.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <QVBoxLayout>
#include <optional>

#include "app/Guide.h"
#include "app/Messages.h"
#include "app/ui/HelpKey.h"
#include "app/ui/NavBar.h"
#include "app/ui/WaitCursor.h"
#include "app/ui/WindowParts.h"
#include "db/EngineError.h"
#include "export/Clock.h"
#include "export/ExportChoice.h"
#include "export/ExportLists.h"
#include "export/ExportRoutine.h"

namespace tessaro7::exporting::ui {

namespace {

template <typename W>
W* named(W* widget, const char* name) {
    widget->setObjectName(name);
    return widget;
}

// Where the chosen format is kept between runs, per user.
constexpr const char* kSettingsOrganization = "Tessaro7";
constexpr const char* kSettingsApplication = "tessaro7-io";
constexpr const char* kFormatKey = "export/formato";

}  // namespace

MainForm::MainForm(const app::Archive& archive, app::Dialogs& dialogs, QWidget* parent)
    : QDialog(parent),
      m_archive(archive),
      m_dialogs(dialogs),
      m_clock(&systemClock()),
      m_nav(named(new app::ui::NavBar, "NB1")),
      m_title(named(new QLabel, "P1")),
      m_lines(named(new QListWidget, "List1")),
      m_fileName(named(new QLineEdit, "text1_0")),
      m_count(named(new QLineEdit, "text1_1")),
      m_number(named(new QLabel, "Label2")),
      m_format(named(new QComboBox, "Formato")) {
    setObjectName("MainForm");
    setWindowTitle(app::msg::kExportCaption);

    auto* tabs = named(new QTabWidget(this), "tabbe1");
    auto* page = new QWidget;
    tabs->addTab(page, app::msg::kExportTab);

    m_title->setFrameShape(QFrame::Panel);
    m_title->setFrameShadow(QFrame::Sunken);
    m_title->setAlignment(Qt::AlignCenter);
    QFont bold = m_title->font();
    bold.setBold(true);
    m_title->setFont(bold);

    auto* frame = buildFileFrame();
    auto* buttons = buildButtonRow();
    auto* side = new QVBoxLayout;
    side->addWidget(m_title);
    side->addWidget(named(new QLabel(app::msg::kExportFieldsHeading), "Label3"));
    side->addWidget(m_lines, 1);
    side->addWidget(frame);
    side->addLayout(buttons);

    auto* pageLayout = new QHBoxLayout(page);
    pageLayout->addWidget(m_nav);
    pageLayout->addLayout(side, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    resize(720, 480);

    const int masterData = m_nav->addGroup(app::msg::kExportGroupMasterData);
    const int lists = m_nav->addGroup(app::msg::kExportGroupLists);
    for (const ExportList& list : exportLists())
        m_nav->addItem(list.group == 1 ? masterData : lists, list.caption);
    m_nav->setCurrentGroup(1);
    showNoList();
    updateExportCaption();

    connect(m_nav, &app::ui::NavBar::itemClickedAt, this, &MainForm::onNavItemClick);
    auto* closeButton = findChild<QPushButton*>("CBT_0");
    connect(m_exportButton, &QPushButton::clicked, this, [this] { onButtonClick(1); });
    connect(closeButton, &QPushButton::clicked, this, [this] { onButtonClick(0); });
    connect(m_format, &QComboBox::currentIndexChanged, this, &MainForm::onFormatChosen);
    app::ui::withoutDefaultButtons(this);
    app::ui::installHelpKey(this, m_dialogs, app::guide::kExportPage);
    app::ui::chainTabOrder({m_nav, m_lines, m_fileName, m_count, m_format, m_exportButton, closeButton});
}

// Frame1: the file's name, the count of records and the format.
QGroupBox* MainForm::buildFileFrame() {
    auto* frame = named(new QGroupBox, "Frame1");
    auto* fields = new QFormLayout(frame);
    fields->addRow(named(new QLabel(app::msg::kExportFileLabel), "Label1_0"), m_fileName);
    fields->addRow(named(new QLabel(app::msg::kExportCountLabel), "Label1_1"), m_count);
    m_format->addItem(app::msg::kExportFormatXls, static_cast<int>(SheetFormat::Xls));
    m_format->addItem(app::msg::kExportFormatXlsx, static_cast<int>(SheetFormat::Xlsx));
    const QString remembered = QSettings(kSettingsOrganization, kSettingsApplication).value(kFormatKey).toString();
    if (remembered == rulesOf(SheetFormat::Xlsx).name) m_format->setCurrentIndex(1);
    fields->addRow(named(new QLabel(app::msg::kExportFormatLabel), "LabelFormato"), m_format);
    return frame;
}

QHBoxLayout* MainForm::buildButtonRow() {
    m_exportButton = named(new QPushButton(app::msg::kExportButton), "CBT_1");
    auto* closeButton = named(new QPushButton(app::msg::kClose), "CBT_0");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_number);
    buttons->addStretch();
    buttons->addWidget(m_exportButton);
    buttons->addWidget(closeButton);
    return buttons;
}

void MainForm::showNoList() {
    m_title->setText(app::msg::kExportWaiting);
    m_number->setText(app::msg::kExportNoList);
    m_fileName->clear();
    m_count->clear();
    m_lines->clear();
    m_nav->setChosenItem(0, 0);
}

void MainForm::onNavItemClick(int group, int item) {
    const ExportList* list = listAt(group, item);
    if (!list) return;
    std::optional<db::EngineError> failure;
    {
        app::ui::WaitCursor wait;
        try {
            const long count = countListRecords(*list, m_archive.DatabasePath);
            m_fileName->setText(QString::fromStdString(fileNameFor(*list, chosenFormat())));
            m_count->setText(QString::number(count));
            m_number->setText(QString::number(list->number));
            m_lines->clear();
            for (const char* line : list->columnLines) m_lines->addItem(line);
            m_title->setText(list->title);
            m_nav->setChosenItem(group, item);
        } catch (const db::EngineError& e) {
            // Without a count the export button must refuse.
            showNoList();
            failure = e;
        }
    }
    if (failure)
        m_dialogs.message(engineFailureMessage(*failure), app::msg::kTitle, app::Buttons::Ok, app::Icon::Critical);
}

SheetFormat MainForm::chosenFormat() const { return static_cast<SheetFormat>(m_format->currentData().toInt()); }

void MainForm::onFormatChosen() {
    const SheetFormat format = chosenFormat();
    QSettings(kSettingsOrganization, kSettingsApplication).setValue(kFormatKey, rulesOf(format).name);
    // Only the extension follows the format: a name the user typed keeps its stem.
    const std::string name = m_fileName->text().toStdString();
    if (!name.empty()) m_fileName->setText(QString::fromStdString(withFormatExtension(name, format)));
    updateExportCaption();
}

void MainForm::updateExportCaption() {
    m_exportButton->setText(chosenFormat() == SheetFormat::Xlsx ? app::msg::kExportButtonXlsx : app::msg::kExportButton);
}

void MainForm::onButtonClick(int index) {
    if (index == 0) accept();
    if (index == 1) exportChosenList();
}

void MainForm::exportChosenList() {
    const ExportRequest request = exportRequest(m_count->text().toStdString(), m_number->text().toStdString());
    switch (request.action) {
    case ExportRequest::Action::Refuse:
        m_dialogs.message(app::msg::kNothingToExport, app::msg::kTitle, app::Buttons::Ok, app::Icon::Information);
        return;
    case ExportRequest::Action::Nothing: return;
    case ExportRequest::Action::Run: break;
    }
    // The file written always carries the chosen format's extension, and the box shows its name.
    std::string fileName = m_fileName->text().toStdString();
    if (!fileName.empty()) fileName = withFormatExtension(fileName, chosenFormat());
    m_fileName->setText(QString::fromStdString(fileName));
    ExportOutcome outcome;
    try {
        app::ui::WaitCursor wait;
        outcome = exportList(*request.list, m_archive, fileName, *m_clock, chosenFormat());
    } catch (const db::EngineError& e) {
        m_dialogs.message(engineFailureMessage(e), app::msg::kTitle, app::Buttons::Ok, app::Icon::Critical);
        return;
    }
    m_dialogs.message(outcome.message, app::msg::kTitle, app::Buttons::Ok,
                      outcome.succeeded ? app::Icon::Information : app::Icon::Critical);
}

}  // namespace tessaro7::exporting::ui
