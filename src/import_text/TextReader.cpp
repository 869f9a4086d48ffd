#include "import_text/TextReader.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "db/TextCodec.h"

namespace tessaro7::import_text {

namespace {

bool anyNonAscii(const char* p, std::size_t n) {
    std::size_t i = 0;
    for (std::uint64_t word; i + 8 <= n; i += 8) {
        std::memcpy(&word, p + i, 8);
        if (word & 0x8080808080808080ULL) return true;
    }
    for (; i < n; ++i)
        if (static_cast<unsigned char>(p[i]) >= 0x80) return true;
    return false;
}

// The bytes that make up the first `characters` characters of p (UTF-8).
std::size_t bytesOfCharacters(const char* p, std::size_t n, std::size_t characters, std::size_t& taken) {
    taken = 0;
    std::size_t i = 0;
    for (; i < n; ++i) {
        if ((static_cast<unsigned char>(p[i]) & 0xC0) != 0x80) {
            if (taken == characters) break;
            ++taken;
        }
    }
    return i;
}

std::size_t find(const std::string& text, char c, std::size_t from) {
    const void* found = std::memchr(text.data() + from, c, text.size() - from);
    return found ? static_cast<std::size_t>(static_cast<const char*>(found) - text.data()) : std::string::npos;
}

}  // namespace

TextReader::TextReader(std::istream& in, TextEncoding encoding, std::size_t keepColumns, std::size_t pieceBytes)
    : m_in(in), m_transcoder(encoding), m_encoding(encoding),
      m_keep(keepColumns),
      m_pieceBytes(std::max<std::size_t>(pieceBytes, 1)),
      m_raw(new char[std::max<std::size_t>(m_pieceBytes, 3)]),
      m_rawSize(std::max<std::size_t>(m_pieceBytes, 3)) {}

bool TextReader::refill() {
    m_piece.clear();
    m_at = 0;
    while (m_piece.empty() && !m_ended) {
        // The first read takes at least the longest byte-order mark, to skip it whole.
        std::size_t wanted = m_started ? m_pieceBytes : m_rawSize;
        m_in.read(m_raw.get(), static_cast<std::streamsize>(wanted));
        auto got = static_cast<std::size_t>(m_in.gcount());
        if (m_in.bad()) m_failed = true;
        std::string_view bytes(m_raw.get(), got);
        if (!m_started) {
            m_started = true;
            bytes.remove_prefix(bomLength(m_encoding, bytes));
        }
        m_transcoder.feed(bytes, m_piece);
        if (got < wanted || m_failed) {
            m_ended = true;
            m_transcoder.finish(m_piece);
        }
    }
    m_nextCr = find(m_piece, '\r', 0);
    m_nextLf = find(m_piece, '\n', 0);
    return !m_piece.empty();
}

void TextReader::keepPartOfLine(const char* p, std::size_t n) {
    if (n == 0) return;
    if (std::memchr(p, kNulMark, n)) m_nul = true;
    bool nonAscii = anyNonAscii(p, n);
    if (nonAscii) {
        m_nonAscii = true;
        if (std::memchr(p, kInvalidMark, n)) m_invalid = true;
    }
    if (m_keptColumns >= m_keep) return;
    std::size_t wanted = m_keep - m_keptColumns;
    if (!nonAscii) {
        std::size_t bytes = std::min(n, wanted);
        m_kept.append(p, bytes);
        m_keptColumns += bytes;
    } else if (std::size_t characters = columnCount(std::string_view(p, n)); characters <= wanted) {
        m_kept.append(p, n);
        m_keptColumns += characters;
    } else {
        m_kept.append(p, bytesOfCharacters(p, n, wanted, characters));
        m_keptColumns += characters;
    }
}

bool TextReader::next() {
    m_kept.clear();
    m_keptColumns = 0;
    m_nul = m_invalid = m_nonAscii = false;
    bool any = false;
    for (;;) {
        if (m_at >= m_piece.size() && !refill()) {
            if (!any) return false;
            break;
        }
        if (m_skipLf) {
            m_skipLf = false;
            if (m_piece[m_at] == '\n') {
                ++m_at;
                continue;
            }
        }
        if (m_nextCr < m_at) m_nextCr = find(m_piece, '\r', m_at);
        if (m_nextLf < m_at) m_nextLf = find(m_piece, '\n', m_at);
        std::size_t end = std::min(m_nextCr, m_nextLf);
        any = true;
        if (end == std::string::npos) {
            keepPartOfLine(m_piece.data() + m_at, m_piece.size() - m_at);
            m_at = m_piece.size();
            continue;
        }
        keepPartOfLine(m_piece.data() + m_at, end - m_at);
        m_at = end + 1;
        m_skipLf = m_piece[end] == '\r';
        break;
    }
    m_line.assign(m_kept);
    return true;
}

}  // namespace tessaro7::import_text

