// The binary workbook formats BIFF2 to BIFF8, bare or inside a compound file.
// The workbook globals give the worksheets (BOUNDSHEET), the one shown first
// (WINDOW1), the code page, the date system and the number formats of the
// cell formats (FORMAT, XF); each worksheet's cell records give its cells.
// DIMENSIONS is ignored: the cells decide the extent. Every length is checked
// against the record that holds it.
#include <algorithm>
#include <cstring>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>

#include "app/HugePages.h"
#include "app/Messages.h"
#include "db/FilledText.h"
#include "db/TextCodec.h"
#include "import_excel/CellText.h"
#include "import_excel/CompoundFile.h"
#include "import_excel/LittleEndian.h"
#include "import_excel/WorkbookReader.h"

namespace tessaro7::import_excel {

namespace msg = app::msg;

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

[[noreturn]] void damaged(ReadFailure cause, const std::string& why) { throw SheetReadError(cause, why); }

// The largest number of sheets a workbook may list: more is no workbook
// anyone prepares for an import, and each name costs memory.
constexpr std::size_t kMaxSheets = 4096;

struct Record {
    std::uint16_t id = 0;
    std::string_view body;
    std::size_t offset = 0;  // of the record header in the stream
};

// The records of a stream, one after the other; a record running past the
// end of the stream is damage. The bodies of the records read stay valid
// until `release`, so a record and the CONTINUE records after it can be
// read together; the readers release at each record they begin with.
class RecordCursor {
public:
    RecordCursor(const ByteSource& stream, std::size_t at)
        : m_stream(stream), m_whole(stream.whole()), m_size(stream.size()), m_at(at) {}
    std::optional<Record> next() {
        if (m_at >= m_size) return std::nullopt;
        if (!fits(m_size, m_at, 4)) damaged(ReadFailure::Truncated, msg::kBiffRecordTruncated);
        if (m_whole) return nextInMemory(*m_whole);
        // Most records are short: the header is read with the bytes after it,
        // which hold the whole body of a short record.
        // The buffers stay for the next records: their room is used again.
        std::string& buffer = m_used < m_bodies.size() ? m_bodies[m_used] : m_bodies.emplace_back();
        ++m_used;
        const std::string_view head = m_stream.bytes(m_at, kShortRecord, buffer);
        if (head.size() < 4) damaged(ReadFailure::Truncated, msg::kBiffRecordTruncated);
        Record r{le16(head, 0), {}, m_at};
        std::size_t length = le16(head, 2);
        if (!fits(m_size, m_at + 4, length)) damaged(ReadFailure::Truncated, msg::kBiffRecordTruncated);
        r.body = 4 + length <= head.size() ? head.substr(4, length) : m_stream.bytes(m_at + 4, length, buffer);
        if (r.body.size() != length) damaged(ReadFailure::Truncated, msg::kBiffRecordTruncated);
        m_at += 4 + length;
        return r;
    }
    // The next record, the ones read before it no longer needed.
    std::optional<Record> nextAlone() {
        m_used = 0;
        return next();
    }
    std::optional<std::uint16_t> peekId() {
        if (!fits(m_size, m_at, 2)) return std::nullopt;
        if (m_whole) return le16(*m_whole, m_at);
        const std::string_view head = m_stream.bytes(m_at, 2, m_head);
        if (head.size() < 2) return std::nullopt;
        return le16(head, 0);
    }

private:
    // A stream in memory: its records are views of it.
    std::optional<Record> nextInMemory(std::string_view stream) {
        Record r{le16(stream, m_at), {}, m_at};
        std::size_t length = le16(stream, m_at + 2);
        if (!fits(m_size, m_at + 4, length)) damaged(ReadFailure::Truncated, msg::kBiffRecordTruncated);
        r.body = stream.substr(m_at + 4, length);
        m_at += 4 + length;
        return r;
    }

