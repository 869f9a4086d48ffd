// .xlsx workbooks read from their package parts: the workbook (sheets, the
// tab it opens on, the date system), its relationships (where each sheet
// is), the shared strings, the styles (which cells show dates) and the
// chosen worksheet, streamed cell by cell to the receiver. The package is
// checked before anything is unpacked; each part is parsed without
// recursion and what it keeps grows only with the part's own size.
#include <orcus/zip_archive.hpp>
#include <orcus/zip_archive_stream.hpp>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <map>
#include <optional>
#include <tuple>
#include <unordered_map>

#include "db/Cp1252.h"
#include "import_excel/CellText.h"
#include "import_excel/WorkbookReader.h"
#include "import_excel/ZipPackage.h"

namespace tessaro7::import_excel {

namespace {

constexpr std::size_t kMaxSheets = 256;
constexpr std::uint32_t kMaxRows = 1048576, kMaxCols = 16384;
// An element keeps no more attributes than any part defines for one.
constexpr std::size_t kMaxAttributes = 32;
// No part nests elements deeper than a handful of levels.
constexpr std::size_t kMaxDepth = 64;

using Attributes = std::vector<std::pair<std::string_view, std::string_view>>;

std::string_view attribute(const Attributes& attributes, std::string_view name) {
    for (const auto& [key, value] : attributes)
        if (key == name) return value;
    return {};
}

template <typename T>
std::optional<T> whole(std::string_view text) {
    T value{};
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return value;
}

[[noreturn]] void badXml(const char* why) {
    throw SheetReadError(std::string("non è una cartella di lavoro .xlsx leggibile (XML non valido: ") + why + ")");
}

// `raw` with its entity and character references replaced; `raw` itself
// when it has none.
std::string_view decoded(std::string_view raw, std::string& out) {
    if (raw.find('&') == std::string_view::npos) return raw;
    static const std::pair<std::string_view, char> kEntities[] = {
        {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
    out.clear();
    for (std::size_t i = 0; i < raw.size();) {
        if (raw[i] != '&') {
            out += raw[i++];
            continue;
        }
        std::size_t end = raw.find(';', i);
        if (end == std::string_view::npos || end - i > 12) badXml("riferimento a carattere non chiuso");
        std::string_view name = raw.substr(i + 1, end - i - 1);
        i = end + 1;
        if (!name.empty() && name[0] == '#') {
            bool hex = name.size() > 1 && (name[1] == 'x' || name[1] == 'X');
            std::string_view digits = name.substr(hex ? 2 : 1);
            std::uint32_t code = 0;
            auto [stop, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), code, hex ? 16 : 10);
            if (digits.empty() || ec != std::errc() || stop != digits.data() + digits.size()) badXml("carattere non valido");
            db::appendUtf8(out, code == 0 || (code >= 0xD800 && code < 0xE000) || code > 0x10FFFF ? 0xFFFD : code);
            continue;
        }
        bool known = false;
        for (const auto& [entity, c] : kEntities)
            if (name == entity) {
                out += c;
                known = true;
            }
        if (!known) badXml("entità sconosciuta");
    }
    return out;
}

bool nameChar(char c) {
    return c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != '/' && c != '>' && c != '=' && c != '<' &&
           c != '"' && c != '\'';
}

std::string_view localName(std::string_view qualified) {
    std::size_t colon = qualified.rfind(':');
    return colon == std::string_view::npos ? qualified : qualified.substr(colon + 1);
}

// Feeds a part's elements (by local name, without namespace prefix), their
// attributes and their text to `Part`, whose open/close/text are called in
// document order; text may arrive in pieces. Comments, processing
// instructions and the document type are skipped. One pass, no recursion,
// nesting bounded; a part that is not well-formed is refused.
template <typename Part>
void parsePart(std::string_view x, Part& part) {
    std::vector<std::string_view> open;
    Attributes attributes;
    std::array<std::string, kMaxAttributes> values;
    std::string text;
    auto skipSpace = [&](std::size_t& j) {
        while (j < x.size() && (x[j] == ' ' || x[j] == '\t' || x[j] == '\r' || x[j] == '\n')) ++j;
    };
    auto skipPast = [&](std::size_t& i, std::string_view from, std::string_view to, const char* why) {
        std::size_t end = x.find(to, i + from.size());
        if (end == std::string_view::npos) badXml(why);
        std::string_view inside = x.substr(i + from.size(), end - i - from.size());
        i = end + to.size();
        return inside;
    };
    for (std::size_t i = 0; i < x.size();) {
        if (x[i] != '<') {
            std::size_t end = std::min(x.find('<', i), x.size());
            if (!open.empty()) part.text(decoded(x.substr(i, end - i), text));
            i = end;
        } else if (x.substr(i, 4) == "<!--") {
            skipPast(i, "<!--", "-->", "commento non chiuso");
        } else if (x.substr(i, 9) == "<![CDATA[") {
            std::string_view inside = skipPast(i, "<![CDATA[", "]]>", "sezione CDATA non chiusa");
            if (!open.empty()) part.text(inside);
        } else if (x.substr(i, 2) == "<?") {
            skipPast(i, "<?", "?>", "istruzione non chiusa");
        } else if (x.substr(i, 2) == "<!") {
            skipPast(i, "<!", ">", "dichiarazione non chiusa");
        } else {
            bool closing = x.substr(i, 2) == "</";
            std::size_t j = i + (closing ? 2 : 1), start = j;
            while (j < x.size() && nameChar(x[j])) ++j;
            if (j == start) badXml("elemento senza nome");
            std::string_view name = localName(x.substr(start, j - start));
            if (closing) {
                skipSpace(j);
                if (j >= x.size() || x[j] != '>') badXml("chiusura di elemento non terminata");
                if (open.empty() || open.back() != name) badXml("chiusura di un elemento non aperto");
                open.pop_back();
                part.close(name);
                i = j + 1;
                continue;
            }
            attributes.clear();
            bool empty = false;
            for (;;) {
                skipSpace(j);
                if (j >= x.size()) badXml("elemento non terminato");
                if (x[j] == '>') {
                    ++j;
                    break;
                }
                if (x[j] == '/') {
                    if (j + 1 >= x.size() || x[j + 1] != '>') badXml("elemento non terminato");
                    empty = true;
                    j += 2;
                    break;
                }
                std::size_t nameStart = j;
                while (j < x.size() && nameChar(x[j])) ++j;
                if (j == nameStart) badXml("attributo senza nome");
                std::string_view attributeName = localName(x.substr(nameStart, j - nameStart));
                skipSpace(j);
                if (j >= x.size() || x[j] != '=') badXml("attributo senza valore");
                ++j;
                skipSpace(j);
                if (j >= x.size() || (x[j] != '"' && x[j] != '\'')) badXml("valore di attributo senza virgolette");
                std::size_t end = x.find(x[j], j + 1);
                if (end == std::string_view::npos) badXml("valore di attributo non chiuso");
                if (attributes.size() < kMaxAttributes) {
                    std::string& value = values[attributes.size()];
                    attributes.emplace_back(attributeName, decoded(x.substr(j + 1, end - j - 1), value));
                }
                j = end + 1;
            }
            if (open.size() >= kMaxDepth) badXml("elementi annidati troppo a fondo");
            open.push_back(name);
            part.open(name, attributes);
            if (empty) {
                open.pop_back();
                part.close(name);
            }
            i = j;
        }
    }
    if (!open.empty()) badXml("elemento non chiuso");
}

template <typename Part>
void parsePart(const std::vector<unsigned char>& xml, Part& part) {
    parsePart(std::string_view(reinterpret_cast<const char*>(xml.data()), xml.size()), part);
}

// A stored text from `from` to the end of `text`, with the package's escapes
// of characters XML cannot hold ("_x000D_", "_x005F_" for an underscore)
// turned back into the characters.
void unescapeFrom(std::string& text, std::size_t from) {
    if (text.find("_x", from) == std::string::npos) return;
    std::string out;
    for (std::size_t i = from; i < text.size();) {
        unsigned code = 0;
        if (text.compare(i, 2, "_x") == 0 && i + 7 <= text.size() && text[i + 6] == '_') {
            auto [end, ec] = std::from_chars(text.data() + i + 2, text.data() + i + 6, code, 16);
            if (ec == std::errc() && end == text.data() + i + 6) {
                db::appendUtf8(out, code >= 0xD800 && code < 0xE000 ? 0xFFFD : code);
                i += 7;
                continue;
            }
        }
        out += text[i++];
    }
    text.replace(from, std::string::npos, out);
}

// xl/workbook.xml: the sheets in tab order with their relationship ids, the
// tab the first window shows and the date system.
struct WorkbookPart {
    struct Sheet {
        std::string name, relationship;
    };
    std::vector<Sheet> sheets;
    std::optional<std::size_t> activeTab;
    bool dates1904 = false;
    bool viewSeen = false;

    void open(std::string_view name, const Attributes& a) {
        if (name == "sheet") {
            if (sheets.size() >= kMaxSheets)
                throw SheetReadError("la cartella di lavoro ha più di " + std::to_string(kMaxSheets) + " fogli");
            sheets.push_back({std::string(attribute(a, "name")), std::string(attribute(a, "id"))});
        } else if (name == "workbookPr") {
            std::string_view v = attribute(a, "date1904");
            dates1904 = v == "1" || v == "true";
        } else if (name == "workbookView" && !viewSeen) {
            viewSeen = true;
            activeTab = whole<std::size_t>(attribute(a, "activeTab"));
        }
    }
    void close(std::string_view) {}
    void text(std::string_view) {}
};

// A relationships part: id -> (type, target).
struct RelationshipsPart {
    std::unordered_map<std::string, std::pair<std::string, std::string>> targets;
    void open(std::string_view name, const Attributes& a) {
        if (name == "Relationship" && attribute(a, "TargetMode") != "External")
            targets[std::string(attribute(a, "Id"))] = {std::string(attribute(a, "Type")),
                                                        std::string(attribute(a, "Target"))};
    }
    void close(std::string_view) {}
    void text(std::string_view) {}
    // The target of the first relationship of a type ending in `type`.
    std::string ofType(std::string_view type) const {
        for (const auto& [id, relation] : targets)
            if (relation.first.size() >= type.size() &&
                std::string_view(relation.first).substr(relation.first.size() - type.size()) == type)
                return relation.second;
        return {};
    }
};

// The package path of a target named from xl/: relative ("worksheets/x.xml",
// "../x.xml") or absolute ("/xl/worksheets/x.xml").
std::string partPath(std::string_view target) {
    std::vector<std::string_view> parts;
    if (target.empty() || target.front() != '/') parts.push_back("xl");
    while (!target.empty()) {
        std::size_t slash = target.find('/');
        std::string_view segment = target.substr(0, slash);
        target = slash == std::string_view::npos ? std::string_view() : target.substr(slash + 1);
        if (segment == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!segment.empty() && segment != ".") {
            parts.push_back(segment);
        }
    }
    std::string path;
    for (std::string_view p : parts) (path.empty() ? path : path += '/') += p;
    return path;
}

// The texts of <si> items (plain <t>, or the <t> of each rich-text run
// <r>; phonetic readings <rPh> are not part of the text), one buffer for
// all, so that a part of many short items stays near its own size.
class SharedStrings {
public:
    void open(std::string_view name, const Attributes&) {
        if (name == "si") {
            finishItem();
            m_starts.push_back(m_text.size());
            m_inItem = true;
        } else if (name == "rPh") {
            m_inPhonetic = true;
        } else if (name == "t") {
            m_inText = m_inItem && !m_inPhonetic;
        }
    }
    void close(std::string_view name) {
        if (name == "si") finishItem();
        else if (name == "rPh") m_inPhonetic = false;
        else if (name == "t") m_inText = false;
    }
    void text(std::string_view text) {
        if (m_inText) m_text += text;
    }
    void finishItem() {
        if (m_inItem) unescapeFrom(m_text, m_starts.back());
        m_inItem = m_inText = m_inPhonetic = false;
    }
    std::size_t size() const { return m_starts.size(); }
    std::string_view operator[](std::size_t i) const {
        std::size_t end = i + 1 < m_starts.size() ? m_starts[i + 1] : m_text.size();
        return std::string_view(m_text).substr(m_starts[i], end - m_starts[i]);
    }

private:
    std::string m_text;
    std::vector<std::size_t> m_starts;
    bool m_inItem = false, m_inText = false, m_inPhonetic = false;
};

// xl/styles.xml: for each cell format (<cellXfs><xf>), whether its number
// format shows dates: a format defined in <numFmts> by its code, otherwise
// the built-in one of that number.
class StylesPart {
public:
    void open(std::string_view name, const Attributes& a) {
        if (name == "numFmt") {
            if (auto id = whole<unsigned>(attribute(a, "numFmtId"))) m_custom[*id] = isDateFormat(attribute(a, "formatCode"));
        } else if (name == "cellXfs") {
            m_inCellFormats = true;
        } else if (name == "xf" && m_inCellFormats) {
            m_formats.push_back(whole<unsigned>(attribute(a, "numFmtId")).value_or(0));
        }
    }
    void close(std::string_view name) {
        if (name == "cellXfs") m_inCellFormats = false;
    }
    void text(std::string_view) {}
    std::vector<bool> dateFormats() const {
        std::vector<bool> dates;
        dates.reserve(m_formats.size());
        for (unsigned id : m_formats) {
            auto custom = m_custom.find(id);
            dates.push_back(custom != m_custom.end() ? custom->second : isBuiltInDateFormat(id));
        }
        return dates;
    }

private:
    std::map<unsigned, bool> m_custom;
    std::vector<unsigned> m_formats;
    bool m_inCellFormats = false;
};

// "B3" -> row 2, column 1.
std::optional<std::pair<std::uint32_t, std::uint32_t>> cellReference(std::string_view ref) {
    std::uint32_t col = 0;
    std::size_t i = 0;
    for (; i < ref.size() && i < 3; ++i) {
        char c = ref[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c < 'A' || c > 'Z') break;
        col = col * 26 + static_cast<std::uint32_t>(c - 'A' + 1);
    }
    auto row = whole<std::uint32_t>(ref.substr(i));
    if (i == 0 || !row || *row == 0 || *row > kMaxRows || col > kMaxCols) return std::nullopt;
    return std::pair(*row - 1, col - 1);
}

std::string_view errorFromName(std::string_view name) { return errorTextByName(name); }

// A worksheet's <sheetData>: each <c> with its reference (or the column
// after the previous cell of its row), type, style, formula, value <v> and
// inline text <is>, handed to the receiver when the cell closes.
class SheetPart {
public:
    SheetPart(CellSink& sink, const SharedStrings& strings, const std::vector<bool>& dates, bool epoch1904)
        : m_sink(sink), m_strings(strings), m_dates(dates), m_epoch1904(epoch1904) {}

    void open(std::string_view name, const Attributes& a) {
        if (name == "row") {
            auto r = whole<std::uint32_t>(attribute(a, "r"));
            m_row = r && *r >= 1 && *r <= kMaxRows ? *r - 1 : std::min<std::int64_t>(m_row + 1, kMaxRows);
            m_nextCol = 0;
        } else if (name == "c") {
            std::string_view ref = attribute(a, "r");
            m_cellRow = static_cast<std::uint32_t>(m_row);
            m_cellCol = m_nextCol;
            if (!ref.empty()) {
                auto at = cellReference(ref);
                if (!at) throw SheetReadError("riferimento di cella non valido \"" + std::string(ref.substr(0, 16)) + "\"");
                std::tie(m_cellRow, m_cellCol) = *at;
                m_row = m_cellRow;
            }
            m_nextCol = std::min(m_cellCol + 1, kMaxCols);
            m_type = attribute(a, "t");
            m_style = whole<std::size_t>(attribute(a, "s")).value_or(0);
            m_inCell = true;
            m_formula = m_valueSeen = false;
            m_value.clear();
            m_inline.clear();
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

    void close(std::string_view name) {
        if (name == "v") m_inValue = false;
        else if (name == "t") m_inText = false;
        else if (name == "rPh") m_inPhonetic = false;
        else if (name == "is") m_inInline = false;
        else if (name == "c" && m_inCell) {
            m_inCell = m_inValue = m_inText = m_inInline = m_inPhonetic = false;
            emit();
        }
    }

    void text(std::string_view text) {
        if (m_inValue) m_value += text;
        else if (m_inText) m_inline += text;
    }

private:
    void emit() {
        SheetCell cell;
        cell.epoch1904 = m_epoch1904;
        if (m_type == "inlineStr") {
            unescapeFrom(m_inline, 0);
            cell.text = m_inline;
        } else if (!m_valueSeen || (m_value.empty() && m_type != "str")) {
            // No stored value: a formula saved without its result, or an empty cell.
            if (!m_formula) return;
            cell.type = SheetCell::Type::NoResult;
        } else if (m_type == "s") {
            auto index = whole<std::size_t>(m_value);
            if (!index || *index >= m_strings.size())
                throw SheetReadError("la cella " + where() + " rimanda a un testo condiviso inesistente");
            cell.text = m_strings[*index];
        } else if (m_type == "str" || m_type == "d") {
            unescapeFrom(m_value, 0);
            cell.text = m_value;
        } else if (m_type == "b") {
            cell.type = SheetCell::Type::Boolean;
            if (m_value == "1" || m_value == "true") cell.number = 1;
            else if (m_value != "0" && m_value != "false") throw SheetReadError("la cella " + where() + " ha un valore logico non valido");
        } else if (m_type == "e") {
            cell.type = SheetCell::Type::Error;
            cell.text = errorFromName(m_value);
        } else {
            auto number = whole<double>(m_value);
            if (!number || !std::isfinite(*number)) throw SheetReadError("la cella " + where() + " ha un numero non valido");
            cell.number = *number;
            cell.type = m_style < m_dates.size() && m_dates[m_style] ? SheetCell::Type::Date : SheetCell::Type::Number;
        }
        m_sink.cell(m_cellRow, m_cellCol, cell);
    }

    std::string where() const {
        std::string name;
        for (std::uint32_t c = m_cellCol + 1; c > 0; c = (c - 1) / 26) name.insert(name.begin(), char('A' + (c - 1) % 26));
        return name + std::to_string(m_cellRow + 1);
    }

    CellSink& m_sink;
    const SharedStrings& m_strings;
    const std::vector<bool>& m_dates;
    bool m_epoch1904;
    std::int64_t m_row = -1;
    std::uint32_t m_nextCol = 0, m_cellRow = 0, m_cellCol = 0;
    std::string m_type;
    std::size_t m_style = 0;
    std::string m_value, m_inline;
    bool m_inCell = false, m_formula = false, m_valueSeen = false, m_inValue = false, m_inInline = false,
         m_inText = false, m_inPhonetic = false;
};

class XlsxWorkbook : public WorkbookReader {
public:
    explicit XlsxWorkbook(std::string bytes)
        : m_bytes(std::move(bytes)),
          m_stream(reinterpret_cast<const std::uint8_t*>(m_bytes.data()), m_bytes.size()),
          m_archive(&m_stream) {
        checkPackage(m_bytes);
        readable([&] {
            m_archive.load();
            WorkbookPart workbook;
            parsePart(part("xl/workbook.xml", true), workbook);
            RelationshipsPart relationships;
            parsePart(part("xl/_rels/workbook.xml.rels", true), relationships);
            for (std::size_t i = 0; i < workbook.sheets.size(); ++i) {
                auto found = relationships.targets.find(workbook.sheets[i].relationship);
                if (found == relationships.targets.end() || !found->second.first.ends_with("/worksheet")) continue;
                if (workbook.activeTab == i) m_opensFirst = m_names.size();
                m_names.push_back(workbook.sheets[i].name);
                m_paths.push_back(partPath(found->second.second));
            }
            m_epoch1904 = workbook.dates1904;
            std::string strings = relationships.ofType("/sharedStrings"), styles = relationships.ofType("/styles");
            parsePart(part(strings.empty() ? "xl/sharedStrings.xml" : partPath(strings), false), m_strings);
            m_strings.finishItem();
            StylesPart stylesPart;
            parsePart(part(styles.empty() ? "xl/styles.xml" : partPath(styles), false), stylesPart);
            m_dates = stylesPart.dateFormats();
        });
    }

    const std::vector<std::string>& sheetNames() const override { return m_names; }
    std::size_t opensFirst() const override { return m_opensFirst; }

    void readSheet(std::size_t index, CellSink& sink) override {
        if (index >= m_paths.size()) throw SheetReadError("foglio inesistente");
        readable([&] {
            SheetPart sheet(sink, m_strings, m_dates, m_epoch1904);
            parsePart(part(m_paths[index], true), sheet);
        });
    }

private:
    // Runs `step`, giving any failure of the package or of its XML as the
    // reason the workbook cannot be read.
    template <typename Step>
    void readable(Step step) {
        try {
            step();
        } catch (const SheetReadError&) {
            throw;
        } catch (const std::exception& e) {
            throw SheetReadError(std::string("non è una cartella di lavoro .xlsx leggibile (") + e.what() + ")");
        }
    }

    // A part unpacked; a missing optional part is empty, and an empty part has nothing to read.
    std::vector<unsigned char> part(const std::string& path, bool required) {
        std::vector<unsigned char> bytes;
        if (!m_archive.read_file_entry(path, bytes)) {
            if (required) throw SheetReadError("non è una cartella di lavoro .xlsx leggibile (manca " + path + ")");
            bytes.clear();
        }
        return bytes;
    }

    std::string m_bytes;
    orcus::zip_archive_stream_blob m_stream;
    orcus::zip_archive m_archive;
    std::vector<std::string> m_names, m_paths;
    std::size_t m_opensFirst = 0;
    bool m_epoch1904 = false;
    SharedStrings m_strings;
    std::vector<bool> m_dates;
};

}  // namespace

std::unique_ptr<WorkbookReader> openXlsxWorkbook(std::string bytes) {
    return std::make_unique<XlsxWorkbook>(std::move(bytes));
}

}  // namespace tessaro7::import_excel
