// tessaro7-batch excel-mapping, preview-excel and import-excel.
#include <gtest/gtest.h>

#include <sstream>

#include "app/Messages.h"
#include "batch/BatchRunner.h"
#include "support/ExcelImportArchive.h"
#include "support/XlwtWorkbook.h"

namespace {

using namespace tessaro7::testing;
namespace msg = tessaro7::app::msg;

struct ExcelImportBatchTest : ::testing::Test {
    ExcelImportArchive a;
    std::string out, err;

    int run(const std::vector<std::string>& args) {
        std::ostringstream o, e;
        int rc = tessaro7::batch::runBatch(args, o, e, a.dir.path());
        out = o.str();
        err = e.str();
        return rc;
    }
    void SetUp() override {
        writeXlwtWorkbook(a.dir / "clienti.xls", {{std::string("Nome"), std::string("Città"), std::string("Numero")},
                                                  {std::string("Rossi"), std::string("Roma"), 1.5},
                                                  {std::string("Verdi"), XlCell{}, XlDate{2025, 1, 2}}});
    }
};

TEST_F(ExcelImportBatchTest, ShowAssignUnassignClear) {
    ASSERT_EQ(run({"excel-mapping", "articoli", "show"}), 0) << err;
    EXPECT_EQ(out.substr(0, out.find('\n')), "Riga\tCampo della tabella\tColonna\tAssegnato");
    EXPECT_NE(out.find("\n1\tCodice\t0\tNo\n"), std::string::npos);
    EXPECT_NE(out.find("\n10\tUbicazione\t0\tNo\n"), std::string::npos);

    ASSERT_EQ(run({"excel-mapping", "articoli", "assign", "3", "7"}), 0) << err;
    EXPECT_EQ(out, "3\tAliquota IVA\t7\tSì\n");
    ASSERT_EQ(run({"excel-mapping", "articoli", "assign", "4", ""}), 0) << err;
    EXPECT_EQ(out, "4\tCosto in euro\t0\tSì\n");
    ASSERT_EQ(run({"excel-mapping", "articoli", "unassign", "3"}), 0) << err;
    EXPECT_EQ(out, "3\tAliquota IVA\t0\tNo\n");
    ASSERT_EQ(run({"excel-mapping", "articoli", "clear"}), 0) << err;
    run({"excel-mapping", "articoli", "show"});
    EXPECT_EQ(out.find("Sì"), std::string::npos);
}

TEST_F(ExcelImportBatchTest, MappingUsageErrors) {
    EXPECT_EQ(run({"excel-mapping", "ordini", "show"}), 2);
    EXPECT_NE(err.find("Tabella sconosciuta: 'ordini'"), std::string::npos);
    EXPECT_EQ(run({"excel-mapping", "clienti", "assign", "19", "1"}), 2);
    EXPECT_NE(err.find("Riga 19 inesistente"), std::string::npos);
    EXPECT_EQ(run({"excel-mapping", "clienti", "assign", "0", "1"}), 2);
    EXPECT_EQ(run({"excel-mapping", "clienti", "assign", "1", "B"}), 2);
    EXPECT_EQ(run({"excel-mapping", "clienti", "rename"}), 2);
}

TEST_F(ExcelImportBatchTest, PreviewPrintsTheGrid) {
    ASSERT_EQ(run({"preview-excel", "clienti.xls", "3", "4"}), 0) << err;
    EXPECT_EQ(out, "Nome\tCittà\tNumero\nRossi\tRoma\t1,5\nVerdi\t\t02/01/2025\n\t\t\n");
    ASSERT_EQ(run({"preview-excel", "clienti.xls", "0", "4"}), 0);
    EXPECT_EQ(out, "");
}

TEST_F(ExcelImportBatchTest, PreviewOfAnUnreadableFileFails) {
    EXPECT_EQ(run({"preview-excel", "manca.xls", "3", "4"}), 1);
    EXPECT_EQ(err, std::string(msg::kWorkbookUnreadable) + "\nFile: " + (a.dir / "manca.xls").string() +
                       "\nMotivo: file non trovato.\n");
    EXPECT_EQ(run({"preview-excel", "clienti.xls", "tre", "4"}), 2);
}

TEST_F(ExcelImportBatchTest, ImportAppendsAndPrintsTheNotice) {
    run({"excel-mapping", "clienti", "assign", "1", "0"});
    run({"excel-mapping", "clienti", "assign", "6", "1"});
    ASSERT_EQ(run({"import-excel", "clienti", "clienti.xls", "3", "3"}), 0) << err;
    EXPECT_EQ(out, std::string(msg::kExcelDone) + "\nRecord aggiunti alla tabella Clienti: 2.\n");
    EXPECT_EQ(a.rowsOf("clienti", {"nominativo", "citta"}),
              (std::vector<std::vector<std::string>>{{"Rossi", "Roma"}, {"Verdi", ""}}));
}

// PRIMA and ULTIMA choose the sheet rows, as the window's row fields do.
TEST_F(ExcelImportBatchTest, FirstAndLastChooseTheSheetRows) {
    std::vector<XlRow> rows{{std::string("Nome")}};
    for (int r = 2; r <= 10; ++r) rows.push_back({"Riga " + std::to_string(r)});
    writeXlwtWorkbook(a.dir / "dieci.xls", rows);
    run({"excel-mapping", "clienti", "assign", "1", "0"});
    ASSERT_EQ(run({"import-excel", "clienti", "dieci.xls", "1", "10", "3", "5"}), 0) << err;
    EXPECT_EQ(out, std::string(msg::kExcelDone) + "\nRecord aggiunti alla tabella Clienti: 3.\n");
    EXPECT_EQ(a.rowsOf("clienti", {"nominativo"}),
              (std::vector<std::vector<std::string>>{{"Riga 3"}, {"Riga 4"}, {"Riga 5"}}));
    // Beyond the rows read: refused, nothing written.
    EXPECT_EQ(run({"import-excel", "clienti", "dieci.xls", "1", "6", "3", "8"}), 1);
    EXPECT_NE(err.find(std::string(msg::kExcelRowsBeyondPreview) + "\n"), std::string::npos) << err;
    EXPECT_EQ(a.rowsOf("clienti", {"nominativo"}).size(), 3u);
}

TEST_F(ExcelImportBatchTest, ImportRefusals) {
    run({"excel-mapping", "clienti", "assign", "1", "5"});
    EXPECT_EQ(run({"import-excel", "clienti", "clienti.xls", "3", "3"}), 1);
    EXPECT_EQ(err.substr(0, err.find('\n')), std::string(msg::kSheetRead) + "Foglio1");
    EXPECT_NE(err.find(std::string("\n") + msg::kColumnBeyondPreview + "\n"), std::string::npos) << err;
    EXPECT_EQ(run({"import-excel", "clienti", "clienti.xls", "3", "3", "5", "3"}), 1);
    EXPECT_EQ(err, std::string(msg::kSheetRead) + "Foglio1\n" + msg::kExcelRowsWrong + "\n");
    a.dir.write("clienti.xls", std::string("\x01\x02\x03\x00" "binario", 11));
    EXPECT_EQ(run({"import-excel", "clienti", "clienti.xls", "1", "2"}), 1);
    EXPECT_NE(err.find("non è una cartella di lavoro (.xls, .xlsx, .ods)"), std::string::npos) << err;
    EXPECT_TRUE(a.rowsOf("clienti", {"nominativo"}).empty());
    EXPECT_EQ(run({"import-excel", "clienti", "clienti.xls", "3"}), 2);
}

}  // namespace
