#pragma once
// The compound-file container of .xls workbooks (sectors, allocation table,
// directory, mini stream), read from memory. Our own small reader rather than
// a library: every length and sector number of the file is checked here, the
// memory it takes is bounded by the file's size, and it runs whole under the
// fuzzer with the BIFF reader.
#include <string>
#include <string_view>

namespace tessaro7::import_excel {

inline constexpr std::string_view kCompoundFileSignature("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);

// The bytes of the first stream named like one of `names` (letter case
// ignored, in the order given); throws SheetReadError when the container is
// damaged or holds none of them.
std::string compoundFileStream(std::string_view file, std::initializer_list<std::string_view> names);
// The same without a copy when the stream's sectors follow each other in the
// file: a view of `file`, or else of `copy`, which receives the bytes.
std::string_view compoundFileStream(std::string_view file, std::initializer_list<std::string_view> names,
                                    std::string& copy);

}  // namespace tessaro7::import_excel
