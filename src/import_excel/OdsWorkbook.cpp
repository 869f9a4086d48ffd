// .ods workbooks read from their package parts by our own code: the
// manifest (an encrypted package is refused), content.xml (the tables'
// names, then the cells of the chosen table, streamed and read only as far
// as the grid asked for) and settings.xml (the table the workbook opens
// on). Each cell is given as the value its attributes store; formulas are
// never parsed, their stored result is the value.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <optional>

#include "app/Messages.h"
#include "db/FilledText.h"
#include "db/Names.h"
#include "import_excel/CellReference.h"
#include "import_excel/CellText.h"
#include "import_excel/OdsValues.h"
#include "import_excel/PackagePart.h"
#include "import_excel/WorkbookReader.h"

namespace tessaro7::import_excel {

namespace {

// A name compared with a literal without a call: its length, then its bytes.
template <std::size_t N>
bool is(std::string_view name, const char (&literal)[N]) {
    return name.size() == N - 1 && std::memcmp(name.data(), literal, N - 1) == 0;
}

namespace msg = app::msg;

constexpr std::string_view kFormat = ".ods";
constexpr std::size_t kMaxSheets = 4096;
// The longest text a cell keeps: 32767 characters of up to four bytes, the
// most a field of any format holds.
constexpr std::size_t kMaxCellText = 4 * 32767;
// A run of blanks (<text:s text:c="N"/>) longer than a cell can hold is cut there.
constexpr std::uint32_t kMaxBlanks = 32767;

std::uint32_t repeats(const XmlAttributes& a, std::string_view name, std::uint32_t most) {
    std::string_view text = xmlAttribute(a, name);
    std::uint32_t n = 1;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || n == 0) return 1;
    return std::min(n, most);
}

// META-INF/manifest.xml: whether any part is encrypted.
struct ManifestPart : XmlHandler {
    bool encrypted = false;
    void open(std::string_view name, const XmlAttributes&) override { encrypted = encrypted || is(name, "encryption-data"); }
    void close(std::string_view) override {}
    bool done() const override { return encrypted; }
};

// content.xml, first pass: the names of the tables of the spreadsheet, in order.
struct SheetNamesPart : XmlHandler {
    std::vector<std::string> names;
    bool inSpreadsheet = false;
    int tables = 0;  // open table elements (a table inside a cell nests)
    void open(std::string_view name, const XmlAttributes& a) override {
        if (is(name, "spreadsheet")) inSpreadsheet = true;
        if (!inSpreadsheet || !is(name, "table") || tables++ > 0) return;
        if (names.size() >= kMaxSheets)
            throw SheetReadError::withReason(ReadFailure::TooLarge,
                                             db::filledText(msg::kXlsxTooManySheets, {{"n", std::to_string(kMaxSheets)}}));
        names.emplace_back(xmlAttribute(a, "name"));
    }
    void close(std::string_view name) override {
        if (is(name, "table") && tables > 0) --tables;
        else if (is(name, "spreadsheet")) inSpreadsheet = false;
    }
    bool wantsAttributes(std::string_view name) const override { return is(name, "table"); }
    bool wantsText() const override { return false; }
};

// settings.xml: the first view's ActiveTable.
struct SettingsPart : XmlHandler {
    std::string active;
    bool inActive = false, found = false;
    void open(std::string_view name, const XmlAttributes& a) override {
        inActive = !found && is(name, "config-item") && xmlAttribute(a, "name") == "ActiveTable";
    }
    void close(std::string_view) override {
        found = found || inActive;
        inActive = false;
    }
    void text(std::string_view text) override {
        if (inActive && active.size() < 4096) active += text;
    }
    bool done() const override { return found; }
};

// Which table's cells a pass over content.xml gives.
struct TableChoice {
    std::string name;      // the table of this name (empty: by position)
    bool anyCase = false;  // the name compared without regard to letter case, as the user typed it
    std::size_t index = 0;
};

// content.xml in one pass: the names of the tables (unless known already)
// and the cells of the chosen table inside the grid wanted, given to the
// receiver row by row. A repeated row or cell is given once for each row
// and column it covers inside the grid; cells below the grid are not read.
class CellsPart : public XmlHandler {
public:
    CellsPart(CellSink& sink, TableChoice choice, bool namesKnown)
        : m_sink(sink), m_choice(std::move(choice)), m_namesKnown(namesKnown),
          m_rowsWanted(std::min(sink.rowsWanted(), kMaxSheetRows)),
          m_colsWanted(std::min(sink.colsWanted(), kMaxSheetCols)) {}

