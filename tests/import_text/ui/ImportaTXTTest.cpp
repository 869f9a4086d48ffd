// The text import window: its controls found by name and clicked.
#include "import_text/ui/ImportaTXT.h"

#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <functional>
#include <memory>

#include "import_text/TextArchive.h"
#include "import_text/ui/UiEvents.h"
#include "support/RecordingDialogs.h"
#include "support/UiText.h"

namespace {

using tessaro7::app::Answer;
using tessaro7::app::Buttons;
using tessaro7::app::Icon;
using tessaro7::import_text::TextTable;
using tessaro7::import_text::ui::ImportaTXT;
using tessaro7::testing::DialogCall;
using tessaro7::testing::padded;
using tessaro7::testing::TextArchive;

// Records, besides each call, whatever the test wants to observe at the moment a message shows.
struct WatchingDialogs : tessaro7::testing::RecordingDialogs {
    std::function<void()> atMessage;
    Answer message(const std::string& text, const std::string& title, Buttons buttons, Icon icon,
                   Answer defaultButton) override {
        if (atMessage) atMessage();
        return RecordingDialogs::message(text, title, buttons, icon, defaultButton);
    }
};

class ImportaTXTTest : public ::testing::Test {
protected:
    TextArchive a;
    WatchingDialogs dialogs;
    std::unique_ptr<ImportaTXT> window;

