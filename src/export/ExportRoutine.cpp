#include "export/ExportRoutine.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <optional>
#include <vector>

#include "app/Messages.h"
#include "db/Cp1252.h"
#include "db/DataSource.h"
#include "db/PathResolver.h"
#include "db/RegionalText.h"
#include "export/ExcelFile.h"

namespace tessaro7::exporting {

namespace {

constexpr const char* kCrLf = "\r\n";
constexpr int kCodePage = 1252;
constexpr double kMarginInches = 1.5;
constexpr int kDataFont = 0;
constexpr int kHeadingFont = 64;  // the second FONT record, bold

// The result position of each column's field, found once before the rows.
std::vector<std::size_t> fieldPositions(const ExportList& list, const db::DataSource& data) {
    std::vector<std::size_t> positions;
    for (const ExportColumn& column : list.columns) {
        const int found = data.fieldIndex(column.field);
        if (found < 0)
            throw db::EngineError(db::engine_error::kFieldNotFound, std::string("Campo '") + column.field +
                                                                        "' non trovato nella tabella '" +
                                                                        list.countTable + "'.");
        positions.push_back(static_cast<std::size_t>(found));
    }
    return positions;
}

// Writes the data cells of a list after their cell types and Null rules,
// counting the texts it has to cut.
class CellWriter {
public:
    CellWriter(ExcelFile& xf, ExportOutcome& outcome) : m_xf(xf), m_outcome(outcome) {}

    void write(const ExportColumn& column, long row, std::int64_t col, const db::Value& value) {
        const int align = static_cast<int>(column.dataAlign);
        auto put = [&](std::int32_t valueType, const db::Value& v) {
            m_xf.WriteValue(valueType, kDataFont, align, 0, row, col, v);
        };
        if (value.isNull()) {
            writeNull(column, put);
            return;
        }
        switch (column.cell) {
        case CellType::Text:
            // A stored text is passed as it stands: no copy for the common case.
            if (value.kind() == db::Value::Kind::Text && value.text().size() <= kLongestCellText)
                put(ExcelFile::kLabelCell, value);
            else
                put(ExcelFile::kLabelCell, cutText(value.toText()));
            return;
        case CellType::Number:
            // A text is read as a number by the writer, which leaves out what is none.
            put(ExcelFile::kNumberCell, value);
            return;
        case CellType::Whole: {
            const std::optional<double> number = value.toNumber();
            if (number) put(ExcelFile::kNumberCell, db::roundHalfEven(*number));
            else put(ExcelFile::kNumberCell, value);
            return;
        }
        }
    }

private:
    template <typename Put>
    static void writeNull(const ExportColumn& column, Put put) {
        const bool text = column.cell == CellType::Text;
        switch (column.nullRule) {
        case NullRule::None:
        case NullRule::EmptyText:
            // An empty text in a number column would be refused by the writer: no cell.
            if (text) put(ExcelFile::kLabelCell, db::Value(""));
            return;
        case NullRule::Zero:
            if (text) put(ExcelFile::kLabelCell, db::Value("0"));
            else put(ExcelFile::kNumberCell, db::Value(0.0));
            return;
        case NullRule::LeftOut: return;
        }
    }

    db::Value cutText(std::string text) {
        // A character takes at least one byte, so a short text needs no count.
        if (text.size() <= kLongestCellText || db::characterCount(text) <= kLongestCellText) return text;
        ++m_outcome.textsCut;
        return db::leftCharacters(text, kLongestCellText);
    }

