#include "import_text/TextPreview.h"

#include "app/Messages.h"
#include "db/FilledText.h"
#include "import_text/FieldMappings.h"
#include "import_text/FieldValue.h"
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
        outcome.message =
            db::filledText(app::msg::kTextMappingUnreadable, {{"tabella", mappingTableName(table)}}) + e.what();
        return outcome;
    }
    if (!mappings.usable()) {
        outcome.message = app::msg::kTextMappingInvalid;
        for (const std::string& p : mappings.problems) outcome.message += "\n" + p;
        return outcome;
    }
    // The whole file is scanned as the import scans it, so the preview shows
    // the encoding the import will use and refuses what the import refuses.
    TextFile text = openTextFile(file);
    if (!text.usable()) {
        outcome.message = text.problem;
        return outcome;
    }
    TextReader reader = text.lines(columnsNeeded(mappings.fields, list));
    bool emptyFile = text.scan.lines == 0 || !reader.next();
    if (reader.failed()) {
        outcome.message = db::filledText(app::msg::kTextCannotRead, {{"file", file}, {"motivo", app::msg::kTextReadError}});
        return outcome;
    }
    outcome.lines.resize(kPreviewRows, app::PreviewLine{"", "", false, ""});
    for (std::size_t k = 0; k < list.fields.size(); ++k) {
        const TextField& field = list.fields[k];
        app::PreviewLine& shown = outcome.lines[k];
        shown = {field.caption, "", true, ""};
        if (emptyFile) continue;  // an empty file shows every field empty, number fields too
        FieldValue value = fieldValue(reader.line(), mappings.fields[k], field);
        shown.text = value.text;
        shown.refusal = refusalReason(value, field);
    }
    outcome.panelCaption = panelCaption(table);
    outcome.encoding = encodingName(text.scan.encoding);
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
