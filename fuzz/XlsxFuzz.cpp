// Fuzz target: the .xlsx reader (zip package, relationships, workbook,
// styles, worksheet and shared strings).
#include "FuzzSheets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return tessaro7::fuzz::readAllSheets(data, size, [](std::string b) { return tessaro7::import_excel::openXlsxWorkbook(std::move(b)); });
}
