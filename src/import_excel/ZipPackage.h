#pragma once
// The zip packages of .xlsx and .ods workbooks, checked before anything is
// unpacked.
#include <string_view>

namespace tessaro7::import_excel {

// Throws SheetReadError when the package's central directory is damaged or
// declares far more unpacked bytes than a workbook of its size holds.
void checkPackage(std::string_view zip);

}  // namespace tessaro7::import_excel
