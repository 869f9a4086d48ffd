// Appends and edits through the engine interface, read back with SQLite itself:
// texts are bound without a copy, so each write must store exactly its own values.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

#include "db/DataSource.h"
#include "db/DatabaseCreator.h"
#include "support/TempDir.h"

namespace {

using tessaro7::db::DataSource;
using tessaro7::db::EngineError;

std::vector<std::string> column(const std::string& db, const std::string& sql) {
    sqlite3* h = nullptr;
    sqlite3_open(db.c_str(), &h);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(h, sql.c_str(), -1, &stmt, nullptr);
    std::vector<std::string> values;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
        values.push_back(t ? t : "<null>");
    }
    sqlite3_finalize(stmt);
    sqlite3_close(h);
    return values;
}

// "k7": appended, since GCC 12 at -O3 warns falsely on "k" + std::to_string(i).
std::string key(int i) {
    std::string k = "k";
    k += std::to_string(i);
    return k;
}

class DataSourceWriteTest : public ::testing::Test {
protected:
    tessaro7::testing::TempDir dir;
    std::string db = (dir / "t.mdb").string();
    DataSource data;
    void SetUp() override {
        tessaro7::db::createDatabaseFromSql(db, "create table t (a VARCHAR(20), b VARCHAR(20), n DOUBLE);"
                                                "create unique index t_a on t (a);");
        data.setDatabaseName(db);
        data.setRecordSource("t");
        data.refresh();
    }
    void append(const std::string& a, const std::string& b) {
        data.addNew();
        data.setField("a", std::string(a));  // a temporary: the engine keeps its own value
        data.setField("b", b + "");
        data.update();
    }
};

TEST_F(DataSourceWriteTest, EachAppendStoresItsOwnTexts) {
    for (int i = 0; i < 50; ++i) append(key(i), std::string(static_cast<std::size_t>(i % 7), 'x'));
    std::vector<std::string> a = column(db, "select a from t order by rowid");
    std::vector<std::string> b = column(db, "select b from t order by rowid");
    ASSERT_EQ(a.size(), 50u);
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(a[static_cast<std::size_t>(i)], key(i));
        EXPECT_EQ(b[static_cast<std::size_t>(i)], std::string(static_cast<std::size_t>(i % 7), 'x'));
    }
}

TEST_F(DataSourceWriteTest, AFailedAppendLeavesNothingBehindForTheNext) {
    append("uno", "primo");
    EXPECT_THROW(append("uno", "doppio"), EngineError);
    data.addNew();
    data.setField("a", "due");
    data.update();  // b is not set: it must not receive an earlier row's text
    append("tre", "terzo");
    EXPECT_EQ(column(db, "select a || '|' || coalesce(b, '<null>') from t order by rowid"),
              (std::vector<std::string>{"uno|primo", "due|<null>", "tre|terzo"}));
}

// A row's values go into the storage of the rows before it: whatever fields
// a row sets, in whatever order, it stores only its own.
TEST_F(DataSourceWriteTest, RowsSettingOtherFieldsInOtherOrdersStoreOnlyTheirOwn) {
    struct Set {
        const char* field;
        const char* text;
    };
    const std::vector<std::vector<Set>> rows = {
        {{"a", "primo lungo lungo lungo"}, {"b", "bbbbbbbbbbbbbbbbbbbb"}, {"n", "1"}},
        {{"n", "2"}, {"a", "due"}},
        {{"b", "x"}, {"a", "tre"}, {"b", "y"}},
        {{"a", "quattro"}},
    };
    for (const auto& row : rows) {
        data.addNew();
        for (const Set& set : row) data.setField(set.field, std::string_view(set.text));
        data.update();
    }
    data.addNew();
    data.setField("b", "annullato");
    data.cancelUpdate();
    data.addNew();
    data.setField("a", "cinque");
    data.update();
    EXPECT_EQ(column(db, "select a || '|' || coalesce(b, '<null>') || '|' || coalesce(n, '<null>') from t order by rowid"),
              (std::vector<std::string>{"primo lungo lungo lungo|bbbbbbbbbbbbbbbbbbbb|1.0", "due|<null>|2.0",
                                        "tre|y|<null>", "quattro|<null>|<null>", "cinque|<null>|<null>"}));
}

TEST_F(DataSourceWriteTest, EditStoresAndShowsTheNewTexts) {
    append("uno", "primo");
    data.refresh();
    data.edit();
    data.setField("b", std::string("cambiato"));
    data.setField("n", "2,5");
    data.update();
    EXPECT_EQ(data.fieldText("b"), "cambiato");
    EXPECT_EQ(column(db, "select b || '|' || n from t"), (std::vector<std::string>{"cambiato|2.5"}));
}

}  // namespace
