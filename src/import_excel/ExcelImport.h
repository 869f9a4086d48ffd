#pragma once
// ImportFromExcel: appends one record to the chosen business table for every
// preview-grid row below the first, each field taken from the grid column the
// mapping assigns to it, by the rules of the table's field list.
//
// Nothing is written unless every row can be: the chosen table, the mapping
// rows, the assigned columns and the numbers of every row are checked first.
// The rows are then written in one transaction; when the engine refuses a
// record, the records before it remain (when the engine can still save them)
// and the notice names the sheet row and says what the table really holds of
// the run, counted afresh.
#include <memory>
#include <string>

#include "app/Dialogs.h"
#include "app/RunRegistration.h"
#include "db/DataSource.h"
#include "import_excel/ExcelMappingStore.h"
#include "import_excel/ImportRows.h"
#include "import_excel/PreviewGrid.h"

namespace tessaro7::import_excel {

struct ImportOutcome {
    app::Notice notice;     // what to show at the end
    long added = 0;         // records appended; after a failure those the table kept
    bool completed = false; // every row was appended
    long withoutVatRate = 0; // articles appended with an empty iva (stored as Null)
    long blank = 0;          // rows whose assigned cells are all empty, not imported
    long present = 0;        // rows skipped because the table holds their record
};

// Beside the routine's own rules: the run is entered in the import register
// when `source` names the mapping database, and rows whose record the table
// already holds are skipped when asked.
struct ImportOptions {
    app::RunSource source;  // an empty mapping database path: the run is not registered
    bool skipExisting = false;
    std::optional<GridRows> rows;  // the grid rows chosen (chooseImportRows); none: every row below the heading
    // The import's database, opened ahead by the caller (DataSource::openInBackground)
    // while it reads the workbook; none: opened by the import.
    std::shared_ptr<db::DataSource> target;
};

ImportOutcome ImportFromExcel(const std::string& databasePath, ExcelMappingStore& mapping, const PreviewGrid& grid,
                              const ImportOptions& options = {});

// The text a field stores for a cell text: cut to the field's length, then
// trailing blanks removed (leading blanks stay).
std::string cutText(std::string_view text, std::size_t length);

}  // namespace tessaro7::import_excel
