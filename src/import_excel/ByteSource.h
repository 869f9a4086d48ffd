#pragma once
// The bytes of a workbook file (or of a stream inside it), in memory or read
// from the file a piece at a time where they are needed: a workbook of
// hundreds of megabytes is never held whole, so a small preview of it takes
// little memory.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tessaro7::import_excel {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t size() const = 0;
    // The bytes from `offset` on, `length` of them or fewer where the source
    // ends first; the view stays valid while `buffer` is left alone.
    // Throws SheetReadError when the file cannot be read.
    virtual std::string_view bytes(std::uint64_t offset, std::size_t length, std::string& buffer) const = 0;
    // All the bytes at once, when they are in memory: readers then take
    // views of them instead of copies.
    virtual std::optional<std::string_view> whole() const { return std::nullopt; }
};

// Bytes held in memory: a view (of memory `owner` keeps, when given), or a
// string the source keeps.
std::unique_ptr<ByteSource> memoryBytes(std::string_view bytes, std::shared_ptr<const ByteSource> owner = nullptr);
std::unique_ptr<ByteSource> memoryBytes(std::string bytes);
// A file's bytes, read with pread where they are asked for; its size as it
// was when opened. Throws SheetReadError when it cannot be opened.
std::unique_ptr<ByteSource> fileBytes(const std::string& path);

}  // namespace tessaro7::import_excel
