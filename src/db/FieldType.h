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

// Binds a converted value: dates as ISO text, Yes/No as 1 or 0. A text is
// bound without a copy: `stored` must outlive the statement's step, and the
// caller clears the bindings afterwards.
void bindValue(sqlite3_stmt* stmt, int index, const Value& stored);

}  // namespace tessaro7::db
