// The windows tried as a newcomer would, with the keyboard and the mouse: Tab
// through every control, a sheet choice that holds, the rows asked for, a
// typed file name that is kept, the mapping as it is stored now.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <memory>

#include "app/Messages.h"
#include "app/ui/MsgForm.h"
#include "app/ui/NavBar.h"
#include "export/ui/MainForm.h"
#include "import_excel/ExcelMappingStore.h"
#include "import_excel/ui/FormImport.h"
#include "import_text/TextArchive.h"
#include "import_text/ui/AnteprimaTXT.h"
#include "import_text/ui/ImportaTXT.h"
#include "support/RecordingDialogs.h"
#include "support/UiControls.h"
#include "support/UiText.h"
#include "support/XlwtWorkbook.h"

namespace {

namespace fs = std::filesystem;
namespace msg = tessaro7::app::msg;
using namespace tessaro7;
using tessaro7::testing::DialogCall;
using tessaro7::testing::child;
using tessaro7::testing::focusOn;
using tessaro7::testing::RecordingDialogs;
using tessaro7::testing::TextArchive;
using tessaro7::testing::XlRow;

std::string focused() {
    QWidget* w = QApplication::focusWidget();
    return w ? w->objectName().toStdString() : std::string("(nessuno)");
}

// The first `count` named controls Tab reaches from `start`, in order;
// Shift+Tab with `back`. The tab bars, named by Qt itself, are passed over.
std::vector<std::string> tabFrom(QWidget* window, const char* start, int count, bool back = false) {
    focusOn(window, child<QWidget>(window, start));
    std::vector<std::string> reached;
    for (int i = 0; i < 3 * count && static_cast<int>(reached.size()) < count; ++i) {
        QTest::keyClick(QApplication::focusWidget(), back ? Qt::Key_Backtab : Qt::Key_Tab,
                        back ? Qt::ShiftModifier : Qt::NoModifier);
        const std::string name = focused();
        if (!name.empty() && name.rfind("qt_", 0) != 0) reached.push_back(name);
    }
    return reached;
}

// Types `text` over what `box` holds, as a user who selected it all would.
void typeOver(QWidget* window, QLineEdit* box, const QString& text) {
    focusOn(window, box);
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(box, text);
}

void click(QWidget* window, const char* button) {
    QTest::mouseClick(child<QPushButton>(window, button), Qt::LeftButton);
}

struct Windows {
    TextArchive a;
    RecordingDialogs dialogs;
    // A user who never chose an export format.
    bool settingsIsolated = [this] {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(a.folder()));
        return true;
    }();
    std::unique_ptr<QWidget> make(const std::string& name) {
        if (name == "MainForm") return std::make_unique<exporting::ui::MainForm>(a.archive, dialogs);
        if (name == "FormImport") return std::make_unique<import_excel::ui::FormImport>(a.archive, dialogs);
        if (name == "ImportaTXT") return std::make_unique<import_text::ui::ImportaTXT>(a.archive, dialogs);
        if (name == "MsgForm") {
            auto notice = std::make_unique<app::ui::MsgForm>();
            notice->confirmButton()->setVisible(true);
            return notice;
        }
        std::vector<app::PreviewLine> lines = {{"Codice", "A1", true, ""}, {"Descrizione", "Vite", true, ""}};
        return std::make_unique<import_text::ui::AnteprimaTXT>("Tabella Articoli", lines, "UTF-8");
    }
};

