// .xlsx workbooks read from their package parts: the package's
// relationships (which part is the workbook), the workbook (sheets, the tab
// it opens on, the date system), its relationships (where each sheet is),
// the styles (which cells show dates), the chosen worksheet streamed cell by
// cell to the receiver as far as the grid asked for, and then of the shared
// strings only those the grid's cells use.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <optional>
#include <tuple>
#include <unordered_map>

#include "app/Messages.h"
#include "db/FilledText.h"
#include "import_excel/CellReference.h"
#include "import_excel/CellText.h"
#include "import_excel/PackagePart.h"
#include "import_excel/WorkbookReader.h"

namespace tessaro7::import_excel {

namespace msg = app::msg;

namespace {

constexpr std::string_view kFormat = ".xlsx";
constexpr std::size_t kMaxSheets = 4096;

// A cell that cannot be read, named by its reference.
[[noreturn]] void cellFailure(ReadFailure cause, const char* text, std::uint32_t row, std::uint32_t col) {
    throw SheetReadError::withReason(cause, db::filledText(text, {{"cella", cellName(row, col)}}));
}

std::string_view attribute(const XmlAttributes& attributes, std::string_view name) { return xmlAttribute(attributes, name); }

// The whole text as a number of type T (whole or floating); nullopt when any of it is not.
template <typename T>
std::optional<T> numberFromText(std::string_view text) {
    T value{};
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return value;
}

// A Boolean attribute in any spelling XML and the writers use.
bool xmlTrue(std::string_view value) {
    std::string lower(value);
    for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return lower == "1" || lower == "true" || lower == "on";
}

// The workbook part: the sheets in tab order with their relationship ids,
// the tab the first window shows and the date system.
struct WorkbookPart : XmlHandler {
    struct Sheet {
        std::string name, relationship;
    };
    std::vector<Sheet> sheets;
    std::optional<std::size_t> activeTab;
    bool dates1904 = false;
    bool viewSeen = false;

    void open(std::string_view name, const XmlAttributes& a) override {
        if (name == "sheet") {
            if (sheets.size() >= kMaxSheets)
                throw SheetReadError::withReason(
                    ReadFailure::TooLarge, db::filledText(msg::kXlsxTooManySheets, {{"n", std::to_string(kMaxSheets)}}));
            sheets.push_back({std::string(attribute(a, "name")), std::string(attribute(a, "id"))});
        } else if (name == "workbookPr") {
            dates1904 = xmlTrue(attribute(a, "date1904"));
        } else if (name == "workbookView" && !viewSeen) {
            viewSeen = true;
            activeTab = numberFromText<std::size_t>(attribute(a, "activeTab"));
        }
    }
    void close(std::string_view) override {}
};

// A relationships part: id -> (type, target).
struct RelationshipsPart : XmlHandler {
    std::unordered_map<std::string, std::pair<std::string, std::string>> targets;
    void open(std::string_view name, const XmlAttributes& a) override {
        if (name == "Relationship" && attribute(a, "TargetMode") != "External" && targets.size() < 65536)
            targets[std::string(attribute(a, "Id"))] = {std::string(attribute(a, "Type")),
                                                        std::string(attribute(a, "Target"))};
    }
    void close(std::string_view) override {}
    // The target of the first relationship of a type ending in `type`.
    std::string ofType(std::string_view type) const {
        for (const auto& [id, relation] : targets)
            if (relation.first.ends_with(type)) return relation.second;
        return {};
    }
};

std::string folderOf(std::string_view part) {
    std::size_t slash = part.rfind('/');
    return slash == std::string_view::npos ? std::string() : std::string(part.substr(0, slash));
}

// "xl/workbook.xml" -> "xl/_rels/workbook.xml.rels".
std::string relationshipsOf(std::string_view part) {
    std::size_t slash = part.rfind('/');
    std::string_view file = slash == std::string_view::npos ? part : part.substr(slash + 1);
    std::string folder = folderOf(part);
    return (folder.empty() ? "" : folder + "/") + "_rels/" + std::string(file) + ".rels";
}

// The texts of the <si> items a sheet's cells use (plain <t>, or the <t> of
// each rich-text run <r>; phonetic readings <rPh> are not part of the text),
// one buffer for all; the part is read only up to the last item wanted.
class SharedStrings : public XmlHandler {
public:
    explicit SharedStrings(std::vector<std::size_t> wanted) : m_wanted(std::move(wanted)) {}

