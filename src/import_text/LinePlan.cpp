#include "import_text/LinePlan.h"

#include "db/Names.h"
#include "import_text/FieldValue.h"

namespace tessaro7::import_text {

LineAction lineAction(const TextLine& line, const std::vector<FieldMapping>& mappings, const TextTableFields& list,
                      app::ExistingRecords* existing) {
    bool blank = true;
    for (std::size_t k = 0; k < list.fields.size() && blank; ++k) {
        if (!mappings[k].assigned) continue;
        std::string_view text = fieldValue(line, mappings[k], list.fields[k]).text;
        blank = text.find_first_not_of(" \t") == std::string_view::npos;
    }
    if (blank) return LineAction::Blank;
    if (!existing) return LineAction::Write;
    auto stored = [&](std::string_view name) {
        for (std::size_t k = 0; k < list.fields.size(); ++k)
            if (db::sameName(list.fields[k].name, name))
                return std::string(fieldValue(line, mappings[k], list.fields[k]).text);
        return std::string();
    };
    return existing->presentOrNote(stored) ? LineAction::Present : LineAction::Write;
}

}  // namespace tessaro7::import_text
