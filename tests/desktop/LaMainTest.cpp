#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/Messages.h"
#include "desktop/LaMain.h"
#include "app/ui/NavBar.h"
#include "support/RecordingDialogs.h"

using namespace tessaro7;
using desktop::LaMain;
using app::ui::NavBar;

namespace {

// Closes the next modal window once it is shown and tells what it was.
struct ModalProbe {
    QString objectName, title;
    bool modal = false;
    bool laMainBlocked = false;

    void arm(QWidget* underneath) {
        QTimer::singleShot(0, [this, underneath] {
            QWidget* w = QApplication::activeModalWidget();
            if (!w) return;
            objectName = w->objectName();
            title = w->windowTitle();
            modal = w->isModal();
            laMainBlocked = !underneath->isEnabled() || QApplication::activeModalWidget() != underneath;
            w->close();
        });
    }
};

}  // namespace

TEST(LaMain, CaptionBarAndButton) {
    tessaro7::testing::RecordingDialogs dialogs;
    LaMain window(app::archiveFromFolder("/srv/dati"), dialogs);
    EXPECT_EQ(window.windowTitle(), "Tessaro 7  -  Funzioni di Importazione / Esportazione");
    auto* nav = window.findChild<NavBar*>("NB1");
    ASSERT_NE(nav, nullptr);
    ASSERT_EQ(nav->groupCount(), 1);
    EXPECT_EQ(nav->groupCaption(1), "Import/Export dati");
    ASSERT_EQ(nav->itemCount(1), 3);
    EXPECT_EQ(nav->itemCaption(1, 1), "Export in Excel");
    EXPECT_EQ(nav->itemCaption(1, 2), "Import da Excel");
    EXPECT_EQ(nav->itemCaption(1, 3), "Import da file txt");
    auto* close = window.findChild<QPushButton*>("CBT_0");
    ASSERT_NE(close, nullptr);
    EXPECT_EQ(close->text(), "C&hiudi");
}

TEST(LaMain, EachItemOpensItsWindowModalAndAgain) {
    tessaro7::testing::RecordingDialogs dialogs;
    LaMain window(app::archiveFromFolder("/srv/dati"), dialogs);
    window.show();
    auto* nav = window.findChild<NavBar*>("NB1");
    struct Expected {
        int item;
        const char* name;
        const char* title;
    } expected[] = {{1, "MainForm", "Tessaro 7 - Funzione di Esportazione dati"},
                    {2, "FormImport", "Importazione dati da Excel"},
                    {3, "ImportaTXT", "Importazione dati da file di testo"}};
    for (int round = 0; round < 2; ++round) {
        for (const Expected& e : expected) {
            ModalProbe probe;
            probe.arm(&window);
            nav->clickItem(1, e.item);
            EXPECT_EQ(probe.objectName, e.name);
            EXPECT_EQ(probe.title, e.title);
            EXPECT_TRUE(probe.modal);
            EXPECT_TRUE(probe.laMainBlocked);
        }
    }
    // A real mouse click on an item opens it too.
    ModalProbe probe;
    probe.arm(&window);
    QTest::mouseClick(nav->viewport(), Qt::LeftButton, {}, nav->itemRect(1, 2).center());
    EXPECT_EQ(probe.objectName, "FormImport");
}

TEST(LaMain, OtherNumbersDoNothingAndCloseEndsTheProgram) {
    tessaro7::testing::RecordingDialogs dialogs;
    LaMain window(app::archiveFromFolder("/srv/dati"), dialogs);
    window.show();
    window.onNavItemClick(1, 4);
    window.onNavItemClick(2, 1);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    // Closing the last window that quits on close ends the program.
    EXPECT_TRUE(window.testAttribute(Qt::WA_QuitOnClose));
    QTest::mouseClick(window.findChild<QPushButton*>("CBT_0"), Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
    for (QWidget* w : QApplication::topLevelWidgets()) EXPECT_FALSE(w->isVisible()) << w->objectName().toStdString();
    EXPECT_TRUE(dialogs.calls.empty());
}
