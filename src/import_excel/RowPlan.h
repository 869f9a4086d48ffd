#pragma once
// What an Excel import does with each preview-grid row below the first: a
// row whose assigned cells are all empty is not imported (it would be a
// blank record), and, when asked, a row whose record the table already holds
// is skipped. The preview marks the same rows the import skips.
#include <string>
#include <vector>

#include "import_excel/ExcelMappingStore.h"
#include "import_excel/PreviewGrid.h"

namespace tessaro7::import_excel {

enum class RowAction : char { Write, Blank, Present };

struct RowPlan {
    std::vector<RowAction> actions;  // for grid rows 0..PreviewRows-1; row 0 (the headings) is never written
    long toWrite = 0;
    long blank = 0;
    long present = 0;
};

// `database`: the business database, read only when `skipExisting`; throws EngineError.
RowPlan planRows(const ExcelTable& table, const std::vector<MappingRow>& mapping, const PreviewGrid& grid,
                 const std::string& database, bool skipExisting);

}  // namespace tessaro7::import_excel
