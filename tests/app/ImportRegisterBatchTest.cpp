// The import register through tessaro7-batch: columns from the headings, a
// file refused the second time, undo-import (on both engines), records
// already present skipped, blank rows and lines left out.
#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "app/Messages.h"
#include "batch/BatchRunner.h"
#include "db/DataSource.h"
#include "import_excel/ExcelMappingStore.h"
#include "support/ExcelImportArchive.h"
#include "support/XlwtWorkbook.h"

namespace {

using namespace tessaro7::testing;
namespace msg = tessaro7::app::msg;
using tessaro7::import_excel::ExcelMappingStore;
using tessaro7::import_excel::findExcelTable;

XlRow texts(std::initializer_list<const char*> cells) {
    XlRow row;
    for (const char* c : cells) row.push_back(*c ? XlCell{std::string(c)} : XlCell{});
    return row;
}

const XlRow kHeadings = texts({"RAGIONE sociale", "indirizzo", "Cap", "CITTÀ", "prov.", "p.iva", "E-MAIL", "Note"});

class ImportRegisterBatchTest : public ::testing::TestWithParam<Engine> {
protected:
    ExcelImportArchive a{GetParam()};
    std::string out, err;

    void SetUp() override { TESSARO7_SKIP_WITHOUT_SERVER(GetParam()); }

    int run(const std::vector<std::string>& args) {
        std::ostringstream o, e;
        int rc = tessaro7::batch::runBatch(args, o, e, a.dir.path());
        out = o.str();
        err = e.str();
        return rc;
    }
    std::map<std::string, std::size_t> m_rows;  // each workbook's rows, headings included

    void workbook(const std::string& name, std::vector<XlRow> rows) {
        rows.insert(rows.begin(), kHeadings);
        writeXlwtWorkbook(a.dir / name, std::vector<std::vector<XlRow>>{rows});
        m_rows[name] = rows.size();
    }
    int importExcel(const std::string& name, std::vector<std::string> more = {}) {
        std::vector<std::string> args{"import-excel", "clienti", name, "8", std::to_string(m_rows[name])};
        args.insert(args.end(), more.begin(), more.end());
        return run(args);
    }
    // Every customer with its identity and every field's text, in natural order.
    std::vector<std::string> customers() const {
        tessaro7::db::DataSource data;
        data.setDatabaseName(a.archive.DatabasePath);
        data.setRecordSource("clienti");
        std::vector<std::string> rows;
        for (data.refresh(); !data.eof(); data.moveNext()) {
            std::string line = data.rowIdentity().toText();
            for (const tessaro7::db::Value& v : data.rowValues()) line += "|" + v.toText();
            rows.push_back(line);
        }
        return rows;
    }
    void editFirstCustomerNamed(const std::string& name) {
        tessaro7::db::DataSource data;
        data.setDatabaseName(a.archive.DatabasePath);
        data.setRecordSource("select * from clienti where nominativo = '" + name + "'");
        data.refresh();
        ASSERT_FALSE(data.eof());
        data.edit();
        data.setField("tel", "06 1234567");
        data.update();
    }
};

TEST_P(ImportRegisterBatchTest, HeadingsInAnyCaseAndAccentsGoToTheirSevenFields) {
    workbook("clienti.xls", {});
    ASSERT_EQ(run({"excel-mapping", "clienti", "from-headings", "clienti.xls"}), 0) << err;
    EXPECT_NE(out.find("Ragione sociale <- colonna 0 \"RAGIONE sociale\""), std::string::npos) << out;
    EXPECT_NE(out.find(std::string(msg::kHeadingsWithoutField) + "\"Note\""), std::string::npos) << out;
    EXPECT_NE(out.find(std::string(msg::kHeadingsFieldsWithout) + "Seconda riga ragione sociale, Nazione"),
              std::string::npos)
        << out;
    ExcelMappingStore store;
    store.choose(a.archive.mappingDatabasePath(), *findExcelTable("clienti"));
    // Mapping rows (from 0) of nominativo, indirizzo, cap, citta, pr, piva, email and their columns.
    const std::pair<std::size_t, long long> expected[] = {{0, 0}, {2, 1}, {3, 2}, {5, 3}, {4, 4}, {8, 5}, {16, 6}};
    std::size_t assigned = 0;
    for (const auto& row : store.rows()) assigned += row.utilizzato;
    EXPECT_EQ(assigned, 7u);
    for (const auto& [row, column] : expected) {
        EXPECT_TRUE(store.rows()[row].utilizzato) << store.rows()[row].visualizzato;
        EXPECT_EQ(store.rows()[row].colonna, column) << store.rows()[row].visualizzato;
    }
}

TEST_P(ImportRegisterBatchTest, TheSameFileIsRefusedTheSecondTimeAndGoesInWithAgain) {
    workbook("clienti.xls", {texts({"Rossi", "Via Roma 1", "00100", "Roma", "RM", "12345678901", "r@x.it"})});
    ASSERT_EQ(run({"excel-mapping", "clienti", "from-headings", "clienti.xls"}), 0) << err;
    ASSERT_EQ(importExcel("clienti.xls"), 0) << err;
    EXPECT_EQ(importExcel("clienti.xls"), 1);
    EXPECT_NE(err.find("Questo file è già stato importato nella tabella Clienti il "), std::string::npos) << err;
    EXPECT_NE(err.find(" (1 record). Importarlo di nuovo?"), std::string::npos) << err;
    EXPECT_EQ(customers().size(), 1u);
    ASSERT_EQ(importExcel("clienti.xls", {"--again"}), 0) << err;
    EXPECT_EQ(customers().size(), 2u);
    ASSERT_EQ(run({"import-log", "clienti"}), 0) << err;
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 3) << out;
    EXPECT_NE(out.find("\tclienti\t"), std::string::npos);
    EXPECT_NE(out.find("\tcompletata\tSì\t"), std::string::npos) << out;
}

