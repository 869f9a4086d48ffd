#pragma once
// The CRC-32 of the zip format (the polynomial of zlib's crc32), which the
// zip reader checks over every byte it unpacks. Where the processor has
// carry-less multiplication it folds 64 bytes a step, several times faster
// than zlib's table-driven loop; elsewhere it is zlib's.
#include <cstdint>
#include <string_view>

namespace tessaro7::import_excel {

// The CRC of `bytes` continued from `crc` (0 for the first piece).
std::uint32_t crc32Of(std::uint32_t crc, std::string_view bytes);

}  // namespace tessaro7::import_excel
