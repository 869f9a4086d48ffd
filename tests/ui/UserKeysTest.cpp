// The windows tried as a user would: real key presses and mouse clicks on the
// real controls, and what the user sees while and after the program works.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QKeyEvent>
#include <QTest>
#include <functional>
#include <memory>

#include "app/Messages.h"
#include "desktop/LaMain.h"
#include "app/ui/NavBar.h"
#include "export/ExportLists.h"
#include "export/ui/MainForm.h"
#include "import_excel/ui/FormImport.h"
#include "import_text/TextArchive.h"
#include "import_text/ui/AnteprimaTXT.h"
#include "import_text/ui/ImportaTXT.h"
#include "support/ExcelImportArchive.h"
#include "support/RecordingDialogs.h"
#include "support/UiControls.h"
#include "support/XlwtWorkbook.h"

namespace {

namespace fs = std::filesystem;
using namespace tessaro7;
using app::ui::NavBar;
using tessaro7::testing::DialogCall;
using tessaro7::testing::child;
using tessaro7::testing::focusOn;
using tessaro7::testing::RecordingDialogs;
using tessaro7::testing::TextArchive;

// Records, at each message, whether the wait cursor was still showing over it.
struct CursorDialogs : RecordingDialogs {
    int underWaitCursor = 0;
    void look() { underWaitCursor += QApplication::overrideCursor() != nullptr; }
    app::Answer message(const std::string& text, const std::string& title, app::Buttons buttons, app::Icon icon,
                        app::Answer defaultButton) override {
        look();
        return RecordingDialogs::message(text, title, buttons, icon, defaultButton);
    }
    int notice(const app::Notice& n) override {
        look();
        return RecordingDialogs::notice(n);
    }
    void textPreview(const std::string& caption, const std::vector<app::PreviewLine>& lines,
                     const std::string& encoding) override {
        look();
        RecordingDialogs::textPreview(caption, lines, encoding);
    }
};

// The folder as TS7Rete.dat may name it: backslashes and another letter case.
std::string writtenTheArchiveWay(const std::string& folder) {
    std::string out = folder;
    for (char& c : out) c = c == '/' ? '\\' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

TEST(UserKeys, NoWindowHasADefaultButton) {
    TextArchive a;
    RecordingDialogs dialogs;
    std::vector<std::unique_ptr<QWidget>> windows;
    windows.push_back(std::make_unique<exporting::ui::MainForm>(a.archive, dialogs));
    windows.push_back(std::make_unique<import_excel::ui::FormImport>(a.archive, dialogs));
    windows.push_back(std::make_unique<import_text::ui::ImportaTXT>(a.archive, dialogs));
    windows.push_back(std::make_unique<import_text::ui::AnteprimaTXT>("Tabella Clienti", std::vector<app::PreviewLine>{}));
    windows.push_back(std::make_unique<desktop::LaMain>(a.archive, dialogs));
    for (auto& window : windows) {
        window->show();  // a dialog makes its first auto-default button the default when shown
        for (QPushButton* b : window->findChildren<QPushButton*>())
            EXPECT_FALSE(b->isDefault() || b->autoDefault())
                << window->objectName().toStdString() << " " << b->objectName().toStdString();
        // Enter with the keyboard on the window itself closes nothing.
        QTest::keyClick(window.get(), Qt::Key_Return);
        EXPECT_TRUE(window->isVisible()) << window->objectName().toStdString();
    }
    EXPECT_TRUE(dialogs.calls.empty());
}

// Enter on the bar chooses the item under the cursor, and nothing more: it
// never exports. The arrows move the cursor, never the chosen list.
TEST(UserKeys, ExportWindowEnterChoosesAndTheHighlightIsTheChosenList) {
    TextArchive a;
    CursorDialogs dialogs;
    exporting::ui::MainForm form(a.archive, dialogs);
    auto* nav = child<NavBar>(&form, "NB1");
    focusOn(&form, nav);
    QTest::keyClick(nav, Qt::Key_Home);  // the first group's caption
    QTest::keyClick(nav, Qt::Key_Return);
    EXPECT_EQ(child<QLabel>(&form, "Label2")->text(), "L");
    QTest::keyClick(nav, Qt::Key_Down);  // Clienti
    QTest::keyClick(nav, Qt::Key_Return);
    QTest::keyClick(nav, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(child<QLabel>(&form, "P1")->text(), exporting::listByNumber(1)->title);
    EXPECT_EQ(nav->chosenItem(), std::make_pair(1, 1));
    QTest::keyClick(nav, Qt::Key_Down);
    QTest::keyClick(nav, Qt::Key_Down);  // the cursor on Articoli: still Clienti chosen and highlighted
    EXPECT_EQ(nav->chosenItem(), std::make_pair(1, 1));
    EXPECT_EQ(child<QLabel>(&form, "Label2")->text(), "1");
    QTest::keyClick(nav, Qt::Key_Space);
    EXPECT_EQ(nav->chosenItem(), std::make_pair(1, 3));
    EXPECT_EQ(child<QLabel>(&form, "Label2")->text(), "3");
    for (const char* box : {"text1_0", "text1_1"}) {
        auto* edit = child<QLineEdit>(&form, box);
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_Return);
    }
    EXPECT_TRUE(dialogs.calls.empty());
    for (const auto& entry : fs::directory_iterator(a.folder()))
        EXPECT_NE(entry.path().extension(), ".xls") << entry.path();
    EXPECT_TRUE(form.isVisible());
    // The user's own press of the button exports.
    QTest::mouseClick(child<QPushButton>(&form, "CBT_1"), Qt::LeftButton);
    ASSERT_EQ(dialogs.calls.size(), 1u);
    EXPECT_EQ(dialogs.last().text.rfind("File Excel esportato.", 0), 0u) << dialogs.last().text;
    EXPECT_EQ(dialogs.underWaitCursor, 0);
}

// An engine failure on an item click leaves no item highlighted, matching the
// window that waits for a list; the wait cursor shows while the engine works.
TEST(UserKeys, ExportWindowAfterAFailureHighlightsNothingAndTheEngineWaitShowsTheWaitCursor) {
    tessaro7::testing::ExcelImportArchive a;  // clienti, fornitori, articoli only: no comuni
    CursorDialogs dialogs;
    exporting::ui::MainForm form(a.archive, dialogs);
    auto* nav = child<NavBar>(&form, "NB1");
    form.show();
    std::vector<bool> waiting;
    QObject::connect(child<QLineEdit>(&form, "text1_1"), &QLineEdit::textChanged,
                     [&] { waiting.push_back(QApplication::overrideCursor() != nullptr); });
    QTest::mouseClick(nav->viewport(), Qt::LeftButton, {}, nav->itemRect(1, 1).center());
    EXPECT_EQ(nav->chosenItem(), std::make_pair(1, 1));
    EXPECT_EQ(waiting, std::vector<bool>{true});
    QTest::mouseClick(nav->viewport(), Qt::LeftButton, {}, nav->itemRect(2, 1).center());  // Comuni
    ASSERT_EQ(dialogs.calls.size(), 1u);
    EXPECT_EQ(dialogs.last().text.rfind("Errore 3078", 0), 0u) << dialogs.last().text;
    EXPECT_EQ(nav->chosenItem(), std::make_pair(0, 0));
    EXPECT_EQ(child<QLabel>(&form, "P1")->text(), app::msg::kExportWaiting);
    EXPECT_EQ(dialogs.underWaitCursor, 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// Where the platform activates items on a single click, one click still reports once.
TEST(UserKeys, OneClickOnTheBarReportsOnceWhateverThePlatformSetting) {
    for (const char* sheet : {"", "QTreeView { activate-on-singleclick: 1; }"}) {
        NavBar nav;
        nav.setStyleSheet(sheet);
        nav.addItem(nav.addGroup("Gruppo"), "Voce");
        nav.show();
        QSignalSpy reports(&nav, &NavBar::itemClickedAt);
        QTest::mouseClick(nav.viewport(), Qt::LeftButton, {}, nav.itemRect(1, 1).center());
        EXPECT_EQ(reports.count(), 1) << sheet;
    }
}

// Enter in "File di Excel" does nothing: the window, the name and the preview stay.
TEST(UserKeys, EnterInTheExcelFileBoxKeepsTheWindow) {
    tessaro7::testing::ExcelImportArchive a;
    CursorDialogs dialogs;
    import_excel::ui::FormImport form(a.archive, dialogs);
    auto* file = child<QLineEdit>(&form, "text1_0");
    focusOn(&form, file);
    QTest::keyClicks(file, "libro.xls");
    QTest::keyClick(file, Qt::Key_Return);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.result(), 0);
    EXPECT_EQ(file->text(), "libro.xls");
    EXPECT_TRUE(dialogs.calls.empty());
}

// A key as the desktop's keyboard reports it: Delete and Backspace carry the
// control characters 0x7F and 0x08 as their text.
void pressWithText(QWidget* w, int key, const char* text, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, QString::fromLatin1(text));
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, QString::fromLatin1(text));
    QApplication::sendEvent(w, &release);
}

// Digit-only boxes drop typed letters; Delete, Backspace and the cursor keys edit as usual.
TEST(UserKeys, DigitBoxesTakeTheEditingKeys) {
    tessaro7::testing::ExcelImportArchive a;
    RecordingDialogs dialogs;
    import_excel::ui::FormImport excel(a.archive, dialogs);
    import_text::ui::ImportaTXT text(a.archive, dialogs);
    std::vector<QLineEdit*> boxes;
    for (const char* name : {"text999", "text1_1", "text1_2", "Text2_0", "Text2_1"})
        boxes.push_back(child<QLineEdit>(&excel, name));
    for (const char* name : {"Text2_3", "Text2_0"}) boxes.push_back(child<QLineEdit>(&text, name));
    for (QLineEdit* box : boxes) {
        focusOn(box->window(), box);
        box->clear();
        QTest::keyClicks(box, "12x3");
        EXPECT_EQ(box->text(), "123") << box->objectName().toStdString();
        QTest::keyClick(box, Qt::Key_Home);
        pressWithText(box, Qt::Key_Delete, "\x7f");
        EXPECT_EQ(box->text(), "23") << box->objectName().toStdString();
        QTest::keyClick(box, Qt::Key_End);
        QTest::keyClick(box, Qt::Key_Left);
        pressWithText(box, Qt::Key_Backspace, "\b");
        EXPECT_EQ(box->text(), "3") << box->objectName().toStdString();
        pressWithText(box, Qt::Key_A, "\x01", Qt::ControlModifier);  // select all
        pressWithText(box, Qt::Key_Delete, "\x7f");
        EXPECT_EQ(box->text(), "") << box->objectName().toStdString();
    }
}

// The archive folder written with backslashes and in another case: the file
// dialogs start in the real folder, and a name typed without a folder (in the
// archive's way of writing) is found there, in both import windows.
TEST(UserKeys, TypedFileNamesAndTheFileDialogsUseTheResolvedArchiveFolder) {
    TextArchive a;
    const app::Archive archive = app::archiveFromFolder(writtenTheArchiveWay(a.folder()));
    a.assign(import_text::TextTable::Articoli, 1, 1, 4);
    fs::create_directories(a.folder() + "/Testi");
    std::ofstream(a.folder() + "/Testi/Art.txt") << "A100 resto\r\n";
    tessaro7::testing::writeXlwtWorkbook(a.folder() + "/Libro.xls",
                                        std::vector<tessaro7::testing::XlRow>{{std::string("A1")}});

    CursorDialogs dialogs;
    import_text::ui::ImportaTXT text(archive, dialogs);
    import_excel::ui::FormImport excel(archive, dialogs);
    for (QWidget* window : {static_cast<QWidget*>(&text), static_cast<QWidget*>(&excel)}) {
        window->show();
        QTest::mouseClick(child<QPushButton>(window, window == &text ? "CBT_2" : "PB_2"), Qt::LeftButton);
        ASSERT_EQ(dialogs.last().kind, DialogCall::Kind::OpenFile);
        EXPECT_EQ(dialogs.last().text, a.folder());
    }
    dialogs.calls.clear();

    child<QComboBox>(&text, "Combo1")->setCurrentIndex(2);
    QTest::keyClicks(child<QLineEdit>(&text, "text1_0"), "testi\\ART.txt");
    QTest::mouseClick(child<QPushButton>(&text, "CBT_6"), Qt::LeftButton);
    ASSERT_EQ(dialogs.calls.size(), 1u) << dialogs.last().text;
    EXPECT_EQ(dialogs.last().kind, DialogCall::Kind::TextPreview) << dialogs.last().text;
    EXPECT_EQ(dialogs.last().preview.at(0).text, "A100");

    QTest::keyClicks(child<QLineEdit>(&excel, "text1_0"), "LIBRO.XLS");
    QTest::keyClicks(child<QLineEdit>(&excel, "text1_1"), "1");
    QTest::keyClicks(child<QLineEdit>(&excel, "text1_2"), "1");
    std::vector<bool> waiting;
    auto* grid = child<QTableView>(&excel, "FG1");
    QObject::connect(grid->model(), &QAbstractItemModel::modelAboutToBeReset,
                     [&] { waiting.push_back(QApplication::overrideCursor() != nullptr); });
    QTest::mouseClick(child<QPushButton>(&excel, "PB_6"), Qt::LeftButton);
    EXPECT_EQ(dialogs.calls.size(), 1u) << dialogs.last().notice.lines[1] << " " << dialogs.last().notice.lines[2];
    EXPECT_EQ(grid->model()->index(0, 0).data().toString(), "A1");
    EXPECT_EQ(waiting, std::vector<bool>{true});
    EXPECT_EQ(dialogs.underWaitCursor, 0);
}

// The text import shows the wait cursor while it reads and writes, and none over its final message.
TEST(UserKeys, TheTextImportRunsUnderTheWaitCursor) {
    TextArchive a;
    a.assign(import_text::TextTable::Clienti, 1, 1, 30);
    a.file("clienti.txt", "NUOVO CLIENTE\r\n");
    CursorDialogs dialogs;
    import_text::ui::ImportaTXT text(a.archive, dialogs);
    text.show();
    child<QComboBox>(&text, "Combo1")->setCurrentIndex(0);
    QTest::keyClicks(child<QLineEdit>(&text, "text1_0"), "clienti.txt");
    std::vector<bool> waiting;
    QObject::connect(child<QProgressBar>(&text, "progress"), &QProgressBar::valueChanged,
                     [&] { waiting.push_back(QApplication::overrideCursor() != nullptr); });
    QTest::mouseClick(child<QPushButton>(&text, "CBT_1"), Qt::LeftButton);
    ASSERT_EQ(dialogs.calls.size(), 1u);
    EXPECT_EQ(dialogs.last().text.rfind("Procedura terminata!", 0), 0u) << dialogs.last().text;
    ASSERT_FALSE(waiting.empty());
    EXPECT_EQ(waiting.back(), true);
    EXPECT_EQ(dialogs.underWaitCursor, 0);
}

}  // namespace
