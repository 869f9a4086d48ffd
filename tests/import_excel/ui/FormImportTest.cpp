// The Excel import window, driven through its controls by their names.
#include "import_excel/ui/FormImport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTableView>

#include "app/Messages.h"
#include "import_excel/ExcelMappingStore.h"
#include "support/ExcelImportArchive.h"
#include "support/RecordingDialogs.h"
#include "support/UiText.h"
#include "support/XlwtWorkbook.h"

namespace {

using namespace tessaro7::testing;
using tessaro7::import_excel::ExcelMappingStore;
using tessaro7::import_excel::findExcelTable;
using tessaro7::import_excel::MappingRow;
using tessaro7::import_excel::ui::FormImport;
namespace msg = tessaro7::app::msg;

struct FormImportTest : ::testing::Test {
    ExcelImportArchive a;
    RecordingDialogs dialogs;
    FormImport form{a.archive, dialogs};

    template <typename T>
    T* control(const char* name) {
        T* c = form.findChild<T*>(name);
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    QPushButton* pb(int i) { return control<QPushButton>(QString("PB_%1").arg(i).toUtf8().constData()); }
    QLineEdit* edit(const char* name) { return control<QLineEdit>(name); }
    QTableView* grid() { return control<QTableView>("grid"); }
    QTableView* fg1() { return control<QTableView>("FG1"); }
    void choose(int position) { control<QComboBox>("Combo1")->setCurrentIndex(position); }
    void selectRow(int row) { grid()->setCurrentIndex(grid()->model()->index(row, 0)); }
    std::vector<MappingRow> stored(const char* table) {
        ExcelMappingStore store;
        store.choose(a.archive.mappingDatabasePath(), *findExcelTable(table));
        return store.rows();
    }
    void type(QWidget* w, int key, const QString& text = {}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
        QApplication::sendEvent(w, &release);
    }
    std::string cell(int r, int c) { return fg1()->model()->index(r, c).data().toString().toStdString(); }
    std::vector<std::string> notices() {
        std::vector<std::string> texts;
        for (const DialogCall& call : dialogs.calls)
            if (call.kind == DialogCall::Kind::Notice) texts.push_back(call.text);
        return texts;
    }
};

TEST_F(FormImportTest, ControlsAndTextsAsLoaded) {
    EXPECT_EQ(form.windowTitle(), "Importazione dati da Excel");
    const char* captions[] = {"C&hiudi", " &Importa da Excel", "", "&Assegna", "&Elimina dati assegnati", "&Toglie",
                              "&Anteprima"};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(pb(i)->text(), captions[i]) << i;
    EXPECT_FALSE(pb(2)->icon().isNull());
    const char* labels[] = {"File di Excel", "File di archivio :", "", "Prima riga del file XLS",
                            "Ultima riga del file XLS", "Numero Colonne", "Tabella di Destinazione", "Numero Righe",
                            "Il campo della tabella può corrispondere ad una  colonna del file di Excel...",
                            "Inserire il numero della colonna"};
    for (int i = 0; i < 10; ++i) {
        if (i == 2) continue;
        EXPECT_EQ(control<QLabel>(QString("Label1_%1").arg(i).toUtf8().constData())->text(), labels[i]) << i;
    }
    // The path as this platform writes it, broken only between names when it wraps.
    EXPECT_EQ(tessaro7::testing::readText(control<QLabel>("Label1_2")),
              (std::filesystem::path(a.archive.ArchiveFolder) / "Tessaro7.mdb").string());
    tessaro7::testing::expectBreaksOnlyAfterSeparators(control<QLabel>("Label1_2"));
    EXPECT_EQ(control<QLabel>("P1")->text(), ".:: in attesa ::.");
    auto* combo = control<QComboBox>("Combo1");
    EXPECT_EQ(combo->currentIndex(), -1);
    EXPECT_EQ(combo->placeholderText(), "Scelta tabella");
    ASSERT_EQ(combo->count(), 3);
    EXPECT_EQ(combo->itemText(0), "Clienti");
    EXPECT_EQ(combo->itemText(1), "Fornitori");
    EXPECT_EQ(combo->itemText(2), "Articoli");
    EXPECT_EQ(edit("Text2_0")->text(), "0");
    EXPECT_EQ(edit("Text2_1")->text(), "0");
    for (const char* name : {"text1_0", "text1_1", "text1_2", "text999"}) EXPECT_EQ(edit(name)->text(), "") << name;
    EXPECT_EQ(grid()->model()->rowCount(), 0);
    EXPECT_EQ(control<QLabel>("gridCaption")->text(), "Campi caricabili della tabella");
}

TEST_F(FormImportTest, ChoosingArticoliShowsItsRowsAndNamesTheTable) {
    choose(2);
    EXPECT_EQ(control<QLabel>("P1")->text(), "Tabella Articoli");
    auto* model = grid()->model();
    ASSERT_EQ(model->rowCount(), 10);
    ASSERT_EQ(model->columnCount(), 3);
    EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), "Campo della tabella");
    EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), "Colonna");
    EXPECT_EQ(model->headerData(2, Qt::Horizontal).toString(), "Assegnato");
    EXPECT_EQ(model->index(0, 0).data().toString(), "Codice");
    EXPECT_EQ(model->index(9, 0).data().toString(), "Ubicazione");
    EXPECT_EQ(model->index(0, 1).data().toString(), "0");
    EXPECT_EQ(model->index(0, 2).data(Qt::CheckStateRole).toInt(), Qt::Unchecked);
    // Headings such as "Assegnato" need more than the twips give with the heading font.
    tessaro7::testing::expectColumnsShowWhole(grid(), {2000 / 15, 900 / 15, 900 / 15});
    choose(0);
    EXPECT_EQ(control<QLabel>("P1")->text(), "Tabella Clienti");
    EXPECT_EQ(grid()->model()->rowCount(), 18);
}

