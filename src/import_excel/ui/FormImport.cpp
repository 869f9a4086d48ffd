#include "import_excel/ui/FormImport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "app/Guide.h"
#include "app/Messages.h"
#include "app/ui/HelpKey.h"
#include "app/ui/ImportRegisterUi.h"
#include "app/ui/WaitCursor.h"
#include "app/ui/WindowParts.h"
#include "db/Names.h"
#include "db/PathResolver.h"
#include "import_excel/ExcelImport.h"
#include "import_excel/HeadingMatch.h"
#include "import_excel/ImportChecks.h"
#include "import_excel/PreviewSheet.h"
#include "import_excel/RowPlan.h"
#include "import_excel/ui/DigitsOnly.h"
#include "import_excel/ui/MappingGridModel.h"
#include "import_excel/ui/PreviewGridModel.h"

namespace tessaro7::import_excel::ui {

namespace {

namespace msg = app::msg;

// The window's sizes are given in twips, 15 to a pixel on a 96 dpi screen.
constexpr int pixels(int twips) { return twips / 15; }

app::Notice noticeOf(const std::string& line0, const std::string& line1 = app::kNoticePlaceholder) {
    app::Notice n;
    n.lines[0] = line0;
    n.lines[1] = line1;
    return n;
}

}  // namespace

FormImport::FormImport(const app::Archive& archive, app::Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), m_archive(archive), m_dialogs(dialogs) {
    setObjectName("FormImport");
    setWindowTitle(msg::kImportExcelCaption);
    buildControls();

    connect(m_combo1, &QComboBox::currentIndexChanged, this, &FormImport::chooseTable);
    connect(m_grid, &QTableView::clicked, this, &FormImport::followCurrentRow);
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &FormImport::followCurrentRow);
    connect(m_pb[0], &QPushButton::clicked, this, &QDialog::accept);
    connect(m_pb[1], &QPushButton::clicked, this, &FormImport::importFromExcel);
    connect(m_pb[2], &QPushButton::clicked, this, &FormImport::chooseFile);
    connect(m_pb[3], &QPushButton::clicked, this, &FormImport::assignColumn);
    connect(m_pb[4], &QPushButton::clicked, this, &FormImport::clearAssignments);
    connect(m_pb[5], &QPushButton::clicked, this, &FormImport::removeAssignment);
    connect(m_pb[6], &QPushButton::clicked, this, &FormImport::PreviewSheet);
    app::ui::withoutDefaultButtons(this);
    app::ui::installHelpKey(this, m_dialogs, app::guide::kImportExcelPage);
    connect(findChild<QPushButton*>("AssegnaTitoli"), &QPushButton::clicked, this, &FormImport::assignFromHeadings);
    connect(findChild<QPushButton*>("AnnullaImportazione"), &QPushButton::clicked, this, &FormImport::undoImport);
    connect(m_skipExisting, &QCheckBox::toggled, this, &FormImport::markPresentRows);
    connect(m_foglio, &QComboBox::activated, this,
            [this](int index) { previewWith(m_foglio->itemText(index).toStdString()); });
    // Another file: its preview starts from the sheet it opens on.
    connect(m_text1[0], &QLineEdit::textChanged, m_foglio, &QComboBox::clear);
    app::ui::chainTabOrder({m_combo1, m_grid, m_text999, m_pb[3], m_pb[5], m_pb[4], m_text1[0], m_pb[2], m_foglio,
                            m_text1[1], m_text1[2], m_text2[0], m_text2[1], m_fg1, m_pb[6],
                            findChild<QPushButton*>("AssegnaTitoli"), m_skipExisting, m_pb[1],
                            findChild<QPushButton*>("AnnullaImportazione"), m_pb[0]});
}

bool FormImport::event(QEvent* e) {
    // The mapping may have changed elsewhere (another workstation, the batch
    // program) while the user was in another window.
    if (e->type() == QEvent::WindowActivate) refreshMapping();
    return QDialog::event(e);
}

