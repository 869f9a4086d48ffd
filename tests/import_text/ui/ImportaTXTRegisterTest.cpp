// The text import window's question before the same file goes in twice, its
// undo button and its choice to skip records already present.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTest>

#include "app/Messages.h"
#include "import_text/TextArchive.h"
#include "import_text/ui/ImportaTXT.h"
#include "support/RecordingDialogs.h"

namespace {

using tessaro7::app::Answer;
using tessaro7::import_text::TextTable;
using tessaro7::import_text::ui::ImportaTXT;
using tessaro7::testing::padded;
using tessaro7::testing::RecordingDialogs;
using tessaro7::testing::TempDir;
using tessaro7::testing::TextArchive;
namespace msg = tessaro7::app::msg;

class ImportaTXTRegisterTest : public ::testing::Test {
protected:
    TempDir settings;
    TextArchive a;
    RecordingDialogs dialogs;
    std::unique_ptr<ImportaTXT> window;

    void SetUp() override {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(settings.str()));
        a.assign(TextTable::Clienti, 1, 1, 20);
        window = std::make_unique<ImportaTXT>(a.archive, dialogs);
        window->findChild<QComboBox*>("Combo1")->setCurrentIndex(0);
        window->findChild<QLineEdit*>("text1_0")->setText(
            QString::fromStdString(a.file("nuovi.txt", padded("Zeta", 20) + "\r\n\r\n" + padded("Omega", 20) + "\r\n")));
    }
    void TearDown() override { QSettings("Tessaro7", "tessaro7-io").remove("importazione/saltaPresenti"); }
    void click(const char* name) {
        auto* button = window->findChild<QPushButton*>(name);
        ASSERT_NE(button, nullptr) << name;
        QTest::mouseClick(button, Qt::LeftButton);
    }
    long customers() const { return a.count("clienti"); }
};

TEST_F(ImportaTXTRegisterTest, SecondImportAsksThenUndoTakesTheRunBack) {
    const long before = customers();
    click("CBT_1");
    ASSERT_EQ(customers(), before + 2) << dialogs.last().text;
    EXPECT_NE(dialogs.last().text.find(std::string(msg::kBlankRowsNotImported) + "1"), std::string::npos);

    dialogs.answers = {Answer::No};
    click("CBT_1");
    EXPECT_EQ(dialogs.last().defaultButton, Answer::No);
    EXPECT_NE(dialogs.last().text.find("Questo file è già stato importato nella tabella Clienti il "),
              std::string::npos);
    EXPECT_EQ(customers(), before + 2);

    auto* undo = window->findChild<QPushButton*>("AnnullaImportazione");
    ASSERT_NE(undo, nullptr);
    EXPECT_EQ(undo->text().toStdString(), msg::kUndoLastImport);
    dialogs.answers = {Answer::Yes, Answer::Ok};
    click("AnnullaImportazione");
    EXPECT_EQ(dialogs.last().text, std::string(msg::kUndoDone) + "Clienti: 2.");
    EXPECT_EQ(customers(), before);
}

TEST_F(ImportaTXTRegisterTest, UndoAnsweredNoDeletesNothing) {
    const long before = customers();
    click("CBT_1");
    dialogs.answers = {Answer::No};
    click("AnnullaImportazione");
    EXPECT_NE(dialogs.last().text.find("Annullare l'importazione nella tabella Clienti"), std::string::npos);
    EXPECT_EQ(customers(), before + 2);
}

TEST_F(ImportaTXTRegisterTest, SkipExistingIsOffByDefaultAndSkips) {
    auto* skip = window->findChild<QCheckBox*>("SaltaPresenti");
    ASSERT_NE(skip, nullptr);
    EXPECT_FALSE(skip->isChecked());
    EXPECT_EQ(skip->text().toStdString(), msg::kSkipExisting);
    click("CBT_1");
    const long after = customers();
    skip->setChecked(true);
    dialogs.answers = {Answer::Yes, Answer::Ok};
    click("CBT_1");
    EXPECT_NE(dialogs.last().text.find(msg::kNothingToAdd), std::string::npos) << dialogs.last().text;
    EXPECT_EQ(customers(), after);
}

}  // namespace
