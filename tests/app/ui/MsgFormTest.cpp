// The notice window: placeholder lines hidden, the two buttons and their
// answers, shown through the desktop dialogs.
#include "app/ui/MsgForm.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "app/Messages.h"
#include "desktop/QtDialogs.h"

namespace {

using tessaro7::app::Notice;
using tessaro7::app::ui::MsgForm;
using tessaro7::desktop::QtDialogs;

TEST(MsgForm, HeadingLinesAndButtonsAsLoaded) {
    MsgForm form;
    EXPECT_EQ(form.findChild<QLabel*>("Label1")->text(), "Messaggio x te  da Tessaro 8");
    for (int i = 0; i < 5; ++i) EXPECT_EQ(form.findChild<QLabel*>(QString("Label2_%1").arg(i))->text(), "Label2");
    EXPECT_EQ(form.findChild<QPushButton*>("PB1_0")->text(), "C&hiudi");
    EXPECT_EQ(form.findChild<QPushButton*>("PB1_1")->text(), "&Conferma");
    EXPECT_TRUE(form.findChild<QPushButton*>("PB1_1")->isHidden());
    EXPECT_EQ(form.NoticeAnswer(), 0);
}

TEST(MsgForm, LinesStillReadingLabel2AreHiddenOnShowing) {
    MsgForm form;
    form.line(0)->setText("Procedura effettuata !");
    form.line(2)->setText("terza");
    form.show();
    EXPECT_TRUE(form.line(0)->isVisible());
    EXPECT_FALSE(form.line(1)->isVisible());
    EXPECT_TRUE(form.line(2)->isVisible());
    EXPECT_FALSE(form.line(3)->isVisible());
    EXPECT_FALSE(form.line(4)->isVisible());
    // Lines keep their places: line 2 stays below the hidden line 1.
    EXPECT_GT(form.line(2)->y(), form.line(0)->y() + form.line(0)->height());
    form.close();
}

TEST(MsgForm, ALineSetToLabel2IsHiddenToo) {
    MsgForm form;
    form.line(0)->setText("Label2");
    form.show();
    for (int i = 0; i < 5; ++i) EXPECT_FALSE(form.line(i)->isVisible());
    form.close();
}

TEST(MsgForm, MarkupInAMessageIsShownAsItStands) {
    MsgForm form;
    EXPECT_EQ(form.line(0)->textFormat(), Qt::PlainText);
}

TEST(MsgForm, ButtonsAnswerSevenAndEight) {
    MsgForm closing;
    closing.show();
    closing.closeButton()->click();
    EXPECT_EQ(closing.NoticeAnswer(), 7);
    EXPECT_FALSE(closing.isVisible());
    MsgForm confirming;
    confirming.confirmButton()->setVisible(true);
    confirming.show();
    confirming.confirmButton()->click();
    EXPECT_EQ(confirming.NoticeAnswer(), 8);
    MsgForm dismissed;
    dismissed.show();
    dismissed.reject();
    EXPECT_EQ(dismissed.NoticeAnswer(), 0);
}

// Clicks a button of the notice window once it is open.
void clickWhenShown(const char* button, QStringList* seen) {
    QTimer::singleShot(0, [button, seen] {
        auto* form = qobject_cast<MsgForm*>(QApplication::activeModalWidget());
        ASSERT_NE(form, nullptr);
        for (int i = 0; i < 5; ++i)
            if (form->line(i)->isVisible()) seen->append(form->line(i)->text());
        if (form->confirmButton()->isVisible()) seen->append("[Conferma]");
        form->findChild<QPushButton*>(button)->click();
    });
}

TEST(MsgForm, TheDesktopDialogsShowItModallyAndReturnTheAnswer) {
    QtDialogs dialogs;
    QStringList seen;
    Notice question;
    question.lines[0] = "Vuoi azzerare tutti i dati per la tabella ?";
    question.showConfirm = true;
    clickWhenShown("PB1_1", &seen);
    EXPECT_EQ(dialogs.notice(question), 8);
    EXPECT_EQ(seen, (QStringList{"Vuoi azzerare tutti i dati per la tabella ?", "[Conferma]"}));

    seen.clear();
    Notice warning;
    warning.lines[0] = "Selezionare un file di Excel !";
    warning.lines[1] = "<b>file.xls</b>";
    clickWhenShown("PB1_0", &seen);
    EXPECT_EQ(dialogs.notice(warning), 7);
    EXPECT_EQ(seen, (QStringList{"Selezionare un file di Excel !", "<b>file.xls</b>"}));
}

}  // namespace
