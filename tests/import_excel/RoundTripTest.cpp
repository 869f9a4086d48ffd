// Customers written in the layout of the customer export (heading row and
// twelve columns, by this program's worksheet writer), previewed, mapped and
// imported into an empty table: every value comes back, within the cut lengths.
#include <gtest/gtest.h>

#include "db/DataSource.h"
#include "export/ExcelFile.h"
#include "import_excel/ExcelImport.h"
#include "import_excel/PreviewSheet.h"
#include "support/ExcelImportArchive.h"

namespace {

using namespace tessaro7::import_excel;
using namespace tessaro7::testing;
using tessaro7::db::DataSource;
using tessaro7::db::Value;
using tessaro7::exporting::ExcelFile;

struct Column {
    const char* heading;
    const char* field;
    int width;
    bool number;
};
// The customer list's columns A to L.
const Column kCustomerColumns[] = {
    {"Ragione", "nominativo", 80, false}, {"Sociale", "seconda_riga", 80, false}, {"Indirizzo", "indirizzo", 50, false},
    {"Città", "citta", 50, false},        {"CAP", "cap", 10, false},              {"PR", "pr", 10, false},
    {"Partita IVA", "piva", 20, false},   {"P.IVA CEE", "pivacee", 20, false},    {"Telefono", "tel", 30, false},
    {"Telefax", "fax", 30, false},        {"Listino", "listino", 10, true},       {"Email", "email", 50, false},
};

void exportCustomers(const std::string& database, const std::string& file, bool codePage) {
    ExcelFile f;
    ASSERT_EQ(f.CreateFile(file), 0);
    if (codePage) f.SetCodePage(1252);
    f.PrintGridLines(false);
    f.SetMargin(40, 1.5);
    f.SetMargin(38, 1.5);
    f.SetMargin(39, 1.5);
    f.SetMargin(41, 1.5);
    f.SetFont("Arial", 10, 0);
    f.SetFont("Arial", 10, 1);
    f.SetFont("Arial", 10, 5);
    f.SetFont("Courier", 12, 2);
    for (int c = 1; c <= 12; ++c) f.SetColumnWidth(c, c, kCustomerColumns[c - 1].width);
    DataSource data;
    data.setDatabaseName(database);
    data.setRecordSource("select * from clienti order by [nominativo]");
    data.refresh();
    for (int c = 1; c <= 12; ++c)
        f.WriteValue(ExcelFile::kLabelCell, 64, kCustomerColumns[c - 1].number ? 3 : 1, 0, 1, c,
                     Value(kCustomerColumns[c - 1].heading));
    for (long r = 2; !data.eof(); data.moveNext(), ++r)
        for (int c = 1; c <= 12; ++c) {
            const Column& col = kCustomerColumns[c - 1];
            Value v = data.field(col.field);
            if (col.number)
                f.WriteValue(ExcelFile::kNumberCell, 0, 3, 0, r, c, v.isNull() ? Value() : Value(v.toText()));
            else
                f.WriteValue(ExcelFile::kLabelCell, 0, 1, 0, r, c, Value(v.toText()));
        }
    f.ProtectSpreadsheet(false);
    ASSERT_EQ(f.CloseFile(), 0);
}

void addCustomer(DataSource& data, const std::vector<std::pair<const char*, std::string>>& fields) {
    data.addNew();
    for (const auto& [name, value] : fields) data.setField(name, value);
    data.update();
}

class RoundTrip : public ::testing::TestWithParam<bool> {};

TEST_P(RoundTrip, ExportedCustomersComeBackEqual) {
    ExcelImportArchive source, target;
    {
        DataSource data;
        data.setDatabaseName(source.archive.DatabasePath);
        data.setRecordSource("Clienti");
        data.refresh();
        addCustomer(data, {{"nominativo", "Àlfa Ricambi"}, {"indirizzo", "Via Roma, 42"}, {"citta", "Milano"},
                           {"cap", "20121"}, {"pr", "MI"}, {"piva", "26018159083"}, {"pivacee", "IT26018159083"},
                           {"tel", "06 1541955"}, {"fax", "06 1541951"}, {"listino", "1"},
                           {"email", "alfa@esempio.it"}});
        addCustomer(data, {{"nominativo", std::string(80, 'Z')}, {"seconda_riga", "S.p.A. «Società» €"},
                           {"indirizzo", std::string(50, 'i')}, {"citta", "Forlì"}, {"cap", "47121"},
                           {"pr", "FC"}, {"piva", "IT123456789012"}, {"pivacee", "IT12345678901"},
                           {"tel", std::string(30, '1')}, {"fax", ""}, {"email", std::string(50, 'e')}});
        addCustomer(data, {{"nominativo", " bianchi  "}, {"cap", "00184"}, {"listino", "2"}});
    }
    std::string file = source.archive.fileInFolder("XLSClienti.xls");
    exportCustomers(source.archive.DatabasePath, file, GetParam());

    PreviewGrid grid;
    PreviewOutcome preview = PreviewSheet(file, "12", "4", grid);
    ASSERT_FALSE(preview.notice) << preview.notice->lines[2];
    EXPECT_EQ(grid.cell(0, 3), "Città");

    ExcelMappingStore mapping;
    mapping.choose(target.archive.mappingDatabasePath(), *findExcelTable("clienti"));
    // Field position (0-based in the party list) <- sheet column (0 = A).
    const std::pair<std::size_t, int> assignments[] = {{0, 0}, {1, 1},  {2, 2},  {5, 3},  {3, 4},  {4, 5},
                                                       {8, 6}, {9, 7}, {10, 8}, {12, 9}, {16, 11}};
    for (auto [position, column] : assignments) mapping.assign(position, std::to_string(column));
    ImportOutcome outcome = ImportFromExcel(target.archive.DatabasePath, mapping, grid);
    ASSERT_TRUE(outcome.completed) << outcome.notice.lines[1];
    EXPECT_EQ(outcome.added, 3);

    std::vector<std::string> fields;
    for (auto [position, column] : assignments) fields.push_back(findExcelTable("clienti")->fields[position].name);
    auto exported = source.rowsOf("clienti order by [nominativo]", fields);
    auto imported = target.rowsOf("clienti", fields);
    ASSERT_EQ(imported.size(), exported.size());
    for (std::size_t r = 0; r < exported.size(); ++r)
        for (std::size_t k = 0; k < fields.size(); ++k) {
            std::size_t cut = findExcelTable("clienti")->fields[assignments[k].first].cut;
            EXPECT_EQ(imported[r][k], cutText(exported[r][k], cut)) << "row " << r << " field " << fields[k];
        }
    // The cut lengths did bite where they should.
    EXPECT_EQ(imported.back()[0], std::string(80, 'Z'));
    EXPECT_EQ(imported.back()[6], "IT123456789");
}

INSTANTIATE_TEST_SUITE_P(CodePage, RoundTrip, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "WithCodePage" : "BareBiff2"; });

}  // namespace
