#include "export/ExportRoutine.h"

#include <cmath>
#include <filesystem>
#include <optional>
#include <vector>

#include "app/Messages.h"
#include "db/DataSource.h"
#include "db/FilledText.h"
#include "db/PathResolver.h"
#include "db/RegionalText.h"
#include "export/Biff2Sheet.h"
#include "export/SheetText.h"
#include "export/XlsxSheet.h"

namespace tessaro7::exporting {

namespace {

constexpr const char* kCrLf = "\r\n";

// The result position of each column's field, found once before the rows.
std::vector<std::size_t> fieldPositions(const ExportList& list, const db::DataSource& data) {
    std::vector<std::size_t> positions;
    for (const ExportColumn& column : list.columns) {
        const int found = data.fieldIndex(column.field);
        if (found < 0)
            throw db::EngineError(db::engine_error::kFieldNotFound, db::filledText(app::msg::kExportFieldNotFound,
                                                 {{"campo", column.field}, {"tabella", list.countTable}}));
        positions.push_back(static_cast<std::size_t>(found));
    }
    return positions;
}

// Writes the data cells of a list after their cell types and Null rules,
// counting what the format cannot hold: texts cut, characters replaced or left
// out, numbers that are not finite.
class CellWriter {
public:
    CellWriter(SheetSink& sheet, SheetFormat format, ExportOutcome& outcome)
        : m_sheet(sheet), m_format(format), m_outcome(outcome) {}

    void write(const ExportColumn& column, long row, int col, const db::Value& value) {
        const Align align = column.dataAlign;
        if (value.isNull()) {
            writeNull(column, row, col);
            return;
        }
        switch (column.cell) {
        case CellType::Text:
            if (value.kind() == db::Value::Kind::Date) m_sheet.text(row, col, align, value);
            else if (value.kind() == db::Value::Kind::Text) writeText(row, col, align, value, value.text());
            else writeText(row, col, align, value, value.toText());
            return;
        case CellType::Number:
        case CellType::Whole: {
            // What is no number (a price-list code "A00") leaves the cell out.
            const std::optional<double> number = value.toNumber();
            if (!number) return;
            // Infinity and NaN have no cell form readers accept.
            if (!std::isfinite(*number)) {
                ++m_outcome.numbersNotFinite;
                return;
            }
            m_sheet.number(row, col, align, column.cell == CellType::Whole ? db::roundHalfEven(*number) : *number);
            return;
        }
        }
    }

private:
    void writeNull(const ExportColumn& column, long row, int col) {
        const bool text = column.cell == CellType::Text;
        switch (column.nullRule) {
        case NullRule::None:
        case NullRule::EmptyText:
            // An empty text in a number column would be refused: no cell.
            if (text) m_sheet.text(row, col, column.dataAlign, db::Value(""));
            return;
        case NullRule::Zero:
            if (text) m_sheet.text(row, col, column.dataAlign, db::Value("0"));
            else m_sheet.number(row, col, column.dataAlign, 0.0);
            return;
        case NullRule::LeftOut: return;
        }
    }

    // `text` is `value`'s text form; a text that fits goes on as the value itself.
    void writeText(long row, int col, Align align, const db::Value& value, const std::string& text) {
        SheetText fitted = sheetText(text, m_format);
        m_outcome.textsCut += fitted.cut ? 1 : 0;
        m_outcome.charactersChanged += static_cast<long>(fitted.changed);
        if (fitted.unchanged) m_sheet.text(row, col, align, value);
        else m_sheet.text(row, col, align, db::Value(std::move(fitted.text)));
    }

