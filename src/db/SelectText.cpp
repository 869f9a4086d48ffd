#include "db/SelectText.h"

#include <cctype>
#include <vector>

namespace tessaro7::db {

namespace {

char lowerChar(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }
bool isWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || (c & 0x80); }

// Positions of the text that lie outside quotes, brackets and parentheses.
std::vector<bool> topLevelMask(std::string_view s) {
    std::vector<bool> top(s.size(), false);
    int depth = 0;
    char closing = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        if (closing) {
            if (c == closing) closing = 0;
            continue;
        }
        if (c == '\'' || c == '"' || c == '`') closing = c;
        else if (c == '[') closing = ']';
        else if (c == '(') ++depth;
        else if (c == ')') --depth;
        else if (depth == 0) top[i] = true;
    }
    return top;
}

// The top-level keyword `word` starting at or after `from`; npos when absent.
std::size_t findKeyword(std::string_view s, const std::vector<bool>& top, std::string_view word,
                        std::size_t from = 0) {
    for (std::size_t i = from; i + word.size() <= s.size(); ++i) {
        if (!top[i] || (i > 0 && isWordChar(s[i - 1]))) continue;
        bool match = true;
        for (std::size_t k = 0; k < word.size() && match; ++k) match = lowerChar(s[i + k]) == word[k];
        if (match && (i + word.size() == s.size() || !isWordChar(s[i + word.size()]))) return i;
    }
    return std::string_view::npos;
}

std::size_t skipBlanks(std::string_view s, std::size_t i) {
    while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
    return i;
}

// "order by" with any blanks between the two words.
std::size_t findOrderBy(std::string_view s, const std::vector<bool>& top, std::size_t& termsStart) {
    for (std::size_t i = findKeyword(s, top, "order"); i != std::string_view::npos;
         i = findKeyword(s, top, "order", i + 1)) {
        std::size_t j = skipBlanks(s, i + 5);
        if (j > i + 5 && findKeyword(s, top, "by", j) == j) {
            termsStart = j + 2;
            return i;
        }
    }
    return std::string_view::npos;
}

std::string trim(std::string_view s) {
    std::size_t a = 0, b = s.size();
    while (a < b && std::isspace(static_cast<unsigned char>(s[a]))) ++a;
    while (b > a && std::isspace(static_cast<unsigned char>(s[b - 1]))) --b;
    return std::string(s.substr(a, b - a));
}

// Each ordering term gets the Italian collation (numbers are unaffected by it).
std::string collateTerms(std::string_view terms, std::string_view table, const SelectDialect& dialect) {
    std::vector<bool> top = topLevelMask(terms);
    std::string out;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= terms.size(); ++i) {
        if (i < terms.size() && !(top[i] && terms[i] == ',')) continue;
        std::string term = trim(terms.substr(start, i - start));
        std::vector<bool> termTop = topLevelMask(term);
        std::string direction;
        for (std::string_view dir : {"asc", "desc"}) {
            std::size_t at = findKeyword(term, termTop, dir);
            if (at != std::string::npos && at + dir.size() == term.size()) {
                direction = ' ';
                direction += term.substr(at);
                term = trim(term.substr(0, at));
            }
        }
        if (findKeyword(term, topLevelMask(term), "collate") == std::string::npos)
            term = dialect.collated(table, std::move(term));
        if (!out.empty()) out += ", ";
        out += term + direction;
        out += dialect.nullsPlacement(direction.find_first_of("dD") != std::string::npos);
        start = i + 1;
    }
    return out;
}

// The table named right after the top-level FROM, when the selection reads
// that one table only.
std::string singleTable(std::string_view s, const std::vector<bool>& top, std::size_t& tableEnd) {
    std::size_t from = findKeyword(s, top, "from");
    if (from == std::string_view::npos) return "";
    std::size_t i = skipBlanks(s, from + 4);
    std::string name;
    if (i < s.size() && (s[i] == '[' || s[i] == '"' || s[i] == '`')) {
        char closing = s[i] == '[' ? ']' : s[i];
        std::size_t end = s.find(closing, i + 1);
        if (end == std::string_view::npos) return "";
        name = std::string(s.substr(i + 1, end - i - 1));
        i = end + 1;
    } else {
        std::size_t start = i;
        while (i < s.size() && isWordChar(s[i])) ++i;
        name = std::string(s.substr(start, i - start));
    }
    tableEnd = i;
    std::size_t next = skipBlanks(s, i);
    if (next == s.size() || s[next] == ';') return name;
    for (std::string_view word : {"where", "order", "group", "limit"})
        if (findKeyword(s, top, word, next) == next) return name;
    return "";  // a join, a list of tables or an alias: read-only
}

bool isBareName(std::string_view s) {
    if (s.empty()) return false;
    if (s.front() == '[' && s.back() == ']') return s.find(']') == s.size() - 1;
    for (char c : s)
        if (!isWordChar(c)) return false;
    return true;
}

}  // namespace

// Built by appending: GCC 12 at -O3 reports a false -Wrestrict on "[" + name + "]".
std::string quotedName(std::string_view name) {
    std::string q;
    q.reserve(name.size() + 2);
    q += '[';
    q.append(name);
    q += ']';
    return q;
}

bool isTableName(std::string_view recordSource) { return isBareName(trim(recordSource)); }

std::string SelectDialect::collated(std::string_view, std::string term) const {
    return term + " collate " + std::string(kCollationName);
}

PreparedSelect prepareSelect(std::string_view recordSource, const SelectDialect& dialect) {
    std::string source = trim(recordSource);
    if (isBareName(source)) {
        std::string table = source.front() == '[' ? source.substr(1, source.size() - 2) : source;
        std::string identity = dialect.rowIdentity(table);
        if (identity.empty())
            return {"select * from " + dialect.quoted(table), table, false, "select count(*) from " + dialect.quoted(table)};
        return {"select " + identity + " as " + std::string(kRowIdColumn) + ", * from " + dialect.quoted(table) +
                    " order by " + dialect.naturalOrder(table),
                table, true, "select count(*) from " + dialect.quoted(table)};
    }
    std::vector<bool> top = topLevelMask(source);
    std::size_t tableEnd = 0;
    std::string table = singleTable(source, top, tableEnd);
    std::size_t select = findKeyword(source, top, "select");
    bool distinct = select != std::string::npos && findKeyword(source, top, "distinct", skipBlanks(source, select + 6)) ==
                                                       skipBlanks(source, select + 6);
    std::size_t termsStart = 0;
    std::size_t orderBy = findOrderBy(source, top, termsStart);

    std::string sql;
    PreparedSelect result;
    std::string identity = select == 0 && !table.empty() && !distinct ? dialect.rowIdentity(table) : std::string();
    if (!table.empty() && select == 0 && !distinct) result.table = table;
    if (!identity.empty()) {
        sql = "select " + identity + " as " + std::string(kRowIdColumn) + "," + source.substr(6);
        result.hasRowId = true;
    } else {
        sql = source;
    }
    std::size_t shift = sql.size() - source.size();
    if (orderBy != std::string::npos) {
        std::string terms = collateTerms(source.substr(termsStart), table, dialect);
        if (result.hasRowId) terms += ", " + dialect.naturalOrder(table);
        sql = sql.substr(0, termsStart + shift) + " " + terms;
    } else if (result.hasRowId) {
        sql += " order by " + dialect.naturalOrder(table);
    }
    result.sql = sql;
    result.countSql = dialect.countOf(sql);
    return result;
}

}  // namespace tessaro7::db
