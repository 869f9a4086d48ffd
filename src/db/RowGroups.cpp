#include "db/RowGroups.h"

#include <algorithm>

namespace tessaro7::db {

bool groupIsFull(std::size_t rows, std::size_t bytes) { return rows >= kMaxGroupRows || bytes >= kMaxGroupBytes; }

bool copyChunkIsFull(std::size_t rows, std::size_t bytes) { return rows >= kMaxCopyRows || bytes >= kMaxGroupBytes; }

namespace {

// Appends `text` with a backslash before each byte `escaped` names, written as
// `escaped` gives it. A loop over the bytes: find_first_of would look each
// byte up in the set with a call of its own.
template <typename Escaped>
void appendEscaped(std::string& out, std::string_view text, Escaped escaped) {
    const char* run = text.data();
    const char* const end = run + text.size();
    for (const char* p = run; p < end; ++p) {
        const char as = escaped(*p);
        if (!as) continue;
        out.append(run, p);
        out += '\\';
        out += as;
        run = p + 1;
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
    });
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
    appendEscaped(array, *value, [](char c) -> char { return c == '"' || c == '\\' ? c : 0; });
    array += '"';
}

}  // namespace tessaro7::db