TEST_F(FormImportTest, EditingButtonsDoNothingBeforeATableIsChosen) {
    edit("text999")->setText("4");
    for (int i : {3, 4, 5}) pb(i)->click();
    EXPECT_TRUE(dialogs.calls.empty());
    for (const char* table : {"clienti", "fornitori", "articoli"})
        for (const MappingRow& row : stored(table)) EXPECT_FALSE(row.utilizzato);
}

TEST_F(FormImportTest, AssignAndRemoveOnTheCurrentRow) {
    choose(2);
    selectRow(3);
    edit("text999")->setText("7");
    pb(3)->click();
    EXPECT_EQ(stored("articoli")[3].colonna, 7);
    EXPECT_TRUE(stored("articoli")[3].utilizzato);
    EXPECT_EQ(grid()->model()->index(3, 1).data().toString(), "7 (H)");  // the sheet's name of column 7
    EXPECT_EQ(grid()->model()->index(3, 2).data(Qt::CheckStateRole).toInt(), Qt::Checked);
    EXPECT_EQ(grid()->currentIndex().row(), 3);

    selectRow(5);
    edit("text999")->setText("");
    pb(3)->click();
    EXPECT_EQ(stored("articoli")[5].colonna, 0);
    EXPECT_TRUE(stored("articoli")[5].utilizzato);

    selectRow(3);
    pb(5)->click();
    EXPECT_EQ(stored("articoli")[3].colonna, 0);
    EXPECT_FALSE(stored("articoli")[3].utilizzato);
    EXPECT_TRUE(dialogs.calls.empty());
}

TEST_F(FormImportTest, ClearingAsksFirst) {
    choose(0);
    for (int row : {0, 4, 17}) {
        selectRow(row);
        edit("text999")->setText("2");
        pb(3)->click();
    }
    dialogs.noticeAnswers = {7};
    pb(4)->click();
    ASSERT_EQ(dialogs.calls.size(), 1u);
    EXPECT_EQ(dialogs.last().text, "Vuoi azzerare tutti i dati per la tabella ?");
    EXPECT_TRUE(dialogs.last().notice.showConfirm);
    EXPECT_TRUE(stored("clienti")[4].utilizzato);

    dialogs.noticeAnswers = {8};
    pb(4)->click();
    for (const MappingRow& row : stored("clienti")) {
        EXPECT_EQ(row.colonna, 0);
        EXPECT_FALSE(row.utilizzato);
    }
    for (int row = 0; row < 18; ++row)
        EXPECT_EQ(grid()->model()->index(row, 2).data(Qt::CheckStateRole).toInt(), Qt::Unchecked);
}

TEST_F(FormImportTest, KeyboardMovesThroughTheGridUpdateText999) {
    choose(2);
    for (int row = 0; row < 4; ++row) {
        selectRow(row);
        edit("text999")->setText(QString::number(10 + row));
        pb(3)->click();
    }
    selectRow(0);
    EXPECT_EQ(edit("text999")->text(), "10");
    type(grid(), Qt::Key_Down);
    EXPECT_EQ(edit("text999")->text(), "11");
    type(grid(), Qt::Key_Down);
    type(grid(), Qt::Key_Down);
    EXPECT_EQ(edit("text999")->text(), "13");
    type(grid(), Qt::Key_Down);
    EXPECT_EQ(edit("text999")->text(), "0");
    type(grid(), Qt::Key_Up);
    EXPECT_EQ(edit("text999")->text(), "13");
}

