// Customers exported to XLSClienti.xlsx (list 1), previewed, mapped and
// imported into an empty table through the Excel import: the same customers
// come back, within the cut lengths.
#include <gtest/gtest.h>

#include "db/DataSource.h"
#include "export/ExportRoutine.h"
#include "import_excel/ExcelImport.h"
#include "import_excel/PreviewSheet.h"
#include "support/ExcelImportArchive.h"

namespace {

using namespace tessaro7::import_excel;
using namespace tessaro7::testing;
using tessaro7::db::DataSource;
using namespace tessaro7::exporting;

TEST(XlsxRoundTrip, ExportedCustomersComeBackEqual) {
    ExcelImportArchive source, target;
    {
        DataSource data;
        data.setDatabaseName(source.archive.DatabasePath);
        data.setRecordSource("Clienti");
        data.refresh();
        const std::vector<std::vector<std::pair<const char*, std::string>>> customers = {
            {{"nominativo", "Àlfa Ricambi"}, {"indirizzo", "Via Roma, 42"}, {"citta", "Milano"}, {"cap", "20121"},
             {"pr", "MI"}, {"piva", "26018159083"}, {"pivacee", "IT26018159083"}, {"tel", "06 1541955"},
             {"listino", "1"}, {"email", "alfa@esempio.it"}},
            {{"nominativo", std::string(120, 'Z')}, {"seconda_riga", "S.p.A. «Società» €"}, {"citta", "Forlì"},
             {"cap", "47121"}, {"piva", "IT123456789012"}, {"tel", std::string(30, '1')}, {"fax", ""}},
            {{"nominativo", " bianchi  "}, {"cap", "00184"}, {"listino", "2"}},
        };
        for (const auto& fields : customers) {
            data.addNew();
            for (const auto& [name, value] : fields) data.setField(name, value);
            data.update();
        }
    }
    const ExportOutcome exported = exportList(*listByNumber(1), source.archive, FixedClock(2026), SheetFormat::Xlsx);
    ASSERT_TRUE(exported.succeeded) << exported.message;

    PreviewGrid grid;
    const PreviewOutcome preview = PreviewSheet(exported.path, "12", "4", grid);
    ASSERT_FALSE(preview.notice) << preview.notice->lines[2];
    EXPECT_EQ(grid.cell(0, 3), "Città");

    ExcelMappingStore mapping;
    mapping.choose(target.archive.mappingDatabasePath(), *findExcelTable("clienti"));
    // Field position (0-based in the party list) <- sheet column (0 = A).
    const std::pair<std::size_t, int> assignments[] = {{0, 0}, {1, 1},  {2, 2},  {5, 3},  {3, 4},  {4, 5},
                                                       {8, 6}, {9, 7}, {10, 8}, {12, 9}, {16, 11}};
    for (auto [position, column] : assignments) mapping.assign(position, std::to_string(column));
    const ImportOutcome outcome = ImportFromExcel(target.archive.DatabasePath, mapping, grid);
    ASSERT_TRUE(outcome.completed) << outcome.notice.lines[1];
    EXPECT_EQ(outcome.added, 3);

    std::vector<std::string> fields;
    for (auto [position, column] : assignments) fields.push_back(findExcelTable("clienti")->fields[position].name);
    const auto stored = source.rowsOf("clienti order by [nominativo]", fields);
    const auto imported = target.rowsOf("clienti", fields);
    ASSERT_EQ(imported.size(), stored.size());
    for (std::size_t r = 0; r < stored.size(); ++r)
        for (std::size_t k = 0; k < fields.size(); ++k)
            EXPECT_EQ(imported[r][k], cutText(stored[r][k], findExcelTable("clienti")->fields[assignments[k].first].cut))
                << "row " << r << " field " << fields[k];
}

}  // namespace
