#pragma once
// The checks " &Importa da Excel" runs before importing: a file name ending
// in .xls, .xlsx, .ods or .csv (any case) and a last row not below the first.
#include <optional>
#include <string>
#include <string_view>

#include "app/Dialogs.h"

namespace tessaro7::import_excel {

struct ImportCheck {
    std::optional<app::Notice> refusal;  // shown instead of importing
    std::string firstRow, lastRow;       // the row fields after their defaults
};

// An empty first row becomes "0", and then an empty last row too.
ImportCheck checkBeforeImport(std::string_view file, std::string firstRow, std::string lastRow);

}  // namespace tessaro7::import_excel