void FormImport::refreshMapping() {
    if (!m_mapping.table()) return;
    const int row = currentMappingRow();
    const std::vector<MappingRow> shown = m_mapping.rows();
    try {
        m_mapping.reload();
    } catch (const db::EngineError&) {
        // The grid keeps what it showed; the import reads the mapping itself and reports a failure.
        return;
    }
    auto same = [](const MappingRow& a, const MappingRow& b) {
        return a.visualizzato == b.visualizzato && a.colonna == b.colonna && a.utilizzato == b.utilizzato;
    };
    // Unchanged: the grid and a column number being typed stay as they are.
    if (std::equal(shown.begin(), shown.end(), m_mapping.rows().begin(), m_mapping.rows().end(), same)) return;
    showMappingRows(row);
}

void FormImport::buildControls() {
    createLabelsAndButtons();
    createFields();
    createGrids();
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(layOutMappingSide(), 2);
    layout->addLayout(layOutFileSide(), 3);
    resize(1000, 640);
}

void FormImport::createLabelsAndButtons() {
    auto label = [this](int index, const QString& text) {
        m_label1[static_cast<std::size_t>(index)] = new QLabel(text, this);
        m_label1[static_cast<std::size_t>(index)]->setObjectName(QString("Label1_%1").arg(index));
        return m_label1[static_cast<std::size_t>(index)];
    };
    auto button = [this](int index, const QString& text) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString("PB_%1").arg(index));
        m_pb[static_cast<std::size_t>(index)] = b;
        return b;
    };

    label(0, msg::kExcelFileLabel);
    label(1, msg::kArchiveFileLabel);
    label(2, app::ui::pathLabelText(m_archive.DatabasePath))->setWordWrap(true);
    label(3, msg::kFirstRowLabel);
    label(4, msg::kLastRowLabel);
    label(5, msg::kColumnCountLabel);
    label(6, msg::kDestinationLabel);
    label(7, msg::kRowCountLabel);
    label(8, msg::kColumnHint)->setWordWrap(true);
    label(9, msg::kColumnNumberLabel);

    button(0, msg::kClose);
    button(1, msg::kImportFromExcel);
    button(2, QString())->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    m_pb[2]->setToolTip(msg::kChooseExcelFileTip);
    button(3, msg::kAssign);
    button(4, msg::kClearAssignments);
    button(5, msg::kUnassign);
    button(6, msg::kPreview);
}

void FormImport::createFields() {
    auto field = [this](const QString& name) {
        auto* f = new QLineEdit(this);
        f->setObjectName(name);
        return f;
    };
    for (int i = 0; i < 3; ++i) m_text1[static_cast<std::size_t>(i)] = field(QString("text1_%1").arg(i));
    for (int i = 0; i < 2; ++i) {
        m_text2[static_cast<std::size_t>(i)] = field(QString("Text2_%1").arg(i));
        m_text2[static_cast<std::size_t>(i)]->setText("0");
        // Typing a row number replaces the "0" instead of giving "03".
        makeDigitsOnly(m_text2[static_cast<std::size_t>(i)], OnFocus::Select);
    }
    makeDigitsOnly(m_text1[1], OnFocus::EmptyClipboardAndSelect);
    makeDigitsOnly(m_text1[2], OnFocus::EmptyClipboardAndSelect);
    m_text999 = field("text999");
    makeDigitsOnly(m_text999, OnFocus::EmptyClipboardAndSelect);

    m_combo1 = new QComboBox(this);
    m_combo1->setObjectName("Combo1");
    m_combo1->setPlaceholderText(msg::kChooseTable);
    for (const ExcelTable& table : excelTables()) m_combo1->addItem(table.choice);
    m_combo1->setCurrentIndex(-1);

    m_foglio = new QComboBox(this);
    m_foglio->setObjectName("Foglio");
}

