#include "import_text/TextReader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>

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

TextScan scanText(std::istream& in, long maxLines) {
    TextScan scan;
    char head[3] = {};
    in.read(head, sizeof head);
    std::optional<TextEncoding> bom = encodingByBom(std::string_view(head, static_cast<std::size_t>(in.gcount())));
    in.clear();
    in.seekg(0);
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
