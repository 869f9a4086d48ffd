// F1 in every window, and the start-up window's "Guida", ask for the window's
// page of the guide.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "desktop/LaMain.h"
#include "desktop/QtDialogs.h"
#include "export/ui/MainForm.h"
#include "import_excel/ui/FormImport.h"
#include "import_text/TextArchive.h"
#include "import_text/ui/ImportaTXT.h"
#include "support/RecordingDialogs.h"

namespace {

using namespace tessaro7;
using tessaro7::testing::DialogCall;
using tessaro7::testing::RecordingDialogs;

void pressF1(QWidget* window) {
    window->show();
    QApplication::setActiveWindow(window);
    QTest::keyClick(window, Qt::Key_F1);
}

TEST(HelpKeys, F1InEachWindowAsksForItsPage) {
    tessaro7::testing::TextArchive a;
    using Make = std::function<std::unique_ptr<QWidget>(RecordingDialogs&)>;
    struct Case {
        const char* window;
        Make make;
        const char* page;
    } cases[] = {
        {"LaMain", [&](RecordingDialogs& d) { return std::make_unique<desktop::LaMain>(a.archive, d); }, "index.html"},
        {"MainForm", [&](RecordingDialogs& d) { return std::make_unique<exporting::ui::MainForm>(a.archive, d); },
         "esportare.html"},
        {"FormImport", [&](RecordingDialogs& d) { return std::make_unique<import_excel::ui::FormImport>(a.archive, d); },
         "importare-foglio.html"},
        {"ImportaTXT", [&](RecordingDialogs& d) { return std::make_unique<import_text::ui::ImportaTXT>(a.archive, d); },
         "importare-testo.html"},
    };
    for (const Case& c : cases) {
        RecordingDialogs dialogs;
        std::unique_ptr<QWidget> window = c.make(dialogs);
        pressF1(window.get());
        ASSERT_EQ(dialogs.calls.size(), 1u) << c.window;
        EXPECT_EQ(dialogs.last().kind, DialogCall::Kind::Help) << c.window;
        EXPECT_EQ(dialogs.last().text, c.page) << c.window;
    }
}

TEST(HelpKeys, TheStartUpWindowsGuideItemOpensTheStartPage) {
    RecordingDialogs dialogs;
    desktop::LaMain window(app::archiveFromFolder("/srv/dati"), dialogs);
    auto* guide = window.findChild<QAction*>("Guida");
    ASSERT_NE(guide, nullptr);
    EXPECT_EQ(guide->text(), "&Guida");
    guide->trigger();
    ASSERT_EQ(dialogs.calls.size(), 1u);
    EXPECT_EQ(dialogs.last().kind, DialogCall::Kind::Help);
    EXPECT_EQ(dialogs.last().text, "index.html");
}

// The desktop dialogs with the browser left out: the pages asked for are kept.
struct HelpPages : desktop::QtDialogs {
    std::vector<std::string> pages;
    void openHelp(const std::string& page) override { pages.push_back(page); }
};

// F1 in the next modal window, which is then closed.
void pressF1InNextModal() {
    QTimer::singleShot(0, [] {
        QWidget* w = QApplication::activeModalWidget();
        if (!w) return;
        QApplication::setActiveWindow(w);
        QTest::keyClick(w, Qt::Key_F1);
        w->close();
    });
}

TEST(HelpKeys, F1InTheNoticeAndInTheTextPreviewAsksForTheirPages) {
    HelpPages dialogs;
    pressF1InNextModal();
    dialogs.notice(app::Notice{});
    pressF1InNextModal();
    dialogs.textPreview("Tabella Clienti", {{"Ragione sociale", "ACME"}}, "UTF-8");
    EXPECT_EQ(dialogs.pages, (std::vector<std::string>{"importazione-non-riuscita.html", "importare-testo.html#anteprima"}));
}

}  // namespace
