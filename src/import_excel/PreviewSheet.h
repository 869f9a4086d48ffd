#pragma once
// The preview behind "&Anteprima": reads the chosen workbook into the preview
// grid with the counts typed in "Numero Colonne" and "Numero Righe".
#include <optional>
#include <string>

#include "app/Dialogs.h"
#include "import_excel/PreviewGrid.h"

namespace tessaro7::import_excel {

// The largest sheet an .xls workbook holds.
inline constexpr long kMaxSheetRows = 65536;
inline constexpr long kMaxSheetCols = 256;

struct PreviewOutcome {
    bool ran = false;                   // false: a count read "0", nothing was done
    std::optional<app::Notice> notice;  // a failure to show; the grid is then empty
};

// A count field read "0" leaves the grid as it was. Otherwise the grid is
// replaced: by the sheet's cells, or, when the workbook cannot be read or the
// counts exceed an .xls sheet, by an empty grid (PreviewRows 0), so that an
// import cannot append the rows of an earlier preview.
PreviewOutcome PreviewSheet(const std::string& file, const std::string& columns, const std::string& rows,
                            PreviewGrid& grid);

}  // namespace tessaro7::import_excel