TEST_P(ImportRegisterBatchTest, UndoLeavesTheTableAsBeforeTheRunAndIsNoted) {
    workbook("primi.xls", {texts({"Àlfa", "Via A", "1", "Roma", "RM", "111", ""}),
                           texts({"Beta", "Via B", "2", "Bari", "BA", "", ""})});
    workbook("secondi.xls", {texts({"Gamma", "Via C", "3", "Como", "CO", "333", ""}), texts({}),
                             texts({"Delta", "Via D", "4", "Lodi", "LO", "", "d@x.it"})});
    ASSERT_EQ(run({"excel-mapping", "clienti", "from-headings", "primi.xls"}), 0) << err;
    ASSERT_EQ(importExcel("primi.xls"), 0) << err;
    const std::vector<std::string> before = customers();
    ASSERT_EQ(importExcel("secondi.xls"), 0) << err;
    EXPECT_NE(out.find(std::string(msg::kBlankRowsNotImported) + "1"), std::string::npos) << out;
    ASSERT_EQ(customers().size(), 4u);

    ASSERT_EQ(run({"undo-import", "clienti"}), 0) << err;
    EXPECT_EQ(out, std::string(msg::kUndoDone) + "Clienti: 2.\n");
    EXPECT_EQ(customers(), before);
    ASSERT_EQ(run({"import-log"}), 0);
    EXPECT_NE(out.find("annullata il "), std::string::npos) << out;
    // The next undo takes back the first run; then there is none left.
    ASSERT_EQ(run({"undo-import", "clienti"}), 0) << err;
    EXPECT_TRUE(customers().empty());
    EXPECT_EQ(run({"undo-import", "clienti"}), 1);
    EXPECT_EQ(err, std::string(msg::kNoImportToUndo) + "Clienti.\n");
}

TEST_P(ImportRegisterBatchTest, UndoIsRefusedWhenAnImportedRecordWasEdited) {
    workbook("clienti.xls", {texts({"Rossi", "Via Roma 1", "00100", "Roma", "RM", "", ""}),
                             texts({"Verdi", "Via Po 2", "10100", "Torino", "TO", "", ""})});
    ASSERT_EQ(run({"excel-mapping", "clienti", "from-headings", "clienti.xls"}), 0) << err;
    ASSERT_EQ(importExcel("clienti.xls"), 0) << err;
    editFirstCustomerNamed("Verdi");
    const std::vector<std::string> edited = customers();
    EXPECT_EQ(run({"undo-import", "clienti"}), 1);
    // On the server an edited record has a new physical identity: it reads as edited or deleted.
    EXPECT_EQ(err, GetParam() == Engine::Sqlite
                       ? "1 record sono stati modificati dopo l'importazione: annullamento non eseguito.\n"
                       : "1 record sono stati modificati o eliminati dopo l'importazione: annullamento non eseguito.\n");
    EXPECT_EQ(customers(), edited);
}

TEST_P(ImportRegisterBatchTest, SkipExistingImportsOnlyTheNewHalf) {
    workbook("vecchi.xls", {texts({"Rossi", "", "", "Roma", "", "12345678901", ""}),
                            texts({"Bianchi e Figli", "", "", "Città di Castello", "", "", ""})});
    workbook("misti.xls", {texts({"Rossi S.r.l.", "", "", "Roma", "", "12345678901", ""}),
                           texts({"BIANCHI E FIGLI", "", "", "Citta di castello", "", "", ""}),
                           texts({"Neri", "", "", "Roma", "", "98765432109", ""}),
                           texts({"Bianchi e Figli", "", "", "Perugia", "", "", ""})});
    ASSERT_EQ(run({"excel-mapping", "clienti", "from-headings", "vecchi.xls"}), 0) << err;
    ASSERT_EQ(importExcel("vecchi.xls"), 0) << err;
    ASSERT_EQ(importExcel("misti.xls", {"--skip-existing"}), 0) << err;
    EXPECT_NE(out.find("Record aggiunti alla tabella Clienti: 2."), std::string::npos) << out;
    EXPECT_NE(out.find(std::string(msg::kExistingSkipped) + "2"), std::string::npos) << out;
    const std::vector<std::string> rows = customers();
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_NE(rows[2].find("|Neri|"), std::string::npos);
    EXPECT_NE(rows[3].find("|Perugia|"), std::string::npos);
    // Everything already present: nothing is written.
    EXPECT_EQ(importExcel("misti.xls", {"--skip-existing", "--again"}), 0) << err;
    EXPECT_NE(out.find(msg::kNothingToAdd), std::string::npos) << out;
    EXPECT_EQ(customers().size(), 4u);
}

INSTANTIATE_TEST_SUITE_P(Engines, ImportRegisterBatchTest, TESSARO7_ENGINES);

}  // namespace
