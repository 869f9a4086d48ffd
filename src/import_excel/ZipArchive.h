#pragma once
// The zip packages of .xlsx and .ods workbooks, read by our own reader over
// zlib's inflate, from memory or from the file a piece at a time, so that every rule of the package is ours to
// check: the one end record the format allows, the central directory read
// whole and exactly, every local header agreeing with its directory entry,
// entries that neither overlap nor reach past the directory, and parts
// unpacked as a stream in small pieces that stops as soon as the reader has
// what it needs, never past the size the directory declares.
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "import_excel/ByteSource.h"
#include "import_excel/WorkbookReader.h"

namespace tessaro7::import_excel {

// Why a package cannot be read: the cause, and what() the Italian reason.
class ZipError : public std::runtime_error {
public:
    ZipError(ReadFailure cause, const std::string& reason) : std::runtime_error(reason), m_cause(cause) {}
    ReadFailure cause() const { return m_cause; }

private:
    ReadFailure m_cause;
};

struct ZipEntry {
    std::string name;  // as stored, with `\` read as `/`
    std::uint64_t header = 0, data = 0, packed = 0, unpacked = 0;
    std::uint32_t crc = 0;
    std::uint16_t method = 0;
};

class ZipArchive {
public:
    // Checks the whole directory; throws ZipError on any damage or
    // disagreement (SheetReadError when the file cannot be read).
    explicit ZipArchive(std::string_view file);
    explicit ZipArchive(std::unique_ptr<ByteSource> file);

    const std::vector<ZipEntry>& entries() const { return m_entries; }
    // The entry of that part name, letter case ignored (as the package
    // formats compare names), a leading `/` and `\` separators allowed.
    const ZipEntry* find(std::string_view name) const;
    // Gives the unpacked bytes in pieces of at most kPiece to `take`, which
    // returns false when it needs no more. Throws ZipError when the packed
    // data is damaged, cut, or unpacks to other than the declared size.
    void read(const ZipEntry& entry, const std::function<bool(std::string_view)>& take) const;

    static constexpr std::size_t kPiece = 64 * 1024;
    // The most the directory may take: a workbook's has a few dozen entries.
    static constexpr std::size_t kMaxDirectory = std::size_t(16) << 20;

private:
    std::size_t findEnd() const;
    void readDirectory(std::size_t end);
    void checkLocalHeader(ZipEntry& entry, std::string_view rawName, std::uint16_t flags) const;
    void checkLayout();

    std::unique_ptr<ByteSource> m_file;
    std::vector<ZipEntry> m_entries;
    std::size_t m_directory = 0;
};

// The part name as the package formats compare them: `\` as `/`, no leading
// `/`, ASCII letters folded to lower case.
std::string zipPartKey(std::string_view name);

}  // namespace tessaro7::import_excel
