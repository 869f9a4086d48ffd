// Which written values the engine is certain to give back unchanged, asked of
// the engine itself: every value said to read back as written does, in a
// column of every declared type.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cmath>
#include <limits>
#include <memory>

#include "db/FieldType.h"

namespace {

using namespace tessaro7::db;

struct Closer {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
using Database = std::unique_ptr<sqlite3, Closer>;

Database memoryDatabase() {
    sqlite3* db = nullptr;
    sqlite3_open(":memory:", &db);
    return Database(db);
}

const char* const kDeclaredTypes[] = {
    "VARCHAR(80)", "TEXT", "CLOB", "MEMO", "CHARINT", "INTEGER", "LONG", "BYTE", "SHORT", "COUNTER", "BIGINT",
    "DOUBLE", "REAL", "FLOAT", "LONG DOUBLE", "NUMERIC", "DECIMAL(10,2)", "CURRENCY", "MONEY", "", "BLOB",
    "DATETIME", "DATE", "BIT", "BOOLEAN", "YESNO", "STRANGE"};

// The engine's typeof() of what a column of the type stores for the text
// '012', the text '1.5' and the number 1.5, by affinity.
TEST(StoredAsWritten, TheAffinityIsTheEnginesOwn) {
    struct Stored {
        Affinity affinity;
        const char* kinds;
    };
    const Stored byAffinity[] = {{Affinity::Text, "text text text"},
                                 {Affinity::Blob, "text text real"},
                                 {Affinity::Real, "real real real"},
                                 {Affinity::Integer, "integer real real"},
                                 {Affinity::Numeric, "integer real real"}};
    for (const char* declared : kDeclaredTypes) {
        SCOPED_TRACE(declared);
        Database db = memoryDatabase();
        const std::string create = std::string("create table t (c ") + declared + ");"
                                   "insert into t values ('012'), ('1.5'), (1.5);";
        ASSERT_EQ(sqlite3_exec(db.get(), create.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
        std::string kinds;
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db.get(), "select typeof(c) from t order by rowid", -1, &stmt, nullptr);
        while (sqlite3_step(stmt) == SQLITE_ROW)
            kinds += (kinds.empty() ? "" : " ") + std::string(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
        sqlite3_finalize(stmt);
        const Affinity affinity = affinityOf(declared);
        for (const Stored& s : byAffinity) {
            if (s.affinity == affinity) {
                EXPECT_EQ(kinds, s.kinds);
            }
        }
    }
}

// Every value said to read back as written is bound, stored and read back
// with the column's type; the common cases of an import are among them.
TEST(StoredAsWritten, WhatIsSaidToReadBackUnchangedDoes) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Value values[] = {Value(),
                            Value("Città"),
                            Value(""),
                            Value("012"),
                            Value("1.50"),
                            Value(" 7 "),
                            Value(std::string("a\0b", 3)),
                            Value(1.5),
                            Value(2.0),
                            Value(-0.0),
                            Value(1e300),
                            Value(9007199254740993.0),
                            Value(-1e-300),
                            Value(nan),
                            Value(std::numeric_limits<double>::infinity()),
                            Value(std::int64_t{7}),
                            Value(std::numeric_limits<std::int64_t>::min()),
                            Value(DateTime{2024, 2, 29, 13, 5, 0}),
                            Value::yesNo(true)};
    int predicted = 0;
    for (const char* declared : kDeclaredTypes) {
        Database db = memoryDatabase();
        const std::string create = std::string("create table t (c ") + declared + ")";
        ASSERT_EQ(sqlite3_exec(db.get(), create.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
        const FieldType type = fieldTypeOf(declared);
        for (const Value& value : values) {
            if (!readsBackAsWritten(value, type, affinityOf(declared))) continue;
            SCOPED_TRACE(std::string(declared) + " <- " + value.toText());
            ++predicted;
            sqlite3_exec(db.get(), "delete from t", nullptr, nullptr, nullptr);
            sqlite3_stmt* insert = nullptr;
            sqlite3_prepare_v2(db.get(), "insert into t values (?)", -1, &insert, nullptr);
            bindValue(insert, 1, value);
            ASSERT_EQ(sqlite3_step(insert), SQLITE_DONE);
            sqlite3_finalize(insert);
            sqlite3_stmt* select = nullptr;
            sqlite3_prepare_v2(db.get(), "select c from t", -1, &select, nullptr);
            ASSERT_EQ(sqlite3_step(select), SQLITE_ROW);
            const Value read = readColumn(select, 0, type);
            sqlite3_finalize(select);
            EXPECT_EQ(read.kind(), value.kind());
            EXPECT_EQ(read.toText(), value.toText());
            EXPECT_TRUE(read == value);
        }
    }
    // Null everywhere, texts in the text columns and in the untyped one,
    // finite numbers and whole numbers in theirs.
    EXPECT_GE(predicted, 50);
    EXPECT_TRUE(readsBackAsWritten(Value("Città"), fieldTypeOf("VARCHAR(80)"), affinityOf("VARCHAR(80)")));
    EXPECT_TRUE(readsBackAsWritten(Value(1.5), fieldTypeOf("DOUBLE"), affinityOf("DOUBLE")));
    EXPECT_TRUE(readsBackAsWritten(Value(std::int64_t{22}), fieldTypeOf("BYTE"), affinityOf("BYTE")));
}

}  // namespace
