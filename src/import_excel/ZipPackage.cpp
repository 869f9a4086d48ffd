#include "import_excel/ZipPackage.h"

#include <cstdint>
#include <string>

#include "import_excel/LittleEndian.h"
#include "import_excel/WorkbookReader.h"

namespace tessaro7::import_excel {

// The sizes the package's central directory declares, summed; a package
// that would unpack to far more than a workbook of its size, or whose
// entries reach beyond the file, is refused before anything is unpacked.
void checkPackage(std::string_view zip) {
    constexpr std::uint32_t kEndSignature = 0x06054b50, kEntrySignature = 0x02014b50;
    if (zip.size() < 22) throw SheetReadError("pacchetto del file troncato");
    std::size_t end = std::string_view::npos;
    for (std::size_t at = zip.size() - 22, hops = 0; hops <= 0xFFFF + 22; --at, ++hops) {
        if (le32(zip, at) == kEndSignature) {
            end = at;
            break;
        }
        if (at == 0) break;
    }
    if (end == std::string_view::npos) throw SheetReadError("pacchetto del file danneggiato (indice mancante)");
    std::size_t entries = le16(zip, end + 10), at = le32(zip, end + 16);
    std::uint64_t unpacked = 0;
    for (std::size_t i = 0; i < entries; ++i) {
        if (!fits(zip.size(), at, 46) || le32(zip, at) != kEntrySignature)
            throw SheetReadError("pacchetto del file danneggiato (indice non valido)");
        // An entry's packed bytes and its header lie inside the file.
        if (le32(zip, at + 20) > zip.size() || le32(zip, at + 42) >= zip.size())
            throw SheetReadError("pacchetto del file danneggiato (voce oltre la fine del file)");
        unpacked += le32(zip, at + 24);
        at += 46 + std::size_t(le16(zip, at + 28)) + le16(zip, at + 30) + le16(zip, at + 32);
    }
    std::uint64_t limit = (std::uint64_t(64) << 20) + 50 * std::uint64_t(zip.size());
    if (unpacked > limit)
        throw SheetReadError("il pacchetto del file si espande a " + std::to_string(unpacked >> 20) +
                             " MB, troppi per un file di queste dimensioni");
}

}  // namespace tessaro7::import_excel
