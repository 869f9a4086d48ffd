#include "import_text/ui/ImportaTXT.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include "app/Guide.h"
#include "app/Messages.h"
#include "app/ui/HelpKey.h"
#include "app/ui/ImportRegisterUi.h"
#include "app/ui/WaitCursor.h"
#include "app/ui/WindowParts.h"
#include "db/FilledText.h"
#include "db/PathResolver.h"
#include "import_text/TextFile.h"
#include "import_text/TextImport.h"
#include "import_text/TextPreview.h"
#include "import_text/ui/TextMappingModel.h"

namespace tessaro7::import_text::ui {

namespace msg = app::msg;

namespace {

constexpr int kTwipsPerPixel = 15;

QLabel* label(int index, const char* text, QWidget* parent) {
    auto* l = new QLabel(QString::fromUtf8(text), parent);
    l->setObjectName(QString("Label1_%1").arg(index));
    return l;
}

QPushButton* button(int index, const char* caption, QWidget* parent) {
    auto* b = new QPushButton(QString::fromUtf8(caption), parent);
    b->setObjectName(QString("CBT_%1").arg(index));
    return b;
}

QLineEdit* digitBox(const char* name, QWidget* parent) {
    auto* box = new QLineEdit("0", parent);
    box->setObjectName(name);
    box->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), box));
    box->setMaximumWidth(80);
    return box;
}

}  // namespace

ImportaTXT::ImportaTXT(const app::Archive& archive, app::Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), m_archive(archive), m_dialogs(dialogs) {
    setObjectName("ImportaTXT");
    setWindowTitle(QString::fromUtf8(msg::kImportTextCaption));

    auto* tabs = new QTabWidget(this);
    auto* page = new QWidget(tabs);
    tabs->addTab(page, QString::fromUtf8(msg::kTextImportTab));
    buildMappingFrame(page);
    buildFileFrame(page);
    auto* pageLayout = new QVBoxLayout(page);
    pageLayout->addWidget(m_frame2, 1);
    pageLayout->addWidget(m_frame1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs, 1);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName("progress");
    m_progress->hide();
    layout->addWidget(m_progress);
    layout->addLayout(buildBottomRow());
    resize(560, 640);
    connectControls();
    fitGridColumns();
}

// Frame2: the table choice and the mapping editor.
void ImportaTXT::buildMappingFrame(QWidget* page) {
    m_frame2 = new QGroupBox(page);
    m_frame2->setObjectName("Frame2");
    m_combo = new QComboBox(m_frame2);
    m_combo->setObjectName("Combo1");
    m_combo->setPlaceholderText(QString::fromUtf8(msg::kTextChooseTable));
    m_combo->addItems({"Clienti", "Fornitori", "Articoli"});
    m_combo->setCurrentIndex(-1);
    auto* gridCaption = new QLabel(QString::fromUtf8(msg::kTextGridCaption), m_frame2);
    gridCaption->setObjectName("gridCaption");
    m_grid = new QTableView(m_frame2);
    m_grid->setObjectName("grid");
    m_model = new TextMappingModel(m_store, this);
    m_grid->setModel(m_model);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->verticalHeader()->setDefaultSectionSize(18);
    m_start = digitBox("Text2_3", m_frame2);
    m_width = digitBox("Text2_0", m_frame2);
    m_start->installEventFilter(this);
    m_width->installEventFilter(this);

    auto* boxes = new QGridLayout;
    boxes->addWidget(label(3, msg::kTextStartLabel, m_frame2), 0, 0);
    boxes->addWidget(m_start, 0, 1);
    boxes->addWidget(label(4, msg::kTextWidthLabel, m_frame2), 1, 0);
    boxes->addWidget(m_width, 1, 1);
    boxes->setColumnStretch(2, 1);
    auto* editButtons = new QHBoxLayout;
    auto* assignButton = button(3, msg::kTextAssign, m_frame2);
    auto* clearButton = button(4, msg::kTextClearAll, m_frame2);
    auto* unassignButton = button(5, msg::kTextUnassign, m_frame2);
    editButtons->addWidget(assignButton);
    editButtons->addWidget(unassignButton);
    editButtons->addWidget(clearButton);

    auto* frame2Layout = new QVBoxLayout(m_frame2);
    frame2Layout->addWidget(label(6, msg::kTextTargetLabel, m_frame2));
    frame2Layout->addWidget(m_combo);
    frame2Layout->addWidget(gridCaption);
    frame2Layout->addWidget(m_grid, 1);
    auto* hint = label(8, msg::kTextColumnHint, m_frame2);
    hint->setWordWrap(true);
    frame2Layout->addWidget(hint);
    frame2Layout->addWidget(label(9, msg::kTextColumnNumber, m_frame2));
    frame2Layout->addLayout(boxes);
    frame2Layout->addLayout(editButtons);
}

