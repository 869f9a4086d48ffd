#pragma once
// Reads the first worksheet of an Excel workbook (.xls: BIFF8 down to BIFF2,
// including bare BIFF2 streams without a code page) into a preview grid.
// FreeXL cannot tell which sheet a workbook shows first, so the first
// worksheet is the one read.
#include <stdexcept>
#include <string>

#include "import_excel/PreviewGrid.h"

namespace tessaro7::import_excel {

// A workbook that cannot be read; what() is the Italian reason.
class SheetReadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A grid of rows x cols; cell (r, c) holds the text of sheet cell
// (r + 1, c + 1): texts as they are, whole numbers without decimals, other
// numbers in the regional form ("1,5"), dates dd/mm/yyyy, date-times
// dd/mm/yyyy hh:mm:ss, times hh:mm:ss, empty cells as empty text.
PreviewGrid readFirstWorksheet(const std::string& path, long rows, long cols);

}  // namespace tessaro7::import_excel
