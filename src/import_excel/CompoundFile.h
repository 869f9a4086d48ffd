#pragma once
// The compound-file container of .xls workbooks (sectors, allocation table,
// directory, mini stream). Our own small reader rather than a library: every
// length and sector number of the file is checked here, and it runs whole
// under the fuzzer with the BIFF reader. Only the allocation table, the
// directory and the mini stream are held; a stream is read from the file
// where its bytes are asked for, so a large workbook is never held whole.
#include <memory>
#include <string>
#include <string_view>

#include "import_excel/ByteSource.h"

namespace tessaro7::import_excel {

inline constexpr std::string_view kCompoundFileSignature("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);

// The first stream named like one of `names` (letter case ignored, in the
// order given), its chain checked whole; throws SheetReadError when the
// container is damaged or holds none of them.
std::unique_ptr<ByteSource> compoundFileStream(std::shared_ptr<const ByteSource> file,
                                               std::initializer_list<std::string_view> names);
// The same stream's bytes, from a file in memory.
std::string compoundFileStream(std::string_view file, std::initializer_list<std::string_view> names);

}  // namespace tessaro7::import_excel