// Frame1: the file to read and the business database it goes into.
void ImportaTXT::buildFileFrame(QWidget* page) {
    m_frame1 = new QGroupBox(page);
    m_frame1->setObjectName("Frame1");
    m_file = new QLineEdit(m_frame1);
    m_file->setObjectName("text1_0");
    auto* fileButton = new QPushButton(m_frame1);
    fileButton->setObjectName("CBT_2");
    fileButton->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    auto* databasePath = label(2, "", m_frame1);
    databasePath->setText(app::ui::pathLabelText(m_archive.DatabasePath));
    databasePath->setWordWrap(true);
    auto* frame1Layout = new QGridLayout(m_frame1);
    frame1Layout->addWidget(label(0, msg::kTextFileLabel, m_frame1), 0, 0);
    frame1Layout->addWidget(m_file, 0, 1);
    frame1Layout->addWidget(fileButton, 0, 2);
    frame1Layout->addWidget(label(1, msg::kTextArchiveLabel, m_frame1), 1, 0);
    frame1Layout->addWidget(databasePath, 1, 1, 1, 2);
    frame1Layout->addWidget(label(5, msg::kTextSheetLabel, m_frame1), 2, 0);
    m_skipExisting = app::ui::skipExistingBox(m_frame1);
    frame1Layout->addWidget(m_skipExisting, 3, 0, 1, 3);
}

// The panel and the buttons under the tabs.
QHBoxLayout* ImportaTXT::buildBottomRow() {
    m_panel = new QLabel(QString::fromUtf8(msg::kTextWaiting), this);
    m_panel->setObjectName("P1");
    m_panel->setFrameShape(QFrame::Panel);
    m_panel->setFrameShadow(QFrame::Sunken);
    m_panel->setAlignment(Qt::AlignCenter);
    auto* previewButton = button(6, msg::kTextPreview, this);
    auto* importButton = button(1, msg::kTextImport, this);
    auto* closeButton = button(0, msg::kClose, this);
    auto* undoButton = new QPushButton(QString::fromUtf8(msg::kUndoLastImport), this);
    undoButton->setObjectName("AnnullaImportazione");
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_panel, 1);
    bottom->addWidget(undoButton);
    bottom->addWidget(previewButton);
    bottom->addWidget(importButton);
    bottom->addWidget(closeButton);
    return bottom;
}

void ImportaTXT::connectControls() {
    auto named = [this](const char* name) { return findChild<QPushButton*>(name); };
    QPushButton* undoButton = named("AnnullaImportazione");
    connect(undoButton, &QPushButton::clicked, this, &ImportaTXT::undoImport);
    // CBT_n clicks go to onButtonClick(n), as the control array's event did.
    for (int index = 0; index <= 6; ++index)
        connect(named(("CBT_" + std::to_string(index)).c_str()), &QPushButton::clicked, this,
                [this, index] { onButtonClick(index); });
    connect(m_combo, &QComboBox::currentIndexChanged, this, &ImportaTXT::onTableChosen);
    connect(m_grid, &QTableView::clicked, this, &ImportaTXT::onGridClick);
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentChanged, this, &ImportaTXT::onGridClick);
    app::ui::withoutDefaultButtons(this);
    app::ui::installHelpKey(this, m_dialogs, app::guide::kImportTextPage);
    app::ui::chainTabOrder({m_combo, m_grid, m_start, m_width, named("CBT_3"), named("CBT_5"), named("CBT_4"), m_file,
                            named("CBT_2"), named("CBT_6"), m_skipExisting, named("CBT_1"), undoButton,
                            named("CBT_0")});
}

void ImportaTXT::fitGridColumns() {
    // Headings whole from the start, before a table fills the grid.
    app::ui::fitColumns(m_grid, {2000 / kTwipsPerPixel, 900 / kTwipsPerPixel, 900 / kTwipsPerPixel,
                                 900 / kTwipsPerPixel});
}

