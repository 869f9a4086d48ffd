// The export window clicked through by control name: the lists in NB1, the
// eight effects of an item click, the refusal, the export and its messages.
#include "export/ui/MainForm.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QSettings>
#include <QtTest/QTest>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>

#include "app/ui/NavBar.h"
#include "export/Clock.h"
#include "export/ExportLists.h"
#include "export/SheetFiles.h"
#include "export/SheetFormat.h"
#include "support/RecordingDialogs.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;
using namespace tessaro7;
using exporting::ExportList;
using exporting::listByNumber;
using tessaro7::testing::DialogCall;
using tessaro7::testing::sheet::Database;
using tessaro7::testing::sheet::readSheetWithXlrd;

constexpr int kYear = 2031;

class MainFormTest : public ::testing::Test {
protected:
    tessaro7::testing::TempDir dir;
    Database database{dir / "Tessaro7.mdb"};
    tessaro7::testing::RecordingDialogs dialogs;
    exporting::FixedClock clock{kYear};
    // Each test starts from a user who never chose a format.
    bool settingsIsolated = [this] {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(dir.str()));
        return true;
    }();
    exporting::ui::MainForm form{app::archiveFromFolder(dir.str()), dialogs};

    void SetUp() override {
        form.setClock(clock);
        // Table i holds i rows, so each count tells its table.
        int rows = 1;
        for (const ExportList& list : exporting::exportLists()) {
            std::string table = list.countTable;
            for (char& ch : table) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
            const std::string field = list.columns.front().field;
            const std::string year = list.number >= 11 ? "anno" : "anno_fattura";
            for (int i = 0; i < rows; ++i) {
                tessaro7::testing::sheet::StoredRow row = {{field, std::int64_t{i + 1}}};
                if (list.yearly()) row[year] = std::int64_t{i == 0 ? kYear - 1 : kYear};
                database.insert(table, row);
            }
            ++rows;
        }
    }

    template <typename W>
    W* control(const char* name) {
        W* w = form.findChild<W*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QString text(const char* name) {
        if (auto* edit = form.findChild<QLineEdit*>(name)) return edit->text();
        return control<QLabel>(name)->text();
    }
    QStringList lines() {
        QStringList out;
        auto* list = control<QListWidget>("List1");
        for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
        return out;
    }
    app::ui::NavBar* nav() { return control<app::ui::NavBar>("NB1"); }
    void clickExport() { control<QPushButton>("CBT_1")->click(); }

    void expectNoListChosen() {
        EXPECT_EQ(text("P1"), ".:: in attesa ::.");
        EXPECT_EQ(text("Label2"), "L");
        EXPECT_EQ(text("text1_0"), "");
        EXPECT_EQ(text("text1_1"), "");
        EXPECT_TRUE(lines().isEmpty());
    }
    void expectRefusal() {
        ASSERT_FALSE(dialogs.calls.empty());
        const DialogCall& call = dialogs.last();
        EXPECT_EQ(call.text, "Nessun dato da esportare!");
        EXPECT_EQ(call.title, "Tessaro 7");
        EXPECT_EQ(call.icon, app::Icon::Information);
        EXPECT_EQ(call.buttons, app::Buttons::Ok);
    }
};

TEST_F(MainFormTest, ControlsAtLoad) {
    EXPECT_EQ(form.windowTitle(), "Tessaro 7 - Funzione di Esportazione dati");
    auto* tabs = control<QTabWidget>("tabbe1");
    ASSERT_EQ(tabs->count(), 1);
    EXPECT_EQ(tabs->tabText(0), "Export dei dati");
    EXPECT_EQ(text("Label3"), "Definizione dei campi esportati");
    EXPECT_EQ(text("Label1_0"), "File di export");
    EXPECT_EQ(text("Label1_1"), "Nr di Records da esportare");
    EXPECT_NE(form.findChild<QWidget*>("Frame1"), nullptr);
    EXPECT_EQ(control<QPushButton>("CBT_1")->text(), "&Esporta in XLS");
    EXPECT_EQ(control<QPushButton>("CBT_0")->text(), "C&hiudi");
    expectNoListChosen();

    ASSERT_EQ(nav()->groupCount(), 2);
    EXPECT_EQ(nav()->groupCaption(1), "Anagrafiche");
    EXPECT_EQ(nav()->groupCaption(2), "Elenchi");
    EXPECT_EQ(nav()->itemCount(1), 3);
    EXPECT_EQ(nav()->itemCount(2), 10);
    const QStringList captions = {"Clienti", "Fornitori", "Articoli", "Comuni", "DDT", "Fatture Vendita",
                                  "Note di Credito", "Preventivi", "Ordini Clienti", "Rubrica", "Prima Nota",
                                  "Pagamenti Clienti", "Pagamenti Fornitori"};
    for (int i = 0; i < 13; ++i)
        EXPECT_EQ(nav()->itemCaption(i < 3 ? 1 : 2, i < 3 ? i + 1 : i - 2), captions[i]);
    EXPECT_TRUE(dialogs.calls.empty());
}

