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

// The refusals of a run: the first kMaxListedProblems listed, all counted.
struct Problems {
    std::vector<std::string> listed;
    std::size_t total = 0;
};

// The values of line `number` (from 1) into `values`; false when one of them
// is refused, which `problems` then notes.
bool checkValues(const TextLine& line, std::size_t number, const TextTableFields& list,
                 const std::vector<FieldMapping>& mappings, std::vector<FieldValue>& values, Problems& problems) {
    values.resize(list.fields.size());
    bool storable = true;
    for (std::size_t k = 0; k < list.fields.size(); ++k) {
        const TextField& field = list.fields[k];
        const FieldValue& value = values[k] = fieldValue(line, mappings[k], field);
        if (value.refusal == Refusal::None) continue;
        storable = false;
        if (++problems.total <= kMaxListedProblems)
            problems.listed.push_back(db::filledText(msg::kTextRefusedValue, {{"riga", std::to_string(number)},
                                                                              {"campo", field.name},
                                                                              {"valore", db::quoteValue(shownValue(value.text))},
                                                                              {"perché", refusalReason(value, field)}}));
    }
    return storable;
}

void writeValues(db::DataSource& target, const std::vector<FieldValue>& values, const TextTableFields& list) {
    target.addNew();
    for (std::size_t k = 0; k < list.fields.size(); ++k)
        if (values[k].written) target.setField(list.fields[k].name, values[k].text);
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

// What one run works from: the table's fields and mappings, the file, the
// records it skips, and what each line read became.
struct TextRun {
    const TextTableFields& list;
    const std::vector<FieldMapping>& mappings;
    const std::string& file;
    app::ExistingRecords* existing;
    std::size_t lines;  // the lines the run reads
    std::vector<LineAction> plan;  // one per line read
    Problems problems;

    // Notes what the run does with `line`; true when it is to be written,
    // with `values`, which are all storable.
    bool take(const TextLine& line, std::vector<FieldValue>& values) {
        plan.push_back(lineAction(line, mappings, list, existing));
        return plan.back() == LineAction::Write && checkValues(line, plan.size(), list, mappings, values, problems);
    }
    // The message refusing the run once its lines are read, if any.
    std::optional<std::string> refusal(bool unreadable) const {
        if (unreadable) return refused(db::filledText(msg::kTextFileReadFailed, {{"file", file}}));
        if (problems.total > 0)
            return refused(listed(db::filledText(msg::kTextInvalidValues, {{"file", db::quotePath(file)}}),
                                  problems.listed, problems.total));
        return std::nullopt;
    }
};

// The refusal the lines give, read without writing them.
std::optional<std::string> refusalOfLines(TextFile& text, std::size_t keep, TextRun& run) {
    TextReader reader = text.lines(keep);
    std::vector<FieldValue> values;
    for (std::size_t i = 0; i < run.lines && reader.next(); ++i) run.take(reader.line(), values);
    return run.refusal(reader.failed());
}

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

// Reads, checks and writes the lines in one transaction and says how it
// ended. Lines are written while none holds a value its field cannot take;
// once one does, the rest are only checked, and the transaction is rolled
// back: a refused file adds nothing.
void writeRun(TextImportOutcome& outcome, db::DataSource& target, TextReader& reader, TextRun& run,
              const app::Archive& archive, const ImportProgress& progress) {
    std::size_t current = 0;
    db::RunCounts counts;
    app::RunRegistration registration({archive.textMappingDatabasePath(), run.file, {}},
                                      db::lowerName(run.list.recordSource));
    bool unreadable = false;
    try {
        target.runInOneTransaction(
            [&] {
                app::CollectAddedRows collect{registration, target};
                std::vector<FieldValue> values;
                for (current = 0; current < run.lines; ++current) {
                    if (!reader.next()) {
                        unreadable = reader.failed();
                        if (!unreadable) throw std::runtime_error(msg::kTextFileChanged);
                        break;
                    }
                    if (run.take(reader.line(), values) && run.problems.total == 0)
                        writeValues(target, values, run.list);
                    if (progress) progress(static_cast<long>(current + 1), static_cast<long>(run.lines));
                }
                if (run.refusal(unreadable)) throw db::RollBackRun();
            },
            &counts, run.list.skipDuplicates);
    } catch (const db::RollBackRun&) {
        outcome.message = *run.refusal(unreadable);
        return;
    } catch (const std::exception& e) {
        outcome.message = stoppedRunMessage(e, counts, current, run, archive, outcome, registration);
        return;
    }
    outcome.added = counts.inserted;
    outcome.duplicates = counts.duplicates;
    outcome.completed = true;
    for (LineAction action : run.plan) {
        outcome.blank += action == LineAction::Blank;
        outcome.present += action == LineAction::Present;
    }
    outcome.message = finalMessage(outcome, run.list);
    if (outcome.blank + outcome.present == static_cast<long>(run.plan.size()))
        outcome.message += "\n" + std::string(msg::kNothingToAdd);
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

    // The table's database is opened while the file is read through.
    db::DataSource target;
    target.setDatabaseName(archive.textImportDatabasePath());
    target.setRecordSource(list.recordSource);
    target.openInBackground();

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
    TextRun run{list, mappings.fields, file, existing ? &*existing : nullptr,
                static_cast<std::size_t>(text.scan.lines), {}, {}};
    try {
        target.openForAppending();
    } catch (const db::EngineError& e) {
        // The file's own faults are told first, as when the lines were read before the table.
        if (auto refusal = refusalOfLines(text, keep, run)) {
            outcome.message = *refusal;
            return outcome;
        }
        outcome.message = refused(db::filledText(msg::kTextTableUnopenable, {{"tabella", list.recordSource},
                                                                              {"n", std::to_string(e.number())},
                                                                              {"testo", e.what()}}));
        return outcome;
    }
    TextReader reader = text.lines(keep);
    writeRun(outcome, target, reader, run, archive, progress);
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
