// .csv lists: one worksheet whose cells are the fields, each its own text (no
// number or date guessing). The separator (';', ',' or tab) is the one found
// the same number of times in each of the first lines; quotes follow RFC 4180
// (a quoted field may hold the separator, doubled quotes and line ends).
// Texts are UTF-8, with or without a byte-order mark, when the bytes are
// valid UTF-8, and Windows-1252 otherwise.
#include <array>

#include "db/Cp1252.h"
#include "import_excel/WorkbookReader.h"

namespace tessaro7::import_excel {

namespace {

constexpr std::size_t kSampleLines = 20;

// Calls field(row, col, text) for every field and returns; `sep` 0 only counts.
template <typename Field>
void parse(std::string_view text, char sep, Field&& field) {
    std::string value;
    std::uint32_t row = 0, col = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        value.clear();
        if (text[i] == '"') {
            for (++i; i < text.size(); ++i) {
                if (text[i] != '"') {
                    value += text[i];
                } else if (i + 1 < text.size() && text[i + 1] == '"') {
                    value += '"';
                    ++i;
                } else {
                    ++i;
                    break;
                }
            }
        }
        // Unquoted text, or whatever follows a closing quote, up to the separator or line end.
        while (i < text.size() && text[i] != sep && text[i] != '\n' && text[i] != '\r') value += text[i++];
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
    explicit CsvWorkbook(std::string bytes) {
        std::string_view view(bytes);
        if (view.substr(0, 3) == "\xEF\xBB\xBF") view.remove_prefix(3);
        m_text = db::isValidUtf8(view) ? std::string(view) : db::cp1252ToUtf8(view);
        m_separator = findSeparator(m_text);
    }
    const std::vector<std::string>& sheetNames() const override { return m_names; }
    std::size_t opensFirst() const override { return 0; }
    void readSheet(std::size_t, CellSink& sink) override {
        parse(m_text, m_separator, [&](std::uint32_t row, std::uint32_t col, std::string_view value) {
            if (!value.empty()) {
                SheetCell cell;
                cell.text = value;
                sink.cell(row, col, cell);
            }
            return true;
        });
    }

private:
    std::string m_text;
    char m_separator = ';';
    std::vector<std::string> m_names{"Foglio1"};
};

}  // namespace

std::unique_ptr<WorkbookReader> openCsvWorkbook(std::string bytes) {
    return std::make_unique<CsvWorkbook>(std::move(bytes));
}

}  // namespace tessaro7::import_excel
