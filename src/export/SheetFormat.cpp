#include "export/SheetFormat.h"

#include <filesystem>

#include "app/Messages.h"
#include "db/Names.h"

namespace tessaro7::exporting {

const SheetFormatRules& rulesOf(SheetFormat format) {
    static const SheetFormatRules xls{".xls", "xls", 32767, 255, 16384, app::msg::kExportRowsLeftOut,
                                      app::msg::kExportTextsCut, app::msg::kExportCharactersReplaced};
    static const SheetFormatRules xlsx{".xlsx", "xlsx", 1048576, 32767, 0, app::msg::kExportRowsLeftOutXlsx,
                                       app::msg::kExportTextsCutXlsx, app::msg::kExportCharactersLeftOut};
    return format == SheetFormat::Xlsx ? xlsx : xls;
}

std::optional<SheetFormat> sheetFormatByName(const std::string& name) {
    for (SheetFormat format : {SheetFormat::Xls, SheetFormat::Xlsx})
        if (db::sameName(name, rulesOf(format).name)) return format;
    return std::nullopt;
}

namespace {

bool endsWithName(const std::string& name, const std::string& tail) {
    return name.size() >= tail.size() && db::sameName(name.substr(name.size() - tail.size()), tail);
}

}  // namespace

std::string withFormatExtension(const std::string& name, SheetFormat format) {
    const std::string wanted = rulesOf(format).extension;
    if (endsWithName(name, wanted)) return name;
    for (SheetFormat other : {SheetFormat::Xlsx, SheetFormat::Xls}) {
        const std::string extension = rulesOf(other).extension;
        if (endsWithName(name, extension)) return name.substr(0, name.size() - extension.size()) + wanted;
    }
    return name + wanted;
}

std::string fileNameFor(const ExportList& list, SheetFormat format) {
    return std::filesystem::path(list.fileName).replace_extension(rulesOf(format).extension).string();
}

}  // namespace tessaro7::exporting