    static constexpr std::size_t kShortRecord = 32;
    const ByteSource& m_stream;
    std::optional<std::string_view> m_whole;
    std::size_t m_size;
    std::size_t m_at;
    std::string m_head;
    std::deque<std::string> m_bodies;  // a deque: the views of earlier bodies stay valid as it grows
    std::size_t m_used = 0;
};

void need(std::string_view body, std::size_t n) {
    if (body.size() < n) damaged(ReadFailure::Truncated, msg::kBiffRecordTooShort);
}

// The pieces of a BIFF8 string that may run over CONTINUE records: the
// characters re-read their flag byte at the start of each further piece
// (an empty CONTINUE has none), formatting runs and extra data just go on.
// Text that runs past the last piece is cut there, as other readers do.
class ContinuedBytes {
public:
    explicit ContinuedBytes(std::string_view only) : m_one(only), m_pieces(&m_one), m_count(1) {}
    explicit ContinuedBytes(const std::vector<std::string_view>& pieces)
        : m_pieces(pieces.data()), m_count(pieces.size()) {}
    bool atEnd() {
        while (m_piece < m_count && m_at == m_pieces[m_piece].size()) nextPiece();
        return m_piece >= m_count;
    }
    void skip(std::size_t n) {  // skips up to n bytes, possibly across pieces
        while (n > 0 && !atEnd()) {
            std::size_t here = std::min(n, left());
            m_at += here;
            n -= here;
        }
    }
    std::uint32_t read(std::size_t n) {  // n <= 4 little-endian bytes, within one piece
        if (atEnd() || left() < n) damaged(ReadFailure::Truncated, msg::kBiffTextBeyondRecord);
        std::uint32_t v = 0;
        for (std::size_t i = 0; i < n; ++i) v |= std::uint32_t(byteAt(m_pieces[m_piece], m_at + i)) << (8 * i);
        m_at += n;
        return v;
    }
    // Appends `count` characters, one or two bytes each as the flag says;
    // the flag is read again at the start of each further piece. A byte left
    // over at the end of a piece, half a character, is dropped.
    void characters(std::size_t count, bool wide, std::string& out) {
        // Most strings lie whole in one piece: decoded where they stand.
        if (m_piece < m_count && left() / (wide ? 2 : 1) >= count) {
            std::string_view bytes = m_pieces[m_piece].substr(m_at, count * (wide ? 2 : 1));
            m_at += bytes.size();
            if (wide)
                db::appendUtf16(out, bytes, false, "\xEF\xBF\xBD");
            else
                db::appendLatin1(out, bytes);
            return;
        }
        std::string utf16;
        while (count > 0 && m_piece < m_count) {
            std::size_t width = wide ? 2 : 1;
            std::size_t here = std::min(count, left() / width);
            std::string_view bytes = m_pieces[m_piece].substr(m_at, here * width);
            if (wide) {
                utf16 += bytes;
            } else {
                for (char c : bytes) (utf16 += c) += '\0';
            }
            m_at += here * width;
            count -= here;
            if (count == 0) break;
            nextPiece();
            while (m_piece < m_count && m_pieces[m_piece].empty()) nextPiece();
            if (m_piece < m_count) wide = read(1) & 0x01;
        }
        db::appendUtf16(out, utf16, false, "\xEF\xBF\xBD");
    }

private:
    std::size_t left() const { return m_pieces[m_piece].size() - m_at; }
    void nextPiece() {
        ++m_piece;
        m_at = 0;
    }
    std::string_view m_one;
    const std::string_view* m_pieces;
    std::size_t m_count;
    std::size_t m_piece = 0, m_at = 0;
};

// A BIFF8 string, appended to `out`: character count (8 or 16 bits), flags,
// then the optional run count and extra size, the characters, the runs and
// the extra data.
void appendUnicodeString(ContinuedBytes& in, std::size_t countBytes, std::string& out) {
    std::size_t count = in.read(countBytes);
    std::uint32_t flags = in.read(1);
    std::size_t runs = (flags & 0x08) ? in.read(2) : 0;
    std::size_t extra = (flags & 0x04) ? in.read(4) : 0;
    in.characters(count, flags & 0x01, out);
    in.skip(runs * 4);
    in.skip(extra);
}

std::string unicodeString(ContinuedBytes& in, std::size_t countBytes) {
    std::string text;
    appendUnicodeString(in, countBytes, text);
    return text;
}

struct WorkbookGlobals {
    int version = 8;  // 2, 3, 4, 5 or 8
    std::uint16_t codePageNumber = 1252;
    std::optional<db::CodePage> codePage = db::CodePage::open(1252);
    bool epoch1904 = false;
    std::string sstText;              // the shared strings, one after the other
    std::vector<std::size_t> sstEnds;  // where each ends in sstText
    std::map<unsigned, std::string> formats;  // by format number
    std::vector<unsigned> xfFormats;          // number format of each cell format
    unsigned formatCount = 0;                 // BIFF2-3 number their formats by order
};

// The text of a BIFF2-5 byte string, in the workbook's code page.
std::string byteText(const WorkbookGlobals& book, std::string_view bytes) {
    if (book.codePageNumber == 1200 || !book.codePage) return db::latin1ToUtf8(bytes);  // compressed UTF-16
    return book.codePage->toUtf8(bytes);
}

// The code page of the CODEPAGE record. BIFF8 keeps its texts in UTF-16,
// so only the older versions need to know the code page.
void setCodePage(WorkbookGlobals& book, std::uint16_t number) {
    book.codePageNumber = number;
    if (number == 0 || number == 1200) return;
    book.codePage = db::CodePage::open(number);
    if (!book.codePage && book.version < 8) damaged(ReadFailure::UnknownCodePage, db::filledText(msg::kBiffCodePage, {{"n", std::to_string(number)}}));
}

// A byte string with a count of `countBytes` bytes at `at`; text past the
// record's end is cut there.
std::string byteString(const WorkbookGlobals& book, std::string_view body, std::size_t at, std::size_t countBytes) {
    need(body, at + countBytes);
    std::size_t count = countBytes == 1 ? byteAt(body, at) : le16(body, at);
    return byteText(book, body.substr(at + countBytes, count));
}

// Whether a string at `at` fills the rest of the record exactly as a byte
// string with a count of `byteCount` bytes would, and not as a BIFF8 string
// with a count of `countBytes`: some writers lay out sheet names, formats and
// texts of BIFF8 files so.
bool isByteStringInBiff8(std::string_view body, std::size_t at, std::size_t countBytes, std::size_t byteCount) {
    if (body.size() < at + std::max(countBytes, byteCount)) return false;
    auto countAt = [&](std::size_t bytes) -> std::size_t { return bytes == 1 ? byteAt(body, at) : le16(body, at); };
    std::size_t wide = body.size() > at + countBytes && (byteAt(body, at + countBytes) & 0x01) ? 2 : 1;
    bool asBiff8 = body.size() == at + countBytes + 1 + countAt(countBytes) * wide;
    return !asBiff8 && body.size() == at + byteCount + countAt(byteCount);
}

// A string of a BIFF2-5 record with a count of `countBytes` bytes, or a BIFF8
// string, whose characters may go on in the CONTINUE records of `more`.
std::string recordString(const WorkbookGlobals& book, std::string_view body, std::size_t at, std::size_t countBytes,
                         std::vector<std::string_view> more = {}) {
    if (book.version < 8) return byteString(book, body, at, countBytes);
    if (at > body.size()) damaged(ReadFailure::Truncated, msg::kBiffRecordTooShort);
    if (more.empty()) {
        ContinuedBytes in(body.substr(at));
        return unicodeString(in, countBytes);
    }
    more.insert(more.begin(), body.substr(at));
    ContinuedBytes in(more);
    return unicodeString(in, countBytes);
}

// A sheet name, number format or text laid out the BIFF8 way or, in a BIFF8
// file of some other writers, as a byte string with a count of `byteCount` bytes.
std::string flexibleString(const WorkbookGlobals& book, std::string_view body, std::size_t at, std::size_t countBytes,
                           std::size_t byteCount, std::vector<std::string_view> more = {}) {
    if (book.version == 8 && more.empty() && isByteStringInBiff8(body, at, countBytes, byteCount))
        return byteString(book, body, at, byteCount);
    return recordString(book, body, at, countBytes, std::move(more));
}

bool isBof(std::uint16_t id) { return id == rec::kBof2 || id == rec::kBof3 || id == rec::kBof4 || id == rec::kBof; }

// Counts the cells a worksheet gives, to tell an empty sheet from one whose
// cells were not understood.
class CountingSink : public CellSink {
public:
    explicit CountingSink(CellSink& sink) : m_sink(sink) {}
    void cell(std::uint32_t row, std::uint32_t col, const SheetCell& value) override {
        ++count;
        m_sink.cell(row, col, value);
    }
    std::uint32_t rowsWanted() const override { return m_sink.rowsWanted(); }
    std::uint32_t colsWanted() const override { return m_sink.colsWanted(); }
    std::size_t count = 0;

private:
    CellSink& m_sink;
};

class BiffWorkbook : public WorkbookReader {
public:
    // A compound file, or a bare workbook stream.
    explicit BiffWorkbook(std::shared_ptr<const ByteSource> file) {
        std::string buffer;
        if (file->bytes(0, 8, buffer) == kCompoundFileSignature)
            m_stream = compoundFileStream(std::move(file), {"Workbook", "Book"});
        else
            m_stream = std::move(file);
        readGlobals();
    }

