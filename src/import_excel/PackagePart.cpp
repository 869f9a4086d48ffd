#include "import_excel/PackagePart.h"

#include <vector>

#include "app/Messages.h"
#include "db/FilledText.h"
#include "import_excel/WorkbookReader.h"

namespace tessaro7::import_excel {

namespace msg = app::msg;

void unreadablePackage(std::string_view format, ReadFailure cause, const std::string& reason) {
    throw SheetReadError::withReason(cause, db::filledText(msg::kPackageUnreadable, {{"formato", format}}) + reason);
}

std::string packagePartPath(std::string_view folder, std::string_view target) {
    std::vector<std::string_view> parts;
    auto add = [&](std::string_view path) {
        while (!path.empty()) {
            std::size_t slash = path.find_first_of("/\\");
            std::string_view segment = path.substr(0, slash);
            path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
            if (segment == "..") {
                if (!parts.empty()) parts.pop_back();
            } else if (!segment.empty() && segment != ".") {
                parts.push_back(segment);
            }
        }
    };
    if (target.empty() || (target.front() != '/' && target.front() != '\\')) add(folder);
    add(target);
    std::string path;
    for (std::string_view p : parts) (path.empty() ? path : path += '/') += p;
    return path;
}

ZipArchive openPackage(std::string_view bytes, std::string_view format) { return openPackage(memoryBytes(bytes), format); }

ZipArchive openPackage(std::unique_ptr<ByteSource> file, std::string_view format) {
    try {
        return ZipArchive(std::move(file));
    } catch (const ZipError& e) {
        unreadablePackage(format, e.cause(), e.what());
    }
}

bool readXmlPart(const ZipArchive& zip, std::string_view path, XmlHandler& handler, std::string_view format) {
    const ZipEntry* entry = zip.find(path);
    if (!entry) return false;
    try {
        XmlReader reader(handler);
        zip.read(*entry, [&](std::string_view piece) { return reader.feed(piece); });
        reader.finish();
    } catch (const ZipError& e) {
        unreadablePackage(format, e.cause(), e.what());
    } catch (const XmlError& e) {
        const std::string part = entry->name.substr(0, 60);
        if (e.cause() == ReadFailure::Truncated)
            unreadablePackage(format, e.cause(), db::filledText(msg::kPackagePartTruncated, {{"voce", part}}));
        unreadablePackage(format, e.cause(), db::filledText(msg::kPackagePartUnreadable, {{"voce", part}}) + e.what());
    }
    return true;
}

}  // namespace tessaro7::import_excel
