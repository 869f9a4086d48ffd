#pragma once
// The preview behind "&Anteprima": reads the chosen workbook into the preview
// grid with the counts typed in "Numero Colonne" and "Numero Righe".
#include <optional>
#include <string>
#include <vector>

#include "app/Dialogs.h"
#include "import_excel/PreviewGrid.h"

namespace tessaro7::import_excel {

// The largest grid a preview holds: an .xls sheet.
inline constexpr long kMaxSheetRows = 65536;
inline constexpr long kMaxSheetCols = 256;

struct PreviewOutcome {
    bool ran = false;                   // false: a count read "0", nothing was done
    std::optional<app::Notice> notice;  // a failure to show; the grid is then empty
    std::vector<std::string> sheets;    // the workbook's worksheets, when it was read
    std::size_t opensFirst = 0;         // the one it opens on
    std::string sheetRead;              // the name of the one read
};

// A count field read "0" leaves the grid as it was. Otherwise the grid is
// replaced: by the sheet's cells, or, when the workbook cannot be read or the
// counts exceed an .xls sheet, by an empty grid (PreviewRows 0), so that an
// import cannot append the rows of an earlier preview. `sheet` empty reads
// the sheet the workbook opens on, otherwise the one of that name.
PreviewOutcome PreviewSheet(const std::string& file, const std::string& columns, const std::string& rows,
                            PreviewGrid& grid, const std::string& sheet = {});

// "&Anteprima" pressed again on the same workbook: the sheet `chosen` before
// while the workbook still has a sheet of that name, otherwise the one it
// opens on.
PreviewOutcome PreviewSheetKeeping(const std::string& file, const std::string& columns, const std::string& rows,
                                   PreviewGrid& grid, const std::string& chosen);

}  // namespace tessaro7::import_excel