    const std::vector<std::string>& sheetNames() const override { return m_names; }
    std::size_t opensFirst() const override { return m_opensFirst; }

    void readSheet(std::size_t index, CellSink& sink) override {
        if (index >= m_offsets.size()) throw SheetReadError(ReadFailure::Damaged, msg::kBiffNoSuchSheet);
        RecordCursor cursor(*m_stream, sheetStart(index));
        cursor.next();  // its BOF
        CountingSink counted(sink);
        std::size_t unread = 0;
        int depth = 1;
        unsigned ixfe = 0;
        while (depth > 0) {
            std::optional<Record> r = cursor.nextAlone();
            if (!r) break;  // a sheet cut short keeps the cells read so far
            if (isBof(r->id)) {
                ++depth;
            } else if (r->id == rec::kEof) {
                --depth;
            } else if (depth == 1) {
                if (r->id == rec::kIxfe && r->body.size() >= 2) ixfe = le16(r->body, 0);
                cellRecord(*r, cursor, ixfe, counted);
            } else if (isCellRecord(r->id)) {
                ++unread;  // inside an embedded substream
            }
        }
        // Never an empty sheet in place of cells that were there: a sheet that
        // never ends, whose cell records all stand inside an embedded
        // substream (a BOF without its EOF), is refused. A chart's values in
        // a sheet that ends are the chart's own.
        if (depth > 0 && counted.count == 0 && unread > 0)
            damaged(ReadFailure::CellsUnreadable, db::filledText(msg::kBiffCellsNotRead, {{"n", std::to_string(unread)}}));
    }

private:
    static bool isCellRecord(std::uint16_t id) {
        return id == rec::kNumber || id == rec::kLabel || id == rec::kRk || id == rec::kMulRk ||
               id == rec::kLabelSst || id == rec::kRString || id == rec::kBoolErr || id == rec::kInteger2 ||
               id == rec::kNumber2 || id == rec::kLabel2 || id == rec::kBoolErr2;
    }