    void open(std::string_view name, const XmlAttributes&) override {
        if (name == "si") {
            finishItem();
            m_keep = m_next < m_wanted.size() && m_wanted[m_next] == m_item;
            if (m_keep) m_starts.push_back(m_text.size());
            m_inItem = true;
        } else if (name == "rPh") {
            m_inPhonetic = true;
        } else if (name == "t") {
            m_inText = m_inItem && m_keep && !m_inPhonetic;
        }
    }
    void close(std::string_view name) override {
        if (name == "si") finishItem();
        else if (name == "rPh") m_inPhonetic = false;
        else if (name == "t") m_inText = false;
    }
    void text(std::string_view text) override {
        if (m_inText) m_text += text;
    }
    bool done() const override { return m_next == m_wanted.size() && !m_inItem; }
    bool wantsAttributes(std::string_view) const override { return false; }
    void finishItem() {
        if (!m_inItem) return;
        if (m_keep) {
            decodeOoxmlEscapes(m_text, m_starts.back());
            ++m_next;
        }
        ++m_item;
        m_inItem = m_inText = m_inPhonetic = m_keep = false;
    }
    // The text of item `index`; nothing when the part has no such item.
    std::optional<std::string_view> operator[](std::size_t index) const {
        auto it = std::lower_bound(m_wanted.begin(), m_wanted.end(), index);
        std::size_t i = static_cast<std::size_t>(it - m_wanted.begin());
        if (it == m_wanted.end() || *it != index || i >= m_starts.size()) return std::nullopt;
        std::size_t end = i + 1 < m_starts.size() ? m_starts[i + 1] : m_text.size();
        return std::string_view(m_text).substr(m_starts[i], end - m_starts[i]);
    }

private:
    std::vector<std::size_t> m_wanted;  // sorted, without repeats
    std::size_t m_next = 0, m_item = 0;
    std::string m_text;
    std::vector<std::size_t> m_starts;
    bool m_inItem = false, m_inText = false, m_inPhonetic = false, m_keep = false;
};

// The styles part: for each cell format (<cellXfs><xf>), whether its number
// format shows a number, a date or elapsed time: a format defined in
// <numFmts> by its code, otherwise the built-in one of that number.
class StylesPart : public XmlHandler {
public:
    void open(std::string_view name, const XmlAttributes& a) override {
        if (name == "numFmt") {
            if (auto id = numberFromText<unsigned>(attribute(a, "numFmtId"))) m_custom[*id] = formatKind(attribute(a, "formatCode"));
        } else if (name == "cellXfs") {
            m_inCellFormats = true;
        } else if (name == "xf" && m_inCellFormats) {
            m_formats.push_back(numberFromText<unsigned>(attribute(a, "numFmtId")).value_or(0));
        }
    }
    void close(std::string_view name) override {
        if (name == "cellXfs") m_inCellFormats = false;
    }
    std::vector<FormatKind> formatKinds() const {
        std::vector<FormatKind> kinds;
        kinds.reserve(m_formats.size());
        for (unsigned id : m_formats) {
            auto custom = m_custom.find(id);
            kinds.push_back(custom != m_custom.end()  ? custom->second
                            : !isBuiltInDateFormat(id) ? FormatKind::Number
                            : id == 46                 ? FormatKind::Elapsed  // [h]:mm:ss
                                                       : FormatKind::Date);
        }
        return kinds;
    }

private:
    std::map<unsigned, FormatKind> m_custom;
    std::vector<unsigned> m_formats;
    bool m_inCellFormats = false;
};

// A shared-string cell inside the grid, given once the strings are read.
struct SharedCell {
    std::uint32_t row, col;
    std::size_t index;
};

// A worksheet's <sheetData>: each <c> with its reference (or the column
// after the previous cell of its row), type, style, formula, value <v> and
// inline text <is>, handed to the receiver when the cell closes; a cell
// outside the grid asked for is not kept, and reading stops at the first
// row below it. Shared-string cells wait in `shared`.
class SheetPart : public XmlHandler {
public:
    SheetPart(CellSink& sink, std::vector<SharedCell>& shared, const std::vector<FormatKind>& kinds, bool epoch1904)
        : m_sink(sink), m_shared(shared), m_kinds(kinds), m_epoch1904(epoch1904),
          m_rowsWanted(std::min(sink.rowsWanted(), kMaxSheetRows)), m_colsWanted(std::min(sink.colsWanted(), kMaxSheetCols)) {}

