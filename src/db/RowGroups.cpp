#include "db/RowGroups.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tessaro7::db {

bool groupIsFull(std::size_t rows, std::size_t bytes) { return rows >= kMaxGroupRows || bytes >= kMaxGroupBytes; }

bool copyChunkIsFull(std::size_t rows, std::size_t bytes) { return rows >= kMaxCopyRows || bytes >= kMaxGroupBytes; }

namespace {

// Whether sixteen bytes from `p` hold none that COPY escapes: no backslash and
// no byte below 14 (tab, newline and carriage return are among those).
bool copyBlockPlain(const char* p) {
#if defined(__SSE2__)
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i low = _mm_cmpeq_epi8(_mm_min_epu8(bytes, _mm_set1_epi8(13)), bytes);
    const __m128i backslash = _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\\'));
    return _mm_movemask_epi8(_mm_or_si128(low, backslash)) == 0;
#else
    for (int i = 0; i < 16; ++i)
        if (p[i] == '\\' || static_cast<unsigned char>(p[i]) < 14) return false;
    return true;
#endif
}

// Whether sixteen bytes from `p` hold no quote and no backslash.
bool arrayBlockPlain(const char* p) {
#if defined(__SSE2__)
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i special =
        _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('"')), _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\\')));
    return _mm_movemask_epi8(special) == 0;
#else
    for (int i = 0; i < 16; ++i)
        if (p[i] == '"' || p[i] == '\\') return false;
    return true;
#endif
}

// Appends `text` with a backslash before each byte `escaped` names, written as
// `escaped` gives it. Sixteen bytes that `plain` finds without such a byte are
// passed over at once (most values are shorter, and are looked at as one such
// block); the others are looked at one by one.
template <typename Escaped, typename Plain>
void appendEscaped(std::string& out, std::string_view text, Escaped escaped, Plain plain) {
    const char* run = text.data();
    const char* const end = run + text.size();
    for (const char* p = run; p < end;) {
        if (end - p >= 16 && plain(p)) {
            p += 16;
            continue;
        }
        if (end - p < 16) {  // the tail, looked at in a block of its own filled out with a plain byte
            char tail[16];
            std::memset(tail, 'a', sizeof tail);
            std::memcpy(tail, p, static_cast<std::size_t>(end - p));
            if (plain(tail)) break;
        }
        for (const char* const stop = std::min(p + 16, end); p < stop; ++p) {
            const char as = escaped(*p);
            if (!as) continue;
            out.append(run, p);
            out += '\\';
            out += as;
            run = p + 1;
        }
    }
    out.append(run, end);
}

}  // namespace

void appendCopyText(std::string& line, std::string_view text) {
    appendEscaped(line, text, [](char c) -> char {
        switch (c) {
        case '\\': return '\\';
        case '\t': return 't';
        case '\n': return 'n';
        case '\r': return 'r';
        default: return 0;
        }
    }, copyBlockPlain);
}

void appendCopyText(std::string& line, const std::optional<std::string>& value) {
    if (value)
        appendCopyText(line, std::string_view(*value));
    else
        line += "\\N";
}

void readCopyLine(std::string_view line, std::vector<std::optional<std::string>>& values) {
    std::size_t from = 0;
    for (;;) {
        const std::size_t tab = std::min(line.find('\t', from), line.size());
        const std::string_view field = line.substr(from, tab - from);
        if (field == "\\N") {
            values.emplace_back();
        } else {
            std::string& text = values.emplace_back(std::in_place)->assign("");
            for (std::size_t i = 0; i < field.size(); ++i) {
                if (field[i] != '\\' || i + 1 == field.size()) {
                    text += field[i];
                    continue;
                }
                const char escaped = field[++i];
                text += escaped == 't' ? '\t' : escaped == 'n' ? '\n' : escaped == 'r' ? '\r' : escaped;
            }
        }
        if (tab == line.size()) return;
        from = tab + 1;
    }
}

void appendArrayElement(std::string& array, const std::optional<std::string>& value) {
    if (array.size() > 1) array += ',';
    if (!value) {
        array += "NULL";
        return;
    }
    array += '"';
    appendEscaped(array, *value, [](char c) -> char { return c == '"' || c == '\\' ? c : 0; }, arrayBlockPlain);
    array += '"';
}

}  // namespace tessaro7::db
