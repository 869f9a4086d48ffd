#include "import_text/TextPreview.h"

#include "import_text/FieldMappings.h"
#include "import_text/FixedWidth.h"
#include "import_text/TextFields.h"
#include "import_text/TextFile.h"

namespace tessaro7::import_text {

namespace {

TextPreviewOutcome preview(TextTable table, const app::Archive& archive, const std::string& file) {
    TextPreviewOutcome outcome;
    const TextTableFields& list = fieldsOf(table);
    FieldMappings mappings;
    try {
        mappings = readFieldMappings(archive.textMappingDatabasePath(), table);
    } catch (const db::EngineError& e) {
        outcome.message = "Impossibile leggere le assegnazioni della tabella " + std::string(mappingTableName(table)) +
                          ": " + e.what();
        return outcome;
    }
    if (!mappings.usable()) {
        outcome.message = "Assegnazioni non valide:";
        for (const std::string& p : mappings.problems) outcome.message += "\n" + p;
        return outcome;
    }
    FileBytes first = readFirstLine(file);
    if (!first.bytes) {
        outcome.message = first.problem;
        return outcome;
    }
    outcome.lines.resize(kPreviewRows, app::PreviewLine{"", "", false});
    for (std::size_t k = 0; k < list.fields.size(); ++k) {
        const TextField& field = list.fields[k];
        const FieldMapping& m = mappings.fields[k];
        std::string text;
        if (first.emptyFile)
            text.clear();  // an empty file shows every field empty, number fields too
        else if (m.assigned)
            text = fieldText(cutField(*first.bytes, m.start, m.width, field.maximum));
        else if (field.unassigned == WhenUnassigned::Zero)
            text = "0";
        outcome.lines[k] = {field.caption, text, true};
    }
    outcome.panelCaption = panelCaption(table);
    outcome.ok = true;
    return outcome;
}

}  // namespace

TextPreviewOutcome PreviewPartiesFromText(TextTable table, const app::Archive& archive, const std::string& file) {
    return preview(table, archive, file);
}

TextPreviewOutcome PreviewArticlesFromText(const app::Archive& archive, const std::string& file) {
    return preview(TextTable::Articoli, archive, file);
}

TextPreviewOutcome previewFromText(TextTable table, const app::Archive& archive, const std::string& file) {
    return table == TextTable::Articoli ? PreviewArticlesFromText(archive, file)
                                        : PreviewPartiesFromText(table, archive, file);
}

}  // namespace tessaro7::import_text