    ExcelFile& m_xf;
    ExportOutcome& m_outcome;
};

void writeSheetSettings(ExcelFile& xf, const ExportList& list) {
    // Readers need the code page to decode accented text.
    xf.SetCodePage(kCodePage);
    xf.PrintGridLines(false);
    xf.SetMargin(ExcelFile::kTopMargin, kMarginInches);
    xf.SetMargin(ExcelFile::kLeftMargin, kMarginInches);
    xf.SetMargin(ExcelFile::kRightMargin, kMarginInches);
    xf.SetMargin(ExcelFile::kBottomMargin, kMarginInches);
    xf.SetFont("Arial", 10, 0);
    xf.SetFont("Arial", 10, 1);
    xf.SetFont("Arial", 10, 5);
    xf.SetFont("Courier", 12, 2);
    for (std::size_t c = 0; c < list.columns.size(); ++c) {
        const auto column = static_cast<std::int32_t>(c + 1);
        xf.SetColumnWidth(column, column, list.columns[c].width);
    }
    for (std::size_t c = 0; c < list.columns.size(); ++c)
        xf.WriteValue(ExcelFile::kLabelCell, kHeadingFont, static_cast<int>(list.columns[c].headingAlign), 0, 1,
                      static_cast<std::int64_t>(c + 1), list.columns[c].heading);
}

std::string completionMessage(const ExportOutcome& outcome) {
    std::string text = std::string(app::msg::kExportDone) + kCrLf + app::msg::kExportFileName + db::shownPath(outcome.path);
    if (outcome.rowsLeftOut > 0)
        text += kCrLf + std::string(app::msg::kExportRowsLeftOut) + std::to_string(outcome.rowsLeftOut);
    if (outcome.textsCut > 0)
        text += kCrLf + std::string(app::msg::kExportTextsCut) + std::to_string(outcome.textsCut);
    return text;
}

std::string fileFailureMessage(const char* what, const std::string& path, const std::string& reason) {
    return std::string(what) + kCrLf + app::msg::kExportFileName + db::shownPath(path) + kCrLf + app::msg::kExportReason + reason;
}

void removeFile(const std::string& path) {
    std::error_code ec;
    try {
        std::filesystem::remove(db::resolvePath(path), ec);
    } catch (const db::EngineError&) {
        // Two spellings of the name: which one to remove cannot be told, so neither is.
    }
}

}  // namespace

ExportOutcome exportList(const ExportList& list, const app::Archive& archive, const std::string& fileName,
                         const Clock& clock) {
    ExportOutcome outcome;
    outcome.path = archive.fileInFolder(fileName);

    // The selection is opened and its fields checked before the file is
    // created, so a missing table or field leaves an earlier file in place.
    db::DataSource data;
    std::vector<std::size_t> positions;
    try {
        data.setDatabaseName(archive.DatabasePath);
        data.setRecordSource(list.selectionFor(list.yearly() ? clock.currentYear() : 0));
        data.refresh();
        positions = fieldPositions(list, data);
    } catch (const db::EngineError& e) {
        throw db::EngineError(e.number(), app::msg::kExportFailed + db::shownPath(outcome.path) + kCrLf + e.what());
    }

    ExcelFile xf;
    if (xf.CreateFile(outcome.path) != ExcelFile::kOk) {
        outcome.message = fileFailureMessage(app::msg::kExportNotCreated, outcome.path, xf.failureReason());
        return outcome;
    }
    writeSheetSettings(xf, list);

    CellWriter cells(xf, outcome);
    std::vector<db::Value> values(list.columns.size());
    long sheetRow = 1;
    try {
        while (!data.eof()) {
            ++sheetRow;
            if (sheetRow > kLastSheetRow) {
                ++outcome.rowsLeftOut;
                data.moveNext();
                continue;
            }
            // Every field of the row is read before any of its cells is written.
            for (std::size_t c = 0; c < values.size(); ++c) values[c] = data.field(positions[c]);
            for (std::size_t c = 0; c < values.size(); ++c)
                cells.write(list.columns[c], sheetRow, static_cast<std::int64_t>(c + 1), values[c]);
            ++outcome.rowsWritten;
            data.moveNext();
        }
    } catch (const db::EngineError& e) {
        xf.CloseFile();
        removeFile(outcome.path);
        throw db::EngineError(e.number(), app::msg::kExportFailed + db::shownPath(outcome.path) + app::msg::kExportFailedAtRow +
                                              std::to_string(sheetRow) + app::msg::kExportFileRemoved + kCrLf +
                                              e.what());
    } catch (...) {
        // Nothing half-written may remain that looks complete.
        xf.CloseFile();
        removeFile(outcome.path);
        throw;
    }

    xf.ProtectSpreadsheet(list.protect);
    if (xf.CloseFile() != ExcelFile::kOk) {
        removeFile(outcome.path);
        outcome.message = fileFailureMessage(app::msg::kExportNotWritten, outcome.path, xf.failureReason());
        return outcome;
    }
    outcome.succeeded = true;
    outcome.message = completionMessage(outcome);
    return outcome;
}

ExportOutcome exportList(const ExportList& list, const app::Archive& archive, const Clock& clock) {
    return exportList(list, archive, list.fileName, clock);
}

std::string engineFailureMessage(const db::EngineError& error) {
    return "Errore " + std::to_string(error.number()) + ": " + error.what();
}

}  // namespace tessaro7::exporting
