#pragma once
// How a column's declared type is treated, and the conversions between stored
// SQLite values and field values.
#include <sqlite3.h>

#include <string>
#include <string_view>

#include "db/Value.h"

namespace tessaro7::db {

enum class FieldType { Text, Whole, Number, Date, YesNo, Untyped };

// TEXT/CHAR/CLOB/MEMO text; INT/LONG/SHORT/BYTE/COUNTER whole number;
// REAL/FLOA/DOUB/SINGLE/NUMERIC/DECIMAL/CURRENCY/MONEY number; DATE/TIME date;
// BOOL/BIT/YESNO Yes/No; anything else is read as SQLite stores it.
FieldType fieldTypeOf(std::string_view declaredType);

Value readColumn(sqlite3_stmt* stmt, int index, FieldType type);
// The same into `out`, reusing the storage of a text it holds: a cursor
// reading many rows into one row of values allocates once per column.
void readColumnInto(sqlite3_stmt* stmt, int index, FieldType type, Value& out);

// The value a write stores, converted to the column's type. Returns false when
// the value cannot be converted (the caller reports 3421).
bool convertForColumn(const Value& value, FieldType type, Value& stored);

// The storage affinity the engine gives a declared type, by its own rules
// in their order: INT; CHAR, CLOB or TEXT; BLOB or no type; REAL, FLOA or
// DOUB; anything else.
enum class Affinity { Integer, Text, Blob, Real, Numeric };
Affinity affinityOf(std::string_view declaredType);

// True when a converted value, bound by bindValue into a column of this type
// and affinity, is certain to be read back by readColumn as the same value
// with the same text. False where the engine may store it otherwise (a text
// that looks like a number in a numeric column, a date, a number that is not
// finite, a negative zero).
bool readsBackAsWritten(const Value& written, FieldType type, Affinity affinity);

// Binds a converted value: dates as ISO text, Yes/No as 1 or 0. A text is
// bound without a copy: `stored` must outlive the statement's step, and the
// caller clears the bindings afterwards.
void bindValue(sqlite3_stmt* stmt, int index, const Value& stored);

}  // namespace tessaro7::db
