// The text preview window: rows filled in order, the others hidden.
#include "import_text/ui/AnteprimaTXT.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QTabWidget>

#include "import_text/ui/UiEvents.h"

namespace {

using tessaro7::app::PreviewLine;
using tessaro7::import_text::ui::AnteprimaTXT;

std::vector<PreviewLine> articleLines() {
    std::vector<PreviewLine> lines(18, PreviewLine{"", "", false});
    lines[0] = {"Codice", "A100", true};
    lines[2] = {"% IVA", "22", true};
    lines[9] = {"Ubicazione", "", true};
    return lines;
}

TEST(AnteprimaTXT, CaptionTabAndPanel) {
    AnteprimaTXT window("Tabella Articoli", articleLines());
    EXPECT_EQ(window.windowTitle(), "Anteprima File TXT");
    auto* tabs = window.findChild<QTabWidget*>("tabbe1");
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->tabText(0), "Visualizza prima riga di esempio");
    EXPECT_EQ(window.findChild<QLabel*>("P1")->text(), "Tabella Articoli");
    EXPECT_EQ(window.findChild<QPushButton*>("CBT_0")->text(), "C&hiudi");
    EXPECT_NE(window.findChild<QLabel*>("Image1"), nullptr);
}

TEST(AnteprimaTXT, FilledRowsShownOthersHidden) {
    AnteprimaTXT window("Tabella Articoli", articleLines());
    for (int i = 0; i < 18; ++i) {
        auto* label = window.findChild<QLabel*>(QString("Label1_%1").arg(i));
        auto* text = window.findChild<QLineEdit*>(QString("Text1_%1").arg(i));
        ASSERT_NE(label, nullptr) << i;
        ASSERT_NE(text, nullptr) << i;
        bool shown = i == 0 || i == 2 || i == 9;
        EXPECT_EQ(!label->isHidden(), shown) << i;
        EXPECT_EQ(!text->isHidden(), shown) << i;
    }
    EXPECT_EQ(window.findChild<QLabel*>("Label1_2")->text(), "% IVA");
    EXPECT_EQ(window.findChild<QLineEdit*>("Text1_2")->text(), "22");
    EXPECT_EQ(window.findChild<QLineEdit*>("Text1_0")->text(), "A100");
    EXPECT_TRUE(window.findChild<QLineEdit*>("Text1_0")->isReadOnly());
}

TEST(AnteprimaTXT, RowsStackInIndexOrder) {
    std::vector<PreviewLine> lines;
    for (int i = 0; i < 18; ++i) lines.push_back({std::to_string(i), "t", true});
    AnteprimaTXT window("Tabella Clienti", lines);
    window.show();
    for (int i = 1; i < 18; ++i) {
        auto* above = window.findChild<QLineEdit*>(QString("Text1_%1").arg(i - 1));
        auto* below = window.findChild<QLineEdit*>(QString("Text1_%1").arg(i));
        EXPECT_LT(above->geometry().y(), below->geometry().y()) << i;
        EXPECT_EQ(above->geometry().x(), below->geometry().x()) << i;
    }
}

TEST(AnteprimaTXT, RefusedFieldInRedWithItsReasonAndTheEncodingShown) {
    std::vector<PreviewLine> lines = articleLines();
    lines[4] = {"Sottoscorta", "100", true, "ha più di 2 caratteri: il numero sarebbe troncato"};
    AnteprimaTXT window("Tabella Articoli", lines, "UTF-8");
    auto* refused = window.findChild<QLineEdit*>("Text1_4");
    auto* accepted = window.findChild<QLineEdit*>("Text1_2");
    EXPECT_EQ(refused->text(), "100");
    EXPECT_EQ(refused->toolTip(), "ha più di 2 caratteri: il numero sarebbe troncato");
    EXPECT_EQ(refused->palette().color(QPalette::Text), QColor(Qt::red));
    EXPECT_NE(accepted->palette().color(QPalette::Text), QColor(Qt::red));
    EXPECT_TRUE(accepted->toolTip().isEmpty());
    EXPECT_EQ(window.findChild<QLabel*>("encoding")->text(), "Codifica: UTF-8");
}

TEST(AnteprimaTXT, WithoutAPanelCaptionItWaits) {
    AnteprimaTXT window("", {});
    EXPECT_EQ(window.findChild<QLabel*>("P1")->text(), ".:: in attesa ::.");
    EXPECT_TRUE(window.findChild<QLabel*>("Label1_0")->isHidden());
}

TEST(AnteprimaTXT, CloseButtonCloses) {
    AnteprimaTXT window("Tabella Clienti", {});
    window.show();
    tessaro7::testing::mouseClick(window.findChild<QPushButton*>("CBT_0"));
    EXPECT_FALSE(window.isVisible());
}

}  // namespace