    bool bofAt(std::size_t offset) const {
        std::string buffer;
        const std::string_view head = m_stream->bytes(offset, 4, buffer);
        return head.size() == 4 && isBof(le16(head, 0));
    }

    // Where a worksheet starts: where its BOUNDSHEET says, or, when no BOF
    // stands there, the BOF of the substream in the same place in the stream's order.
    std::size_t sheetStart(std::size_t index) {
        if (bofAt(m_offsets[index])) return m_offsets[index];
        if (!m_substreams) m_substreams = substreamStarts();
        std::size_t nth = m_listed[index];
        if (nth < m_substreams->size()) return (*m_substreams)[nth];
        damaged(ReadFailure::BadOffset, db::filledText(msg::kBiffSheetStartNotFound, {{"foglio", m_names[index]}}));
    }

    // The offsets of the substreams after the globals, walking the records;
    // damage ends the walk.
    std::vector<std::size_t> substreamStarts() const {
        std::vector<std::size_t> starts;
        RecordCursor cursor(*m_stream, m_globalsEnd);
        int depth = 0;
        try {
            for (std::optional<Record> r; (r = cursor.nextAlone()) && starts.size() <= kMaxSheets;) {
                if (isBof(r->id) && depth++ == 0) starts.push_back(r->offset);
                if (r->id == rec::kEof && depth > 0) --depth;
            }
        } catch (const SheetReadError&) {
        }
        return starts;
    }

    void readGlobals() {
        RecordCursor cursor(*m_stream, 0);
        std::optional<Record> bof = cursor.next();
        if (!bof || !isBof(bof->id)) damaged(ReadFailure::NotThisFormat, msg::kBiffNoBof);
        if (bof->id != rec::kBof) return readSingleSheet(*bof, cursor, bof->id == rec::kBof2 ? 2 : bof->id == rec::kBof3 ? 3 : 4);
        need(bof->body, 4);
        int version = le16(bof->body, 0) == 0x0600 ? 8 : 5;
        // A worksheet substream alone, without the workbook globals.
        if (le16(bof->body, 2) == 0x0010) return readSingleSheet(*bof, cursor, version);
        m_book.version = version;
        if (le16(bof->body, 2) != 0x0005)
            damaged(ReadFailure::Damaged, msg::kBiffNoGlobals);
        readWorkbookGlobals(cursor);
    }

