#include "import_excel/ImportChecks.h"

#include <cctype>

#include "app/Messages.h"
#include "db/RegionalText.h"

namespace tessaro7::import_excel {

namespace {

app::Notice noticeOf(const char* text) {
    app::Notice n;
    n.lines[0] = text;
    return n;
}

// The extensions of the workbooks the import reads, in any letter case.
bool isWorkbookName(std::string_view file) {
    for (std::string_view extension : {"XLS", "XLSX", "ODS", "CSV"}) {
        if (file.size() < extension.size()) continue;
        std::string tail;
        for (char c : file.substr(file.size() - extension.size()))
            tail += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (tail == extension) return true;
    }
    return false;
}

}  // namespace

ImportCheck checkBeforeImport(std::string_view file, std::string firstRow, std::string lastRow) {
    ImportCheck check;
    if (file.empty() || !isWorkbookName(file)) {
        check.refusal = noticeOf(app::msg::kSelectExcelFile);
        check.firstRow = std::move(firstRow);
        check.lastRow = std::move(lastRow);
        return check;
    }
    if (firstRow.empty()) {
        firstRow = "0";
        if (lastRow.empty()) lastRow = "0";
    }
    if (db::leadingNumber(lastRow) < db::leadingNumber(firstRow)) check.refusal = noticeOf(app::msg::kExcelRowsWrong);
    check.firstRow = std::move(firstRow);
    check.lastRow = std::move(lastRow);
    return check;
}

}  // namespace tessaro7::import_excel
