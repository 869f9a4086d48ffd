#include "import_text/TextImport.h"

#include <vector>

#include "app/KeptRecords.h"
#include "app/Messages.h"
#include "db/DataSource.h"
#include "db/PathResolver.h"
#include "db/QuotedText.h"
#include "db/FieldType.h"
#include "import_text/FieldMappings.h"
#include "import_text/FixedWidth.h"
#include "import_text/TextFields.h"
#include "import_text/TextFile.h"

namespace tessaro7::import_text {

namespace {

namespace msg = app::msg;

std::string refused(const std::string& what) { return what + "\n" + msg::kTextNothingImported; }

std::string listed(const std::string& heading, const std::vector<std::string>& problems, std::size_t total) {
    std::string text = heading;
    for (const std::string& p : problems) text += "\n" + p;
    if (total > problems.size()) text += "\n... e altri " + std::to_string(total - problems.size()) + " problemi.";
    return text;
}

// The engine stores a blank text in a number field as Null and refuses a text
// that is not a number; the same conversion decides here, before writing.
bool convertsToNumber(const std::string& text) {
    db::Value stored;
    return db::convertForColumn(db::Value(text), db::FieldType::Number, stored);
}

// Every problem of the lines to import: number fields whose text the engine
// would refuse, and number fields whose stretch is longer than the field's
// maximum (cutting "100" to "10" would store another number without a word).
// Lists the first kMaxListedProblems and counts the rest.
std::vector<std::string> checkLines(const std::vector<std::string_view>& lines, const TextTableFields& list,
                                    const std::vector<FieldMapping>& mappings, std::size_t& total) {
    std::vector<std::string> problems;
    total = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        for (std::size_t k = 0; k < list.fields.size(); ++k) {
            const TextField& field = list.fields[k];
            const FieldMapping& m = mappings[k];
            if (!field.number || !m.assigned) continue;
            std::string_view stretch = cutField(lines[i], m.start, m.width, m.width);
            std::string text = fieldText(cutField(lines[i], m.start, m.width, field.maximum));
            std::string why;
            if (stretch.size() > static_cast<std::size_t>(field.maximum))
                why = " ha più di " + std::to_string(field.maximum) + " caratteri: il numero sarebbe troncato.";
            else if (!convertsToNumber(text))
                why = " non è un numero.";
            else
                continue;
            if (++total <= kMaxListedProblems)
                problems.push_back("Riga " + std::to_string(i + 1) + ", campo " + field.name + ": " +
                                   db::quoteValue(fieldText(stretch)) + why);
        }
    }
    return problems;
}

void writeLine(db::DataSource& target, std::string_view line, const TextTableFields& list,
               const std::vector<FieldMapping>& mappings) {
    target.addNew();
    for (std::size_t k = 0; k < list.fields.size(); ++k) {
        const TextField& field = list.fields[k];
        const FieldMapping& m = mappings[k];
        if (m.assigned)
            target.setField(field.name, fieldText(cutField(line, m.start, m.width, field.maximum)));
        else if (field.unassigned == WhenUnassigned::Zero)
            target.setField(field.name, "0");
    }
    for (const FixedValue& fixed : list.fixedValues) target.setField(fixed.field, fixed.value);
    target.update();
}

std::string finalMessage(const TextImportOutcome& o, const TextTableFields& list) {
    std::string text = std::string(msg::kTextDone) + "\n" + msg::kTextAdded + std::to_string(o.added);
    if (list.skipDuplicates) text += "\n" + std::string(msg::kTextDuplicates) + std::to_string(o.duplicates);
    text += "\n" + std::string(msg::kTextNotRead) + std::to_string(o.notRead);
    return text;
}

}  // namespace

