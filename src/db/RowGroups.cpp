#include "db/RowGroups.h"

namespace tessaro7::db {

bool groupIsFull(std::size_t rows, std::size_t bytes) { return rows >= kMaxGroupRows || bytes >= kMaxGroupBytes; }

bool copyChunkIsFull(std::size_t rows, std::size_t bytes) { return rows >= kMaxCopyRows || bytes >= kMaxGroupBytes; }

void appendCopyText(std::string& line, const std::optional<std::string>& value) {
    if (!value) {
        line += "\\N";
        return;
    }
    const std::string& text = *value;
    for (std::size_t from = 0;;) {
        std::size_t at = text.find_first_of("\\\t\n\r", from);
        line.append(text, from, at == std::string::npos ? std::string::npos : at - from);
        if (at == std::string::npos) break;
        line += '\\';
        switch (text[at]) {
        case '\t': line += 't'; break;
        case '\n': line += 'n'; break;
        case '\r': line += 'r'; break;
        default: line += '\\';
        }
        from = at + 1;
    }
}

void appendArrayElement(std::string& array, const std::optional<std::string>& value) {
    if (array.size() > 1) array += ',';
    if (!value) {
        array += "NULL";
        return;
    }
    array += '"';
    const std::string& text = *value;
    for (std::size_t from = 0;;) {
        std::size_t at = text.find_first_of("\"\\", from);
        array.append(text, from, at == std::string::npos ? std::string::npos : at - from);
        if (at == std::string::npos) break;
        array += '\\';
        array += text[at];
        from = at + 1;
    }
    array += '"';
}

}  // namespace tessaro7::db
