#include "db/FieldType.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>

namespace tessaro7::db {

namespace {

bool contains(const std::string& upper, std::initializer_list<const char*> words) {
    return std::any_of(words.begin(), words.end(),
                       [&](const char* w) { return upper.find(w) != std::string::npos; });
}

std::string_view textOf(sqlite3_stmt* stmt, int index) {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt, index));
    return p ? std::string_view(p, static_cast<std::size_t>(sqlite3_column_bytes(stmt, index))) : std::string_view();
}

std::string trimmed(std::string_view s) {
    std::size_t a = 0, b = s.size();
    while (a < b && std::isspace(static_cast<unsigned char>(s[a]))) ++a;
    while (b > a && std::isspace(static_cast<unsigned char>(s[b - 1]))) --b;
    return std::string(s.substr(a, b - a));
}

std::optional<bool> yesNoFromText(std::string_view text) {
    std::string t = trimmed(text);
    std::transform(t.begin(), t.end(), t.begin(), [](unsigned char c) { return std::tolower(c); });
    if (t == "vero" || t == "true" || t == "sì" || t == "si" || t == "yes" || t == "-1" || t == "1") return true;
    if (t == "falso" || t == "false" || t == "no" || t == "0") return false;
    return std::nullopt;
}

}  // namespace

FieldType fieldTypeOf(std::string_view declaredType) {
    std::string t(declaredType);
    std::transform(t.begin(), t.end(), t.begin(), [](unsigned char c) { return std::toupper(c); });
    if (t.empty()) return FieldType::Untyped;
    if (contains(t, {"BOOL", "BIT", "YESNO"})) return FieldType::YesNo;
    if (contains(t, {"DATE", "TIME"})) return FieldType::Date;
    if (contains(t, {"CHAR", "TEXT", "CLOB", "MEMO"})) return FieldType::Text;
    if (contains(t, {"INT", "LONG", "SHORT", "BYTE", "COUNTER"})) return FieldType::Whole;
    if (contains(t, {"REAL", "FLOA", "DOUB", "SINGLE", "NUMERIC", "DECIMAL", "CURRENCY", "MONEY"}))
        return FieldType::Number;
    return FieldType::Untyped;
}

Affinity affinityOf(std::string_view declaredType) {
    std::string t(declaredType);
    std::transform(t.begin(), t.end(), t.begin(), [](unsigned char c) { return std::toupper(c); });
    if (contains(t, {"INT"})) return Affinity::Integer;
    if (contains(t, {"CHAR", "CLOB", "TEXT"})) return Affinity::Text;
    if (t.empty() || contains(t, {"BLOB"})) return Affinity::Blob;
    if (contains(t, {"REAL", "FLOA", "DOUB"})) return Affinity::Real;
    return Affinity::Numeric;
}

bool readsBackAsWritten(const Value& written, FieldType type, Affinity affinity) {
    switch (written.kind()) {
    case Value::Kind::Null:
        return true;
    case Value::Kind::Text:
        // Only these two affinities never turn a text into a number.
        return (type == FieldType::Text || type == FieldType::Untyped) &&
               (affinity == Affinity::Text || affinity == Affinity::Blob);
    case Value::Kind::Number:
        // A whole-valued number may be kept as an integer: read as a number
        // again it is the same, but a negative zero would lose its sign.
        return type == FieldType::Number && affinity != Affinity::Text && std::isfinite(written.number()) &&
               !(written.number() == 0 && std::signbit(written.number()));
    case Value::Kind::Whole:
        // A real affinity keeps it as a number with a fraction part.
        return type == FieldType::Whole &&
               (affinity == Affinity::Integer || affinity == Affinity::Numeric || affinity == Affinity::Blob);
    case Value::Kind::Date:
    case Value::Kind::YesNo:
        break;
    }
    return false;
}

Value readColumn(sqlite3_stmt* stmt, int index, FieldType type) {
    int storage = sqlite3_column_type(stmt, index);
    if (storage == SQLITE_NULL) return Null{};
    switch (type) {
    case FieldType::Text:
        return std::string(textOf(stmt, index));
    case FieldType::Whole:
    case FieldType::Number:
        if (storage == SQLITE_INTEGER)
            return type == FieldType::Whole ? Value(static_cast<std::int64_t>(sqlite3_column_int64(stmt, index)))
                                            : Value(static_cast<double>(sqlite3_column_int64(stmt, index)));
        if (storage == SQLITE_FLOAT) return sqlite3_column_double(stmt, index);
        if (auto n = textToNumber(textOf(stmt, index))) return *n;
        return std::string(textOf(stmt, index));
    case FieldType::Date:
        if (storage == SQLITE_INTEGER || storage == SQLITE_FLOAT)
            return dateFromSerial(sqlite3_column_double(stmt, index));
        if (auto d = parseDate(textOf(stmt, index))) return *d;
        return std::string(textOf(stmt, index));
    case FieldType::YesNo:
        if (storage == SQLITE_INTEGER || storage == SQLITE_FLOAT) return Value::yesNo(sqlite3_column_double(stmt, index) != 0);
        if (auto b = yesNoFromText(textOf(stmt, index))) return Value::yesNo(*b);
        return std::string(textOf(stmt, index));
    case FieldType::Untyped:
        break;
    }
    if (storage == SQLITE_INTEGER) return static_cast<std::int64_t>(sqlite3_column_int64(stmt, index));
    if (storage == SQLITE_FLOAT) return sqlite3_column_double(stmt, index);
    return std::string(textOf(stmt, index));
}