void FormImport::createGrids() {
    m_p1 = new QLabel(msg::kWaitingPanel, this);
    m_p1->setObjectName("P1");
    m_p1->setFrameShape(QFrame::Panel);
    m_p1->setFrameShadow(QFrame::Sunken);
    m_p1->setAlignment(Qt::AlignCenter);

    m_grid = new QTableView(this);
    m_grid->setObjectName("grid");
    m_gridModel = new MappingGridModel(m_mapping, this);
    m_grid->setModel(m_gridModel);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);

    m_fg1 = new QTableView(this);
    m_fg1->setObjectName("FG1");
    m_fg1Model = new PreviewGridModel(m_preview, this);
    m_fg1->setModel(m_fg1Model);
    m_fg1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_fg1->horizontalHeader()->setDefaultSectionSize(pixels(1814));
    // Fixed row heights let the view place 25000 rows without measuring them.
    m_fg1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_fg1->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
}

// The table, its mapping grid and the buttons that change the mapping.
QBoxLayout* FormImport::layOutMappingSide() {
    auto* left = new QVBoxLayout;
    auto* choice = new QHBoxLayout;
    choice->addWidget(m_label1[6]);
    choice->addWidget(m_combo1, 1);
    left->addLayout(choice);
    left->addWidget(m_p1);
    auto* gridCaption = new QLabel(msg::kGridCaption, this);
    gridCaption->setObjectName("gridCaption");
    left->addWidget(gridCaption);
    left->addWidget(m_grid, 1);
    left->addWidget(m_label1[8]);
    auto* column = new QHBoxLayout;
    column->addWidget(m_label1[9]);
    column->addWidget(m_text999);
    left->addLayout(column);
    auto* edits = new QHBoxLayout;
    edits->addWidget(m_pb[3]);
    edits->addWidget(m_pb[5]);
    edits->addWidget(m_pb[4]);
    left->addLayout(edits);
    auto* fromHeadings = new QPushButton(QString::fromUtf8(msg::kAssignFromHeadings), this);
    fromHeadings->setObjectName("AssegnaTitoli");
    left->addWidget(fromHeadings);
    return left;
}

// The file, its rows, the preview grid and the buttons that read it.
QBoxLayout* FormImport::layOutFileSide() {
    auto* foglioLabel = new QLabel(msg::kSheetChoiceLabel, this);
    foglioLabel->setObjectName("FoglioLabel");
    auto* fields = new QGridLayout;
    fields->addWidget(m_label1[1], 0, 0);
    fields->addWidget(m_label1[2], 0, 1, 1, 3);
    fields->addWidget(m_label1[0], 1, 0);
    fields->addWidget(m_text1[0], 1, 1, 1, 2);
    fields->addWidget(m_pb[2], 1, 3);
    fields->addWidget(foglioLabel, 1, 4);
    fields->addWidget(m_foglio, 1, 5);
    fields->addWidget(m_label1[5], 2, 0);
    fields->addWidget(m_text1[1], 2, 1);
    fields->addWidget(m_label1[7], 3, 0);
    fields->addWidget(m_text1[2], 3, 1);
    fields->addWidget(m_label1[3], 4, 0);
    fields->addWidget(m_text2[0], 4, 1);
    fields->addWidget(m_label1[4], 5, 0);
    fields->addWidget(m_text2[1], 5, 1);
    auto* right = new QVBoxLayout;
    right->addLayout(fields);
    right->addWidget(m_fg1, 1);
    m_skipExisting = app::ui::skipExistingBox(this);
    right->addWidget(m_skipExisting);
    auto* undo = new QPushButton(QString::fromUtf8(msg::kUndoLastImport), this);
    undo->setObjectName("AnnullaImportazione");
    auto* actions = new QHBoxLayout;
    actions->addWidget(m_pb[6]);
    actions->addWidget(m_pb[1]);
    actions->addWidget(undo);
    actions->addStretch();
    actions->addWidget(m_pb[0]);
    right->addLayout(actions);
    return right;
}

void FormImport::showEngineFailure(const db::EngineError& e) {
    m_dialogs.notice(
        noticeOf(msg::kMappingUnavailable, std::string(e.what()) + " (errore " + std::to_string(e.number()) + ")"));
}

