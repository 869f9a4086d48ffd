// Fuzz target: the zip reader alone (end record, central directory, local
// headers, inflating every entry) and the XML reader over each entry.
#include <cstdint>
#include <string_view>

#include "import_excel/XmlReader.h"
#include "import_excel/ZipArchive.h"

namespace {

struct Ignore : tessaro7::import_excel::XmlHandler {
    void open(std::string_view, const tessaro7::import_excel::XmlAttributes&) override {}
    void close(std::string_view) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessaro7::import_excel;
    try {
        ZipArchive zip(std::string_view(reinterpret_cast<const char*>(data), size));
        for (const ZipEntry& entry : zip.entries()) {
            Ignore handler;
            XmlReader reader(handler);
            try {
                zip.read(entry, [&](std::string_view piece) { return reader.feed(piece); });
                reader.finish();
            } catch (const XmlError&) {
            }
        }
    } catch (const ZipError&) {
    }
    return 0;
}