namespace tessaro7::import_text {

namespace {

// The bytes among sixteen a scan of plain bytes stops at: line ends, NUL, and
// bytes above 0x7F while the text may still be UTF-8.
unsigned specialBytes(const unsigned char* p, bool high) {
#if defined(__SSE2__)
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i ends = _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n')), _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\r')));
    const __m128i stops = _mm_or_si128(ends, _mm_cmpeq_epi8(bytes, _mm_setzero_si128()));
    return static_cast<unsigned>(_mm_movemask_epi8(stops) | (high ? _mm_movemask_epi8(bytes) : 0));
#else
    unsigned marks = 0;
    for (int k = 0; k < 16; ++k)
        if (p[k] == '\n' || p[k] == '\r' || p[k] == 0 || (high && p[k] >= 0x80)) marks |= 1u << k;
    return marks;
#endif
}

// A scan of plain bytes, chunk after chunk.
class PlainByteScan {
public:
    explicit PlainByteScan(long maxLines) : m_maxLines(maxLines) {}

    // Scans p[0, n), the last chunk when `last`; `waiting` receives how many
    // bytes at the end start a character that the next chunk completes.
    // False when the scan is over: a flawed line ended, or a line beyond
    // those read began (beyond()).
    bool chunk(const unsigned char* p, std::size_t n, bool last, std::size_t& waiting) {
        waiting = 0;
        for (std::size_t i = 0; i < n;) {
            if (i + 16 <= n) {
                const unsigned marks = specialBytes(p + i, m_valid);
                const std::size_t plain = marks ? static_cast<std::size_t>(std::countr_zero(marks)) : 16;
                if (plain > 0) {
                    if (!lineGoesOn()) return false;
                    i += plain;
                    continue;
                }
            }
            const unsigned char b = p[i];
            if (b == '\n' || b == '\r') {
                if (!lineEnds(b)) return false;
                ++i;
                continue;
            }
            if (!lineGoesOn()) return false;
            if (b == 0 && !m_flawed) {
                m_flawed = true;
                m_scan.flawedLine = m_ended + 1;
                m_scan.flawIsNul = true;
            }
            const std::size_t taken = b >= 0x80 && m_valid ? highByte(p + i, n - i, last) : 1;
            if (taken == 0) {
                waiting = n - i;
                return true;
            }
            i += taken;
        }
        return true;
    }
    bool beyond() const { return m_beyond; }
    void failed() { m_scan.failed = true; }
    TextScan result() {
        m_scan.lines = m_ended + (m_content ? 1 : 0);
        m_scan.encoding = m_valid && m_nonAscii ? TextEncoding::Utf8 : TextEncoding::Windows1252;
        return m_scan;
    }

private:
    // A byte of a line: false when the line is beyond those read.
    bool lineGoesOn() {
        if (!m_content && m_ended >= m_maxLines) {
            m_beyond = true;
            return false;
        }
        m_content = true;
        m_afterCr = false;
        return true;
    }
    // A line end (a line feed after a carriage return ends no other line).
    bool lineEnds(unsigned char b) {
        if (b == '\r' || !m_afterCr) {
            if (m_ended >= m_maxLines) {
                m_beyond = true;
                return false;
            }
            ++m_ended;
        }
        m_afterCr = b == '\r';
        m_content = false;
        return !m_flawed;
    }
    // The bytes of the sequence a byte above 0x7F starts while the text may be
    // UTF-8; 0 when the next chunk must complete it.
    std::size_t highByte(const unsigned char* p, std::size_t n, bool last) {
        // Most are two-byte letters.
        if (db::twoByteCharacterAt(p, n)) {
            m_nonAscii = true;
            return 2;
        }
        const db::Utf8Sequence s = db::utf8SequenceAt(p, n);
        if (s.kind == db::Utf8Sequence::Kind::Incomplete && !last) return 0;
        if (s.kind == db::Utf8Sequence::Kind::Character) {
            m_nonAscii = true;
            return s.length;
        }
        m_valid = false;
        return 1;
    }