    void open(std::string_view name, const XmlAttributes& a) override {
        if (name == "row") {
            auto r = numberFromText<std::uint32_t>(attribute(a, "r"));
            m_row = r && *r >= 1 && *r <= kMaxSheetRows ? *r - 1 : std::min<std::int64_t>(m_row + 1, kMaxSheetRows);
            m_nextCol = 0;
            m_done = m_row >= m_rowsWanted;
        } else if (name == "c") {
            startCell(a);
        } else if (!m_inCell) {
        } else if (name == "f") {
            m_formula = true;
        } else if (name == "v") {
            m_inValue = m_valueSeen = true;
        } else if (name == "is") {
            m_inInline = true;
        } else if (name == "rPh") {
            m_inPhonetic = true;
        } else if (name == "t") {
            m_inText = m_inInline && !m_inPhonetic;
        }
    }

    void close(std::string_view name) override {
        if (name == "v") m_inValue = false;
        else if (name == "t") m_inText = false;
        else if (name == "rPh") m_inPhonetic = false;
        else if (name == "is") m_inInline = false;
        else if (name == "c" && m_inCell) {
            m_inCell = m_inValue = m_inText = m_inInline = m_inPhonetic = false;
            if (m_keep) emit();
        }
    }

    void text(std::string_view text) override {
        if (!m_keep) return;
        if (m_inValue) m_value += text.substr(0, kMaxText - std::min(kMaxText, m_value.size()));
        else if (m_inText) m_inline += text.substr(0, kMaxText - std::min(kMaxText, m_inline.size()));
    }

    bool done() const override { return m_done; }
    bool wantsAttributes(std::string_view name) const override { return name == "row" || name == "c"; }

private:
    // The longest text a cell holds: 32767 characters of up to four bytes.
    static constexpr std::size_t kMaxText = 4 * 32767;

    void startCell(const XmlAttributes& a) {
        std::string_view ref = attribute(a, "r");
        m_cellRow = static_cast<std::uint32_t>(std::max<std::int64_t>(m_row, 0));
        m_cellCol = m_nextCol;
        if (!ref.empty()) {
            auto at = cellReference(ref);
            if (!at) throw SheetReadError("riferimento di cella non valido \"" + std::string(ref.substr(0, 16)) + "\"");
            std::tie(m_cellRow, m_cellCol) = *at;
            m_row = m_cellRow;
        }
        m_nextCol = std::min(m_cellCol + 1, kMaxSheetCols);
        m_type = attribute(a, "t");
        m_style = numberFromText<std::size_t>(attribute(a, "s")).value_or(0);
        m_inCell = true;
        m_keep = m_cellRow < m_rowsWanted && m_cellCol < m_colsWanted;
        m_formula = m_valueSeen = false;
        m_value.clear();
        m_inline.clear();
    }

    void emit() {
        SheetCell cell;
        cell.epoch1904 = m_epoch1904;
        if (m_type == "inlineStr") {
            decodeOoxmlEscapes(m_inline);
            cell.text = m_inline;
        } else if (!m_valueSeen || (m_value.empty() && m_type != "str")) {
            // No stored value: a formula saved without its result, or an empty cell.
            if (!m_formula) return;
            cell.type = SheetCell::Type::NoResult;
        } else if (m_type == "s") {
            auto index = numberFromText<std::size_t>(m_value);
            if (!index) cellFailure(ReadFailure::BadOffset, msg::kXlsxNoSuchSharedText, m_cellRow, m_cellCol);
            m_shared.push_back({m_cellRow, m_cellCol, *index});
            return;
        } else if (m_type == "str" || m_type == "d") {
            decodeOoxmlEscapes(m_value);
            cell.text = m_value;
        } else if (m_type == "b") {
            cell.type = SheetCell::Type::Boolean;
            if (m_value == "1" || m_value == "true") cell.number = 1;
            else if (m_value != "0" && m_value != "false") cellFailure(ReadFailure::Damaged, msg::kXlsxBadBoolean, m_cellRow, m_cellCol);
        } else if (m_type == "e") {
            cell.type = SheetCell::Type::Error;
            cell.text = errorFromName(m_value);
        } else {
            auto number = numberFromText<double>(m_value);
            if (!number || !std::isfinite(*number)) cellFailure(ReadFailure::Damaged, msg::kXlsxBadNumber, m_cellRow, m_cellCol);
            cell.number = *number;
            const FormatKind kind = m_style < m_kinds.size() ? m_kinds[m_style] : FormatKind::Number;
            cell.type = kind == FormatKind::Date      ? SheetCell::Type::Date
                        : kind == FormatKind::Elapsed ? SheetCell::Type::Elapsed
                                                      : SheetCell::Type::Number;
        }
        m_sink.cell(m_cellRow, m_cellCol, cell);
    }

