// The Excel import window's heading assignment, the question before a file
// goes in twice, the undo and the records already present, through its controls.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTableView>
#include <QTest>

#include "app/Messages.h"
#include "import_excel/ExcelMappingStore.h"
#include "import_excel/ui/FormImport.h"
#include "support/ExcelImportArchive.h"
#include "support/RecordingDialogs.h"
#include "support/XlwtWorkbook.h"

namespace {

using namespace tessaro7::testing;
using tessaro7::app::Answer;
using tessaro7::app::Buttons;
using tessaro7::import_excel::ExcelMappingStore;
using tessaro7::import_excel::findExcelTable;
using tessaro7::import_excel::ui::FormImport;
namespace msg = tessaro7::app::msg;

XlRow texts(std::initializer_list<const char*> cells) {
    XlRow row;
    for (const char* c : cells) row.push_back(*c ? XlCell{std::string(c)} : XlCell{});
    return row;
}

struct FormImportRegisterTest : ::testing::Test {
    TempDir settings;
    ExcelImportArchive a;
    RecordingDialogs dialogs;
    std::unique_ptr<FormImport> form;

    void SetUp() override {
        // The remembered choice lives in this test's own folder.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(settings.str()));
        form = std::make_unique<FormImport>(a.archive, dialogs);
        const std::vector<XlRow> rows{texts({"RAGIONE sociale", "indirizzo", "Cap", "CITTÀ", "prov.", "p.iva", "E-MAIL"}),
                                      texts({"Rossi", "Via Roma 1", "00100", "Roma", "RM", "12345678901", "r@x.it"}),
                                      texts({}), texts({"Verdi", "Via Po 2", "10100", "Torino", "TO", "", ""})};
        writeXlwtWorkbook(a.dir / "c.xls", std::vector<std::vector<XlRow>>{rows});
    }
    // The remembered choice must not reach the windows of later tests.
    void TearDown() override { QSettings("Tessaro7", "tessaro7-io").remove("importazione/saltaPresenti"); }

    template <typename T>
    T* control(const char* name) {
        T* c = form->findChild<T*>(name);
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    void click(const char* name) { QTest::mouseClick(control<QPushButton>(name), Qt::LeftButton); }
    void previewClienti() {
        control<QComboBox>("Combo1")->setCurrentIndex(0);
        control<QLineEdit>("text1_0")->setText(QString::fromStdString((a.dir / "c.xls").string()));
        control<QLineEdit>("text1_1")->setText("7");
        control<QLineEdit>("text1_2")->setText("4");
        click("PB_6");
    }
    long customers() const { return static_cast<long>(a.rowsOf("clienti", {"nominativo"}).size()); }
    std::vector<const DialogCall*> messages() const {
        std::vector<const DialogCall*> out;
        for (const DialogCall& call : dialogs.calls)
            if (call.kind == DialogCall::Kind::Message) out.push_back(&call);
        return out;
    }
};

TEST_F(FormImportRegisterTest, AssignFromHeadingsAsksOnceAndSavesTheSevenFields) {
    previewClienti();
    EXPECT_EQ(control<QPushButton>("AssegnaTitoli")->text(), msg::kAssignFromHeadings);
    dialogs.answers = {Answer::Yes};
    click("AssegnaTitoli");
    ASSERT_EQ(messages().size(), 1u);
    const DialogCall& question = *messages()[0];
    EXPECT_EQ(question.buttons, Buttons::YesNo);
    EXPECT_NE(question.text.find("Città <- colonna 3 \"CITTÀ\""), std::string::npos) << question.text;
    EXPECT_NE(question.text.find(msg::kHeadingsFieldsWithout), std::string::npos) << question.text;
    ExcelMappingStore store;
    store.choose(a.archive.mappingDatabasePath(), *findExcelTable("clienti"));
    std::size_t assigned = 0;
    for (const auto& row : store.rows()) assigned += row.utilizzato;
    EXPECT_EQ(assigned, 7u);
    EXPECT_EQ(store.rows()[8].colonna, 5);  // Partita IVA <- "p.iva"
}

TEST_F(FormImportRegisterTest, AnsweringNoKeepsTheMapping) {
    previewClienti();
    dialogs.answers = {Answer::No};
    click("AssegnaTitoli");
    ExcelMappingStore store;
    store.choose(a.archive.mappingDatabasePath(), *findExcelTable("clienti"));
    for (const auto& row : store.rows()) EXPECT_FALSE(row.utilizzato);
}

TEST_F(FormImportRegisterTest, TheSameFileTwiceAsksWithNoAsDefaultThenUndo) {
    previewClienti();
    dialogs.answers = {Answer::Yes};
    click("AssegnaTitoli");
    click("PB_1");
    EXPECT_EQ(customers(), 2);
    EXPECT_EQ(dialogs.last().notice.lines[3], std::string(msg::kBlankRowsNotImported) + "1");

    dialogs.answers = {Answer::No};
    click("PB_1");
    const DialogCall& question = *messages().back();
    EXPECT_EQ(question.defaultButton, Answer::No);
    EXPECT_NE(question.text.find("Questo file è già stato importato nella tabella Clienti il "), std::string::npos);
    EXPECT_EQ(customers(), 2);

    dialogs.answers = {Answer::Yes, Answer::Yes};
    click("AnnullaImportazione");
    auto calls = messages();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_NE(calls[calls.size() - 2]->text.find("Annullare l'importazione nella tabella Clienti del file "),
              std::string::npos)
        << calls[calls.size() - 2]->text;
    EXPECT_EQ(calls.back()->text, std::string(msg::kUndoDone) + "Clienti: 2.");
    EXPECT_EQ(customers(), 0);
}

TEST_F(FormImportRegisterTest, SkipExistingMarksThePreviewAndIsRemembered) {
    previewClienti();
    dialogs.answers = {Answer::Yes};
    click("AssegnaTitoli");
    click("PB_1");
    ASSERT_EQ(customers(), 2);
    auto* skip = control<QCheckBox>("SaltaPresenti");
    EXPECT_FALSE(skip->isChecked());
    QTest::mouseClick(skip, Qt::LeftButton, {}, QPoint(5, skip->height() / 2));
    ASSERT_TRUE(skip->isChecked());
    auto* fg1 = control<QTableView>("FG1");
    EXPECT_EQ(fg1->model()->index(1, 0).data(Qt::ToolTipRole).toString().toStdString(), msg::kExistingMark);
    EXPECT_FALSE(fg1->model()->index(2, 0).data(Qt::ToolTipRole).isValid());
    FormImport again(a.archive, dialogs);
    EXPECT_TRUE(again.findChild<QCheckBox*>("SaltaPresenti")->isChecked());
}

}  // namespace
