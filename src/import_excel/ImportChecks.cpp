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

bool endsInXls(std::string_view file) {
    if (file.size() < 3) return false;
    std::string tail;
    for (char c : file.substr(file.size() - 3)) tail += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return tail == "XLS";
}

}  // namespace

ImportCheck checkBeforeImport(std::string_view file, std::string firstRow, std::string lastRow) {
    ImportCheck check;
    if (file.empty() || !endsInXls(file)) {
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