void readColumnInto(sqlite3_stmt* stmt, int index, FieldType type, Value& out) {
    // A text column's value has a text unless it is Null: one call tells
    // both, and what has none is read the long way.
    if (type == FieldType::Text)
        if (const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt, index))) {
            out.assignText(std::string_view(p, static_cast<std::size_t>(sqlite3_column_bytes(stmt, index))));
            return;
        }
    out = readColumn(stmt, index, type);
}

namespace {

// Each converter below takes a value that is neither Null nor blank text.
bool convertToWhole(const Value& value, Value& stored) {
    auto n = value.toNumber();
    if (!n) return false;
    double r = roundHalfEven(*n);
    if (r < static_cast<double>(std::numeric_limits<std::int64_t>::min()) ||
        r > static_cast<double>(std::numeric_limits<std::int64_t>::max()))
        return false;
    stored = static_cast<std::int64_t>(r);
    return true;
}

bool convertToNumber(const Value& value, Value& stored) {
    auto n = value.toNumber();
    if (!n) return false;
    stored = *n;
    return true;
}

bool convertToDate(const Value& value, Value& stored) {
    if (value.kind() == Value::Kind::Date) {
        stored = value;
        return true;
    }
    if (value.kind() == Value::Kind::Text) {
        auto d = parseDate(value.text());
        if (!d) return false;
        stored = *d;
        return true;
    }
    if (value.kind() == Value::Kind::Number || value.kind() == Value::Kind::Whole) {
        stored = dateFromSerial(*value.toNumber());
        return true;
    }
    return false;
}

bool convertToYesNo(const Value& value, Value& stored) {
    if (value.kind() == Value::Kind::YesNo) {
        stored = value;
        return true;
    }
    if (value.kind() == Value::Kind::Text) {
        auto b = yesNoFromText(value.text());
        if (!b) return false;
        stored = Value::yesNo(*b);
        return true;
    }
    if (auto n = value.toNumber()) {
        stored = Value::yesNo(*n != 0);
        return true;
    }
    return false;
}

}  // namespace

bool convertForColumn(const Value& value, FieldType type, Value& stored) {
    if (value.isNull()) {
        stored = Null{};
        return true;
    }
    if (type == FieldType::Text || type == FieldType::Untyped) {
        stored = value.kind() == Value::Kind::Text || type == FieldType::Untyped ? value : Value(value.toText());
        return true;
    }
    // A blank text is no value for a number, date or Yes/No column.
    if (value.kind() == Value::Kind::Text && trimmed(value.text()).empty()) {
        stored = Null{};
        return true;
    }
    switch (type) {
    case FieldType::Whole: return convertToWhole(value, stored);
    case FieldType::Number: return convertToNumber(value, stored);
    case FieldType::Date: return convertToDate(value, stored);
    case FieldType::YesNo: return convertToYesNo(value, stored);
    case FieldType::Text:
    case FieldType::Untyped: break;
    }
    return false;
}

void bindValue(sqlite3_stmt* stmt, int index, const Value& v) {
    switch (v.kind()) {
    case Value::Kind::Null: sqlite3_bind_null(stmt, index); break;
    case Value::Kind::Text: sqlite3_bind_text(stmt, index, v.text().data(), static_cast<int>(v.text().size()), SQLITE_STATIC); break;
    case Value::Kind::Number: sqlite3_bind_double(stmt, index, v.number()); break;
    case Value::Kind::Whole: sqlite3_bind_int64(stmt, index, v.whole()); break;
    case Value::Kind::Date: {
        std::string iso = dateToIso(v.date());
        sqlite3_bind_text(stmt, index, iso.data(), static_cast<int>(iso.size()), SQLITE_TRANSIENT);
        break;
    }
    case Value::Kind::YesNo: sqlite3_bind_int(stmt, index, v.yes() ? 1 : 0); break;
    }
}

}  // namespace tessaro7::db