TextImportOutcome importFromText(TextTable table, const app::Archive& archive, const std::string& file,
                                 const ImportProgress& progress) {
    TextImportOutcome outcome;
    const TextTableFields& list = fieldsOf(table);

    FieldMappings mappings;
    try {
        mappings = readFieldMappings(archive.textMappingDatabasePath(), table);
    } catch (const db::EngineError& e) {
        outcome.message = refused("Impossibile leggere le assegnazioni della tabella " +
                                  std::string(mappingTableName(table)) + ": " + e.what());
        return outcome;
    }
    if (!mappings.usable()) {
        outcome.message = refused(listed("Assegnazioni non valide:", mappings.problems, mappings.problems.size()));
        return outcome;
    }

    FileBytes contents = readTextFile(file);
    if (!contents.bytes) {
        outcome.message = refused(contents.problem);
        return outcome;
    }
    LineReader reader(*contents.bytes);
    std::vector<std::string_view> lines;
    while (!reader.atEnd() && static_cast<long>(lines.size()) < kMaxLines) lines.push_back(reader.next());
    outcome.notRead = static_cast<long>(reader.countRemaining());

    std::size_t total = 0;
    std::vector<std::string> problems = checkLines(lines, list, mappings.fields, total);
    if (total > 0) {
        outcome.message = refused(listed("Il file " + db::quotePath(file) + " contiene valori non validi:", problems, total));
        return outcome;
    }

    db::DataSource target;
    try {
        target.setDatabaseName(archive.textImportDatabasePath());
        target.setRecordSource(list.recordSource);
        target.refresh();
    } catch (const db::EngineError& e) {
        outcome.message = refused("Impossibile aprire la tabella " + std::string(list.recordSource) + ": errore " +
                                  std::to_string(e.number()) + " - " + e.what());
        return outcome;
    }

    std::size_t current = 0;
    db::RunCounts counts;
    try {
        target.runInOneTransaction(
            [&] {
                for (current = 0; current < lines.size(); ++current) {
                    try {
                        writeLine(target, lines[current], list, mappings.fields);
                        ++outcome.added;
                    } catch (const db::EngineError& e) {
                        if (!list.skipDuplicates || e.number() != db::engine_error::kDuplicateValue) throw;
                        ++outcome.duplicates;
                    }
                    if (progress) progress(static_cast<long>(current + 1), static_cast<long>(lines.size()));
                }
            },
            &counts);
    } catch (const std::exception& e) {
        std::string why = e.what();
        if (const auto* engine = dynamic_cast<const db::EngineError*>(&e))
            why = "errore " + std::to_string(engine->number()) + " - " + why;
        const std::string& database = archive.textImportDatabasePath();
        std::string where = !counts.begun ? msg::kTextNotBegun + database + msg::kTextNotBegunEnd
                            : current >= lines.size() ? msg::kTextNotSaved + database + msg::kTextNotSavedEnd
                                                      : msg::kTextStoppedAt + std::to_string(current + 1) +
                                                            " del file " + db::quotePath(file) + ": ";
        app::KeptRecords kept =
            app::keptByRun(counts, outcome.added, list.recordSource, "alla riga " + std::to_string(current) + " del file");
        if (kept.kept) outcome.added = *kept.kept;
        outcome.message = where + why + "\n" + kept.what + "\n" + kept.count;
        return outcome;
    }
    outcome.completed = true;
    outcome.message = finalMessage(outcome, list);
    return outcome;
}

TextImportOutcome ImportCustomersFromText(const app::Archive& archive, const std::string& file,
                                          const ImportProgress& progress) {
    return importFromText(TextTable::Clienti, archive, file, progress);
}

TextImportOutcome ImportSuppliersFromText(const app::Archive& archive, const std::string& file,
                                          const ImportProgress& progress) {
    return importFromText(TextTable::Fornitori, archive, file, progress);
}

TextImportOutcome ImportArticlesFromText(const app::Archive& archive, const std::string& file,
                                         const ImportProgress& progress) {
    return importFromText(TextTable::Articoli, archive, file, progress);
}

}  // namespace tessaro7::import_text
