#pragma once
// A sheet column as spreadsheet programs name it: 0 is A, 25 is Z, 26 is AA.
#include <string>

namespace tessaro7::import_excel {

// Empty for a negative column.
std::string columnName(long long column);

}  // namespace tessaro7::import_excel
