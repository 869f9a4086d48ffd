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

std::string fileNameFor(const ExportList& list, SheetFormat format) {
    return std::filesystem::path(list.fileName).replace_extension(rulesOf(format).extension).string();
}

}  // namespace tessaro7::exporting
