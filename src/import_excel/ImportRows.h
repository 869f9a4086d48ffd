#pragma once
// Which rows of the preview grid an import writes: "Prima riga del file XLS"
// and "Ultima riga del file XLS" name sheet rows; both 0 means every row
// below the heading row.
#include <optional>
#include <string_view>

#include "app/Dialogs.h"

namespace tessaro7::import_excel {

// Grid rows `first` to `last`, both included (grid row r is sheet row r + 1);
// none when last < first.
struct GridRows {
    long first = 1;
    long last = 0;
};

struct RowChoice {
    GridRows rows;
    std::optional<app::Notice> refusal;  // the rows asked for are not all in the preview
};

// Every grid row below the heading row.
GridRows everyRowBelowHeading(long previewRows);

// The row fields as typed (checked before: the last is not below the first).
// Both 0: every row below the heading. Otherwise sheet rows `firstRow` to
// `lastRow`; the sheet's first row is the heading and never imported, so a
// first row of 0 or 1 starts at row 2. A last row beyond the preview's rows,
// or a range holding no row below the heading, is refused.
RowChoice chooseImportRows(long previewRows, std::string_view firstRow, std::string_view lastRow);

}  // namespace tessaro7::import_excel