void FormImport::chooseTable(int position) {
    auto tables = excelTables();
    if (position < 0 || static_cast<std::size_t>(position) >= tables.size()) return;
    const ExcelTable& table = tables[static_cast<std::size_t>(position)];
    try {
        app::ui::WaitCursor wait;
        m_mapping.choose(m_archive.mappingDatabasePath(), table);
        m_p1->setText(table.panelCaption);
    } catch (const db::EngineError& e) {
        m_p1->setText(msg::kWaitingPanel);
        showMappingRows(-1);
        showEngineFailure(e);
        return;
    }
    showMappingRows(0);
    app::ui::fitColumns(m_grid, {pixels(2000), pixels(900), pixels(900)});
    markPresentRows();
}

void FormImport::showMappingRows(int row) {
    m_gridModel->reload();
    if (row >= 0 && row < m_gridModel->rowCount()) m_grid->setCurrentIndex(m_gridModel->index(row, 0));
}

int FormImport::currentMappingRow() const {
    QModelIndex current = m_grid->currentIndex();
    return current.isValid() ? current.row() : 0;
}

bool FormImport::mappingHasRows() const { return m_mapping.table() && !m_mapping.rows().empty(); }

void FormImport::followCurrentRow() {
    if (!mappingHasRows()) return;
    auto row = static_cast<std::size_t>(currentMappingRow());
    if (row < m_mapping.rows().size()) m_text999->setText(QString::number(m_mapping.rows()[row].colonna));
}

void FormImport::assignColumn() {
    if (!mappingHasRows()) return;
    int row = currentMappingRow();
    try {
        m_mapping.assign(static_cast<std::size_t>(row), m_text999->text().toStdString());
    } catch (const db::EngineError& e) {
        showEngineFailure(e);
    }
    showMappingRows(row);
}

void FormImport::removeAssignment() {
    if (!mappingHasRows()) return;
    int row = currentMappingRow();
    try {
        m_mapping.unassign(static_cast<std::size_t>(row));
    } catch (const db::EngineError& e) {
        showEngineFailure(e);
    }
    showMappingRows(row);
}

void FormImport::clearAssignments() {
    if (!mappingHasRows()) return;
    app::Notice question = noticeOf(msg::kClearMappingQuestion);
    question.showConfirm = true;
    if (m_dialogs.notice(question) != app::kNoticeConfirmed) return;
    try {
        m_mapping.clear();
    } catch (const db::EngineError& e) {
        showEngineFailure(e);
    }
    showMappingRows(0);
}

void FormImport::chooseFile() {
    if (auto file = m_dialogs.openFile(msg::kExcelFileFilter, db::displayPath(m_archive.ArchiveFolder)))
        m_text1[0]->setText(QString::fromStdString(*file));
}

void FormImport::PreviewSheet() { previewWith(m_foglio->currentText().toStdString(), true); }

void FormImport::previewWith(const std::string& sheet, bool again) {
    refreshMapping();
    PreviewOutcome outcome;
    std::string file;
    try {
        app::ui::WaitCursor wait;
        // A name typed without a folder is in the archive folder.
        const std::string typed = m_text1[0]->text().toStdString();
        file = typed.empty() ? typed : db::resolveUserFile(typed, m_archive.ArchiveFolder).string();
        m_fg1Model->replaceGrid([&] {
            const std::string columns = m_text1[1]->text().toStdString(), rows = m_text1[2]->text().toStdString();
            outcome = again ? PreviewSheetKeeping(file, columns, rows, m_preview, sheet)
                            : import_excel::PreviewSheet(file, columns, rows, m_preview, sheet);
        });
    } catch (const db::EngineError& e) {
        m_fg1Model->replaceGrid([&] { m_preview = PreviewGrid(); });
        outcome.notice = noticeOf(msg::kWorkbookUnreadable, e.what());
    }
    if (outcome.ran && !outcome.notice) {
        m_previewFile = file;
        m_previewSheet = outcome.sheetRead;
        markPresentRows();
    }
    if (outcome.ran) {
        m_foglio->clear();
        for (const std::string& name : outcome.sheets) m_foglio->addItem(QString::fromStdString(name));
        m_foglio->setCurrentIndex(m_foglio->findText(QString::fromStdString(outcome.sheetRead), Qt::MatchExactly));
    }
    if (outcome.notice) m_dialogs.notice(*outcome.notice);
}