    void SetUp() override {
        window = std::make_unique<ImportaTXT>(a.archive, dialogs);
        window->show();
    }
    template <typename T>
    T* find(const char* name) {
        T* w = window->findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QString panel() { return find<QLabel>("P1")->text(); }
    QAbstractItemModel* model() { return find<QTableView>("grid")->model(); }
    void choose(int position) { find<QComboBox>("Combo1")->setCurrentIndex(position); }
    void click(const char* name) { tessaro7::testing::mouseClick(find<QPushButton>(name)); }
    void clickRow(int row) {
        auto* grid = find<QTableView>("grid");
        QModelIndex index = model()->index(row, 0);
        tessaro7::testing::mouseClick(grid->viewport(), grid->visualRect(index).center());
    }
    void setBoxes(const char* start, const char* width) {
        find<QLineEdit>("Text2_3")->setText(start);
        find<QLineEdit>("Text2_0")->setText(width);
    }
    std::vector<std::string> stored(const std::string& table, int row) {
        return a.mapping("select colonna, Qta, utilizzato from " + table + " where rowid=" + std::to_string(row))[0];
    }
    void setFile(const std::string& path) { find<QLineEdit>("text1_0")->setText(QString::fromStdString(path)); }
};

TEST_F(ImportaTXTTest, LoadShowsTheDatabaseTheTablesAndWaits) {
    EXPECT_EQ(window->windowTitle(), "Importazione dati da file di testo");
    EXPECT_EQ(tessaro7::testing::readText(find<QLabel>("Label1_2")),
              (std::filesystem::path(a.folder()) / "Tessaro7.mdb").string());
    tessaro7::testing::expectBreaksOnlyAfterSeparators(find<QLabel>("Label1_2"));
    auto* combo = find<QComboBox>("Combo1");
    ASSERT_EQ(combo->count(), 3);
    EXPECT_EQ(combo->itemText(0), "Clienti");
    EXPECT_EQ(combo->itemText(1), "Fornitori");
    EXPECT_EQ(combo->itemText(2), "Articoli");
    EXPECT_EQ(combo->currentIndex(), -1);
    EXPECT_EQ(combo->placeholderText(), "Scelta tabella");
    EXPECT_EQ(panel(), ".:: in attesa ::.");
    EXPECT_EQ(model()->rowCount(), 0);
    EXPECT_EQ(find<QLineEdit>("Text2_3")->text(), "0");
    EXPECT_EQ(find<QLineEdit>("Text2_0")->text(), "0");
    EXPECT_EQ(find<QLabel>("Label1_3")->text(), "Inizio col.");
    EXPECT_EQ(find<QLabel>("Label1_4")->text(), "Qtà chrs");
    EXPECT_EQ(find<QLabel>("Label1_0")->text(), "File di Testo");
    EXPECT_EQ(find<QLabel>("Label1_1")->text(), "File di archivio :");
    EXPECT_EQ(find<QLabel>("Label1_5")->text(), "Nome del foglio");
    EXPECT_EQ(find<QLabel>("Label1_6")->text(), "Tabella di Destinazione");
    EXPECT_EQ(find<QLabel>("Label1_8")->text(),
              "Il campo della tabella può corrispondere ad una  colonna del file di testo...");
    EXPECT_EQ(find<QLabel>("Label1_9")->text(), "Inserire il numero della colonna");
    EXPECT_EQ(find<QPushButton>("CBT_0")->text(), "C&hiudi");
    EXPECT_EQ(find<QPushButton>("CBT_1")->text(), "&Importa dati");
    EXPECT_EQ(find<QPushButton>("CBT_2")->text(), "");
    EXPECT_EQ(find<QPushButton>("CBT_3")->text(), "&Assegna");
    EXPECT_EQ(find<QPushButton>("CBT_4")->text(), "&Elimina dati assegnati");
    EXPECT_EQ(find<QPushButton>("CBT_5")->text(), "&Toglie");
    EXPECT_EQ(find<QPushButton>("CBT_6")->text(), "&Anteprima");
    EXPECT_EQ(window->findChild<QTabWidget*>()->tabText(0), "Import dei dati");
    EXPECT_EQ(find<QGroupBox>("Frame2")->findChild<QComboBox*>("Combo1"), find<QComboBox>("Combo1"));
    EXPECT_NE(find<QGroupBox>("Frame1")->findChild<QLineEdit*>("text1_0"), nullptr);
}

TEST_F(ImportaTXTTest, ChoosingEachTableBindsTheGridAndSetsThePanel) {
    const char* captions[] = {"Tabella Clienti", "Tabella Fornitori", "Tabella Articoli"};
    int rows[] = {18, 18, 10};
    for (int i = 0; i < 3; ++i) {
        choose(i);
        EXPECT_EQ(panel(), captions[i]);
        EXPECT_EQ(model()->rowCount(), rows[i]);
    }
    EXPECT_EQ(model()->data(model()->index(0, 0)).toString(), "Codice");
    choose(1);
    ASSERT_EQ(model()->columnCount(), 4);
    const char* headers[] = {"Campo della tabella", "Colonna", "Qtà chrs", "Assegnato"};
    for (int c = 0; c < 4; ++c) EXPECT_EQ(model()->headerData(c, Qt::Horizontal).toString(), headers[c]);
    tessaro7::testing::expectColumnsShowWhole(find<QTableView>("grid"), {2000 / 15, 900 / 15, 900 / 15, 900 / 15});
    EXPECT_EQ(model()->data(model()->index(17, 0)).toString(), "Sito web");
}

TEST_F(ImportaTXTTest, GridShowsStoredValuesAndTheCheckBox) {
    a.assign(TextTable::Fornitori, 2, 12, 30);
    choose(1);
    EXPECT_EQ(model()->data(model()->index(1, 1)).toString(), "12");
    EXPECT_EQ(model()->data(model()->index(1, 2)).toString(), "30");
    EXPECT_EQ(model()->data(model()->index(1, 3), Qt::CheckStateRole).toInt(), Qt::Checked);
    EXPECT_EQ(model()->data(model()->index(0, 3), Qt::CheckStateRole).toInt(), Qt::Unchecked);
}

TEST_F(ImportaTXTTest, ClickingARowFillsTheBoxesAndArrowKeysFollow) {
    a.assign(TextTable::Clienti, 2, 12, 30);
    a.assign(TextTable::Clienti, 3, 45, 7);
    choose(0);
    clickRow(1);
    EXPECT_EQ(find<QLineEdit>("Text2_3")->text(), "12");
    EXPECT_EQ(find<QLineEdit>("Text2_0")->text(), "30");
    tessaro7::testing::keyClick(find<QTableView>("grid"), Qt::Key_Down);
    EXPECT_EQ(find<QLineEdit>("Text2_3")->text(), "45");
    EXPECT_EQ(find<QLineEdit>("Text2_0")->text(), "7");
}

// The start and width boxes: digits and Backspace only, and the focus empties the clipboard.
TEST_F(ImportaTXTTest, BoxesTakeOnlyDigitsAndEmptyTheClipboard) {
    struct Case {
        const char* name;
        const char* typed;
        const char* shown;
        const char* afterBackspace;
    };
    const Case cases[] = {
        {"Text2_0", "1a2-b3 ", "123", "12"},
        {"Text2_3", "x9", "9", ""},
        {"Text2_3", ",.+-", "", ""},
    };
    for (const Case& c : cases) {
        auto* box = find<QLineEdit>(c.name);
        box->clear();
        tessaro7::testing::keyClicks(box, c.typed);
        EXPECT_EQ(box->text(), c.shown) << c.name << " " << c.typed;
        tessaro7::testing::keyClick(box, Qt::Key_Backspace, "\b");
        EXPECT_EQ(box->text(), c.afterBackspace) << c.name << " " << c.typed;

        QApplication::clipboard()->setText("incolla");
        ASSERT_EQ(QApplication::clipboard()->text(), "incolla");
        QFocusEvent focus(QEvent::FocusIn, Qt::TabFocusReason);
        QApplication::sendEvent(box, &focus);
        EXPECT_EQ(QApplication::clipboard()->text(), "") << c.name;
    }
}

TEST_F(ImportaTXTTest, AssignStoresTheBoxesInTheCurrentRow) {
    choose(0);
    clickRow(2);
    setBoxes("12", "30");
    click("CBT_3");
    EXPECT_EQ(stored("clientiBIS", 3), (std::vector<std::string>{"12", "30", "1"}));
    EXPECT_EQ(model()->data(model()->index(2, 1)).toString(), "12");
    EXPECT_EQ(model()->data(model()->index(2, 3), Qt::CheckStateRole).toInt(), Qt::Checked);
    EXPECT_TRUE(dialogs.calls.empty());
}

TEST_F(ImportaTXTTest, AssignWithAZeroBoxStoresNothingSilently) {
    choose(0);
    clickRow(2);
    setBoxes("0", "30");
    click("CBT_3");
    setBoxes("12", "0");
    click("CBT_3");
    EXPECT_EQ(stored("clientiBIS", 3), (std::vector<std::string>{"0", "0", "0"}));
    EXPECT_TRUE(dialogs.calls.empty());
}

TEST_F(ImportaTXTTest, AssignOutsideTheImportsRangeIsRefusedWithItsMessage) {
    choose(0);
    clickRow(2);
    setBoxes("5", "40000");
    click("CBT_3");
    EXPECT_EQ(stored("clientiBIS", 3), (std::vector<std::string>{"0", "0", "0"}));
    ASSERT_EQ(dialogs.calls.size(), 1u);
    EXPECT_EQ(dialogs.last().text, "Riga 3 di clientiBIS (campo indirizzo, 'Indirizzo'): numero di caratteri '40000' "
                                   "non valido, deve essere tra 0 e 32767.");
    EXPECT_EQ(dialogs.last().icon, tessaro7::app::Icon::Warning);
}

TEST_F(ImportaTXTTest, UnassignKeepsTheClickedWidth) {
    a.assign(TextTable::Articoli, 4, 20, 9);
    choose(2);
    clickRow(3);
    click("CBT_5");
    EXPECT_EQ(stored("articoliBIS", 4), (std::vector<std::string>{"0", "9", "0"}));
    EXPECT_EQ(model()->data(model()->index(3, 3), Qt::CheckStateRole).toInt(), Qt::Unchecked);
}

TEST_F(ImportaTXTTest, ClearAllAsksAndNoLeavesTheTable) {
    a.assign(TextTable::Articoli, 1, 1, 10);
    choose(2);
    dialogs.answers.push_back(Answer::No);
    click("CBT_4");
    ASSERT_EQ(dialogs.calls.size(), 1u);
    const DialogCall& q = dialogs.calls[0];
    EXPECT_EQ(q.text, "Vuoi azzerare tutti i dati per la tabella ?");
    EXPECT_EQ(q.title, "Attenzione");
    EXPECT_EQ(q.buttons, Buttons::YesNo);
    EXPECT_EQ(q.icon, Icon::Question);
    EXPECT_EQ(q.defaultButton, Answer::No);
    EXPECT_EQ(stored("articoliBIS", 1), (std::vector<std::string>{"1", "10", "1"}));
}

TEST_F(ImportaTXTTest, ClearAllAnsweredYesClearsWithTheWidthBox) {
    a.assign(TextTable::Articoli, 1, 1, 10);
    a.assign(TextTable::Clienti, 1, 1, 10);
    choose(2);
    find<QLineEdit>("Text2_0")->setText("4");
    dialogs.answers.push_back(Answer::Yes);
    click("CBT_4");
    EXPECT_EQ(a.mapping("select count(*) from articoliBIS where colonna=0 and Qta=4 and utilizzato=0")[0][0], "10");
    EXPECT_EQ(stored("clientiBIS", 1), (std::vector<std::string>{"1", "10", "1"}));
    EXPECT_EQ(model()->data(model()->index(0, 1)).toString(), "0");
}

TEST_F(ImportaTXTTest, EditingButtonsBeforeATableDoNothing) {
    setBoxes("3", "4");
    click("CBT_3");
    click("CBT_5");
    click("CBT_4");
    EXPECT_TRUE(dialogs.calls.empty());
    EXPECT_EQ(a.mapping("select count(*) from clientiBIS where utilizzato<>0")[0][0], "0");
}

TEST_F(ImportaTXTTest, FileChoiceUsesTheTextFilter) {
    dialogs.files.push_back(std::string("/dati/clienti.txt"));
    click("CBT_2");
    ASSERT_EQ(dialogs.calls.size(), 1u);
    EXPECT_EQ(dialogs.calls[0].kind, DialogCall::Kind::OpenFile);
    EXPECT_EQ(dialogs.calls[0].filter, "File Testo (*.txt)|*.txt|");
    EXPECT_EQ(dialogs.calls[0].text, a.archive.ArchiveFolder);
    EXPECT_EQ(find<QLineEdit>("text1_0")->text(), "/dati/clienti.txt");
    click("CBT_2");  // cancelled: the box keeps its file
    EXPECT_EQ(find<QLineEdit>("text1_0")->text(), "/dati/clienti.txt");
}

TEST_F(ImportaTXTTest, FileCheckRefusesEmptyNamesAndOtherExtensions) {
    choose(0);
    long before = a.count("clienti");
    for (const char* name : {"", "clienti.csv", "clienti.tx"}) {
        for (const char* button : {"CBT_1", "CBT_6"}) {
            dialogs.calls.clear();
            setFile(name);
            click(button);
            ASSERT_EQ(dialogs.calls.size(), 1u) << name;
            EXPECT_EQ(dialogs.calls[0].text, "Selezionare un file di testo!");
            EXPECT_EQ(dialogs.calls[0].title, "Attenzione");
            EXPECT_EQ(dialogs.calls[0].icon, Icon::Information);
        }
    }
    EXPECT_EQ(a.count("clienti"), before);
}

TEST_F(ImportaTXTTest, UpperCaseExtensionIsAccepted) {
    a.assign(TextTable::Clienti, 1, 1, 10);
    choose(0);
    setFile(a.file("CLIENTI.TXT", "MAIUSCOLO\r\n"));
    click("CBT_1");
    ASSERT_EQ(dialogs.calls.size(), 1u);
    EXPECT_EQ(dialogs.calls[0].text.substr(0, 20), "Procedura terminata!");
}

TEST_F(ImportaTXTTest, ValidFileBeforeATableDoesNothing) {
    setFile(a.file("c.txt", "x\r\n"));
    long before = a.count("clienti");
    click("CBT_1");
    click("CBT_6");
    EXPECT_TRUE(dialogs.calls.empty());
    EXPECT_EQ(a.count("clienti"), before);
}

TEST_F(ImportaTXTTest, ImportThroughTheWindowWithFramesDisabledMeanwhile) {
    a.assign(TextTable::Articoli, 1, 1, 5);
    choose(2);
    setFile(a.file("art.txt", "W0001\r\nW0002\r\nW0001\r\n"));
    bool framesEnabledAtMessage = true;
    dialogs.atMessage = [&] {
        framesEnabledAtMessage = find<QGroupBox>("Frame1")->isEnabled() || find<QGroupBox>("Frame2")->isEnabled();
    };
    click("CBT_1");
    ASSERT_EQ(dialogs.calls.size(), 1u);
    EXPECT_EQ(dialogs.calls[0].text,
              "Procedura terminata!\nRecord aggiunti: 2\nRighe saltate perché duplicate (errore 3022): 1\n"
              "Righe oltre la 25000ª non lette: 0\nCodifica: Windows-1252");
    EXPECT_EQ(dialogs.calls[0].title, "Tessaro 7");
    EXPECT_EQ(dialogs.calls[0].icon, Icon::Information);
    EXPECT_FALSE(framesEnabledAtMessage);
    EXPECT_TRUE(find<QGroupBox>("Frame1")->isEnabled());
    EXPECT_TRUE(find<QGroupBox>("Frame2")->isEnabled());
    EXPECT_EQ(a.business("select count(*) from articoli where codice like 'W000%'")[0][0], "2");
}

TEST_F(ImportaTXTTest, FailedImportStillEnablesTheFrames) {
    a.assign(TextTable::Articoli, 4, 1, 3);
    choose(2);
    setFile(a.file("art.txt", "abc\r\n"));
    click("CBT_1");
    ASSERT_EQ(dialogs.calls.size(), 1u);
    EXPECT_NE(dialogs.calls[0].text.find("Riga 1, campo costoeuro"), std::string::npos);
    EXPECT_EQ(dialogs.calls[0].title, "Attenzione");
    EXPECT_TRUE(find<QGroupBox>("Frame1")->isEnabled());
    EXPECT_TRUE(find<QGroupBox>("Frame2")->isEnabled());
}

TEST_F(ImportaTXTTest, PreviewShowsTheFirstLineInThePreviewWindow) {
    a.assign(TextTable::Fornitori, 1, 1, 8);
    choose(1);
    setFile(a.file("f.txt", "FORNITOR seconda\r\naltro"));
    click("CBT_6");
    ASSERT_EQ(dialogs.calls.size(), 1u);
    const DialogCall& call = dialogs.calls[0];
    EXPECT_EQ(call.kind, DialogCall::Kind::TextPreview);
    EXPECT_EQ(call.title, "Tabella Fornitori");
    ASSERT_EQ(call.preview.size(), 18u);
    EXPECT_EQ(call.preview[0].caption, "Ragione");
    EXPECT_EQ(call.preview[0].text, "FORNITOR");
    EXPECT_EQ(call.preview[9].caption, "Pratita IVA CEE");
    EXPECT_EQ(call.encoding, "Windows-1252");
}

TEST_F(ImportaTXTTest, PreviewOfAFileThatIsNotTextIsAMessage) {
    a.assign(TextTable::Fornitori, 1, 1, 8);
    choose(1);
    std::string file = a.file("f.txt", std::string("FORNITOR\r\nNUL\0\r\n", 15));
    setFile(file);
    click("CBT_6");
    ASSERT_EQ(dialogs.calls.size(), 1u);
    EXPECT_EQ(dialogs.calls[0].kind, DialogCall::Kind::Message);
    EXPECT_EQ(dialogs.calls[0].text, "Il file '" + file +
                                         "' non è un file di testo o è danneggiato: la riga 2 contiene un carattere "
                                         "NUL.\nSalvare di nuovo il file come testo e riprovare.");
}

TEST_F(ImportaTXTTest, PreviewOfAMissingFileIsAMessage) {
    choose(2);
    setFile(a.folder() + "/assente.txt");
    click("CBT_6");
    ASSERT_EQ(dialogs.calls.size(), 1u);
    EXPECT_EQ(dialogs.calls[0].kind, DialogCall::Kind::Message);
    EXPECT_NE(dialogs.calls[0].text.find("assente.txt"), std::string::npos);
}

TEST_F(ImportaTXTTest, MissingMappingTableIsAMessageAndNoTable) {
    TextArchive::exec(a.mappingDb(), "drop table articoliBIS");
    choose(2);
    ASSERT_EQ(dialogs.calls.size(), 1u);
    EXPECT_NE(dialogs.calls[0].text.find("articoliBIS"), std::string::npos);
    EXPECT_EQ(panel(), ".:: in attesa ::.");
    EXPECT_EQ(model()->rowCount(), 0);
}

TEST_F(ImportaTXTTest, CloseButtonClosesTheWindow) {
    click("CBT_0");
    EXPECT_FALSE(window->isVisible());
}

}  // namespace