    long m_maxLines;
    TextScan m_scan;
    long m_ended = 0;         // lines ended
    bool m_content = false;   // the line in progress has bytes
    bool m_afterCr = false;   // the byte before was a carriage return
    bool m_flawed = false;    // the line in progress holds a NUL: the scan ends with it
    bool m_beyond = false;
    bool m_valid = true;      // every byte so far is UTF-8
    bool m_nonAscii = false;  // a character of more than one byte was seen
};

}  // namespace

std::optional<TextScan> scanPlainBytes(std::istream& in, long maxLines, std::size_t chunkBytes) {
    PlainByteScan scan(maxLines);
    std::vector<unsigned char> buffer(chunkBytes + 4);
    std::size_t carried = 0;  // an incomplete character from the chunk before, at the start
    for (;;) {
        in.read(reinterpret_cast<char*>(buffer.data() + carried), static_cast<std::streamsize>(chunkBytes));
        const auto got = static_cast<std::size_t>(in.gcount());
        if (in.bad()) {
            scan.failed();
            return scan.result();
        }
        const bool last = got < chunkBytes;
        const std::size_t n = carried + got;
        if (!scan.chunk(buffer.data(), n, last, carried)) {
            if (scan.beyond()) return std::nullopt;
            return scan.result();
        }
        if (last) return scan.result();
        std::memmove(buffer.data(), buffer.data() + n - carried, carried);
    }
}

TextScan scanText(std::istream& in, long maxLines) {
    char head[3] = {};
    in.read(head, sizeof head);
    std::optional<TextEncoding> bom = encodingByBom(std::string_view(head, static_cast<std::size_t>(in.gcount())));
    in.clear();
    in.seekg(0);
    if (!bom) {
        if (std::optional<TextScan> plain = scanPlainBytes(in, maxLines)) return *plain;
        in.clear();
        in.seekg(0);
    }
    return scanDecodedLines(in, maxLines, bom);
}

TextScan scanDecodedLines(std::istream& in, long maxLines, std::optional<TextEncoding> bom) {
    TextScan scan;
    // Without a mark the file is read as UTF-8 first: Windows-1252 text that
    // is not valid UTF-8 shows an invalid sequence, which then only decides
    // the encoding. The lines end at the same bytes either way.
    TextReader reader(in, bom.value_or(TextEncoding::Utf8), 0);
    bool invalid = false;
    bool multibyte = false;
    while (reader.next()) {
        if (scan.lines >= maxLines) {
            ++scan.notRead;
            continue;
        }
        ++scan.lines;
        multibyte = multibyte || reader.hasNonAscii();
        bool flawed = reader.hasNul() || (bom && reader.hasInvalidSequence());
        invalid = invalid || reader.hasInvalidSequence();
        if (flawed) {
            scan.flawedLine = scan.lines;
            scan.flawIsNul = reader.hasNul();
            break;
        }
    }
    scan.failed = reader.failed();
    scan.encoding = bom ? *bom : (multibyte && !invalid ? TextEncoding::Utf8 : TextEncoding::Windows1252);
    return scan;
}

}  // namespace tessaro7::import_text
