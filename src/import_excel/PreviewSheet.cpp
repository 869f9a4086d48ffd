#include "import_excel/PreviewSheet.h"

#include "app/Messages.h"
#include "db/FilledText.h"
#include "db/RegionalText.h"
#include "import_excel/SheetReader.h"

namespace tessaro7::import_excel {

PreviewOutcome PreviewSheet(const std::string& file, const std::string& columns, const std::string& rows,
                            PreviewGrid& grid, const std::string& sheet) {
    PreviewOutcome outcome;
    if (columns == "0" || rows == "0") return outcome;
    outcome.ran = true;
    long long cols = db::leadingNumber(columns), rowCount = db::leadingNumber(rows);
    if (rowCount > kMaxSheetRows || cols > kMaxSheetCols) {
        grid = PreviewGrid();
        app::Notice notice;
        notice.lines[0] = app::msg::kPreviewTooLarge;
        notice.lines[1] = db::filledText(app::msg::kPreviewLimits, {{"righe", std::to_string(kMaxSheetRows)},
                                                                    {"colonne", std::to_string(kMaxSheetCols)}});
        outcome.notice = notice;
        return outcome;
    }
    try {
        if (file.empty()) throw SheetReadError(app::msg::kNoFileGiven);
        SheetRead read = readSheet(file, sheet, static_cast<long>(rowCount), static_cast<long>(cols));
        grid = std::move(read.grid);
        outcome.sheetRead = read.sheets[read.read];
        outcome.opensFirst = read.opensFirst;
        outcome.sheets = std::move(read.sheets);
    } catch (const SheetReadError& e) {
        grid = PreviewGrid();
        app::Notice notice;
        notice.lines[0] = app::msg::kWorkbookUnreadable;
        notice.lines[1] = "File: " + file;
        notice.lines[2] = std::string("Motivo: ") + e.what() + ".";
        outcome.notice = notice;
    }
    return outcome;
}

PreviewOutcome PreviewSheetKeeping(const std::string& file, const std::string& columns, const std::string& rows,
                                   PreviewGrid& grid, const std::string& chosen) {
    PreviewOutcome outcome = PreviewSheet(file, columns, rows, grid, chosen);
    // A workbook that lost the sheet is read again from the sheet it opens
    // on; a damaged one fails the same way a second time.
    if (!chosen.empty() && outcome.notice) return PreviewSheet(file, columns, rows, grid);
    return outcome;
}

}  // namespace tessaro7::import_excel
