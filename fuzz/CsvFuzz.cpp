// Fuzz target: the .csv reader.
#include "FuzzSheets.h"

using namespace tessaro7::import_excel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return tessaro7::fuzz::readAllSheets(data, size, [](std::string b) { return openCsvWorkbook(std::move(b)); });
}