bool ImportaTXT::event(QEvent* e) {
    // The mapping may have changed elsewhere while the user was in another window.
    if (e->type() == QEvent::WindowActivate) refreshMapping();
    return QDialog::event(e);
}

void ImportaTXT::refreshMapping() {
    if (!m_store.isOpen()) return;
    auto texts = [](const std::vector<MappingRow>& rows) {
        std::vector<std::string> out;
        for (const MappingRow& r : rows)
            for (const db::Value* v : {&r.visualizzato, &r.colonna, &r.qta, &r.utilizzato}) out.push_back(v->toText());
        return out;
    };
    const std::vector<std::string> shown = texts(m_store.rows());
    const int row = currentRow();
    try {
        m_store.reload();
    } catch (const db::EngineError&) {
        // The grid keeps what it showed; the preview and the import read the mapping themselves.
        return;
    }
    // Unchanged: the grid and the numbers being typed stay as they are.
    if (texts(m_store.rows()) == shown) return;
    m_model->reload();
    if (row < m_model->rowCount()) m_grid->setCurrentIndex(m_model->index(row, 0));
}

bool ImportaTXT::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn && (watched == m_start || watched == m_width)) {
        // Nothing can be pasted into the boxes: the clipboard is emptied when they get focus.
        QGuiApplication::clipboard()->clear();
        auto* box = static_cast<QLineEdit*>(watched);
        QTimer::singleShot(0, box, [box] { box->selectAll(); });
    }
    return QDialog::eventFilter(watched, event);
}

void ImportaTXT::onTableChosen(int position) {
    if (position < 0 || position >= static_cast<int>(std::size(kTextTables))) return;
    TextTable table = kTextTables[position];
    try {
        app::ui::WaitCursor wait;
        m_store.open(m_archive.textMappingDatabasePath(), table);
    } catch (const db::EngineError& e) {
        m_model->reload();
        m_panel->setText(QString::fromUtf8(msg::kTextWaiting));
        m_dialogs.message(db::filledText(msg::kTextMappingTableUnreadable,
                                         {{"tabella", mappingTableName(table)}, {"n", std::to_string(e.number())}}) +
                              e.what(),
                          msg::kTitleWarning, app::Buttons::Ok, app::Icon::Warning);
        return;
    }
    m_model->reload();
    fitGridColumns();
    if (m_model->rowCount() > 0) m_grid->setCurrentIndex(m_model->index(0, 0));
    m_panel->setText(QString::fromUtf8(panelCaption(table)));
}

int ImportaTXT::currentRow() const {
    QModelIndex current = m_grid->currentIndex();
    return current.isValid() ? current.row() : 0;
}

void ImportaTXT::onGridClick() {
    if (!m_store.isOpen() || m_store.rowCount() == 0) return;
    const MappingRow& row = m_store.rows()[static_cast<std::size_t>(currentRow())];
    m_start->setText(QString::fromStdString(row.colonna.toText()));
    m_width->setText(QString::fromStdString(row.qta.toText()));
}

void ImportaTXT::onButtonClick(int index) {
    switch (index) {
    case 0: accept(); break;
    case 1: runImport(); break;
    case 2: chooseFile(); break;
    case 3: assign(); break;
    case 4: clearAll(); break;
    case 5: unassign(); break;
    case 6: preview(); break;
    default: break;
    }
}

template <typename Edit>
void ImportaTXT::editMapping(Edit edit) {
    try {
        edit();
    } catch (const db::EngineError& e) {
        m_dialogs.message(db::filledText(msg::kTextAssignmentNotSaved, {{"tabella", mappingTableName(*m_store.table())},
                                                                         {"n", std::to_string(e.number())}}) +
                              e.what(),
                          msg::kTitleWarning, app::Buttons::Ok, app::Icon::Warning);
    }
    m_model->valuesChanged();
}

void ImportaTXT::assign() {
    if (!m_store.isOpen()) return;
    editMapping([this] {
        Assignment done = m_store.assign(currentRow(), m_start->text().toStdString(), m_width->text().toStdString());
        if (!done.refusal.empty())
            m_dialogs.message(done.refusal, msg::kTitleWarning, app::Buttons::Ok, app::Icon::Warning);
    });
}

void ImportaTXT::unassign() {
    if (!m_store.isOpen()) return;
    editMapping([this] { m_store.unassign(currentRow(), m_width->text().toStdString()); });
}