// Each box of the window: whether it takes digits only, and whether giving
// it the focus empties the clipboard (the count boxes do; the row boxes do not).
TEST_F(FormImportTest, EachBoxTakesItsKeysAndTreatsTheClipboardAsItsOwn) {
    struct Case {
        const char* name;
        bool digitsOnly;
        bool emptiesClipboard;
    };
    const Case cases[] = {
        {"text999", true, true}, {"text1_1", true, true},  {"text1_2", true, true},
        {"Text2_0", true, false}, {"Text2_1", true, false}, {"text1_0", false, false},  // the file name takes anything
    };
    for (const Case& c : cases) {
        QLineEdit* field = edit(c.name);
        field->clear();
        type(field, Qt::Key_1, "1");
        type(field, Qt::Key_A, "a");
        type(field, Qt::Key_Minus, "-");
        type(field, Qt::Key_Comma, ",");
        type(field, Qt::Key_2, "2");
        EXPECT_EQ(field->text(), c.digitsOnly ? "12" : "1a-,2") << c.name;
        type(field, Qt::Key_Backspace);
        EXPECT_EQ(field->text(), c.digitsOnly ? "1" : "1a-,") << c.name;

        QApplication::clipboard()->setText("appunti");
        QFocusEvent focus(QEvent::FocusIn, Qt::TabFocusReason);
        QApplication::sendEvent(field, &focus);
        EXPECT_EQ(QApplication::clipboard()->text(), c.emptiesClipboard ? "" : "appunti") << c.name;
    }
}

TEST_F(FormImportTest, ChoosingTheFileFillsTheNameField) {
    dialogs.files = {std::string("/dati/Clienti.xls")};
    pb(2)->click();
    ASSERT_EQ(dialogs.calls.size(), 1u);
    EXPECT_EQ(dialogs.last().filter, msg::kExcelFileFilter);
    EXPECT_EQ(std::string(msg::kExcelFileFilter).substr(0, 50), "Fogli di calcolo (*.xls *.xlsx *.ods *.csv)|*.xls;");
    EXPECT_EQ(dialogs.last().text, a.archive.ArchiveFolder);
    EXPECT_EQ(edit("text1_0")->text(), "/dati/Clienti.xls");
    // Cancelling keeps the name.
    pb(2)->click();
    EXPECT_EQ(edit("text1_0")->text(), "/dati/Clienti.xls");
}

TEST_F(FormImportTest, PreviewFillsFG1) {
    writeXlwtWorkbook(a.dir / "w.xls", {{std::string("A1"), std::string("B1"), std::string("C1")},
                                        {std::string("A2"), 1.5, XlDate{2024, 2, 29}},
                                        {},
                                        {},
                                        {std::string("A5"), XlCell{}, std::string("C5")}});
    edit("text1_0")->setText(QString::fromStdString((a.dir / "w.xls").string()));
    edit("text1_1")->setText("3");
    edit("text1_2")->setText("5");
    pb(6)->click();
    EXPECT_TRUE(dialogs.calls.empty());
    EXPECT_EQ(fg1()->model()->rowCount(), 5);
    EXPECT_EQ(fg1()->model()->columnCount(), 3);
    EXPECT_EQ(cell(0, 0), "A1");
    EXPECT_EQ(cell(4, 2), "C5");
    EXPECT_EQ(cell(1, 1), "1,5");
    EXPECT_EQ(cell(1, 2), "29/02/2024");
    EXPECT_EQ(fg1()->horizontalHeader()->sectionSize(0), 1814 / 15);

    // "0" columns: nothing happens.
    edit("text1_1")->setText("0");
    edit("text1_0")->setText("altro.xls");
    pb(6)->click();
    EXPECT_EQ(fg1()->model()->rowCount(), 5);
    EXPECT_TRUE(dialogs.calls.empty());

    // A file that cannot be read: the notice, and an empty preview.
    edit("text1_1")->setText("3");
    pb(6)->click();
    EXPECT_EQ(notices(), std::vector<std::string>{msg::kWorkbookUnreadable});
    // A name without a folder is taken from the archive folder.
    EXPECT_EQ(dialogs.last().notice.lines[1], "File: " + (std::filesystem::path(a.archive.ArchiveFolder) / "altro.xls").string());
    EXPECT_EQ(fg1()->model()->rowCount(), 0);
    EXPECT_EQ(form.preview().PreviewRows(), 0);
}

