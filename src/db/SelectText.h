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

// A table or field name in brackets, as the SQL texts write them: [da pagare].
std::string quotedName(std::string_view name);

// What differs between engines when a record source is prepared: how a name
// is quoted, what names a row, the order of rows when none is asked for, how
// a text is put in Italian order and how rows are counted. The defaults are
// SQLite's.
class SelectDialect {
public:
    virtual ~SelectDialect() = default;
    virtual std::string quoted(std::string_view name) const { return quotedName(name); }
    // An expression naming a row of `table`; empty when its rows cannot be edited (a view).
    virtual std::string rowIdentity(std::string_view table) const { return quoted(table) + ".rowid"; }
    virtual std::string naturalOrder(std::string_view table) const { return rowIdentity(table); }
    // An ordering term of `table` in Italian text order.
    virtual std::string collated(std::string_view table, std::string term) const;
    virtual std::string countOf(const std::string& sql) const { return "select count(*) from (" + sql + ")"; }
    // Where Null goes in an ordering term: before every value going up, as SQLite places it.
    virtual std::string nullsPlacement(bool descending) const {
        (void)descending;
        return {};
    }
};

PreparedSelect prepareSelect(std::string_view recordSource, const SelectDialect& dialect = SelectDialect());

// True when the record source is a bare table name (Clienti, [da pagare]).
bool isTableName(std::string_view recordSource);

}  // namespace tessaro7::db