    // The table read, when one was chosen; the tables' names, when not known before.
    std::optional<std::size_t> chosen() const { return m_chosen; }
    std::vector<std::string>& names() { return m_names.names; }

    void open(std::string_view name, const XmlAttributes& a) override {
        if (!m_namesKnown) m_names.open(name, a);
        if (!m_inSpreadsheet) {
            m_inSpreadsheet = is(name, "spreadsheet");
        } else if (is(name, "table")) {
            if (m_tables++ == 0) startTable(xmlAttribute(a, "name"));
        } else if (!m_inTarget || m_tables != 1) {
        } else if (m_inCell) {
            ++m_cellDepth;
            if (m_keep) cellContent(name, a);
        } else if (is(name, "table-row")) {
            startRow(a);
        } else if ((is(name, "table-cell") || is(name, "covered-table-cell")) && m_inRow) {
            startCell(is(name, "covered-table-cell"), a);
        }
    }

    void close(std::string_view name) override {
        if (!m_namesKnown) m_names.close(name);
        if (is(name, "table")) {
            if (m_tables > 0 && --m_tables == 0 && m_inTarget) endTarget();
        } else if (is(name, "spreadsheet")) {
            m_inSpreadsheet = false;
        } else if (!m_inTarget || m_tables != 1) {
        } else if (m_inCell && m_cellDepth > 0) {
            if (m_skipDepth == m_cellDepth) m_skipDepth = 0;
            if (m_paragraphDepth == m_cellDepth) m_paragraphDepth = 0;
            --m_cellDepth;
        } else if (m_inCell) {
            endCell();
        } else if (is(name, "table-row") && m_inRow) {
            endRow();
        }
    }

    void text(std::string_view text) override {
        if (m_inCell && m_keep && m_paragraphDepth != 0 && m_skipDepth == 0) append(text);
    }

    // With the names known, reading stops once the chosen table's cells are given.
    bool done() const override { return m_cellsDone && m_namesKnown; }
    bool wantsAttributes(std::string_view name) const override {
        if (is(name, "table")) return true;
        return !m_cellsDone && (is(name, "table-cell") || is(name, "table-row") || is(name, "covered-table-cell") || is(name, "s"));
    }
    bool wantsText() const override { return !m_cellsDone; }

private:
    void startTable(std::string_view name) {
        const std::size_t position = m_table++;
        if (m_chosen) return;
        if (m_choice.name.empty() ? position == m_choice.index
                                  : (m_choice.anyCase ? db::sameName(name, m_choice.name) : name == m_choice.name)) {
            m_chosen = position;
            m_inTarget = true;
        }
    }
    void endTarget() {
        m_inTarget = false;
        m_cellsDone = true;
    }

    // A cell of the current row, to be given for each row the row repeats over.
    struct Pending {
        std::uint32_t firstCol, endCol;
        SheetCell::Type type;
        double number;
        std::size_t offset, length;
    };

    void startRow(const XmlAttributes& a) {
        m_inRow = true;
        m_rowRepeat = repeats(a, "number-rows-repeated", kMaxSheetRows);
        m_col = 0;
        m_pending.clear();
        m_rowText.clear();
    }

    void endRow() {
        m_inRow = false;
        std::uint64_t end = std::min<std::uint64_t>(m_row + m_rowRepeat, m_rowsWanted);
        for (std::uint64_t row = m_row; row < end; ++row)
            for (const Pending& p : m_pending) {
                SheetCell cell;
                cell.type = p.type;
                cell.number = p.number;
                cell.text = std::string_view(m_rowText).substr(p.offset, p.length);
                for (std::uint32_t col = p.firstCol; col < p.endCol; ++col)
                    m_sink.cell(static_cast<std::uint32_t>(row), col, cell);
            }
        m_row += m_rowRepeat;
        if (m_row >= m_rowsWanted) endTarget();
    }