    SheetSink& m_sheet;
    SheetFormat m_format;
    ExportOutcome& m_outcome;
};

std::string completionMessage(const ExportOutcome& outcome, const SheetFormatRules& rules) {
    std::string text =
        std::string(app::msg::kExportDone) + kCrLf + app::msg::kExportFileName + db::shownPath(outcome.path);
    if (outcome.rowsLeftOut > 0)
        text += kCrLf + std::string(rules.rowsLeftOutNote) + std::to_string(outcome.rowsLeftOut);
    if (outcome.textsCut > 0) text += kCrLf + std::string(rules.textsCutNote) + std::to_string(outcome.textsCut);
    if (outcome.charactersChanged > 0)
        text += kCrLf + std::string(rules.charactersChangedNote) + std::to_string(outcome.charactersChanged);
    if (outcome.numbersNotFinite > 0)
        text += kCrLf + std::string(app::msg::kExportNumbersNotFinite) + std::to_string(outcome.numbersNotFinite);
    // The heading row counts: the sheet holds rowsWritten + 1 rows.
    if (rules.rowsEveryReaderReads > 0 && outcome.rowsWritten + 1 > rules.rowsEveryReaderReads)
        text += kCrLf + std::string(app::msg::kExportFirstRowsOnly);
    return text;
}

std::string fileFailureMessage(const char* what, const std::string& path, const std::string& reason) {
    return std::string(what) + kCrLf + app::msg::kExportFileName + db::shownPath(path) + kCrLf +
           app::msg::kExportReason + reason;
}

void removeFile(const std::string& path) {
    std::error_code ec;
    try {
        std::filesystem::remove(db::resolvePath(path), ec);
    } catch (const db::EngineError&) {
        // Two spellings of the name: which one to remove cannot be told, so neither is.
    }
}

// Opens the list's selection and finds its fields before the file is
// created, so a missing table or field leaves an earlier file in place.
std::vector<std::size_t> openSelection(db::DataSource& data, const ExportList& list, const app::Archive& archive,
                                       const Clock& clock, const std::string& path) {
    try {
        data.setDatabaseName(archive.DatabasePath);
        data.setRecordSource(list.selectionFor(list.yearly() ? clock.currentYear() : 0));
        data.refresh();
        std::vector<std::size_t> positions = fieldPositions(list, data);
        data.readOnlyFields(positions);
        return positions;
    } catch (const db::EngineError& e) {
        throw db::EngineError(e.number(), app::msg::kExportFailed + db::shownPath(path) + kCrLf + e.what());
    }
}

// Writes every row of the selection that fits the sheet; sheetRow follows
// the row being written, for the message of a failure.
void writeRows(db::DataSource& data, const ExportList& list, const std::vector<std::size_t>& positions,
               CellWriter& cells, long lastRow, ExportOutcome& outcome, long& sheetRow) {
    while (!data.eof()) {
        ++sheetRow;
        if (sheetRow > lastRow) {
            ++outcome.rowsLeftOut;
            data.moveNext();
            continue;
        }
        // Every field of the row is read before any of its cells is written.
        const std::vector<db::Value>& values = data.rowValues();
        for (std::size_t c = 0; c < positions.size(); ++c)
            cells.write(list.columns[c], sheetRow, static_cast<int>(c + 1), values[positions[c]]);
        ++outcome.rowsWritten;
        data.moveNext();
    }
}

}  // namespace

ExportOutcome exportList(const ExportList& list, const app::Archive& archive, const std::string& fileName,
                         const Clock& clock, SheetFormat format) {
    const SheetFormatRules& rules = rulesOf(format);
    ExportOutcome outcome;
    outcome.path = archive.fileInFolder(fileName);

    db::DataSource data;
    const std::vector<std::size_t> positions = openSelection(data, list, archive, clock, outcome.path);

    const std::unique_ptr<SheetSink> sheet = makeSheetSink(format);
    if (!sheet->create(outcome.path, list.title)) {
        outcome.message = fileFailureMessage(app::msg::kExportNotCreated, outcome.path, sheet->failureReason());
        return outcome;
    }

    CellWriter cells(*sheet, format, outcome);
    long sheetRow = 1;
    try {
        sheet->begin(list);
        writeRows(data, list, positions, cells, rules.lastRow, outcome, sheetRow);
    } catch (const db::EngineError& e) {
        sheet->abandon();
        removeFile(outcome.path);
        throw db::EngineError(e.number(), app::msg::kExportFailed + db::shownPath(outcome.path) + app::msg::kExportFailedAtRow +
                                              std::to_string(sheetRow) + app::msg::kExportFileRemoved + kCrLf +
                                              e.what());
    } catch (...) {
        // Nothing half-written may remain that looks complete.
        sheet->abandon();
        removeFile(outcome.path);
        throw;
    }

    if (!sheet->finish(list, 1 + outcome.rowsWritten)) {
        removeFile(outcome.path);
        outcome.message = fileFailureMessage(app::msg::kExportNotWritten, outcome.path, sheet->failureReason());
        return outcome;
    }
    outcome.succeeded = true;
    outcome.message = completionMessage(outcome, rules);
    return outcome;
}

ExportOutcome exportList(const ExportList& list, const app::Archive& archive, const Clock& clock,
                         SheetFormat format) {
    return exportList(list, archive, fileNameFor(list, format), clock, format);
}

std::unique_ptr<SheetSink> makeSheetSink(SheetFormat format) {
    if (format == SheetFormat::Xlsx) return std::make_unique<XlsxSheet>();
    return std::make_unique<Biff2Sheet>();
}

std::string engineFailureMessage(const db::EngineError& error) {
    return "Errore " + std::to_string(error.number()) + ": " + error.what();
}

}  // namespace tessaro7::exporting