void ImportaTXT::clearAll() {
    if (!m_store.isOpen()) return;
    app::Answer answer = m_dialogs.message(msg::kTextClearQuestion, msg::kTitleWarning, app::Buttons::YesNo,
                                           app::Icon::Question, app::Answer::No);
    if (answer != app::Answer::Yes) return;
    std::string width = m_width->text().toStdString();
    editMapping([this, &width] { m_store.clearAll(std::string_view(width)); });
}

void ImportaTXT::chooseFile() {
    std::optional<std::string> file = m_dialogs.openFile(msg::kTextFileFilter, db::displayPath(m_archive.ArchiveFolder));
    if (file) m_file->setText(QString::fromStdString(*file));
}

std::string ImportaTXT::typedFile() const {
    // A name without a folder is in the archive folder, the current folder after the file dialog.
    return db::resolveUserFile(m_file->text().toStdString(), m_archive.ArchiveFolder).string();
}

bool ImportaTXT::fileChecked() {
    if (isTextFileName(m_file->text().toStdString())) return true;
    m_dialogs.message(msg::kTextChooseFile, msg::kTitleWarning, app::Buttons::Ok, app::Icon::Information);
    return false;
}

void ImportaTXT::preview() {
    refreshMapping();
    if (!fileChecked()) return;
    std::optional<TextTable> table = tableFromPanel(m_panel->text().toStdString());
    if (!table) return;
    const std::string file = typedFile();
    TextPreviewOutcome outcome;
    try {
        app::ui::WaitCursor wait;
        outcome = previewFromText(*table, m_archive, file);
    } catch (const db::EngineError& e) {
        outcome.ok = false;
        outcome.message = e.what();
    } catch (const std::exception& e) {
        // Whatever happens, the user is told and the window stays usable.
        outcome.ok = false;
        outcome.message = db::filledText(msg::kTextPreviewFailed, {{"file", db::quotePath(file)}}) + e.what();
    }
    if (!outcome.ok) {
        m_dialogs.message(outcome.message, msg::kTitleWarning, app::Buttons::Ok, app::Icon::Warning);
        return;
    }
    m_dialogs.textPreview(outcome.panelCaption, outcome.lines, outcome.encoding);
}

void ImportaTXT::runImport() {
    refreshMapping();
    if (!fileChecked()) return;
    std::optional<TextTable> table = tableFromPanel(m_panel->text().toStdString());
    if (!table) return;
    try {
        if (!app::ui::confirmRepeatedImport(m_dialogs, m_archive, tableName(*table), typedFile())) return;
    } catch (const db::EngineError&) {
        // A name that cannot be resolved is reported by the import itself.
    }
    TextImportOptions options;
    options.skipExisting = m_skipExisting->isChecked();
    m_frame1->setEnabled(false);
    m_frame2->setEnabled(false);
    m_progress->setValue(0);
    m_progress->show();
    // The run holds the window's thread: the bar is painted directly, and no
    // input is taken until the run is over.
    auto progress = [this](long done, long total) {
        if (done % 250 != 0 && done != total) return;
        m_progress->setMaximum(static_cast<int>(total));
        m_progress->setValue(static_cast<int>(done));
        m_progress->repaint();
    };
    std::string file = m_file->text().toStdString();
    TextImportOutcome outcome;
    try {
        app::ui::WaitCursor wait;
        file = typedFile();
        outcome = importFromText(*table, m_archive, file, progress, options);
    } catch (const std::exception& e) {
        // Whatever happens, the window is given back to the user with a message.
        outcome.completed = false;
        outcome.message = db::filledText(msg::kTextImportFailed, {{"file", db::quotePath(file)}}) + e.what();
    }
    m_progress->hide();
    if (outcome.completed)
        m_dialogs.message(outcome.message, msg::kTitle, app::Buttons::Ok, app::Icon::Information);
    else
        m_dialogs.message(outcome.message, msg::kTitleWarning, app::Buttons::Ok, app::Icon::Critical);
    m_frame1->setEnabled(true);
    m_frame2->setEnabled(true);
    refreshMapping();
}

void ImportaTXT::undoImport() {
    std::optional<TextTable> table = tableFromPanel(m_panel->text().toStdString());
    if (!table) {
        m_dialogs.message(msg::kTextChooseTable, msg::kTitleWarning, app::Buttons::Ok, app::Icon::Warning);
        return;
    }
    app::ui::undoLastImportAsked(m_dialogs, m_archive, tableName(*table));
}

}  // namespace tessaro7::import_text::ui