    void startCell(bool covered, const XmlAttributes& a) {
        m_inCell = true;
        m_cellCol = m_col;
        m_cellDepth = m_skipDepth = m_paragraphDepth = 0;
        m_colRepeat = repeats(a, "number-columns-repeated", kMaxSheetCols);
        // A covered cell (under a merged range) is an empty cell in its own column.
        m_keep = !covered && m_col < m_colsWanted && m_row < m_rowsWanted;
        if (!m_keep) return;
        m_type.clear();
        m_error = false;
        m_formula = m_hasString = false;
        m_paragraphs = 0;
        m_text.clear();
        for (const auto& [key, value] : a) {
            if (is(key, "value-type")) {
                // office:value-type, and calcext:value-type="error" beside it for an error result.
                if (is(value, "error")) m_error = true;
                else if (m_type.empty()) m_type = value;
            } else if (is(key, "value") || is(key, "date-value") || is(key, "time-value") || is(key, "boolean-value")) {
                m_value = value;
            } else if (is(key, "string-value")) {
                m_string = value;
                m_hasString = true;
            } else if (is(key, "formula")) {
                m_formula = true;
            }
        }
    }

    void cellContent(std::string_view name, const XmlAttributes& a) {
        if (m_skipDepth != 0) return;
        if (is(name, "annotation") || is(name, "note")) {
            m_skipDepth = m_cellDepth;  // a comment or footnote is not the cell's text
        } else if (is(name, "p") || is(name, "h")) {
            if (m_paragraphs++ > 0) append("\n");
            m_paragraphDepth = m_cellDepth;
        } else if (m_paragraphDepth == 0) {
        } else if (is(name, "s")) {
            append(std::string(repeats(a, "c", kMaxBlanks), ' '));
        } else if (is(name, "tab")) {
            append("\t");
        } else if (is(name, "line-break")) {
            append("\n");
        }
    }

    void append(std::string_view text) {
        if (m_text.size() >= kMaxCellText) return;
        text = text.substr(0, kMaxCellText - m_text.size());
        m_text += text;
        if (m_text.size() == kMaxCellText)  // not in the middle of a character
            while (!m_text.empty() && (static_cast<unsigned char>(m_text.back()) & 0xC0) == 0x80) m_text.pop_back();
    }

    void endCell() {
        m_inCell = false;
        std::uint64_t first = m_col;
        m_col += m_colRepeat;
        if (!m_keep) return;
        std::string text;
        SheetCell cell = value(text);
        if (cell.type == SheetCell::Type::Text && cell.text.empty()) return;
        const auto endCol = static_cast<std::uint32_t>(std::min<std::uint64_t>(m_col, m_colsWanted));
        // A row given once is given as its cells end; a repeated row's cells wait for its end.
        if (m_rowRepeat == 1) {
            for (auto col = static_cast<std::uint32_t>(first); col < endCol; ++col)
                m_sink.cell(static_cast<std::uint32_t>(m_row), col, cell);
            return;
        }
        m_pending.push_back({static_cast<std::uint32_t>(first), endCol, cell.type, cell.number, m_rowText.size(),
                             cell.text.size()});
        m_rowText.append(cell.text);
    }

    SheetCell value(std::string& text) {
        SheetCell cell;
        if (m_error) {
            cell.type = SheetCell::Type::Error;
            cell.text = errorFromName(m_text);
        } else if (is(m_type, "float") || is(m_type, "percentage") || is(m_type, "currency")) {
            auto [end, ec] = std::from_chars(m_value.data(), m_value.data() + m_value.size(), cell.number);
            if (m_value.empty() || ec != std::errc() || end != m_value.data() + m_value.size() || !std::isfinite(cell.number))
                refuse(msg::kXlsxBadNumber);
            cell.type = SheetCell::Type::Number;
        } else if (is(m_type, "date")) {
            auto date = parseOdsDate(m_value);
            cell = date ? odsDateCell(*date, text) : SheetCell{};
            if (!date) cell.text = text = m_value;
        } else if (is(m_type, "time")) {
            auto seconds = parseOdsDuration(m_value);
            cell = seconds ? odsDurationCell(*seconds, text) : SheetCell{};
            if (!seconds) cell.text = text = m_value;
        } else if (is(m_type, "boolean")) {
            cell.type = SheetCell::Type::Boolean;
            if (is(m_value, "true") || is(m_value, "1")) cell.number = 1;
            else if (!is(m_value, "false") && !is(m_value, "0")) refuse(msg::kXlsxBadBoolean);
        } else if (is(m_type, "string")) {
            cell.text = m_hasString ? m_string : m_text;
        } else if (m_formula && m_type.empty()) {
            cell.type = SheetCell::Type::NoResult;
        } else {
            cell.text = m_text;
        }
        return cell;
    }

