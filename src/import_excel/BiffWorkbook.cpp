// The binary workbook formats BIFF2 to BIFF8, bare or inside a compound file.
// The workbook globals give the worksheets (BOUNDSHEET), the one shown first
// (WINDOW1), the code page, the date system and the number formats of the
// cell formats (FORMAT, XF); each worksheet's cell records give its cells.
// DIMENSIONS is ignored: the cells decide the extent. Every length is checked
// against the record that holds it.
#include <algorithm>
#include <cstring>
#include <cstdint>
#include <map>
#include <optional>

#include "db/Cp1252.h"
#include "import_excel/CellText.h"
#include "import_excel/CompoundFile.h"
#include "import_excel/LittleEndian.h"
#include "import_excel/WorkbookReader.h"

namespace tessaro7::import_excel {

namespace {

namespace rec {
constexpr std::uint16_t kBof2 = 0x0009, kBof3 = 0x0209, kBof4 = 0x0409, kBof = 0x0809, kEof = 0x000A;
constexpr std::uint16_t kBoundSheet = 0x0085, kWindow1 = 0x003D, kCodePage = 0x0042, kDateMode = 0x0022;
constexpr std::uint16_t kFilePass = 0x002F, kContinue = 0x003C, kSst = 0x00FC;
constexpr std::uint16_t kFormat2 = 0x001E, kFormat = 0x041E, kXf2 = 0x0043, kXf3 = 0x0243, kXf4 = 0x0443,
                        kXf = 0x00E0, kIxfe = 0x0044;
constexpr std::uint16_t kInteger2 = 0x0002, kNumber2 = 0x0003, kLabel2 = 0x0004, kBoolErr2 = 0x0005,
                        kFormula2 = 0x0006, kString2 = 0x0007;
constexpr std::uint16_t kNumber = 0x0203, kLabel = 0x0204, kBoolErr = 0x0205, kFormula3 = 0x0206,
                        kFormula4 = 0x0406, kString = 0x0207, kRk = 0x027E, kMulRk = 0x00BD, kLabelSst = 0x00FD,
                        kRString = 0x00D6;
}  // namespace rec

[[noreturn]] void damaged(const std::string& why) { throw SheetReadError("il file è danneggiato (" + why + ")"); }

struct Record {
    std::uint16_t id = 0;
    std::string_view body;
    std::size_t offset = 0;  // of the record header in the stream
};

// The records of a stream, one after the other; a record running past the
// end of the stream is damage.
class RecordCursor {
public:
    RecordCursor(std::string_view stream, std::size_t at) : m_stream(stream), m_at(at) {}
    std::optional<Record> next() {
        if (m_at >= m_stream.size()) return std::nullopt;
        if (!fits(m_stream.size(), m_at, 4)) damaged("record troncato");
        Record r{le16(m_stream, m_at), {}, m_at};
        std::size_t length = le16(m_stream, m_at + 2);
        if (!fits(m_stream.size(), m_at + 4, length)) damaged("record troncato");
        r.body = m_stream.substr(m_at + 4, length);
        m_at += 4 + length;
        return r;
    }
    std::optional<std::uint16_t> peekId() const {
        if (!fits(m_stream.size(), m_at, 2)) return std::nullopt;
        return le16(m_stream, m_at);
    }

private:
    std::string_view m_stream;
    std::size_t m_at;
};

void need(std::string_view body, std::size_t n) {
    if (body.size() < n) damaged("record troppo corto");
}

std::string latin1ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (unsigned char c : bytes) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

using db::appendUtf8;

// UTF-16LE; a lone surrogate becomes U+FFFD.
void appendUtf16(std::string& out, std::string_view bytes) {
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        std::uint32_t u = le16(bytes, i);
        if (u >= 0xD800 && u < 0xDC00 && i + 3 < bytes.size()) {
            std::uint32_t low = le16(bytes, i + 2);
            if (low >= 0xDC00 && low < 0xE000) {
                appendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        appendUtf8(out, u >= 0xD800 && u < 0xE000 ? 0xFFFD : u);
    }
}

// The pieces of a BIFF8 string that may run over CONTINUE records: the
// characters re-read their flag byte at each record boundary, formatting runs
// and extra data just go on.
class ContinuedBytes {
public:
    explicit ContinuedBytes(std::vector<std::string_view> pieces) : m_pieces(std::move(pieces)) {}
    bool atEnd() {
        settle();
        return m_piece >= m_pieces.size();
    }
    void take(std::size_t n) {  // skips n bytes, possibly across pieces
        while (n > 0) {
            if (atEnd()) damaged("testo oltre la fine del record");
            std::size_t here = std::min(n, left());
            m_at += here;
            n -= here;
        }
    }
    std::uint32_t read(std::size_t n) {  // n <= 4 little-endian bytes, within one piece
        if (atEnd() || left() < n) damaged("testo oltre la fine del record");
        std::uint32_t v = 0;
        for (std::size_t i = 0; i < n; ++i) v |= std::uint32_t(byteAt(m_pieces[m_piece], m_at + i)) << (8 * i);
        m_at += n;
        return v;
    }
    // `count` characters, one or two bytes each as the flag says, the flag
    // read again at the start of each further piece.
    std::string characters(std::size_t count, bool wide) {
        std::string out;
        while (count > 0) {
            if (m_piece >= m_pieces.size()) damaged("testo oltre la fine del record");
            if (m_at == m_pieces[m_piece].size()) {
                ++m_piece;
                m_at = 0;
                wide = read(1) & 0x01;
                continue;
            }
            std::string_view piece = m_pieces[m_piece];
            std::size_t width = wide ? 2 : 1;
            std::size_t here = std::min(count, (piece.size() - m_at) / width);
            if (here == 0) damaged("carattere spezzato fra due record");
            std::string_view bytes = piece.substr(m_at, here * width);
            if (wide)
                appendUtf16(out, bytes);
            else
                out += latin1ToUtf8(bytes);
            m_at += here * width;
            count -= here;
        }
        return out;
    }

private:
    std::size_t left() const { return m_pieces[m_piece].size() - m_at; }
    void settle() {
        while (m_piece < m_pieces.size() && m_at == m_pieces[m_piece].size()) {
            ++m_piece;
            m_at = 0;
        }
    }
    std::vector<std::string_view> m_pieces;
    std::size_t m_piece = 0, m_at = 0;
};

// A BIFF8 string: character count (8 or 16 bits), flags, then the optional
// run count and extra size, the characters, the runs and the extra data.
std::string unicodeString(ContinuedBytes& in, std::size_t countBytes) {
    std::size_t count = in.read(countBytes);
    std::uint32_t flags = in.read(1);
    std::size_t runs = (flags & 0x08) ? in.read(2) : 0;
    std::size_t extra = (flags & 0x04) ? in.read(4) : 0;
    std::string text = in.characters(count, flags & 0x01);
    in.take(runs * 4);
    in.take(extra);
    return text;
}

std::string unicodeString(std::string_view body, std::size_t at, std::size_t countBytes) {
    if (at > body.size()) damaged("record troppo corto");
    ContinuedBytes in({body.substr(at)});
    return unicodeString(in, countBytes);
}

struct Globals {
    int version = 8;  // 2, 3, 4, 5 or 8
    std::uint16_t codePage = 1252;
    bool epoch1904 = false;
    std::string sstText;              // the shared strings, one after the other
    std::vector<std::size_t> sstEnds;  // where each ends in sstText
    std::map<unsigned, std::string> formats;  // by format number
    std::vector<unsigned> xfFormats;          // number format of each cell format
    unsigned formatCount = 0;                 // BIFF2-3 number their formats by order
};

// The text of a BIFF2-5 byte string, in the workbook's code page.
std::string byteText(const Globals& g, std::string_view bytes) {
    if (g.codePage == 1200) return latin1ToUtf8(bytes);  // compressed UTF-16
    return db::cp1252ToUtf8(bytes);
}

void acceptCodePage(std::uint16_t codePage) {
    // 1252 and its subsets (367 US-ASCII; 32769 the Windows code page of BIFF2), and UTF-16.
    if (codePage == 1252 || codePage == 367 || codePage == 32769 || codePage == 1200 || codePage == 0) return;
    throw SheetReadError("i testi del file sono scritti nella code page " + std::to_string(codePage) +
                         ", che questo programma non legge: salvarlo in formato .xlsx o .xls di Excel 97-2003");
}

// A string of a BIFF2-5 record with a length of `countBytes` bytes, or a BIFF8 string.
std::string recordString(const Globals& g, std::string_view body, std::size_t at, std::size_t countBytes) {
    if (g.version == 8) return unicodeString(body, at, countBytes);
    need(body, at + countBytes);
    std::size_t count = countBytes == 1 ? byteAt(body, at) : le16(body, at);
    if (!fits(body.size(), at + countBytes, count)) damaged("testo oltre la fine del record");
    return byteText(g, body.substr(at + countBytes, count));
}

class BiffWorkbook : public WorkbookReader {
public:
    explicit BiffWorkbook(std::string bytes) {
        if (bytes.substr(0, 8) == kCompoundFileSignature)
            m_stream = compoundFileStream(bytes, {"Workbook", "Book"});
        else
            m_stream = std::move(bytes);
        readGlobals();
    }

    const std::vector<std::string>& sheetNames() const override { return m_names; }
    std::size_t opensFirst() const override { return m_opensFirst; }

    void readSheet(std::size_t index, CellSink& sink) override {
        if (index >= m_offsets.size()) throw SheetReadError("foglio inesistente");
        RecordCursor cursor(m_stream, m_offsets[index]);
        std::optional<Record> bof = cursor.next();
        if (!bof || !isBof(bof->id)) damaged("inizio del foglio non trovato");
        int depth = 1;
        unsigned ixfe = 0;
        while (depth > 0) {
            std::optional<Record> r = cursor.next();
            if (!r) break;  // a sheet cut short keeps the cells read so far
            if (isBof(r->id)) {
                ++depth;
            } else if (r->id == rec::kEof) {
                --depth;
            } else if (depth == 1) {
                if (r->id == rec::kIxfe && r->body.size() >= 2) ixfe = le16(r->body, 0);
                cellRecord(*r, cursor, ixfe, sink);
            }
        }
    }

private:
    static bool isBof(std::uint16_t id) {
        return id == rec::kBof2 || id == rec::kBof3 || id == rec::kBof4 || id == rec::kBof;
    }

    void readGlobals() {
        RecordCursor cursor(m_stream, 0);
        std::optional<Record> bof = cursor.next();
        if (!bof || !isBof(bof->id)) throw SheetReadError("non è una cartella di lavoro di Excel");
        if (bof->id != rec::kBof) {
            // BIFF2 to BIFF4: the stream is one worksheet.
            m_g.version = bof->id == rec::kBof2 ? 2 : bof->id == rec::kBof3 ? 3 : 4;
            if (bof->body.size() >= 4 && le16(bof->body, 2) == 0x0100)
                throw SheetReadError("le cartelle di lavoro di Excel 4 con più fogli non sono lette: salvarla in "
                                     "formato .xlsx o .xls di Excel 97-2003");
            m_names.push_back("Foglio1");
            m_offsets.push_back(0);
            // The formats stand among the cells, before them.
            for (std::optional<Record> r; (r = cursor.next()) && r->id != rec::kEof;) globalRecord(*r, cursor);
            return;
        }
        need(bof->body, 4);
        m_g.version = le16(bof->body, 0) == 0x0600 ? 8 : 5;
        if (le16(bof->body, 2) != 0x0005) damaged("la cartella di lavoro non inizia con i suoi dati generali");
        std::optional<std::uint16_t> active;
        std::vector<std::pair<bool, std::string>> sheets;  // worksheet?, name
        std::vector<std::size_t> offsets;
        for (std::optional<Record> r; (r = cursor.next()) && r->id != rec::kEof;) {
            if (r->id == rec::kBoundSheet) {
                need(r->body, 7);
                std::size_t pos = le32(r->body, 0);
                bool worksheet = byteAt(r->body, 5) == 0x00;
                sheets.emplace_back(worksheet, recordString(m_g, r->body, 6, 1));
                offsets.push_back(pos);
            } else if (r->id == rec::kWindow1 && r->body.size() >= 12 && !active) {
                active = le16(r->body, 10);
            } else {
                globalRecord(*r, cursor);
            }
        }
        for (std::size_t i = 0; i < sheets.size(); ++i) {
            if (!sheets[i].first) continue;
            if (active && *active == i) m_opensFirst = m_names.size();
            m_names.push_back(sheets[i].second);
            m_offsets.push_back(offsets[i]);
        }
        if (m_names.empty()) throw SheetReadError("la cartella di lavoro non contiene fogli di lavoro");
    }

    void globalRecord(const Record& r, RecordCursor& cursor) {
        switch (r.id) {
        case rec::kFilePass: throw SheetReadError("la cartella di lavoro è protetta da password");
        case rec::kCodePage:
            need(r.body, 2);
            m_g.codePage = le16(r.body, 0);
            acceptCodePage(m_g.codePage);
            break;
        case rec::kDateMode:
            need(r.body, 2);
            m_g.epoch1904 = le16(r.body, 0) == 1;
            break;
        case rec::kFormat2: m_g.formats[m_g.formatCount++] = recordString(m_g, r.body, 0, 1); break;
        case rec::kFormat:
            need(r.body, 2);
            if (m_g.version == 8)
                m_g.formats[le16(r.body, 0)] = recordString(m_g, r.body, 2, 2);
            else if (m_g.version == 5)
                m_g.formats[le16(r.body, 0)] = recordString(m_g, r.body, 2, 1);
            else
                m_g.formats[m_g.formatCount++] = recordString(m_g, r.body, 2, 1);
            break;
        case rec::kXf2:
            need(r.body, 3);
            m_g.xfFormats.push_back(byteAt(r.body, 2) & 0x3F);
            break;
        case rec::kXf3:
        case rec::kXf4:
            need(r.body, 2);
            m_g.xfFormats.push_back(byteAt(r.body, 1));
            break;
        case rec::kXf:
            need(r.body, 4);
            m_g.xfFormats.push_back(le16(r.body, 2));
            break;
        case rec::kSst: readSst(r, cursor); break;
        default: break;
        }
    }

    void readSst(const Record& r, RecordCursor& cursor) {
        need(r.body, 8);
        std::vector<std::string_view> pieces{r.body.substr(8)};
        while (cursor.peekId() == rec::kContinue) pieces.push_back(cursor.next()->body);
        std::size_t declared = le32(r.body, 4);
        ContinuedBytes in(std::move(pieces));
        // The count is the file's word: only what the records really hold is read.
        for (std::size_t i = 0; i < declared && !in.atEnd(); ++i) {
            m_g.sstText += unicodeString(in, 2);
            m_g.sstEnds.push_back(m_g.sstText.size());
        }
    }

    bool isDateXf(unsigned xf) const {
        if (xf >= m_g.xfFormats.size()) return false;
        return isDateFormatNumber(m_g.xfFormats[xf]);
    }

    bool isDateFormatNumber(unsigned format) const {
        auto found = m_g.formats.find(format);
        if (found != m_g.formats.end()) return isDateFormat(found->second);
        return m_g.version >= 4 && isBuiltInDateFormat(format);
    }

    // Whether a cell record's format shows a date: from its cell format, a
    // 16-bit number from BIFF3 on. In BIFF2 the cell attributes give the cell
    // format (63: the IXFE record before) or, in a stream without cell
    // formats, the number format directly.
    bool isDateCell(std::string_view body, unsigned ixfe) const {
        if (m_g.version >= 3) return isDateXf(le16(body, 4));
        if (m_g.xfFormats.empty()) return isDateFormatNumber(byteAt(body, 5) & 0x3F);
        unsigned xf = byteAt(body, 4) & 0x3F;
        return isDateXf(xf == 63 ? ixfe : xf);
    }

    void number(CellSink& sink, std::uint32_t row, std::uint32_t col, double value, bool date) const {
        SheetCell cell;
        cell.type = date ? SheetCell::Type::Date : SheetCell::Type::Number;
        cell.number = value;
        cell.epoch1904 = m_g.epoch1904;
        sink.cell(row, col, cell);
    }

    static void text(CellSink& sink, std::uint32_t row, std::uint32_t col, std::string_view value,
                     SheetCell::Type type = SheetCell::Type::Text) {
        SheetCell cell;
        cell.type = type;
        cell.text = value;
        sink.cell(row, col, cell);
    }

    static void boolOrError(CellSink& sink, std::uint32_t row, std::uint32_t col, unsigned value, bool isError) {
        if (isError) return text(sink, row, col, errorText(value), SheetCell::Type::Error);
        SheetCell cell;
        cell.type = SheetCell::Type::Boolean;
        cell.number = value != 0;
        sink.cell(row, col, cell);
    }

    static double rkValue(std::uint32_t rk) {
        double value;
        if (rk & 0x02) {
            value = static_cast<double>(static_cast<std::int32_t>(rk) >> 2);
        } else {
            std::uint64_t bits = static_cast<std::uint64_t>(rk & 0xFFFFFFFC) << 32;
            std::memcpy(&value, &bits, sizeof value);
        }
        return (rk & 0x01) ? value / 100 : value;
    }

    void cellRecord(const Record& r, RecordCursor& cursor, unsigned ixfe, CellSink& sink) {
        std::string_view b = r.body;
        bool biff2 = m_g.version == 2;
        std::size_t head = biff2 ? 7 : 6;  // row, column, cell attributes or format
        auto at = [&](std::size_t n) {
            need(b, n);
            return std::pair<std::uint32_t, std::uint32_t>{le16(b, 0), le16(b, 2)};
        };
        // The record numbers below 8 are BIFF2 cells only, except FORMULA.
        if (r.id < 0x0008 && r.id != rec::kFormula2 && !biff2) return;
        switch (r.id) {
        case rec::kInteger2: {
            auto [row, col] = at(9);
            return number(sink, row, col, le16(b, 7), isDateCell(b, ixfe));
        }
        case rec::kNumber2:
        case rec::kNumber: {
            auto [row, col] = at(head + 8);
            return number(sink, row, col, leDouble(b, head), isDateCell(b, ixfe));
        }
        case rec::kRk: {
            auto [row, col] = at(10);
            return number(sink, row, col, rkValue(le32(b, 6)), isDateXf(le16(b, 4)));
        }
        case rec::kMulRk: {
            auto [row, first] = at(6);
            for (std::size_t i = 0, off = 4; fits(b.size(), off, 6) && b.size() - off >= 8; ++i, off += 6)
                number(sink, row, first + static_cast<std::uint32_t>(i), rkValue(le32(b, off + 2)), isDateXf(le16(b, off)));
            return;
        }
        case rec::kLabel2: {
            auto [row, col] = at(8);
            return text(sink, row, col, recordString(m_g, b, 7, 1));
        }
        case rec::kLabel:
        case rec::kRString: {
            auto [row, col] = at(8);
            return text(sink, row, col, recordString(m_g, b, 6, 2));
        }
        case rec::kLabelSst: {
            auto [row, col] = at(10);
            std::size_t index = le32(b, 6);
            if (index >= m_g.sstEnds.size()) damaged("testo condiviso inesistente");
            std::size_t start = index ? m_g.sstEnds[index - 1] : 0;
            return text(sink, row, col, std::string_view(m_g.sstText).substr(start, m_g.sstEnds[index] - start));
        }
        case rec::kBoolErr2:
        case rec::kBoolErr: {
            auto [row, col] = at(head + 2);
            return boolOrError(sink, row, col, byteAt(b, head), byteAt(b, head + 1) != 0);
        }
        case rec::kFormula2:
        case rec::kFormula3:
        case rec::kFormula4: {
            auto [row, col] = at(head + 8);
            if (le16(b, head + 6) != 0xFFFF) return number(sink, row, col, leDouble(b, head), isDateCell(b, ixfe));
            switch (byteAt(b, head)) {
            case 0: {  // text: the STRING record that follows holds it
                std::optional<std::string> result = followingString(cursor);
                if (!result) return text(sink, row, col, {}, SheetCell::Type::NoResult);
                return text(sink, row, col, *result);
            }
            case 1: return boolOrError(sink, row, col, byteAt(b, head + 2), false);
            case 2: return boolOrError(sink, row, col, byteAt(b, head + 2), true);
            case 3: return text(sink, row, col, {});
            default: return text(sink, row, col, {}, SheetCell::Type::NoResult);
            }
        }
        default: return;
        }
    }

    // The STRING record after a formula with a text result; records of shared
    // and array formulas may stand between them.
    std::optional<std::string> followingString(RecordCursor& cursor) {
        for (;;) {
            std::optional<std::uint16_t> id = cursor.peekId();
            if (id == 0x04BC || id == 0x0221 || id == 0x0021 || id == 0x0236) {  // SHRFMLA, ARRAY, TABLE
                cursor.next();
                continue;
            }
            if (id != rec::kString && id != rec::kString2) return std::nullopt;
            Record r = *cursor.next();
            if (m_g.version == 8) return unicodeString(r.body, 0, 2);
            return recordString(m_g, r.body, 0, r.id == rec::kString2 ? 1 : 2);
        }
    }

    std::string m_stream;
    Globals m_g;
    std::vector<std::string> m_names;
    std::vector<std::size_t> m_offsets;
    std::size_t m_opensFirst = 0;
};

}  // namespace

std::unique_ptr<WorkbookReader> openBiffWorkbook(std::string bytes) {
    return std::make_unique<BiffWorkbook>(std::move(bytes));
}

}  // namespace tessaro7::import_excel
