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
#include <fstream>
#include <memory>
#include <vector>

#include "app/Messages.h"
#include "db/TextCodec.h"
#include "import_excel/WorkbookReader.h"

namespace tessaro7::import_excel {

namespace {

constexpr std::size_t kSampleLines = 20;
constexpr std::string_view kBom = "\xEF\xBB\xBF";
// The longest text a field of the tables can store is far shorter: what is
// beyond is never looked at (the import refuses a text longer than its field).
constexpr std::size_t kMaxFieldBytes = std::size_t(64) << 10;

// Appends bytes of a field, up to the bound.
void keep(std::string& value, std::string_view bytes) {
    if (value.size() < kMaxFieldBytes) value.append(bytes.substr(0, kMaxFieldBytes - value.size()));
}

// The bytes of a list, piece after piece, from the start each time it is
// rewound: the whole text at once from memory, or a file read in pieces, so
// that a file of any size is read with the memory of one piece.
class CsvSource {
public:
    virtual ~CsvSource() = default;
    virtual void rewind() = 0;
    // The next piece; empty at the end.
    virtual std::string_view next() = 0;
};

// The bytes of a source one at a time, with runs of them found at once.
class CsvCursor {
public:
    explicit CsvCursor(CsvSource& source) : m_source(source) { m_source.rewind(); }
    bool atEnd() {
        while (m_at == m_piece.size()) {
            m_piece = m_source.next();
            m_at = 0;
            if (m_piece.empty()) return true;
        }
        return false;
    }
    char peek() const { return m_piece[m_at]; }  // after atEnd() said false
    void skip() { ++m_at; }
    // Gives `each` the bytes up to the first one `stop` accepts, piece by
    // piece, and stops there (or at the end).
    template <typename Stop, typename Each>
    void until(Stop&& stop, Each&& each) {
        while (!atEnd()) {
            std::size_t end = m_at;
            while (end < m_piece.size() && !stop(m_piece[end])) ++end;
            each(m_piece.substr(m_at, end - m_at));
            m_at = end;
            if (end < m_piece.size()) return;
        }
    }

private:
    CsvSource& m_source;
    std::string_view m_piece;
    std::size_t m_at = 0;
};

// Calls field(row, col, bytes) for every field, as long as it returns true.
template <typename Field>
void parse(CsvSource& source, char sep, Field&& field) {
    CsvCursor at(source);
    std::string value;
    std::uint32_t row = 0, col = 0;
    auto kept = [&](std::string_view bytes) { keep(value, bytes); };
    while (!at.atEnd()) {
        value.clear();
        if (at.peek() == '"') {
            at.skip();
            for (;;) {
                at.until([](char c) { return c == '"'; }, kept);
                if (at.atEnd()) break;  // unclosed: the field runs to the end
                at.skip();
                if (at.atEnd() || at.peek() != '"') break;
                keep(value, "\"");  // a doubled quote
                at.skip();
            }
        }
        // Unquoted text, or whatever follows a closing quote, up to the separator or line end.
        at.until([sep](char c) { return c == sep || c == '\n' || c == '\r'; }, kept);
        if (!field(row, col, value)) return;
        if (at.atEnd()) return;
        if (at.peek() == sep) {
            at.skip();
            ++col;
            if (at.atEnd()) field(row, col, std::string_view());
            continue;
        }
        if (at.peek() == '\r') {
            at.skip();
            if (!at.atEnd() && at.peek() == '\n') at.skip();
        } else {
            at.skip();  // '\n'
        }
        ++row;
        col = 0;
    }
}

char findSeparator(CsvSource& text) {
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

// A file read a piece at a time, the byte-order mark left out.
class FileSource : public CsvSource {
public:
    explicit FileSource(const std::string& path) : m_in(path, std::ios::binary), m_buffer(kPieceBytes) {
        if (!m_in) throw SheetReadError(app::msg::kFileNotFoundOrUnreadable);
    }
    void rewind() override {
        m_in.clear();
        m_in.seekg(0);
        m_first = true;
    }
    std::string_view next() override {
        m_in.read(m_buffer.data(), static_cast<std::streamsize>(m_buffer.size()));
        if (m_in.bad()) throw SheetReadError(app::msg::kFileReadError);
        std::string_view piece(m_buffer.data(), static_cast<std::size_t>(m_in.gcount()));
        if (m_first && piece.substr(0, 3) == kBom) piece.remove_prefix(3);
        m_first = false;
        return piece;
    }

private:
    static constexpr std::size_t kPieceBytes = std::size_t(1) << 20;
    std::ifstream m_in;
    std::vector<char> m_buffer;
    bool m_first = true;
};

class CsvWorkbook : public WorkbookReader {
public:
    explicit CsvWorkbook(std::unique_ptr<CsvSource> source) : m_source(std::move(source)) {
        db::Utf8Check check;
        m_source->rewind();
        for (std::string_view piece; !(piece = m_source->next()).empty();) check.add(piece);
        m_utf8 = check.valid();
        m_separator = findSeparator(*m_source);
    }
    const std::vector<std::string>& sheetNames() const override { return m_names; }
    std::size_t opensFirst() const override { return 0; }
    void readSheet(std::size_t, CellSink& sink) override {
        std::string decoded;
        parse(*m_source, m_separator, [&](std::uint32_t row, std::uint32_t col, std::string_view value) {
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
    std::unique_ptr<CsvSource> m_source;
    bool m_utf8 = true;
    char m_separator = ';';
    std::vector<std::string> m_names{"Foglio1"};
};

// The bytes of a list held in memory, given as one piece, the byte-order mark left out.
class HeldText : public CsvSource {
public:
    explicit HeldText(std::string bytes) : m_bytes(std::move(bytes)), m_text(m_bytes) {
        if (m_text.substr(0, 3) == kBom) m_text.remove_prefix(3);
    }
    void rewind() override { m_given = false; }
    std::string_view next() override {
        if (m_given) return {};
        m_given = true;
        return m_text;
    }

private:
    std::string m_bytes;
    std::string_view m_text;
    bool m_given = false;
};

}  // namespace

std::unique_ptr<WorkbookReader> openCsvWorkbook(std::string bytes) {
    return std::make_unique<CsvWorkbook>(std::make_unique<HeldText>(std::move(bytes)));
}

std::unique_ptr<WorkbookReader> openCsvFile(const std::string& path) {
    return std::make_unique<CsvWorkbook>(std::make_unique<FileSource>(path));
}

}  // namespace tessaro7::import_excel