    // BIFF2 to BIFF4, or a bare worksheet: the stream is one worksheet, its
    // formats standing among the cells, before them.
    void readSingleSheet(const Record& bof, RecordCursor& cursor, int version) {
        m_book.version = version;
        if (version < 5 && bof.body.size() >= 4 && le16(bof.body, 2) == 0x0100)
            damaged(ReadFailure::Unsupported, msg::kBiffExcel4Workbook);
        m_names.push_back("Foglio1");
        m_offsets.push_back(0);
        m_listed.push_back(0);
        for (std::optional<Record> r; (r = cursor.nextAlone()) && r->id != rec::kEof;) globalRecord(*r, cursor);
    }

    void readWorkbookGlobals(RecordCursor& cursor) {
        std::optional<std::uint16_t> active;
        struct Listed {
            bool worksheet;
            std::string name;
            std::size_t offset;
        };
        std::vector<Listed> sheets;
        std::optional<Record> r;
        while ((r = cursor.nextAlone()) && r->id != rec::kEof) {
            if (r->id == rec::kBoundSheet) {
                need(r->body, 7);
                if (sheets.size() == kMaxSheets)
                    damaged(ReadFailure::TooLarge, db::filledText(msg::kBiffOverSheets, {{"n", std::to_string(kMaxSheets)}}));
                sheets.push_back({byteAt(r->body, 5) == 0x00, flexibleString(m_book, r->body, 6, 1, 1), le32(r->body, 0)});
            } else if (r->id == rec::kWindow1 && r->body.size() >= 12 && !active) {
                active = le16(r->body, 10);
            } else {
                globalRecord(*r, cursor);
            }
        }
        m_globalsEnd = r ? r->offset + 4 + r->body.size() : static_cast<std::size_t>(m_stream->size());
        for (std::size_t i = 0; i < sheets.size(); ++i) {
            if (!sheets[i].worksheet) continue;
            if (active && *active == i) m_opensFirst = m_names.size();
            m_names.push_back(std::move(sheets[i].name));
            m_offsets.push_back(sheets[i].offset);
            m_listed.push_back(i);
        }
        if (m_names.empty()) damaged(ReadFailure::NotThisFormat, msg::kNoWorksheets);
    }

    void globalRecord(const Record& r, RecordCursor& cursor) {
        switch (r.id) {
        case rec::kFilePass: damaged(ReadFailure::Encrypted, "");
        case rec::kCodePage:
            need(r.body, 2);
            setCodePage(m_book, le16(r.body, 0));
            break;
        case rec::kDateMode:
            need(r.body, 2);
            m_book.epoch1904 = le16(r.body, 0) == 1;
            break;
        case rec::kFormat2: m_book.formats[m_book.formatCount++] = recordString(m_book, r.body, 0, 1); break;
        case rec::kFormat:
            need(r.body, 2);
            if (m_book.version == 8)
                m_book.formats[le16(r.body, 0)] = flexibleString(m_book, r.body, 2, 2, 1);
            else if (m_book.version == 5)
                m_book.formats[le16(r.body, 0)] = recordString(m_book, r.body, 2, 1);
            else
                m_book.formats[m_book.formatCount++] = recordString(m_book, r.body, 2, 1);
            break;
        case rec::kXf2:
            need(r.body, 3);
            m_book.xfFormats.push_back(byteAt(r.body, 2) & 0x3F);
            break;
        case rec::kXf3:
        case rec::kXf4:
            need(r.body, 2);
            m_book.xfFormats.push_back(byteAt(r.body, 1));
            break;
        case rec::kXf:
            need(r.body, 4);
            m_book.xfFormats.push_back(le16(r.body, 2));
            break;
        case rec::kSst: readSst(r, cursor); break;
        default: break;
        }
    }

    // The bodies of the CONTINUE records that follow.
    static std::vector<std::string_view> continuations(RecordCursor& cursor) {
        std::vector<std::string_view> pieces;
        while (cursor.peekId() == rec::kContinue) pieces.push_back(cursor.next()->body);
        return pieces;
    }

