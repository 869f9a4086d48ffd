#include "import_text/TextImport.h"

#include <optional>
#include <stdexcept>
#include <vector>

#include "app/KeptRecords.h"
#include "app/Messages.h"
#include "app/RunRegistration.h"
#include "app/WrittenRows.h"
#include "db/Names.h"
#include "db/DataSource.h"
#include "db/PathResolver.h"
#include "db/QuotedText.h"
#include "import_text/FieldMappings.h"
#include "import_text/FieldValue.h"
#include "import_text/FixedWidth.h"
#include "import_text/LinePlan.h"
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

// A value in a message: a long one is shown by its start.
std::string shownValue(std::string_view text) {
    constexpr std::size_t kShown = 40;
    if (columnCount(text) <= kShown) return std::string(text);
    return std::string(TextLine(text).columns(0, kShown)) + "...";
}

// Every refusal of the lines to import, read through `reader`: lists the
// first kMaxListedProblems and counts the rest. `plan` receives what the
// import does with each line; blank and present lines are not checked.
std::vector<std::string> checkLines(TextReader& reader, long lines, const TextTableFields& list,
                                    const std::vector<FieldMapping>& mappings, std::size_t& total,
                                    std::vector<LineAction>& plan, app::ExistingRecords* existing) {
    std::vector<std::string> problems;
    total = 0;
    for (long i = 0; i < lines && reader.next(); ++i) {
        plan.push_back(lineAction(reader.line(), mappings, list, existing));
        if (plan.back() != LineAction::Write) continue;
        for (std::size_t k = 0; k < list.fields.size(); ++k) {
            const TextField& field = list.fields[k];
            FieldValue value = fieldValue(reader.line(), mappings[k], field);
            if (value.refusal == Refusal::None) continue;
            if (++total <= kMaxListedProblems)
                problems.push_back("Riga " + std::to_string(i + 1) + ", campo " + field.name + ": " +
                                   db::quoteValue(shownValue(value.text)) + " " + refusalReason(value, field) + ".");
        }
    }
    return problems;
}

void writeLine(db::DataSource& target, const TextLine& line, const TextTableFields& list,
               const std::vector<FieldMapping>& mappings) {
    target.addNew();
    for (std::size_t k = 0; k < list.fields.size(); ++k) {
        FieldValue value = fieldValue(line, mappings[k], list.fields[k]);
        if (value.written) target.setField(list.fields[k].name, value.text);
    }
    for (const FixedValue& fixed : list.fixedValues) target.setField(fixed.field, fixed.value);
    target.update();
}

std::string finalMessage(const TextImportOutcome& o, const TextTableFields& list) {
    std::string text = std::string(msg::kTextDone) + "\n" + msg::kTextAdded + std::to_string(o.added);
    if (list.skipDuplicates) text += "\n" + std::string(msg::kTextDuplicates) + std::to_string(o.duplicates);
    text += "\n" + std::string(msg::kTextNotRead) + std::to_string(o.notRead);
    if (o.blank > 0) text += "\n" + std::string(msg::kBlankRowsNotImported) + std::to_string(o.blank);
    if (o.present > 0) text += "\n" + std::string(msg::kExistingSkipped) + std::to_string(o.present);
    text += "\n" + std::string(msg::kTextEncoding) + o.encoding;
    return text;
}

}  // namespace