TEST_F(FormImportTest, FoglioListsTheSheetsAndAnotherChoicePreviewsIt) {
    writeXlwtWorkbook(a.dir / "w.xls", std::vector<std::vector<XlRow>>{{{std::string("primo")}}, {{std::string("secondo")}}});
    edit("text1_0")->setText(QString::fromStdString((a.dir / "w.xls").string()));
    edit("text1_1")->setText("1");
    edit("text1_2")->setText("1");
    pb(6)->click();
    auto* foglio = form.findChild<QComboBox*>("Foglio");
    ASSERT_TRUE(foglio);
    ASSERT_EQ(foglio->count(), 2);
    EXPECT_EQ(foglio->itemText(1), "Foglio2");
    EXPECT_EQ(foglio->currentText(), "Foglio1");
    EXPECT_EQ(cell(0, 0), "primo");
    foglio->setFocus();
    QTest::keyClick(foglio, Qt::Key_Down);
    EXPECT_EQ(foglio->currentText(), "Foglio2");
    EXPECT_EQ(cell(0, 0), "secondo");
    EXPECT_EQ(form.preview().cell(0, 0), "secondo");
    // "&Anteprima" again keeps the chosen sheet; another file name starts from the one it opens on.
    pb(6)->click();
    EXPECT_EQ(foglio->currentText(), "Foglio2");
    EXPECT_EQ(cell(0, 0), "secondo");
    edit("text1_0")->setText(QString::fromStdString((a.dir / "w.xls").string()) + " ");
    edit("text1_0")->setText(QString::fromStdString((a.dir / "w.xls").string()));
    pb(6)->click();
    EXPECT_EQ(foglio->currentText(), "Foglio1");
    EXPECT_EQ(cell(0, 0), "primo");
    EXPECT_TRUE(dialogs.calls.empty());
}

TEST_F(FormImportTest, ChecksBeforeImporting) {
    pb(1)->click();
    edit("text1_0")->setText("/dati/clienti.txt");
    pb(1)->click();
    EXPECT_EQ(notices(), (std::vector<std::string>{msg::kSelectExcelFile, msg::kSelectExcelFile}));

    dialogs.calls.clear();
    edit("text1_0")->setText("/dati/CLIENTI.Xls");
    edit("Text2_0")->setText("");
    edit("Text2_1")->setText("");
    pb(1)->click();
    EXPECT_EQ(edit("Text2_0")->text(), "0");
    EXPECT_EQ(edit("Text2_1")->text(), "0");
    // The checks passed; nothing was previewed, so the import asks for a preview.
    EXPECT_EQ(notices(), std::vector<std::string>{msg::kPreviewFirst});

    dialogs.calls.clear();
    edit("Text2_0")->setText("5");
    edit("Text2_1")->setText("3");
    pb(1)->click();
    EXPECT_EQ(notices(), std::vector<std::string>{msg::kExcelRowsWrong});
}

TEST_F(FormImportTest, ImportAppendsThePreviewedRows) {
    writeXlwtWorkbook(a.dir / "c.xls", {{std::string("Nome"), std::string("Città")},
                                        {std::string("Rossi"), std::string("Roma")},
                                        {std::string("Verdi"), std::string("Bari")}});
    choose(1);
    selectRow(0);
    edit("text999")->setText("0");
    pb(3)->click();
    selectRow(5);
    edit("text999")->setText("1");
    pb(3)->click();
    edit("text1_0")->setText(QString::fromStdString((a.dir / "c.xls").string()));
    edit("text1_1")->setText("2");
    edit("text1_2")->setText("3");
    pb(6)->click();
    pb(1)->click();
    ASSERT_EQ(notices(), std::vector<std::string>{msg::kExcelDone});
    EXPECT_EQ(dialogs.last().notice.lines[1], "Record aggiunti alla tabella Fornitori: 2.");
    EXPECT_EQ(a.rowsOf("fornitori", {"nominativo", "citta"}),
              (std::vector<std::vector<std::string>>{{"Rossi", "Roma"}, {"Verdi", "Bari"}}));
    EXPECT_TRUE(a.rowsOf("clienti", {"nominativo"}).empty());
}

TEST_F(FormImportTest, AMissingMappingDatabaseIsReported) {
    std::filesystem::remove(a.dir / "Tessaro7a.mdb");
    choose(0);
    ASSERT_EQ(notices(), std::vector<std::string>{msg::kMappingUnavailable});
    EXPECT_EQ(control<QLabel>("P1")->text(), ".:: in attesa ::.");
    EXPECT_EQ(grid()->model()->rowCount(), 0);
    pb(3)->click();
    EXPECT_EQ(notices().size(), 1u);
}

TEST_F(FormImportTest, CloseButtonClosesTheWindow) {
    form.show();
    pb(0)->click();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Accepted);
}

}  // namespace
