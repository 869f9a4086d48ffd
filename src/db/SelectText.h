#pragma once
// Prepares a record source (a SELECT text or a bare table name) for SQLite:
// finds the table rows are appended to or edited in, adds the row identity so
// the current row can be edited, keeps insertion order where no order is
// asked for, and applies the Italian text order to the ordering terms.
#include <string>
#include <string_view>

namespace tessaro7::db {

constexpr std::string_view kRowIdColumn = "__t7rowid";
constexpr std::string_view kCollationName = "T7ITALIAN";

struct PreparedSelect {
    std::string sql;        // the text to run
    std::string table;      // the single table read, empty when there is none
    bool hasRowId = false;  // the first result column is kRowIdColumn
    std::string countSql;   // counts the rows of the result
};

PreparedSelect prepareSelect(std::string_view recordSource);

// A table or field name in brackets, as the SQL texts write them: [da pagare].
std::string quotedName(std::string_view name);

}  // namespace tessaro7::db
