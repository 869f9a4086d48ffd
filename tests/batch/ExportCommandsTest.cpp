// tessaro7-batch export and export-all on a demo archive made by the test.
#include <gtest/gtest.h>

#include <sstream>

#include "app/DemoArchive.h"
#include "batch/BatchRunner.h"
#include "db/DataSource.h"
#include "export/Clock.h"
#include "export/ExportChoice.h"
#include "export/ExportLists.h"
#include "export/SheetFormat.h"
#include "export/SheetFiles.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;
using namespace tessaro7;
using namespace tessaro7::testing::sheet;

class ExportCommandsTest : public ::testing::Test {
protected:
    tessaro7::testing::TempDir dir;
    fs::path folder = dir / "archivio";
    std::ostringstream out, err;

    void SetUp() override { app::createDemoArchive(folder.string()); }

    int run(const std::vector<std::string>& args) {
        out.str("");
        err.str("");
        return batch::runBatch(args, out, err, folder);
    }
    // Paths are shown in this platform's form, whatever separator built them.
    std::string pathOf(const std::string& file) const { return (folder / file).string(); }
    void sql(const std::string& text) {
        Database::Open(folder / "Tessaro7.mdb").exec(text);
    }
};

TEST_F(ExportCommandsTest, ExportByNumberPrintsTheCompletionMessage) {
    EXPECT_EQ(run({"export", "1"}), 0) << err.str();
    EXPECT_EQ(out.str(), "File Excel esportato.\nNome File: " + pathOf("XLSClienti.xls") + "\n");
    EXPECT_EQ(err.str(), "");
    const long customers = exporting::countListRecords(*exporting::listByNumber(1), (folder / "Tessaro7.mdb").string());
    EXPECT_EQ(readSheetWithXlrd(folder / "XLSClienti.xls").rows, static_cast<unsigned>(customers + 1));
}

TEST_F(ExportCommandsTest, ExportByCaptionInAnyCase) {
    EXPECT_EQ(run({"export", "fatture vendita"}), 0) << err.str();
    EXPECT_TRUE(fs::exists(folder / "XLSFTVENDITA.xls"));
    EXPECT_EQ(run({"export", "PAGAMENTI", "fornitori"}), 0) << err.str();
    EXPECT_TRUE(fs::exists(folder / "XLSPAGAMENTIFORNITORI.xls"));
}

TEST_F(ExportCommandsTest, UnknownListIsAUsageError) {
    EXPECT_EQ(run({"export", "14"}), 2);
    EXPECT_NE(err.str().find("Elenco sconosciuto: 14"), std::string::npos) << err.str();
    EXPECT_EQ(run({"export"}), 2);
    EXPECT_EQ(run({"export-all", "1"}), 2);
}

TEST_F(ExportCommandsTest, FormatOptionChoosesTheFile) {
    EXPECT_EQ(run({"export", "--format", "xlsx", "1"}), 0) << err.str();
    EXPECT_EQ(out.str(), "File Excel esportato.\nNome File: " + pathOf("XLSClienti.xlsx") + "\n");
    EXPECT_EQ(std::string(readBytes(folder / "XLSClienti.xlsx"), 0, 2), "PK");
    EXPECT_FALSE(fs::exists(folder / "XLSClienti.xls"));
    EXPECT_EQ(run({"export", "1", "--format", "XLS"}), 0) << err.str();
    EXPECT_TRUE(fs::exists(folder / "XLSClienti.xls"));
    EXPECT_EQ(run({"export-all", "--format", "xlsx"}), 0) << err.str();
    for (const exporting::ExportList& list : exporting::exportLists())
        EXPECT_TRUE(fs::exists(folder / exporting::fileNameFor(list, exporting::SheetFormat::Xlsx))) << list.fileName;
    EXPECT_EQ(run({"export", "1", "--format", "ods"}), 2);
    EXPECT_NE(err.str().find("Formato sconosciuto: ods"), std::string::npos) << err.str();
    EXPECT_EQ(run({"export-all", "--format"}), 2);
}

TEST_F(ExportCommandsTest, AnEmptyTableIsRefused) {
    sql("delete from comuni");
    EXPECT_EQ(run({"export", "comuni"}), 1);
    EXPECT_EQ(err.str(), "Nessun dato da esportare!\n");
    EXPECT_FALSE(fs::exists(folder / "XLSComuni.xls"));
}

TEST_F(ExportCommandsTest, AnEngineFailureIsPrintedWithItsNumber) {
    sql("alter table articoli drop column ubicazione");
    EXPECT_EQ(run({"export", "3"}), 1);
    EXPECT_EQ(err.str(), "Errore 3265: Esportazione non riuscita: " + pathOf("XLSArticoli.xls") +
                             "\nCampo 'ubicazione' non trovato nella tabella 'articoli'.\n");
    EXPECT_EQ(out.str(), "");
}

TEST_F(ExportCommandsTest, WithoutTheNetworkFileNothingIsExported) {
    fs::remove(folder / "TS7Rete.dat");
    EXPECT_EQ(run({"export", "1"}), 1);
    EXPECT_NE(err.str().find("TS7Rete.dat non si trova nella cartella " + folder.string() + "."), std::string::npos)
        << err.str();
}

TEST_F(ExportCommandsTest, ExportAllGoesOnAfterAFailure) {
    sql("drop table ddt");
    EXPECT_EQ(run({"export-all"}), 1);
    EXPECT_NE(err.str().find("Errore 3078: "), std::string::npos) << err.str();
    EXPECT_NE(err.str().find("5 DDT: non esportato."), std::string::npos) << err.str();
    EXPECT_NE(err.str().find("Elenchi non esportati: 1 su 13."), std::string::npos) << err.str();
    for (const exporting::ExportList& list : exporting::exportLists())
        EXPECT_EQ(fs::exists(folder / list.fileName), list.number != 5) << list.fileName;
}

// Every cell of the thirteen demo files against the database read through the engine.
TEST_F(ExportCommandsTest, ExportAllWritesTheThirteenDemoListsAsTheDatabaseHoldsThem) {
    ASSERT_EQ(run({"export-all"}), 0) << err.str();
    const int year = exporting::systemClock().currentYear();
    for (const exporting::ExportList& list : exporting::exportLists()) {
        SCOPED_TRACE(list.caption);
        const Sheet sheet = readSheetWithXlrd(folder / list.fileName);
        db::DataSource data;
        data.setDatabaseName((folder / "Tessaro7.mdb").string());
        data.setRecordSource(list.selectionFor(year));
        data.refresh();
        unsigned row = 1;
        for (; !data.eof(); data.moveNext(), ++row)
            for (unsigned c = 0; c < list.columns.size(); ++c) {
                const exporting::ExportColumn& column = list.columns[c];
                const db::Value value = data.field(column.field);
                std::optional<CellValue> expected;
                if (column.cell == exporting::CellType::Text) expected = value.toText();
                else if (value.isNull() && column.nullRule == exporting::NullRule::Zero) expected = 0.0;
                else if (const auto n = value.toNumber()) expected = *n;
                const auto found = sheet.cells.find({row, c});
                EXPECT_EQ(show(found == sheet.cells.end() ? std::nullopt : std::optional<CellValue>(found->second)),
                          show(expected))
                    << "row " << row + 1 << " column " << column.field;
            }
        EXPECT_GT(row, 1u) << "the demo has rows of the current year in every list";
        EXPECT_EQ(sheet.rows, row);
    }
}

}  // namespace
