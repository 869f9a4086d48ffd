#include "import_excel/ExcelImport.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#include "app/KeptRecords.h"
#include "app/Messages.h"
#include "app/WrittenRows.h"
#include "db/Names.h"
#include "import_excel/RowPlan.h"
#include "db/Cp1252.h"
#include "db/DataSource.h"
#include "db/QuotedText.h"
#include "db/RegionalText.h"

namespace tessaro7::import_excel {

namespace {

app::Notice noticeOf(std::string line0, std::string line1 = app::kNoticePlaceholder,
                     std::string line2 = app::kNoticePlaceholder) {
    app::Notice n;
    n.lines[0] = std::move(line0);
    n.lines[1] = std::move(line1);
    n.lines[2] = std::move(line2);
    return n;
}

ImportOutcome refused(app::Notice notice) {
    ImportOutcome outcome;
    outcome.notice = std::move(notice);
    return outcome;
}

std::string fieldLabel(const ImportField& field, const MappingRow& row) {
    return app::msg::kFieldLabel + row.visualizzato + "' (" + field.name + ")";
}

// The text of a field for grid row r: the assigned cell, or the field's text
// for an unassigned mapping row.
std::string_view sourceText(const ImportField& field, const MappingRow& mapping, const PreviewGrid& grid, long r) {
    if (!mapping.utilizzato) return field.unassigned;
    return grid.cell(r, static_cast<long>(mapping.colonna));
}

// The number a numeric field stores (nothing: Null, for an empty cell of a
// field without a 0 for it); false when the text is not a number.
bool numberOf(const ImportField& field, std::string_view text, std::optional<double>& value) {
    if (text.empty()) {
        value = field.emptyIsZero ? std::optional<double>(0.0) : std::nullopt;
        return true;
    }
    value = db::textToNumber(text);
    if (value && field.rule == FieldRule::WholeNumber) value = std::floor(*value);
    return value.has_value();
}

// Tab and line ends are part of texts; other control characters are damage.
// The first of them in `text`, or its end. Eight bytes are looked at a time:
// a word with no byte below 0x20 holds none.
const char* firstDamagingControl(std::string_view text) {
    constexpr std::uint64_t kOnes = 0x0101010101010101, kHighs = kOnes * 0x80;
    const char* p = text.data();
    const char* const end = p + text.size();
    for (std::uint64_t w; end - p >= 8; p += 8) {
        std::memcpy(&w, p, 8);
        if (((w - kOnes * 0x20) & ~w & kHighs) != 0) break;
    }
    return std::find_if(p, end, [](char c) {
        return static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r';
    });
}

// Why a value cannot be stored in its field, or nothing when it can.
std::optional<std::pair<const char*, std::string>> refusalOf(const ImportField& field, const MappingRow& mapping,
                                                             const PreviewGrid& grid, long r) {
    std::string_view text;
    if (mapping.utilizzato) {
        const PreviewGrid::Held cell = grid.held(r, static_cast<long>(mapping.colonna));
        if (cell.kind == CellKind::Error)
            return std::pair{app::msg::kCellNotAValue, app::msg::kCellHoldsError + std::string(cell.text)};
        if (cell.kind == CellKind::NoResult)
            return std::pair{app::msg::kCellNotAValue, std::string(app::msg::kCellFormulaWithoutResult)};
        text = cell.text;
    } else {
        text = field.unassigned;
    }
    const char* control = firstDamagingControl(text);
    if (control != text.data() + text.size())
        return std::pair{app::msg::kValueControlCharacter,
                         db::quoteValue(text) + app::msg::kHoldsControlCharacter +
                             std::to_string(static_cast<int>(*control)) + ")"};
    if (field.rule == FieldRule::Text) return std::nullopt;
    std::optional<double> value;
    if (!numberOf(field, text, value)) return std::pair{app::msg::kValueNotNumber, db::quoteValue(text) + app::msg::kIsNotANumber};
    if (value && (*value < field.minimum || *value > field.maximum))
        return std::pair{app::msg::kValueOutOfRange, db::quoteValue(text) + app::msg::kIsNotBetween + db::numberToText(field.minimum) +
                                                         " e " + db::numberToText(field.maximum)};
    return std::nullopt;
}

// Rows outside the chosen range are neither written nor counted.
void leaveOutRowsBeyond(RowPlan& plan, long first, long last) {
    for (std::size_t r = 1; r < plan.actions.size(); ++r) {
        if (static_cast<long>(r) >= first && static_cast<long>(r) <= last) continue;
        RowAction& action = plan.actions[r];
        plan.toWrite -= action == RowAction::Write;
        plan.blank -= action == RowAction::Blank;
        plan.present -= action == RowAction::Present;
        action = RowAction::Blank;  // not written
    }
}

// "Righe vuote non importate: 2 - Record già presenti saltati: 3"; empty when there are none.
std::string countsLine(const RowPlan& plan) {
    std::string line;
    if (plan.blank > 0) line = app::msg::kBlankRowsNotImported + std::to_string(plan.blank);
    if (plan.present > 0)
        line += (line.empty() ? "" : " - ") + std::string(app::msg::kExistingSkipped) + std::to_string(plan.present);
    return line;
}

std::string orPlaceholder(std::string line) { return line.empty() ? app::kNoticePlaceholder : line; }

}  // namespace

namespace {

// The cut text as a view of `text`, or of `scratch` when the cut falls inside
// it (a text no longer in bytes than the length is never cut).
std::string_view cutView(std::string_view text, std::size_t length, std::string& scratch) {
    if (text.size() > length) {
        scratch = db::leftCharacters(text, length);
        text = scratch;
    }
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

}  // namespace

std::string cutText(std::string_view text, std::size_t length) {
    std::string scratch;
    return std::string(cutView(text, length, scratch));
}

namespace {

// What one run works from: the table, its mapping rows, the grid and the
// rows chosen of it, and what each row becomes.
struct ExcelRun {
    const ExcelTable& table;
    const std::vector<MappingRow>& rows;
    const PreviewGrid& grid;
    long firstRow, lastRow;
    const RowPlan& plan;
    bool writes(long r) const { return plan.actions[static_cast<std::size_t>(r)] == RowAction::Write; }
};

// "Riga 7 del foglio"
std::string sheetRow(long row) { return app::msg::kSheetRowStart + std::to_string(row) + app::msg::kSheetRowEnd; }

std::string engineFailure(const db::EngineError& e) {
    return std::string(e.what()) + app::msg::kEngineErrorNumber + std::to_string(e.number()) + ")";
}

// The mapping rows of the table's fields, or the notice refusing the run.
std::optional<app::Notice> readMappingRows(ExcelMappingStore& mapping, const ExcelTable& table,
                                           std::vector<MappingRow>& rows) {
    try {
        rows = mapping.readFirst(table.fields.size());
    } catch (const MappingTooShort& e) {
        return noticeOf(app::msg::kMappingTooShort,
                        app::msg::kMappingTableStart + e.table + app::msg::kMappingTableHas + std::to_string(e.rows) +
                            app::msg::kMappingRowsNeeded + std::to_string(e.needed) + ".",
                        app::msg::kNothingImported);
    } catch (const db::EngineError& e) {
        return noticeOf(app::msg::kMappingUnavailable, engineFailure(e), app::msg::kNothingImported);
    }
    return std::nullopt;
}

// A field assigned to a column the preview does not have refuses the run.
std::optional<app::Notice> columnBeyondPreview(const ExcelTable& table, const std::vector<MappingRow>& rows,
                                               const PreviewGrid& grid) {
    for (std::size_t k = 0; k < rows.size(); ++k)
        if (rows[k].utilizzato && (rows[k].colonna < 0 || rows[k].colonna >= grid.PreviewCols()))
            return noticeOf(app::msg::kColumnBeyondPreview,
                            app::msg::kTheField + fieldLabel(table.fields[k], rows[k]) + app::msg::kFieldHasColumn +
                                std::to_string(rows[k].colonna) + app::msg::kPreviewHasColumns +
                                std::to_string(grid.PreviewCols()) + app::msg::kPreviewColumnsFrom +
                                std::to_string(grid.PreviewCols() - 1) + ").",
                            app::msg::kNothingImported);
    return std::nullopt;
}

// Every value of every row must be one its field can store before anything is written.
// A text field refuses only a cell that is no value or holds a damaging
// control character: where no cell of the grid does, only the other fields
// are looked at cell by cell.
std::optional<app::Notice> firstRefusedValue(const ExcelRun& run) {
    const std::string_view all = run.grid.allText();
    const bool plain = run.grid.onlyValues() && firstDamagingControl(all) == all.data() + all.size();
    for (long r = run.firstRow; r <= run.lastRow; ++r)
        for (std::size_t k = 0; k < run.rows.size() && run.writes(r); ++k) {
            if (plain && run.rows[k].utilizzato && run.table.fields[k].rule == FieldRule::Text) continue;
            if (auto why = refusalOf(run.table.fields[k], run.rows[k], run.grid, r))
                return noticeOf(why->first,
                                sheetRow(r + 1) + ", " +
                                    fieldLabel(run.table.fields[k], run.rows[k]) + ": " + why->second + ".",
                                app::msg::kNothingImported);
        }
    return std::nullopt;
}

// Appends grid row r as a new record; true when a number field stays empty.
bool writeRow(db::DataSource& target, const ExcelRun& run, long r, std::string& scratch) {
    bool withoutValue = false;
    target.addNew();
    for (std::size_t k = 0; k < run.rows.size(); ++k) {
        const ImportField& field = run.table.fields[k];
        std::string_view text = sourceText(field, run.rows[k], run.grid, r);
        std::optional<double> number;
        if (field.rule == FieldRule::Text) {
            target.setField(field.name, cutView(text, field.cut, scratch));
        } else if (numberOf(field, text, number) && number) {
            target.setField(field.name, *number);
        } else {
            // An empty text stores Null in a number column.
            target.setField(field.name, std::string_view());
            withoutValue = true;
        }
    }
    target.update();
    return withoutValue;
}

// The notice of a run the engine stopped at grid row `current`.
void noteStoppedRun(ImportOutcome& outcome, const db::EngineError& e, const db::RunCounts& counts, long current,
                    const ExcelRun& run, app::RunRegistration& registration) {
    // The engine may answer for a row after the next ones were sent, and
    // counts only the rows written.
    if (counts.failedRow > 0)
        current = static_cast<long>(app::positionOfWrittenRow(run.plan.actions, RowAction::Write, counts.failedRow));
    std::string where = !counts.begun           ? app::msg::kExcelNotBegun
                        : current > run.lastRow ? app::msg::kExcelNotSaved
                                                : sheetRow(current + 1) + ": ";
    // Grid row r is sheet row r + 1: the rows before the failing one end at sheet row `current`.
    app::KeptRecords kept =
        app::keptByRun(counts, run.table.choice, app::msg::kSheetRowsUpTo + std::to_string(current) + app::msg::kSheetRowEnd);
    if (kept.kept) outcome.added = *kept.kept;
    outcome.notice = noticeOf(app::msg::kImportStopped, where + engineFailure(e), kept.what);
    outcome.notice.lines[3] = kept.count;
    if (kept.kept) outcome.notice.lines[4] = orPlaceholder(registration.finish(*kept.kept, false));
}

std::string addedLine(const ExcelTable& table, long added) {
    return app::msg::kRecordsAddedTo + std::string(table.choice) + ": " + std::to_string(added) + ".";
}

// Writes the run's rows in one transaction and says how it ended.
ImportOutcome writeRun(db::DataSource& target, const ExcelRun& run, const ImportOptions& options) {
    ImportOutcome outcome;
    outcome.blank = run.plan.blank;
    outcome.present = run.plan.present;
    app::RunRegistration registration(options.source, db::lowerName(run.table.mappingTable));
    long current = 0;  // the grid row being written; past the last once all are
    db::RunCounts counts;
    try {
        target.openForAppending();
        target.runInOneTransaction(
            [&] {
                app::CollectAddedRows collect{registration, target};
                std::string scratch;
                for (current = run.firstRow; current <= run.lastRow; ++current)
                    if (run.writes(current) && writeRow(target, run, current, scratch)) ++outcome.withoutVatRate;
            },
            &counts);
        outcome.added = counts.inserted;
    } catch (const db::EngineError& e) {
        noteStoppedRun(outcome, e, counts, current, run, registration);
        return outcome;
    }
    outcome.completed = true;
    outcome.notice = noticeOf(app::msg::kExcelDone, addedLine(run.table, outcome.added));
    if (outcome.withoutVatRate > 0)
        outcome.notice.lines[2] = app::msg::kArticlesWithoutVat + std::to_string(outcome.withoutVatRate) + ".";
    outcome.notice.lines[3] = orPlaceholder(countsLine(run.plan));
    outcome.notice.lines[4] = orPlaceholder(registration.finish(outcome.added, true));
    return outcome;
}

}  // namespace

ImportOutcome ImportFromExcel(const std::string& databasePath, ExcelMappingStore& mapping, const PreviewGrid& grid,
                              const ImportOptions& options) {
    const GridRows chosen = options.rows ? *options.rows : everyRowBelowHeading(grid.PreviewRows());
    const ExcelTable* table = mapping.table();
    if (!table) return refused(noticeOf(app::msg::kChooseDestinationTable));

    // The table's database is opened while the rows are planned and checked, when the caller has not opened it.
    const std::shared_ptr<db::DataSource> target = options.target ? options.target : std::make_shared<db::DataSource>();
    target->setDatabaseName(databasePath);
    target->setRecordSource(table->targetSource);
    target->openInBackground();

    std::vector<MappingRow> rows;
    if (auto refusal = readMappingRows(mapping, *table, rows)) return refused(*refusal);

    // The heading row is never imported, nor a row beyond the preview.
    const long firstRow = std::max(chosen.first, 1L);
    const long lastRow = std::min(chosen.last, grid.PreviewRows() - 1);
    if (lastRow >= firstRow)
        if (auto refusal = columnBeyondPreview(*table, rows, grid)) return refused(*refusal);

    RowPlan plan;
    try {
        plan = planRows(*table, rows, grid, databasePath, options.skipExisting);
    } catch (const db::EngineError& e) {
        return refused(noticeOf(app::msg::kImportStopped, engineFailure(e), app::msg::kNothingImported));
    }
    leaveOutRowsBeyond(plan, firstRow, lastRow);
    const ExcelRun run{*table, rows, grid, firstRow, lastRow, plan};
    if (auto refusal = firstRefusedValue(run)) return refused(*refusal);

    if (plan.toWrite == 0) {
        ImportOutcome nothing = refused(noticeOf(app::msg::kExcelDone, addedLine(*table, 0), app::msg::kNothingToAdd));
        nothing.notice.lines[3] = orPlaceholder(countsLine(plan));
        nothing.completed = true;
        nothing.blank = plan.blank;
        nothing.present = plan.present;
        return nothing;
    }
    return writeRun(*target, run, options);
}

}  // namespace tessaro7::import_excel