    void readSst(const Record& r, RecordCursor& cursor) {
        need(r.body, 8);
        std::vector<std::string_view> pieces = continuations(cursor);
        pieces.insert(pieces.begin(), r.body.substr(8));
        std::size_t declared = le32(r.body, 4);
        // Room for the strings decoded: a byte of a compressed string takes
        // at most two in UTF-8, two bytes of a wide one at most three. Only
        // the room used is ever touched.
        std::size_t bytes = 0;
        for (std::string_view piece : pieces) bytes += piece.size();
        m_book.sstText.reserve(m_book.sstText.size() + 2 * bytes);
        // A string takes three bytes at least: its length and its flags.
        m_book.sstEnds.reserve(m_book.sstEnds.size() + std::min(declared, bytes / 3));
        app::preferHugePages(m_book.sstText.data(), m_book.sstText.capacity());
        ContinuedBytes in(pieces);
        // The count is the file's word: only what the records really hold is
        // read, and a string cut by the end of the records ends there.
        try {
            for (std::size_t i = 0; i < declared && !in.atEnd(); ++i) {
                appendUnicodeString(in, 2, m_book.sstText);
                m_book.sstEnds.push_back(m_book.sstText.size());
            }
        } catch (const SheetReadError&) {
        }
    }

    FormatKind xfKind(unsigned xf) const {
        if (xf >= m_book.xfFormats.size()) return FormatKind::Number;
        return formatNumberKind(m_book.xfFormats[xf]);
    }

    FormatKind formatNumberKind(unsigned format) const {
        auto found = m_book.formats.find(format);
        if (found != m_book.formats.end()) return formatKind(found->second);
        if (m_book.version < 4 || !isBuiltInDateFormat(format)) return FormatKind::Number;
        return format == 46 ? FormatKind::Elapsed : FormatKind::Date;  // 46: [h]:mm:ss
    }

    // What a cell record's format shows: from its cell format, a 16-bit
    // number outside the BIFF2 layout. In that layout the cell attributes give
    // the cell format (63: the IXFE record before) or, in a stream without
    // cell formats, the number format directly.
    FormatKind cellKind(std::string_view body, unsigned ixfe, bool biff2) const {
        if (!biff2) return xfKind(le16(body, 4));
        if (m_book.xfFormats.empty()) return formatNumberKind(byteAt(body, 5) & 0x3F);
        unsigned xf = byteAt(body, 4) & 0x3F;
        return xfKind(xf == 63 ? ixfe : xf);
    }