    // `what` names the cell as {cella}.
    [[noreturn]] void refuse(const char* what) const {
        unreadablePackage(kFormat, ReadFailure::Damaged,
                          db::filledText(what, {{"cella", cellName(static_cast<std::uint32_t>(m_row),
                                                                   static_cast<std::uint32_t>(m_cellCol))}}));
    }

    CellSink& m_sink;
    TableChoice m_choice;
    bool m_namesKnown;
    SheetNamesPart m_names;
    std::optional<std::size_t> m_chosen;
    std::size_t m_table = 0;
    std::uint32_t m_rowsWanted, m_colsWanted;
    int m_tables = 0;
    bool m_inSpreadsheet = false, m_inTarget = false, m_inRow = false, m_inCell = false, m_keep = false;
    bool m_cellsDone = false;
    std::uint64_t m_row = 0, m_col = 0, m_cellCol = 0;
    std::uint32_t m_rowRepeat = 1, m_colRepeat = 1;
    std::vector<Pending> m_pending;
    std::string m_rowText;
    // The cell being read: its attributes and its paragraphs' text.
    std::size_t m_cellDepth = 0, m_skipDepth = 0, m_paragraphDepth = 0, m_paragraphs = 0;
    std::string m_type, m_value, m_string, m_text;
    bool m_error = false, m_formula = false, m_hasString = false;
};

// The tables' names and their cells come from one pass over content.xml
// when the sheet is chosen by name or is the one the workbook opens on.
class OdsWorkbook : public WorkbookReader {
public:
    explicit OdsWorkbook(ZipArchive package) : m_zip(std::move(package)) {
        ManifestPart manifest;
        readXmlPart(m_zip, "META-INF/manifest.xml", manifest, kFormat);
        if (manifest.encrypted) throw SheetReadError(ReadFailure::Encrypted, "");
        if (!m_zip.find("content.xml")) contentMissing();
        SettingsPart settings;
        readXmlPart(m_zip, "settings.xml", settings, kFormat);
        if (settings.found) m_active = settings.active;
    }

    const std::vector<std::string>& sheetNames() const override {
        if (!m_names) {
            SheetNamesPart names;
            readXmlPart(m_zip, "content.xml", names, kFormat);
            m_names = std::move(names.names);
        }
        return *m_names;
    }

    std::size_t opensFirst() const override {
        const std::vector<std::string>& names = sheetNames();
        auto active = std::find(names.begin(), names.end(), m_active);
        return m_active && active != names.end() ? static_cast<std::size_t>(active - names.begin()) : 0;
    }

    void readSheet(std::size_t index, CellSink& sink) override {
        if (m_names && index >= m_names->size()) throw SheetReadError(msg::kBiffNoSuchSheet);
        if (!read(TableChoice{{}, false, index}, sink)) throw SheetReadError(msg::kBiffNoSuchSheet);
    }

    std::size_t readChosenSheet(const std::string& sheet, CellSink& sink) override {
        TableChoice choice{sheet, true, 0};
        if (sheet.empty() && m_active) choice = TableChoice{*m_active, false, 0};
        std::optional<std::size_t> chosen = read(choice, sink);
        if (m_names->empty()) refuseNoSheets();
        if (chosen) return *chosen;
        if (!sheet.empty()) refuseMissingSheet(sheet, *m_names);
        // The table the settings name is not in the workbook: the first one opens.
        readSheet(0, sink);
        return 0;
    }

private:
    [[noreturn]] static void contentMissing() {
        unreadablePackage(kFormat, ReadFailure::NotThisFormat,
                          db::filledText(msg::kPackagePartMissing, {{"voce", "content.xml"}}));
    }

    std::optional<std::size_t> read(const TableChoice& choice, CellSink& sink) {
        CellsPart cells(sink, choice, m_names.has_value());
        if (!readXmlPart(m_zip, "content.xml", cells, kFormat)) contentMissing();
        if (!m_names) m_names = std::move(cells.names());
        return cells.chosen();
    }

    ZipArchive m_zip;
    mutable std::optional<std::vector<std::string>> m_names;
    std::optional<std::string> m_active;
};

}  // namespace

std::unique_ptr<WorkbookReader> openOdsWorkbook(std::string bytes) {
    return openOdsPackage(openPackage(memoryBytes(std::move(bytes)), kFormat));
}

std::unique_ptr<WorkbookReader> openOdsPackage(ZipArchive package) {
    return std::make_unique<OdsWorkbook>(std::move(package));
}

}  // namespace tessaro7::import_excel