TEST_F(MainFormTest, ExportRightAfterOpeningIsRefused) {
    clickExport();
    ASSERT_EQ(dialogs.calls.size(), 1u);
    expectRefusal();
}

TEST_F(MainFormTest, EveryItemClickSetsTheEightEffects) {
    for (const ExportList& list : exporting::exportLists()) {
        SCOPED_TRACE(list.caption);
        nav()->clickItem(list.group, list.item);
        EXPECT_EQ(text("text1_0"), list.fileName);
        EXPECT_EQ(text("text1_1"), QString::number(list.number));  // table n holds n rows, of every year
        EXPECT_EQ(text("Label2"), QString::number(list.number));
        QStringList expected;
        for (const char* line : list.columnLines) expected << line;
        EXPECT_EQ(lines(), expected);
        EXPECT_EQ(text("P1"), list.title);
    }
    EXPECT_TRUE(dialogs.calls.empty());
}

TEST_F(MainFormTest, ChoosingAnotherListReplacesEveryValue) {
    nav()->clickItem(1, 1);
    nav()->clickItem(1, 3);
    EXPECT_EQ(lines().size(), 5);
    EXPECT_EQ(text("P1"), "Elenco Articoli");
    EXPECT_EQ(text("Label2"), "3");
    nav()->clickItem(2, 11);  // no list there: nothing changes
    nav()->clickItem(3, 1);
    EXPECT_EQ(text("Label2"), "3");
}

TEST_F(MainFormTest, ExportShowsTheCompletionMessage) {
    nav()->clickItem(2, 1);  // Comuni
    clickExport();
    ASSERT_EQ(dialogs.calls.size(), 1u);
    EXPECT_EQ(dialogs.last().text, "File Excel esportato.\r\nNome File: " + dir.str() + "/XLSComuni.xls");
    EXPECT_EQ(dialogs.last().title, "Tessaro 7");
    EXPECT_EQ(dialogs.last().icon, app::Icon::Information);
    EXPECT_EQ(dialogs.last().buttons, app::Buttons::Ok);
    EXPECT_EQ(readSheetWithXlrd(dir / "XLSComuni.xls").rows, 5u);
    EXPECT_EQ(text("Label2"), "4");  // the export changes nothing in the window
}

TEST_F(MainFormTest, TheYearlyListExportsTheClockYearOnly) {
    nav()->clickItem(2, 3);  // Fatture Vendita: 6 rows, one of the year before
    clickExport();
    EXPECT_EQ(dialogs.last().icon, app::Icon::Information) << dialogs.last().text;
    EXPECT_EQ(readSheetWithXlrd(dir / "XLSFTVENDITA.xls").rows, 6u);
}

TEST_F(MainFormTest, TheCountTextDecidesByItsLeadingNumber) {
    nav()->clickItem(2, 1);
    control<QLineEdit>("text1_1")->setText("0");
    clickExport();
    expectRefusal();
    EXPECT_FALSE(fs::exists(dir / "XLSComuni.xls"));
    control<QLineEdit>("text1_1")->setText("12 righe");
    clickExport();
    EXPECT_EQ(dialogs.last().text.rfind("File Excel esportato.", 0), 0u) << dialogs.last().text;
}