void FormImport::importFromExcel() {
    refreshMapping();  // the grid shows what the import will read
    ImportCheck check = checkBeforeImport(m_text1[0]->text().toStdString(), m_text2[0]->text().toStdString(),
                                          m_text2[1]->text().toStdString());
    m_text2[0]->setText(QString::fromStdString(check.firstRow));
    m_text2[1]->setText(QString::fromStdString(check.lastRow));
    if (check.refusal) {
        m_dialogs.notice(*check.refusal);
        return;
    }
    // The import reads the grid, not the file: without a preview there is nothing to read.
    if (m_preview.PreviewRows() == 0) {
        m_dialogs.notice(noticeOf(msg::kPreviewFirst, msg::kPreviewFirstHow));
        return;
    }
    RowChoice chosen = chooseImportRows(m_preview.PreviewRows(), check.firstRow, check.lastRow);
    if (chosen.refusal) {
        m_dialogs.notice(*chosen.refusal);
        return;
    }
    const ExcelTable* table = m_mapping.table();
    if (table && !app::ui::confirmRepeatedImport(m_dialogs, m_archive, db::lowerName(table->mappingTable), m_previewFile))
        return;
    ImportOptions options;
    options.source = {m_archive.mappingDatabasePath(), m_previewFile, m_previewSheet};
    options.skipExisting = m_skipExisting->isChecked();
    options.rows = chosen.rows;
    ImportOutcome outcome;
    {
        app::ui::WaitCursor wait;
        outcome = ImportFromExcel(m_archive.DatabasePath, m_mapping, m_preview, options);
    }
    refreshMapping();
    m_dialogs.notice(outcome.notice);
    markPresentRows();
}

void FormImport::assignFromHeadings() {
    const ExcelTable* table = m_mapping.table();
    if (!table) {
        m_dialogs.notice(noticeOf(msg::kChooseDestinationTable));
        return;
    }
    if (m_preview.PreviewRows() < 1) {
        m_dialogs.notice(noticeOf(msg::kHeadingsNeedPreview));
        return;
    }
    HeadingMatch match = matchHeadings(*table, m_mapping.rows(), m_preview);
    std::string text;
    for (const std::string& line : headingMatchLines(match, m_mapping.rows())) text += line + "\n";
    if (match.assigned.empty()) {
        m_dialogs.message(text, msg::kTitle, app::Buttons::Ok, app::Icon::Information);
        return;
    }
    text += msg::kHeadingsConfirm;
    if (m_dialogs.message(text, msg::kTitle, app::Buttons::YesNo, app::Icon::Question, app::Answer::Yes) !=
        app::Answer::Yes)
        return;
    try {
        import_excel::assignFromHeadings(m_mapping, match);
    } catch (const db::EngineError& e) {
        showEngineFailure(e);
    }
    showMappingRows(0);
    markPresentRows();
}

void FormImport::undoImport() {
    const ExcelTable* table = m_mapping.table();
    if (!table) {
        m_dialogs.notice(noticeOf(msg::kChooseDestinationTable));
        return;
    }
    app::ui::undoLastImportAsked(m_dialogs, m_archive, db::lowerName(table->mappingTable));
    markPresentRows();
}

void FormImport::markPresentRows() {
    const ExcelTable* table = m_mapping.table();
    if (!table || !m_skipExisting->isChecked() || m_preview.PreviewRows() < 2) {
        m_fg1Model->markRows({});
        return;
    }
    try {
        app::ui::WaitCursor wait;
        m_fg1Model->markRows(planRows(*table, m_mapping.rows(), m_preview, m_archive.DatabasePath, true).actions);
    } catch (const db::EngineError&) {
        // The import itself reports a table it cannot read.
        m_fg1Model->markRows({});
    }
}

}  // namespace tessaro7::import_excel::ui
