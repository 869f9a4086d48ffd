#pragma once
// Prepares a record source (a SELECT text or a bare table name) for SQLite:
// finds the table rows are appended to or edited in, adds the row identity so
// the current row can be edited, keeps the table's natural order where no
// order is asked for, and applies the Italian text order to the ordering terms.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaro7::db {

constexpr std::string_view kRowIdColumn = "__t7rowid";
constexpr std::string_view kRowId = "rowid";
constexpr std::string_view kCollationName = "T7ITALIAN";

struct PreparedSelect {
    std::string sql;        // the text to run
    std::string table;      // the single table read, empty when there is none
    // The columns that identify a row of `table`, selected first in the result
    // (kRowIdColumn0, 1, ...); empty when rows cannot be edited.
    std::vector<std::string> keyColumns;
    std::string countSql;   // counts the rows of the result
};

// The columns that identify a row of a table: {"rowid"} for an ordinary table,
// its primary key for a table WITHOUT ROWID, none for a view. Their order is
// the table's natural order: insertion order, or primary-key order.
using RowKeyOf = std::function<std::vector<std::string>(const std::string& table)>;

PreparedSelect prepareSelect(std::string_view recordSource,
                             const RowKeyOf& rowKeyOf = [](const std::string&) {
                                 return std::vector<std::string>{std::string(kRowId)};
                             });

// A key column as a term of the table's SQL: [table].rowid or [table].[name].
std::string keyTerm(const std::string& table, const std::string& column);

// A table or field name in brackets, as the SQL texts write them: [da pagare].
std::string quotedName(std::string_view name);

}  // namespace tessaro7::db
