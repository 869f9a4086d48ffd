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
#include "db/FilledText.h"
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
    if (total > problems.size())
        text += "\n" + db::filledText(msg::kTextMoreProblems, {{"n", std::to_string(total - problems.size())}});
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
                problems.push_back(db::filledText(msg::kTextRefusedValue, {{"riga", std::to_string(i + 1)},
                                                                           {"campo", field.name},
                                                                           {"valore", db::quoteValue(shownValue(value.text))},
                                                                           {"perché", refusalReason(value, field)}}));
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

namespace {

// The table's field mappings, or the message refusing the run.
std::optional<std::string> readMappings(const app::Archive& archive, TextTable table, FieldMappings& mappings) {
    try {
        mappings = readFieldMappings(archive.textMappingDatabasePath(), table);
    } catch (const db::EngineError& e) {
        return refused(db::filledText(msg::kTextMappingsUnreadable, {{"tabella", mappingTableName(table)}, {"testo", e.what()}}));
    }
    if (!mappings.usable())
        return refused(listed(msg::kTextMappingsInvalid, mappings.problems, mappings.problems.size()));
    return std::nullopt;
}

// Reads the file's lines once: what the run does with each goes to `plan`;
// a line that cannot be read or a value its field cannot take refuses the run.
std::optional<std::string> checkFile(TextFile& text, std::size_t keep, const TextTableFields& list,
                                     const std::vector<FieldMapping>& mappings, app::ExistingRecords* existing,
                                     const std::string& file, std::vector<LineAction>& plan) {
    std::size_t total = 0;
    TextReader checked = text.lines(keep);
    std::vector<std::string> problems = checkLines(checked, text.scan.lines, list, mappings, total, plan, existing);
    if (checked.failed()) return refused(db::filledText(msg::kTextFileReadFailed, {{"file", file}}));
    if (total > 0) return refused(listed(db::filledText(msg::kTextInvalidValues, {{"file", db::quotePath(file)}}), problems, total));
    return std::nullopt;
}

// What one run works from: the table's fields and mappings, the file, and
// what each line becomes.
struct TextRun {
    const TextTableFields& list;
    const std::vector<FieldMapping>& mappings;
    const std::string& file;
    const std::vector<LineAction>& plan;
    std::size_t lines;  // the lines the run reads
};

// The existing records a run skipping them compares with (none when it does not).
std::optional<app::ExistingRecords> existingRecords(const app::Archive& archive, TextTable table,
                                                    const TextTableFields& list, const TextImportOptions& options) {
    if (!options.skipExisting) return std::nullopt;
    return std::optional<app::ExistingRecords>(
        std::in_place, archive.textImportDatabasePath(), list.recordSource,
        table == TextTable::Articoli ? app::DuplicateRule::Article : app::DuplicateRule::Party);
}

// The message of a run stopped by `e` at line `current` (from 0).
std::string stoppedRunMessage(const std::exception& e, const db::RunCounts& counts, std::size_t current,
                              const TextRun& run, const app::Archive& archive, TextImportOutcome& outcome,
                              app::RunRegistration& registration) {
    std::string why = e.what();
    if (const auto* engine = dynamic_cast<const db::EngineError*>(&e))
        why = db::filledText(msg::kTextEngineError, {{"n", std::to_string(engine->number())}, {"testo", why}});
    // The engine may answer for a line after the next ones were sent, and
    // counts only the lines written.
    if (counts.failedRow > 0) current = app::positionOfWrittenRow(run.plan, LineAction::Write, counts.failedRow);
    const std::string database = archive.businessDatabaseShown();
    std::string where = !counts.begun ? msg::kTextNotBegun + database + msg::kTextNotBegunEnd
                        : current >= run.lines ? msg::kTextNotSaved + database + msg::kTextNotSavedEnd
                                               : msg::kTextStoppedAt + std::to_string(current + 1) + msg::kTextOfFile +
                                                     db::quotePath(run.file) + ": ";
    app::KeptRecords kept =
        app::keptByRun(counts, run.list.recordSource, db::filledText(msg::kTextRowsUpTo, {{"n", std::to_string(current)}}));
    if (kept.kept) outcome.added = *kept.kept;
    outcome.duplicates = counts.duplicates;
    std::string message = where + why + "\n" + kept.what + "\n" + kept.count;
    if (kept.kept)
        if (std::string unregistered = registration.finish(*kept.kept, false); !unregistered.empty())
            message += "\n" + unregistered;
    return message;
}

// Writes the lines the plan writes in one transaction and says how it ended.
void writeRun(TextImportOutcome& outcome, db::DataSource& target, TextReader& reader, const TextRun& run,
              const app::Archive& archive, const ImportProgress& progress) {
    std::size_t current = 0;
    db::RunCounts counts;
    app::RunRegistration registration({archive.textMappingDatabasePath(), run.file, {}},
                                      db::lowerName(run.list.recordSource));
    try {
        target.runInOneTransaction(
            [&] {
                app::CollectAddedRows collect{registration, target};
                for (current = 0; current < run.lines; ++current) {
                    if (!reader.next() || reader.failed()) throw std::runtime_error(msg::kTextFileChanged);
                    if (current < run.plan.size() && run.plan[current] == LineAction::Write)
                        writeLine(target, reader.line(), run.list, run.mappings);
                    if (progress) progress(static_cast<long>(current + 1), static_cast<long>(run.lines));
                }
            },
            &counts, run.list.skipDuplicates);
    } catch (const std::exception& e) {
        outcome.message = stoppedRunMessage(e, counts, current, run, archive, outcome, registration);
        return;
    }
    outcome.added = counts.inserted;
    outcome.duplicates = counts.duplicates;
    outcome.completed = true;
    outcome.message = finalMessage(outcome, run.list);
    if (std::string unregistered = registration.finish(outcome.added, true); !unregistered.empty())
        outcome.message += "\n" + unregistered;
}

}  // namespace

TextImportOutcome importFromText(TextTable table, const app::Archive& archive, const std::string& file,
                                 const ImportProgress& progress, const TextImportOptions& options) {
    TextImportOutcome outcome;
    const TextTableFields& list = fieldsOf(table);

    FieldMappings mappings;
    if (auto refusal = readMappings(archive, table, mappings)) {
        outcome.message = *refusal;
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
        existing = existingRecords(archive, table, list, options);
    } catch (const db::EngineError& e) {
        outcome.message = refused(db::filledText(msg::kTextTableUnreadable, {{"tabella", list.recordSource},
                                                                              {"n", std::to_string(e.number())},
                                                                              {"testo", e.what()}}));
        return outcome;
    }
    std::vector<LineAction> plan;
    if (auto refusal = checkFile(text, keep, list, mappings.fields, existing ? &*existing : nullptr, file, plan)) {
        outcome.message = *refusal;
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
        outcome.message = refused(db::filledText(msg::kTextTableUnopenable, {{"tabella", list.recordSource},
                                                                              {"n", std::to_string(e.number())},
                                                                              {"testo", e.what()}}));
        return outcome;
    }
    TextReader reader = text.lines(keep);
    writeRun(outcome, target, reader, {list, mappings.fields, file, plan, static_cast<std::size_t>(text.scan.lines)},
             archive, progress);
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
