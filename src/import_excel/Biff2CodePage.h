#pragma once
// Worksheet files written as a bare BIFF2 stream without a CODEPAGE record
// (as older exports of this program were written) are refused by FreeXL,
// which needs to know how the texts are encoded. Such a stream gets a copy
// with a CODEPAGE record for Windows-1252 right after its BOF record.
#include <optional>
#include <string>
#include <string_view>

namespace tessaro7::import_excel {

// The stream with CODEPAGE 1252 inserted after the BOF, when `bytes` is a bare
// BIFF2 stream (it starts with a BIFF2 BOF) and holds no CODEPAGE record
// before its EOF; nothing otherwise (not BIFF2, or already declared).
std::optional<std::string> withCodePage1252(std::string_view bytes);

}  // namespace tessaro7::import_excel
