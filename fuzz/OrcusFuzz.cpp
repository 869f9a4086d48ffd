// Fuzz target: the .xlsx and .ods paths (package check; the .xlsx parts
// read by the program, the .ods through liborcus).
#include "FuzzSheets.h"

using namespace tessaro7::import_excel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return tessaro7::fuzz::readAllSheets(data, size, [](std::string b) {
        return detectFormat(b) == WorkbookFormat::Ods ? openOdsWorkbook(std::move(b)) : openXlsxWorkbook(std::move(b));
    });
}
