#pragma once
// The XML parts of a workbook package (.xlsx, .ods), each streamed from the
// zip through the XML reader, with every failure given as the reason the
// file cannot be read: "non è un file .ods leggibile: la parte content.xml è
// troncata".
#include <memory>
#include <string>
#include <string_view>

#include "import_excel/WorkbookReader.h"
#include "import_excel/XmlReader.h"
#include "import_excel/ZipArchive.h"

namespace tessaro7::import_excel {

// Throws SheetReadError "non è un file FORMAT leggibile: REASON" of that cause.
[[noreturn]] void unreadablePackage(std::string_view format, ReadFailure cause, const std::string& reason);

// The package path of a part named by a relationship of a part in `folder`:
// relative ("worksheets/x.xml", "../x.xml") or from the root ("/xl/x.xml");
// `\` as a separator too.
std::string packagePartPath(std::string_view folder, std::string_view target);

// The package's directory, checked; a damaged one is the reason the file cannot be read.
ZipArchive openPackage(std::string_view bytes, std::string_view format);
ZipArchive openPackage(std::unique_ptr<ByteSource> file, std::string_view format);

// The readers of a package whose directory is read.
std::unique_ptr<WorkbookReader> openXlsxPackage(ZipArchive package);
std::unique_ptr<WorkbookReader> openOdsPackage(ZipArchive package);

// Feeds part `path` to `handler` until the handler is done or the part ends;
// false when the package has no such part.
bool readXmlPart(const ZipArchive& zip, std::string_view path, XmlHandler& handler, std::string_view format);

}  // namespace tessaro7::import_excel
