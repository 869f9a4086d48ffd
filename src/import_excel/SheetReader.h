#pragma once
// Reads a worksheet of a workbook (.xls BIFF2 to BIFF8, .xlsx, .ods, .csv,
// told apart by the file's first bytes) into a preview grid: by default the
// sheet the workbook opens on, or the one named.
#include <string>
#include <vector>

#include "import_excel/PreviewGrid.h"
#include "import_excel/WorkbookReader.h"

namespace tessaro7::import_excel {

struct SheetRead {
    PreviewGrid grid;
    std::vector<std::string> sheets;  // the workbook's worksheets, in tab order
    std::size_t opensFirst = 0;       // the one the workbook opens on
    std::size_t read = 0;             // the one read into the grid
};

// A grid of rows x cols; cell (r, c) holds the text of sheet cell
// (r + 1, c + 1) in the forms of cellText(). `sheet` empty reads the sheet
// the workbook opens on; otherwise the sheet of that name (any letter case).
SheetRead readSheet(const std::string& path, const std::string& sheet, long rows, long cols);
// The same from the file's bytes.
SheetRead readWorkbookBytes(std::string bytes, const std::string& sheet, long rows, long cols);

}  // namespace tessaro7::import_excel