TextImportOutcome importFromText(TextTable table, const app::Archive& archive, const std::string& file,
                                 const ImportProgress& progress, const TextImportOptions& options) {
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

    TextFile text = openTextFile(file);
    if (!text.usable()) {
        outcome.message = refused(text.problem);
        return outcome;
    }
    outcome.encoding = encodingName(text.scan.encoding);
    outcome.notRead = text.scan.notRead;
    const std::size_t keep = columnsNeeded(mappings.fields, list);

    std::optional<app::ExistingRecords> existing;
    try {
        if (options.skipExisting)
            existing.emplace(archive.textImportDatabasePath(), list.recordSource,
                             table == TextTable::Articoli ? app::DuplicateRule::Article : app::DuplicateRule::Party);
    } catch (const db::EngineError& e) {
        outcome.message = refused("Impossibile leggere la tabella " + std::string(list.recordSource) + ": errore " +
                                  std::to_string(e.number()) + " - " + e.what());
        return outcome;
    }
    std::size_t total = 0;
    std::vector<LineAction> plan;
    TextReader checked = text.lines(keep);
    std::vector<std::string> problems = checkLines(checked, text.scan.lines, list, mappings.fields, total, plan,
                                                   existing ? &*existing : nullptr);
    if (checked.failed()) {
        outcome.message = refused("Impossibile leggere il file di testo '" + file + "': errore di lettura.");
        return outcome;
    }
    if (total > 0) {
        outcome.message = refused(listed("Il file " + db::quotePath(file) + " contiene valori non validi:", problems, total));
        return outcome;
    }

    for (LineAction action : plan) {
        outcome.blank += action == LineAction::Blank;
        outcome.present += action == LineAction::Present;
    }
    if (outcome.blank + outcome.present == static_cast<long>(plan.size())) {
        outcome.completed = true;
        outcome.message = finalMessage(outcome, list) + "\n" + msg::kNothingToAdd;
        return outcome;
    }

    db::DataSource target;
    try {
        target.setDatabaseName(archive.textImportDatabasePath());
        target.setRecordSource(list.recordSource);
        target.openForAppending();
    } catch (const db::EngineError& e) {
        outcome.message = refused("Impossibile aprire la tabella " + std::string(list.recordSource) + ": errore " +
                                  std::to_string(e.number()) + " - " + e.what());
        return outcome;
    }

    const auto lines = static_cast<std::size_t>(text.scan.lines);
    TextReader reader = text.lines(keep);
    std::size_t current = 0;
    db::RunCounts counts;
    app::RunRegistration registration({archive.textMappingDatabasePath(), file, {}}, db::lowerName(list.recordSource));
    try {
        target.runInOneTransaction(
            [&] {
                app::CollectAddedRows collect{registration, target};
                for (current = 0; current < lines; ++current) {
                    if (!reader.next() || reader.failed()) throw std::runtime_error(msg::kTextFileChanged);
                    if (current < plan.size() && plan[current] == LineAction::Write)
                        writeLine(target, reader.line(), list, mappings.fields);
                    if (progress) progress(static_cast<long>(current + 1), static_cast<long>(lines));
                }
            },
            &counts, list.skipDuplicates);
    } catch (const std::exception& e) {
        std::string why = e.what();
        if (const auto* engine = dynamic_cast<const db::EngineError*>(&e))
            why = "errore " + std::to_string(engine->number()) + " - " + why;
        // The engine may answer for a line after the next ones were sent, and
        // counts only the lines written.
        if (counts.failedRow > 0) current = app::positionOfWrittenRow(plan, LineAction::Write, counts.failedRow);
        const std::string database = archive.businessDatabaseShown();
        std::string where = !counts.begun ? msg::kTextNotBegun + database + msg::kTextNotBegunEnd
                            : current >= lines ? msg::kTextNotSaved + database + msg::kTextNotSavedEnd
                                                      : msg::kTextStoppedAt + std::to_string(current + 1) +
                                                            " del file " + db::quotePath(file) + ": ";
        app::KeptRecords kept =
            app::keptByRun(counts, list.recordSource, "alla riga " + std::to_string(current) + " del file");
        if (kept.kept) outcome.added = *kept.kept;
        outcome.duplicates = counts.duplicates;
        outcome.message = where + why + "\n" + kept.what + "\n" + kept.count;
        if (kept.kept)
            if (std::string unregistered = registration.finish(*kept.kept, false); !unregistered.empty())
                outcome.message += "\n" + unregistered;
        return outcome;
    }
    outcome.added = counts.inserted;
    outcome.duplicates = counts.duplicates;
    outcome.completed = true;
    outcome.message = finalMessage(outcome, list);
    if (std::string unregistered = registration.finish(outcome.added, true); !unregistered.empty())
        outcome.message += "\n" + unregistered;
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
