#include "import_excel/PackagePart.h"

#include <vector>

#include "import_excel/WorkbookReader.h"

namespace tessaro7::import_excel {

void unreadablePackage(std::string_view format, const std::string& reason) {
    throw SheetReadError("non è un file " + std::string(format) + " leggibile: " + reason);
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

ZipArchive openPackage(std::string_view bytes, std::string_view format) {
    try {
        return ZipArchive(bytes);
    } catch (const ZipError& e) {
        unreadablePackage(format, e.what());
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
        unreadablePackage(format, e.what());
    } catch (const XmlError& e) {
        if (e.truncated()) unreadablePackage(format, "la parte " + entry->name.substr(0, 60) + " è troncata");
        unreadablePackage(format, "la parte " + entry->name.substr(0, 60) + " non è leggibile: " + e.what());
    }
    return true;
}

}  // namespace tessaro7::import_excel
