// Customers exported to XLSClienti.xls (list 1), previewed, mapped and
// imported into an empty table: every value comes back, within the cut
// lengths; also from the file as older exports wrote it, without CODEPAGE,
// and from the list exported as .xlsx.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "db/DataSource.h"
#include "db/PathResolver.h"
#include "export/ExportRoutine.h"
#include "import_excel/ExcelImport.h"
#include "import_excel/PreviewSheet.h"
#include "support/ExcelImportArchive.h"

namespace {

using namespace tessaro7::import_excel;
using namespace tessaro7::testing;
using tessaro7::db::DataSource;
using tessaro7::db::Value;
using tessaro7::exporting::exportList;
using tessaro7::exporting::ExportOutcome;
using tessaro7::exporting::FixedClock;
using tessaro7::exporting::listByNumber;

// The file as older exports wrote it: the same records without CODEPAGE,
// which stands right after the 8-byte BOF.
void dropCodePage(const std::string& name) {
    std::filesystem::path file = tessaro7::db::resolvePath(name);
    std::string bytes;
    {
        std::ifstream in(file, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    ASSERT_EQ(bytes.substr(8, 4), std::string("\x42\x00\x02\x00", 4));
    bytes.erase(8, 6);
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

void addCustomer(DataSource& data, const std::vector<std::pair<const char*, std::string>>& fields) {
    data.addNew();
    for (const auto& [name, value] : fields) data.setField(name, value);
    data.update();
}

// How the list was written before it is read back.
enum class Written { Xls, XlsWithoutCodePage, Xlsx };

class RoundTrip : public ::testing::TestWithParam<Written> {};

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
    ExportOutcome exported =
        exportList(*listByNumber(1), source.archive, FixedClock(2026),
                   GetParam() == Written::Xlsx ? tessaro7::exporting::SheetFormat::Xlsx
                                               : tessaro7::exporting::SheetFormat::Xls);
    ASSERT_TRUE(exported.succeeded) << exported.message;
    ASSERT_EQ(exported.rowsWritten, 3);
    std::string file = exported.path;
    if (GetParam() == Written::XlsWithoutCodePage) dropCodePage(file);

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
    auto stored = source.rowsOf("clienti order by [nominativo]", fields);
    auto imported = target.rowsOf("clienti", fields);
    ASSERT_EQ(imported.size(), stored.size());
    for (std::size_t r = 0; r < stored.size(); ++r)
        for (std::size_t k = 0; k < fields.size(); ++k) {
            std::size_t cut = findExcelTable("clienti")->fields[assignments[k].first].cut;
            EXPECT_EQ(imported[r][k], cutText(stored[r][k], cut)) << "row " << r << " field " << fields[k];
        }
    // The cut lengths did bite where they should.
    EXPECT_EQ(imported.back()[0], std::string(80, 'Z'));
    EXPECT_EQ(imported.back()[6], "IT123456789");
}

INSTANTIATE_TEST_SUITE_P(Formats, RoundTrip,
                         ::testing::Values(Written::Xls, Written::XlsWithoutCodePage, Written::Xlsx),
                         [](const auto& info) {
                             switch (info.param) {
                             case Written::Xls: return "WithCodePage";
                             case Written::XlsWithoutCodePage: return "BareBiff2";
                             case Written::Xlsx: return "Xlsx";
                             }
                             return "";
                         });

}  // namespace
