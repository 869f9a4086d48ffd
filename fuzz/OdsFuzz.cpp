// Fuzz target: the .ods reader (zip package, manifest, content.xml, settings.xml).
#include "FuzzSheets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return tessaro7::fuzz::readAllSheets(data, size, [](std::string b) { return tessaro7::import_excel::openOdsWorkbook(std::move(b)); });
}