// Tab leaves every grid and list for the next control and goes round all of
// them; Shift+Tab comes back the same way. The arrows stay with the grids.
TEST(NewUser, TabGoesThroughEveryControlOnceAndLeavesTheGrids) {
    struct Case {
        const char* window;
        std::vector<std::string> order;  // from the first control, round to it again
    };
    const Case cases[] = {
        {"MainForm", {"NB1", "List1", "text1_0", "text1_1", "Formato", "CBT_1", "CBT_0"}},
        {"FormImport",
         {"Combo1", "grid", "text999", "PB_3", "PB_5", "PB_4", "text1_0", "PB_2", "Foglio", "text1_1", "text1_2",
          "Text2_0", "Text2_1", "FG1", "PB_6", "AssegnaTitoli", "SaltaPresenti", "PB_1", "AnnullaImportazione",
          "PB_0"}},
        {"ImportaTXT",
         {"Combo1", "grid", "Text2_3", "Text2_0", "CBT_3", "CBT_5", "CBT_4", "text1_0", "CBT_2", "CBT_6",
          "SaltaPresenti", "CBT_1", "AnnullaImportazione", "CBT_0"}},
        {"AnteprimaTXT", {"Text1_0", "Text1_1", "CBT_0"}},
        {"MsgForm", {"PB1_1", "PB1_0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.window);
        Windows w;
        std::unique_ptr<QWidget> window = w.make(c.window);
        window->resize(1000, 700);
        const int count = static_cast<int>(c.order.size());
        std::vector<std::string> forward(c.order.begin() + 1, c.order.end());
        forward.push_back(c.order.front());
        EXPECT_EQ(tabFrom(window.get(), c.order.front().c_str(), count), forward);
        std::vector<std::string> backward(c.order.rbegin(), c.order.rend());
        EXPECT_EQ(tabFrom(window.get(), c.order.front().c_str(), count, true), backward);
        EXPECT_TRUE(w.dialogs.calls.empty());
    }
}

TEST(NewUser, TheArrowsStillMoveWithinTheMappingGrid) {
    Windows w;
    import_excel::ui::FormImport form(w.a.archive, w.dialogs);
    child<QComboBox>(&form, "Combo1")->setCurrentIndex(0);
    auto* grid = child<QTableView>(&form, "grid");
    focusOn(&form, grid);
    QTest::keyClick(grid, Qt::Key_Down);
    QTest::keyClick(grid, Qt::Key_Down);
    EXPECT_EQ(grid->currentIndex().row(), 2);
    QTest::keyClick(grid, Qt::Key_Tab);
    EXPECT_EQ(focused(), "text999");
    EXPECT_EQ(grid->currentIndex().row(), 2);
}

struct ExcelWindow : ::testing::Test {
    Windows w;
    import_excel::ui::FormImport form{w.a.archive, w.dialogs};

    QLineEdit* box(const char* name) { return child<QLineEdit>(&form, name); }
    std::string cell(int r, int c) {
        return child<QTableView>(&form, "FG1")->model()->index(r, c).data().toString().toStdString();
    }
    std::string foglio() { return child<QComboBox>(&form, "Foglio")->currentText().toStdString(); }
    void preview(const std::string& file, const char* columns, const char* rows) {
        typeOver(&form, box("text1_0"), QString::fromStdString(file));
        typeOver(&form, box("text1_1"), columns);
        typeOver(&form, box("text1_2"), rows);
        click(&form, "PB_6");
    }
    std::vector<std::string> notices() {
        std::vector<std::string> texts;
        for (const DialogCall& call : w.dialogs.calls)
            if (call.kind == DialogCall::Kind::Notice) texts.push_back(call.text);
        return texts;
    }
    // The customers the import appended, by name.
    std::vector<std::vector<std::string>> customersNamed(const std::string& prefix) {
        return TextArchive::query(w.a.businessDb(),
                                  "select nominativo from clienti where nominativo like '" + prefix + "%' order by rowid");
    }
    // Customers' nominativo from column A, through another program's edit of the mapping.
    void mapNameToColumnA() {
        import_excel::ExcelMappingStore store;
        store.choose(w.a.archive.mappingDatabasePath(), *import_excel::findExcelTable("clienti"));
        store.clear();
        store.assign(0, "0");
    }
};

// The user picks a sheet, changes "Numero Righe" and previews again: the
// sheet stays; another file starts from the sheet it opens on.
TEST_F(ExcelWindow, TheChosenSheetSurvivesASecondPreview) {
    const std::string file = w.a.folder() + "/tre.xls";
    tessaro7::testing::writeXlwtWorkbook(file, std::vector<std::vector<XlRow>>{{{std::string("nota")}, {std::string("nota 2")}},
                                                                     {{std::string("Nome")}, {std::string("Rossi")}},
                                                                     {{std::string("Ditta")}, {std::string("Bianchi")}}});
    preview(file, "1", "1");
    EXPECT_EQ(foglio(), "Foglio1");
    auto* sheets = child<QComboBox>(&form, "Foglio");
    focusOn(&form, sheets);
    QTest::keyClick(sheets, Qt::Key_Down);
    EXPECT_EQ(foglio(), "Foglio2");
    EXPECT_EQ(cell(0, 0), "Nome");

    typeOver(&form, box("text1_2"), "2");
    click(&form, "PB_6");
    EXPECT_EQ(foglio(), "Foglio2");
    EXPECT_EQ(cell(1, 0), "Rossi");
    EXPECT_EQ(form.preview().PreviewRows(), 2);

    // The same name typed again is another choice of file.
    typeOver(&form, box("text1_0"), QString::fromStdString(file));
    click(&form, "PB_6");
    EXPECT_EQ(foglio(), "Foglio1");
    EXPECT_EQ(cell(1, 0), "nota 2");
    EXPECT_TRUE(w.dialogs.calls.empty());
}

// Rows 3 to 5 of a sheet of 10 import 3 customers; the boxes select their
// "0" on focus, so typing 3 gives 3.
TEST_F(ExcelWindow, TheRowBoxesChooseTheSheetRows) {
    std::vector<XlRow> rows{{std::string("Nome")}};
    for (int r = 2; r <= 10; ++r) rows.push_back({"Sheet " + std::to_string(r)});
    tessaro7::testing::writeXlwtWorkbook(w.a.folder() + "/dieci.xls", rows);
    child<QComboBox>(&form, "Combo1")->setCurrentIndex(0);
    mapNameToColumnA();
    preview("dieci.xls", "1", "10");
    focusOn(&form, box("Text2_0"));
    QTest::keyClicks(box("Text2_0"), "3");
    focusOn(&form, box("Text2_1"));
    QTest::keyClicks(box("Text2_1"), "5");
    EXPECT_EQ(box("Text2_0")->text(), "3");
    EXPECT_EQ(box("Text2_1")->text(), "5");
    click(&form, "PB_1");
    ASSERT_EQ(notices(), std::vector<std::string>{msg::kExcelDone});
    EXPECT_EQ(w.dialogs.last().notice.lines[1], "Record aggiunti alla tabella Clienti: 3.");
    EXPECT_EQ(customersNamed("Sheet"), (std::vector<std::vector<std::string>>{{"Sheet 3"}, {"Sheet 4"}, {"Sheet 5"}}));

    // Rows the preview does not hold: refused, nothing written.
    w.dialogs.calls.clear();
    typeOver(&form, box("Text2_1"), "12");
    click(&form, "PB_1");
    ASSERT_EQ(notices(), std::vector<std::string>{msg::kExcelRowsBeyondPreview});
    EXPECT_EQ(customersNamed("Sheet").size(), 3u);

    // Both 0: every row below the heading, as before.
    w.dialogs.calls.clear();
    typeOver(&form, box("Text2_0"), "0");
    typeOver(&form, box("Text2_1"), "0");
    click(&form, "PB_1");
    ASSERT_EQ(notices(), std::vector<std::string>{msg::kExcelDone});
    EXPECT_EQ(customersNamed("Sheet").size(), 12u);
}

TEST_F(ExcelWindow, AnImportBeforeAnyPreviewSaysToPreviewFirst) {
    child<QComboBox>(&form, "Combo1")->setCurrentIndex(0);
    const long before = std::stol(TextArchive::query(w.a.businessDb(), "select count(*) from clienti")[0][0]);
    typeOver(&form, box("text1_0"), "clienti.xls");
    click(&form, "PB_1");
    ASSERT_EQ(notices(), std::vector<std::string>{msg::kPreviewFirst});
    EXPECT_EQ(w.dialogs.last().notice.lines[1], msg::kPreviewFirstHow);
    EXPECT_EQ(std::stol(TextArchive::query(w.a.businessDb(), "select count(*) from clienti")[0][0]), before);
}

// The mapping edited by another program: the grid shows it at the next
// preview and when the window is activated again.
TEST_F(ExcelWindow, TheGridShowsTheMappingAsStoredNow) {
    tessaro7::testing::writeXlwtWorkbook(w.a.folder() + "/uno.xls", std::vector<XlRow>{{std::string("Nome")}});
    child<QComboBox>(&form, "Combo1")->setCurrentIndex(0);
    auto* grid = child<QTableView>(&form, "grid");
    auto shown = [&](int row, int column) { return grid->model()->index(row, column).data().toString().toStdString(); };
    auto assigned = [&](int row) { return grid->model()->index(row, 2).data(Qt::CheckStateRole).toInt() == Qt::Checked; };
    mapNameToColumnA();
    EXPECT_FALSE(assigned(0));  // not read yet
    preview("uno.xls", "1", "1");
    EXPECT_EQ(shown(0, 1), "0 (A)");
    EXPECT_TRUE(assigned(0));

    import_excel::ExcelMappingStore store;
    store.choose(w.a.archive.mappingDatabasePath(), *import_excel::findExcelTable("clienti"));
    store.assign(5, "27");
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    QApplication::setActiveWindow(&form);
    QApplication::processEvents();
    EXPECT_EQ(shown(5, 1), "27 (AB)");
    EXPECT_TRUE(assigned(5));

    store.assign(6, "2");
    click(&form, "PB_1");  // the import, too, shows what it reads
    EXPECT_EQ(shown(6, 1), "2 (C)");
}

TEST(NewUser, TheTextGridShowsTheMappingAsStoredNowAndItsHeadingsWhole) {
    Windows w;
    import_text::ui::ImportaTXT form(w.a.archive, w.dialogs);
    form.resize(560, 640);
    form.show();
    auto* grid = child<QTableView>(&form, "grid");
    // Before a table is chosen, too.
    tessaro7::testing::expectColumnsShowWhole(grid, {2000 / 15, 900 / 15, 900 / 15, 900 / 15});
    child<QComboBox>(&form, "Combo1")->setCurrentIndex(0);
    tessaro7::testing::expectColumnsShowWhole(grid, {2000 / 15, 900 / 15, 900 / 15, 900 / 15});
    w.a.assign(import_text::TextTable::Clienti, 1, 5, 20);  // another program's edit
    w.a.file("c.txt", "x\r\n");
    typeOver(&form, child<QLineEdit>(&form, "text1_0"), "c.txt");
    click(&form, "CBT_6");
    EXPECT_EQ(grid->model()->index(0, 1).data().toString(), "5");
    EXPECT_EQ(grid->model()->index(0, 2).data().toString(), "20");
}

// The reason of a refused field is readable without a mouse: the first one
// at the start, the one of the field with the cursor afterwards.
TEST(NewUser, TheTextPreviewShowsTheReasonUnderTheFields) {
    std::vector<app::PreviewLine> lines = {{"Codice", "A1", true, ""},
                                           {"Aliquota IVA", "300", true, "oltre 255"},
                                           {"Costo", "x", true, "non è un numero"}};
    import_text::ui::AnteprimaTXT window("Tabella Articoli", lines, "UTF-8");
    auto* reason = child<QLabel>(&window, "reason");
    EXPECT_EQ(reason->text(), "Aliquota IVA: oltre 255");
    focusOn(&window, child<QLineEdit>(&window, "Text1_0"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(focused(), "Text1_2");
    EXPECT_EQ(reason->text(), "Costo: non è un numero");
    import_text::ui::AnteprimaTXT clean("Tabella Articoli", {{"Codice", "A1", true, ""}}, "UTF-8");
    EXPECT_TRUE(child<QLabel>(&clean, "reason")->text().isEmpty());
}

// With no field shown the window is still as wide as its tab's caption.
TEST(NewUser, TheEmptyTextPreviewShowsItsTabCaptionWhole) {
    import_text::ui::AnteprimaTXT window("", {});
    window.show();
    window.adjustSize();
    auto* tabs = child<QTabWidget>(&window, "tabbe1");
    const int caption = tabs->tabBar()->fontMetrics().horizontalAdvance(tabs->tabText(0));
    EXPECT_GE(tabs->tabBar()->tabRect(0).width(), caption);
    EXPECT_LE(tabs->tabBar()->tabRect(0).right(), tabs->width());
}

struct ExportWindow : ::testing::Test {
    Windows w;
    exporting::ui::MainForm form{w.a.archive, w.dialogs};
    QLineEdit* name() { return child<QLineEdit>(&form, "text1_0"); }
    QComboBox* format() { return child<QComboBox>(&form, "Formato"); }
    void chooseFormat(int index) {
        focusOn(&form, format());
        QTest::keyClick(format(), index == 1 ? Qt::Key_Down : Qt::Key_Up);
        ASSERT_EQ(format()->currentIndex(), index);
    }
    void TearDown() override { format()->setCurrentIndex(0); }
};

TEST_F(ExportWindow, ChangingTheFormatKeepsATypedName) {
    auto* nav = child<app::ui::NavBar>(&form, "NB1");
    QTest::mouseClick(nav->viewport(), Qt::LeftButton, {}, nav->itemRect(2, 1).center());  // Comuni
    EXPECT_EQ(name()->text(), "XLSComuni.xls");
    chooseFormat(1);
    EXPECT_EQ(name()->text(), "XLSComuni.xlsx");  // the default name follows
    EXPECT_EQ(child<QPushButton>(&form, "CBT_1")->text(), msg::kExportButtonXlsx);
    typeOver(&form, name(), "MieiComuni.xlsx");
    chooseFormat(0);
    EXPECT_EQ(name()->text(), "MieiComuni.xls");
    EXPECT_EQ(child<QPushButton>(&form, "CBT_1")->text(), msg::kExportButton);
    chooseFormat(1);
    EXPECT_EQ(name()->text(), "MieiComuni.xlsx");
}

// A name with the other format's extension, or none, is written with the chosen one.
TEST_F(ExportWindow, TheFileWrittenHasTheChosenFormatsExtension) {
    struct Case {
        int format;
        const char* typed;
        const char* written;
        const char* magic;  // the file's first bytes
    };
    const Case cases[] = {
        {1, "Prova.xls", "Prova.xlsx", "PK"},
        {0, "Prova2.xlsx", "Prova2.xls", "\x09\x00"},  // BIFF2's start record
        {1, "Senza", "Senza.xlsx", "PK"},
    };
    auto* nav = child<app::ui::NavBar>(&form, "NB1");
    QTest::mouseClick(nav->viewport(), Qt::LeftButton, {}, nav->itemRect(2, 1).center());  // Comuni
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        chooseFormat(c.format);
        typeOver(&form, name(), c.typed);
        w.dialogs.calls.clear();
        click(&form, "CBT_1");
        ASSERT_EQ(w.dialogs.calls.size(), 1u);
        EXPECT_EQ(w.dialogs.last().text, "File Excel esportato.\r\nNome File: " + w.a.folder() + "/" + c.written);
        EXPECT_EQ(name()->text().toStdString(), c.written);
        std::ifstream in(w.a.folder() + "/" + c.written, std::ios::binary);
        std::string start(2, '\0');
        in.read(start.data(), 2);
        EXPECT_EQ(start, std::string(c.magic, 2));
        if (std::string(c.typed) != c.written) {
            EXPECT_FALSE(fs::exists(w.a.folder() + "/" + c.typed));
        }
    }
}

// A missing mapping database is named as it is on disk: "/" and the folder's real case.
TEST(NewUser, AMissingMappingDatabaseIsNamedWithTheRealPath) {
    Windows w;
    fs::remove(w.a.mappingDb());
    std::string built = w.a.folder();
    for (char& ch : built) ch = ch == '/' ? '\\' : static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    const app::Archive archive = app::archiveFromFolder(built);
    import_excel::ui::FormImport form(archive, w.dialogs);
    child<QComboBox>(&form, "Combo1")->setCurrentIndex(0);
    ASSERT_EQ(w.dialogs.calls.size(), 1u);
    EXPECT_NE(w.dialogs.last().notice.lines[1].find("'" + w.a.folder() + "/Tessaro7a.mdb'"), std::string::npos)
        << w.dialogs.last().notice.lines[1];
}

}  // namespace