TEST_F(MainFormTest, TheFileNameBoxNamesTheFile) {
    nav()->clickItem(1, 3);
    control<QLineEdit>("text1_0")->setText("Magazzino.xls");
    clickExport();
    EXPECT_TRUE(fs::exists(dir / "Magazzino.xls"));
    EXPECT_FALSE(fs::exists(dir / "XLSArticoli.xls"));
}

TEST_F(MainFormTest, AFileThatCannotBeCreatedIsReported) {
    nav()->clickItem(1, 1);
    control<QLineEdit>("text1_0")->setText("manca\\XLSClienti.xls");
    clickExport();
    ASSERT_EQ(dialogs.calls.size(), 1u);
    EXPECT_EQ(dialogs.last().text, "Impossibile creare il file Excel.\r\nNome File: " + dir.str() +
                                       "/manca/XLSClienti.xls\r\nMotivo: cartella inesistente");
    EXPECT_EQ(dialogs.last().icon, app::Icon::Critical);
}

TEST_F(MainFormTest, AnEngineFailureOnAnItemLeavesNoListChosen) {
    nav()->clickItem(1, 1);
    database.exec("drop table ddt");
    nav()->clickItem(2, 2);
    ASSERT_EQ(dialogs.calls.size(), 1u);
    EXPECT_EQ(dialogs.last().text.rfind("Errore 3078: ", 0), 0u) << dialogs.last().text;
    EXPECT_EQ(dialogs.last().icon, app::Icon::Critical);
    expectNoListChosen();
    clickExport();
    expectRefusal();
}

TEST_F(MainFormTest, AnEngineFailureDuringTheExportIsShown) {
    nav()->clickItem(1, 2);
    database.exec("alter table fornitori drop column agente");
    clickExport();
    ASSERT_EQ(dialogs.calls.size(), 1u);
    EXPECT_EQ(dialogs.last().text.rfind("Errore 3265: ", 0), 0u) << dialogs.last().text;
    EXPECT_EQ(dialogs.last().icon, app::Icon::Critical);
    EXPECT_FALSE(fs::exists(dir / "XLSFornitori.xls"));
}

TEST_F(MainFormTest, TheFormatChoiceNamesTheFileAndIsRememberedForTheNextStart) {
    auto* format = control<QComboBox>("Formato");
    ASSERT_EQ(format->count(), 2);
    EXPECT_EQ(format->itemText(0), "Excel 2.1 (.xls)");
    EXPECT_EQ(format->itemText(1), "Excel 2007 e successivi (.xlsx)");
    EXPECT_EQ(format->currentIndex(), 0);
    EXPECT_EQ(text("LabelFormato"), "Formato");

    nav()->clickItem(1, 1);
    EXPECT_EQ(text("text1_0"), "XLSClienti.xls");
    format->setFocus();
    QTest::keyClick(format, Qt::Key_Down);
    EXPECT_EQ(format->currentIndex(), 1);
    EXPECT_EQ(text("text1_0"), "XLSClienti.xlsx");
    nav()->clickItem(2, 1);
    EXPECT_EQ(text("text1_0"), "XLSComuni.xlsx");
    clickExport();
    EXPECT_EQ(dialogs.last().text, "File Excel esportato.\r\nNome File: " + dir.str() + "/XLSComuni.xlsx");
    EXPECT_EQ(std::string(tessaro7::testing::sheet::readBytes(dir / "XLSComuni.xlsx"), 0, 2), "PK");
    EXPECT_FALSE(fs::exists(dir / "XLSComuni.xls"));

    exporting::ui::MainForm next{app::archiveFromFolder(dir.str()), dialogs};
    auto* nextFormat = next.findChild<QComboBox*>("Formato");
    ASSERT_NE(nextFormat, nullptr);
    EXPECT_EQ(nextFormat->currentIndex(), 1);
    nextFormat->setCurrentIndex(0);
    exporting::ui::MainForm third{app::archiveFromFolder(dir.str()), dialogs};
    EXPECT_EQ(third.findChild<QComboBox*>("Formato")->currentIndex(), 0);
}

TEST_F(MainFormTest, CloseButtonClosesTheWindow) {
    form.show();
    control<QPushButton>("CBT_0")->click();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Accepted);
}

}  // namespace
