#include "import_excel/ImportRows.h"

#include <string>

#include "app/Messages.h"
#include "db/FilledText.h"
#include "db/RegionalText.h"

namespace tessaro7::import_excel {

GridRows everyRowBelowHeading(long previewRows) { return {1, previewRows - 1}; }

RowChoice chooseImportRows(long previewRows, std::string_view firstRow, std::string_view lastRow) {
    const long long first = db::leadingNumber(firstRow);
    const long long last = db::leadingNumber(lastRow);
    if (first == 0 && last == 0) return {everyRowBelowHeading(previewRows), std::nullopt};
    // The first row is the heading: 0 or 1 as the first row start below it.
    const long long from = first < 2 ? 2 : first;
    if (last > previewRows || from > last) {
        app::Notice notice;
        notice.lines[0] = app::msg::kExcelRowsBeyondPreview;
        notice.lines[1] = db::filledText(app::msg::kExcelRowsAsked, {{"da", std::to_string(from)},
                                                                     {"a", std::to_string(last)},
                                                                     {"righe", std::to_string(previewRows)}});
        notice.lines[2] = app::msg::kExcelRowsWiderPreview;
        notice.lines[3] = app::msg::kNothingImported;
        return {{1, 0}, notice};
    }
    return {{static_cast<long>(from - 1), static_cast<long>(last - 1)}, std::nullopt};
}

}  // namespace tessaro7::import_excel
