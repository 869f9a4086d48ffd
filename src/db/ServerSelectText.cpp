#include "db/ServerSelectText.h"

#include <algorithm>
#include <cctype>

#include "db/Names.h"

namespace tessaro7::db {

namespace {

bool isWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || (c & 0x80); }

// Puts "::text" after the operand that ends the text written so far.
void castLastOperand(std::string& out) {
    std::size_t end = out.size();
    while (end > 0 && std::isspace(static_cast<unsigned char>(out[end - 1]))) --end;
    if (end == 0) return;
    out.insert(end, "::text");
}

}  // namespace

namespace {

std::string enclosed(std::string_view text, char quote) {
    std::string q(1, quote);
    for (char c : text) {
        if (c == quote) q += quote;
        q += c;
    }
    q += quote;
    return q;
}

}  // namespace

std::string serverQuoted(std::string_view name) { return enclosed(name, '"'); }
std::string serverLiteral(std::string_view text) { return enclosed(text, '\''); }

std::string translateForServer(std::string_view s, const NameResolver& resolve) {
    std::string out;
    out.reserve(s.size() + 16);
    std::size_t i = 0;
    while (i < s.size()) {
        char c = s[i];
        if (c == '\'') {  // a text literal, '' inside it included
            std::size_t end = i + 1;
            while (end < s.size() && (s[end] != '\'' || (end + 1 < s.size() && s[end + 1] == '\'')))
                end += s[end] == '\'' ? 2 : 1;
            out.append(s.substr(i, end + 1 - i));
            i = end + 1;
        } else if (c == '[' || c == '"' || c == '`') {
            char closing = c == '[' ? ']' : c;
            std::size_t end = s.find(closing, i + 1);
            if (end == std::string_view::npos) end = s.size();
            std::string_view name = s.substr(i + 1, std::min(end, s.size()) - i - 1);
            std::string actual = resolve(name);
            out += serverQuoted(actual.empty() ? name : actual);
            i = end + 1;
        } else if (isWordChar(c) && !std::isdigit(static_cast<unsigned char>(c))) {
            std::size_t end = i;
            while (end < s.size() && isWordChar(s[end])) ++end;
            std::string_view word = s.substr(i, end - i);
            if (sameName(word, "like")) {
                std::string tail = out;
                // "not like": the cast belongs to the operand before "not".
                std::size_t trimmed = tail.find_last_not_of(" \t\r\n");
                bool negated = trimmed != std::string::npos && trimmed >= 2 &&
                               sameName(std::string_view(tail).substr(trimmed - 2, 3), "not") &&
                               (trimmed < 3 || !isWordChar(tail[trimmed - 3]));
                if (negated) {
                    std::string notWord = out.substr(trimmed - 2);
                    out.erase(trimmed - 2);
                    castLastOperand(out);
                    out += ' ' + notWord;
                } else {
                    castLastOperand(out);
                }
                out += " ilike ";
            } else {
                // Unquoted names are folded to lower case by the server: only
                // a name the server spells with capitals needs its quotes.
                std::string actual = resolve(word);
                out += actual.empty() || actual == lowerName(actual) ? std::string(word) : serverQuoted(actual);
            }
            i = end;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

}  // namespace tessaro7::db