    void number(CellSink& sink, std::uint32_t row, std::uint32_t col, double value, FormatKind kind) const {
        SheetCell cell;
        cell.type = kind == FormatKind::Date      ? SheetCell::Type::Date
                    : kind == FormatKind::Elapsed ? SheetCell::Type::Elapsed
                                                  : SheetCell::Type::Number;
        cell.number = value;
        cell.epoch1904 = m_book.epoch1904;
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

    // Gives the cell of a cell record; false for any other record. Records
    // numbered below 0x100 have the BIFF2 layout (row, column, three bytes of
    // cell attributes), whatever the file's version, except FORMULA, which
    // has it only in BIFF2.
    bool cellRecord(const Record& r, RecordCursor& cursor, unsigned ixfe, CellSink& sink) {
        std::string_view body = r.body;
        bool biff2 = r.id < 0x0100 && (r.id != rec::kFormula2 || m_book.version == 2);
        std::size_t head = biff2 ? 7 : 6;  // row, column, cell attributes or format
        auto at = [&](std::size_t n) { return cellPlace(body, n); };
        switch (r.id) {
        case rec::kLabel2: {
            auto [row, col] = at(8);
            text(sink, row, col,
                 m_book.version == 8 ? byteString(m_book, body, 7, 1) : recordString(m_book, body, 7, 1));
            return true;
        }
        case rec::kLabel:
        case rec::kRString: {
            auto [row, col] = at(8);
            text(sink, row, col, flexibleString(m_book, body, 6, 2, 2, continuations(cursor)));
            return true;
        }
        case rec::kLabelSst: {
            auto [row, col] = at(10);
            std::size_t index = le32(body, 6);
            if (index >= m_book.sstEnds.size()) damaged(ReadFailure::BadOffset, msg::kBiffNoSuchSharedText);
            std::size_t start = index ? m_book.sstEnds[index - 1] : 0;
            text(sink, row, col, std::string_view(m_book.sstText).substr(start, m_book.sstEnds[index] - start));
            return true;
        }
        case rec::kBoolErr2:
        case rec::kBoolErr: {
            auto [row, col] = at(head + 2);
            boolOrError(sink, row, col, byteAt(body, head), byteAt(body, head + 1) != 0);
            return true;
        }
        case rec::kFormula2:
        case rec::kFormula3:
        case rec::kFormula4: {
            auto [row, col] = at(head + 8);
            formula(sink, row, col, body, head, biff2, ixfe, cursor);
            return true;
        }
        default: return numberCellRecord(r.id, body, biff2, ixfe, sink);
        }
    }

    // The row and column of a cell record that must hold at least n bytes.
    static std::pair<std::uint32_t, std::uint32_t> cellPlace(std::string_view body, std::size_t n) {
        need(body, n);
        return {le16(body, 0), le16(body, 2)};
    }

    // The records that hold numbers: INTEGER, NUMBER, RK and MULRK.
    bool numberCellRecord(std::uint16_t id, std::string_view body, bool biff2, unsigned ixfe, CellSink& sink) {
        std::size_t head = biff2 ? 7 : 6;
        switch (id) {
        case rec::kInteger2: {
            auto [row, col] = cellPlace(body, 9);
            number(sink, row, col, le16(body, 7), cellKind(body, ixfe, true));
            return true;
        }
        case rec::kNumber2:
        case rec::kNumber: {
            auto [row, col] = cellPlace(body, head + 8);
            number(sink, row, col, leDouble(body, head), cellKind(body, ixfe, biff2));
            return true;
        }
        case rec::kRk: {
            auto [row, col] = cellPlace(body, 10);
            number(sink, row, col, rkValue(le32(body, 6)), xfKind(le16(body, 4)));
            return true;
        }
        case rec::kMulRk: {
            auto [row, first] = cellPlace(body, 6);
            for (std::size_t i = 0, off = 4; fits(body.size(), off, 6) && body.size() - off >= 8; ++i, off += 6)
                number(sink, row, first + static_cast<std::uint32_t>(i), rkValue(le32(body, off + 2)),
                       xfKind(le16(body, off)));
            return true;
        }
        default: return false;
        }
    }

    // A formula cell by its stored result.
    void formula(CellSink& sink, std::uint32_t row, std::uint32_t col, std::string_view body, std::size_t head, bool biff2,
                 unsigned ixfe, RecordCursor& cursor) {
        if (le16(body, head + 6) != 0xFFFF) return number(sink, row, col, leDouble(body, head), cellKind(body, ixfe, biff2));
        switch (byteAt(body, head)) {
        case 0: {  // text: the STRING record that follows holds it
            std::optional<std::string> result = followingString(cursor);
            if (!result) return text(sink, row, col, {}, SheetCell::Type::NoResult);
            return text(sink, row, col, *result);
        }
        case 1: return boolOrError(sink, row, col, byteAt(body, head + 2), false);
        case 2: return boolOrError(sink, row, col, byteAt(body, head + 2), true);
        case 3: return text(sink, row, col, {});
        default: return text(sink, row, col, {}, SheetCell::Type::NoResult);
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
            if (m_book.version < 8) return recordString(m_book, r.body, 0, r.id == rec::kString2 ? 1 : 2);
            return recordString(m_book, r.body, 0, 2, continuations(cursor));
        }
    }

    std::shared_ptr<const ByteSource> m_stream;  // the workbook stream
    WorkbookGlobals m_book;
    std::vector<std::string> m_names;
    std::vector<std::size_t> m_offsets;  // of each worksheet's BOF, as BOUNDSHEET says
    std::vector<std::size_t> m_listed;   // each worksheet's place among the sheets BOUNDSHEET lists
    std::size_t m_globalsEnd = 0;
    std::optional<std::vector<std::size_t>> m_substreams;
    std::size_t m_opensFirst = 0;
};

}  // namespace

std::unique_ptr<WorkbookReader> openBiffWorkbook(std::string bytes) {
    return std::make_unique<BiffWorkbook>(memoryBytes(std::move(bytes)));
}

std::unique_ptr<WorkbookReader> openBiffFile(const std::string& path) {
    return std::make_unique<BiffWorkbook>(fileBytes(path));
}

}  // namespace tessaro7::import_excel