    CellSink& m_sink;
    std::vector<SharedCell>& m_shared;
    const std::vector<FormatKind>& m_kinds;
    bool m_epoch1904;
    std::uint32_t m_rowsWanted, m_colsWanted;
    std::int64_t m_row = -1;
    std::uint32_t m_nextCol = 0, m_cellRow = 0, m_cellCol = 0;
    std::string m_type;
    std::size_t m_style = 0;
    std::string m_value, m_inline;
    bool m_inCell = false, m_keep = false, m_done = false, m_formula = false, m_valueSeen = false, m_inValue = false,
         m_inInline = false, m_inText = false, m_inPhonetic = false;
};

class XlsxWorkbook : public WorkbookReader {
public:
    explicit XlsxWorkbook(ZipArchive package) : m_zip(std::move(package)) {
        std::string main = mainPart();
        WorkbookPart workbook;
        part(main, workbook, true);
        RelationshipsPart relationships;
        part(relationshipsOf(main), relationships, true);
        std::string folder = folderOf(main);
        for (std::size_t i = 0; i < workbook.sheets.size(); ++i) {
            auto found = relationships.targets.find(workbook.sheets[i].relationship);
            if (found == relationships.targets.end() || !found->second.first.ends_with("/worksheet")) continue;
            if (workbook.activeTab == i) m_opensFirst = m_names.size();
            m_names.push_back(workbook.sheets[i].name);
            m_paths.push_back(packagePartPath(folder, found->second.second));
        }
        m_epoch1904 = workbook.dates1904;
        std::string strings = relationships.ofType("/sharedStrings"), styles = relationships.ofType("/styles");
        m_stringsPath = packagePartPath(folder, strings.empty() ? "sharedStrings.xml" : strings);
        StylesPart stylesPart;
        part(packagePartPath(folder, styles.empty() ? "styles.xml" : styles), stylesPart, false);
        m_kinds = stylesPart.formatKinds();
    }

    const std::vector<std::string>& sheetNames() const override { return m_names; }
    std::size_t opensFirst() const override { return m_opensFirst; }

    void readSheet(std::size_t index, CellSink& sink) override {
        if (index >= m_paths.size()) throw SheetReadError("foglio inesistente");
        std::vector<SharedCell> shared;
        SheetPart sheet(sink, shared, m_kinds, m_epoch1904);
        part(m_paths[index], sheet, true);
        if (shared.empty()) return;
        std::vector<std::size_t> wanted;
        wanted.reserve(shared.size());
        for (const SharedCell& c : shared) wanted.push_back(c.index);
        std::sort(wanted.begin(), wanted.end());
        wanted.erase(std::unique(wanted.begin(), wanted.end()), wanted.end());
        SharedStrings strings(std::move(wanted));
        part(m_stringsPath, strings, false);
        strings.finishItem();
        for (const SharedCell& c : shared) {
            auto text = strings[c.index];
            if (!text) cellFailure(ReadFailure::BadOffset, msg::kXlsxNoSuchSharedText, c.row, c.col);
            SheetCell cell;
            cell.text = *text;
            sink.cell(c.row, c.col, cell);
        }
    }

private:
    // The workbook part, named by the package's officeDocument relationship
    // (a package without relationships keeps it at xl/workbook.xml).
    std::string mainPart() {
        RelationshipsPart package;
        if (!readXmlPart(m_zip, "_rels/.rels", package, kFormat)) return "xl/workbook.xml";
        std::string target = package.ofType("/officeDocument");
        if (target.empty()) unreadablePackage(kFormat, ReadFailure::NotThisFormat, msg::kPackageNoWorkbookPart);
        return packagePartPath("", target);
    }

    // Reads a part; a missing optional part has nothing to read.
    void part(const std::string& path, XmlHandler& handler, bool required) {
        if (!readXmlPart(m_zip, path, handler, kFormat) && required)
            unreadablePackage(kFormat, ReadFailure::NotThisFormat,
                              db::filledText(msg::kPackagePartMissing, {{"voce", path.substr(0, 60)}}));
    }

    ZipArchive m_zip;
    std::vector<std::string> m_names, m_paths;
    std::string m_stringsPath;
    std::size_t m_opensFirst = 0;
    bool m_epoch1904 = false;
    std::vector<FormatKind> m_kinds;
};

}  // namespace

std::unique_ptr<WorkbookReader> openXlsxWorkbook(std::string bytes) {
    return openXlsxPackage(openPackage(memoryBytes(std::move(bytes)), kFormat));
}

std::unique_ptr<WorkbookReader> openXlsxPackage(ZipArchive package) {
    return std::make_unique<XlsxWorkbook>(std::move(package));
}

}  // namespace tessaro7::import_excel
