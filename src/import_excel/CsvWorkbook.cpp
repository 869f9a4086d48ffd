// .csv lists: one worksheet whose cells are the fields, each its own text (no
// number or date guessing). The separator (';', ',' or tab) is the one found
// the same number of times in each of the first lines; quotes follow RFC 4180
// (a quoted field may hold the separator, doubled quotes and line ends).
// Texts are UTF-8, with or without a byte-order mark, when the bytes are
// valid UTF-8, and Windows-1252 otherwise. The file is read as a stream over
// its bytes: each field is decoded on its own and kept only up to the
// longest text a field can store, rows and columns beyond those asked for
// are skipped.
#include <array>

#include "db/TextCodec.h"
#include "import_excel/WorkbookReader.h"

namespace tessaro7::import_excel {

namespace {

constexpr std::size_t kSampleLines = 20;
// The longest text a field of the tables can store is far shorter: what is
// beyond is never looked at (the import refuses a text longer than its field).
constexpr std::size_t kMaxFieldBytes = std::size_t(64) << 10;

// Appends the bytes [from, to) of a field, up to the bound.
void keep(std::string& value, std::string_view text, std::size_t from, std::size_t to) {
    if (value.size() < kMaxFieldBytes) value.append(text.substr(from, std::min(to - from, kMaxFieldBytes - value.size())));
}

// Calls field(row, col, bytes) for every field, as long as it returns true.
template <typename Field>
void parse(std::string_view text, char sep, Field&& field) {
    std::string value;
    std::uint32_t row = 0, col = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        value.clear();
        if (text[i] == '"') {
            for (++i; i < text.size(); ++i) {
                std::size_t quote = text.find('"', i);
                if (quote == std::string_view::npos) {  // unclosed: the field runs to the end
                    keep(value, text, i, text.size());
                    i = text.size();
                    break;
                }
                keep(value, text, i, quote);
                i = quote;
                if (i + 1 < text.size() && text[i + 1] == '"') {
                    keep(value, "\"", 0, 1);
                    ++i;
                } else {
                    ++i;
                    break;
                }
            }
        }
        // Unquoted text, or whatever follows a closing quote, up to the separator or line end.
        std::size_t end = i;
        while (end < text.size() && text[end] != sep && text[end] != '\n' && text[end] != '\r') ++end;
        keep(value, text, i, end);
        i = end;
        if (!field(row, col, value)) return;
        if (i < text.size() && text[i] == sep) {
            ++i;
            ++col;
            if (i == text.size()) field(row, col, std::string_view());
            continue;
        }
        if (i < text.size() && text[i] == '\r') {
            if (++i < text.size() && text[i] == '\n') ++i;
        } else if (i < text.size() && text[i] == '\n') {
            ++i;
        }
        ++row;
        col = 0;
    }
}

char findSeparator(std::string_view text) {
    constexpr std::array<char, 3> kCandidates{';', ',', '\t'};
    char best = ';';
    std::size_t bestCount = 0;
    for (char sep : kCandidates) {
        // Fields per line of the first lines; quoted separators are not counted.
        std::vector<std::uint32_t> fields;
        parse(text, sep, [&](std::uint32_t row, std::uint32_t col, std::string_view) {
            if (row >= kSampleLines) return false;
            if (row >= fields.size()) fields.resize(row + 1);
            fields[row] = col + 1;
            return true;
        });
        if (fields.empty() || fields[0] < 2) continue;
        bool steady = true;
        for (std::uint32_t n : fields) steady = steady && (n == fields[0] || n == 1);
        std::size_t score = steady ? fields[0] * 2 + 1 : fields[0];
        if (score > bestCount) {
            bestCount = score;
            best = sep;
        }
    }
    return best;
}

class CsvWorkbook : public WorkbookReader {
public:
    explicit CsvWorkbook(std::string bytes) : m_bytes(std::move(bytes)), m_text(m_bytes) {
        if (m_text.substr(0, 3) == "\xEF\xBB\xBF") m_text.remove_prefix(3);
        m_utf8 = db::isValidUtf8(m_text);
        m_separator = findSeparator(m_text);
    }
    const std::vector<std::string>& sheetNames() const override { return m_names; }
    std::size_t opensFirst() const override { return 0; }
    void readSheet(std::size_t, CellSink& sink) override {
        std::string decoded;
        parse(m_text, m_separator, [&](std::uint32_t row, std::uint32_t col, std::string_view value) {
            if (row >= sink.rowsWanted()) return false;
            if (value.empty() || col >= sink.colsWanted()) return true;
            SheetCell cell;
            if (m_utf8) {
                cell.text = value;
            } else {
                decoded.clear();
                db::appendCp1252(decoded, value);
                cell.text = decoded;
            }
            sink.cell(row, col, cell);
            return true;
        });
    }

private:
    std::string m_bytes;
    std::string_view m_text;  // the bytes after the byte-order mark
    bool m_utf8 = true;
    char m_separator = ';';
    std::vector<std::string> m_names{"Foglio1"};
};

}  // namespace

std::unique_ptr<WorkbookReader> openCsvWorkbook(std::string bytes) {
    return std::make_unique<CsvWorkbook>(std::move(bytes));
}

}  // namespace tessaro7::import_excel
