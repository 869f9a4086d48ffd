// The rows a run stores, handed over as they are written, are the rows read
// back after it; where the engine cannot be sure of them it says so, and the
// rows read back are the truth.
#include <gtest/gtest.h>

#include "db/DataSource.h"
#include "db/DatabaseCreator.h"
#include "support/TempDir.h"

namespace {

using namespace tessaro7::db;
using tessaro7::testing::TempDir;

using Row = std::vector<std::pair<std::string, std::string>>;  // field, text set

struct Case {
    const char* what;
    const char* schema;  // the table is t
    std::vector<Row> rows;
    bool watched;  // every stored row was handed over
};

struct Added {
    std::vector<std::string> ids;
    std::vector<std::vector<Value>> rows;
};

TEST(DataSourceWatch, TheRowsHandedOverAreTheRowsReadBack) {
    const Row plain = {{"a", "Città"}, {"b", "  due  "}};
    const Case cases[] = {
        {"texts, a field left unset", "create table t (a VARCHAR(80), b VARCHAR(5), c VARCHAR(10))", {plain, {{"b", ""}}, plain}, true},
        {"numbers and a duplicate left out",
         "create table t (codice VARCHAR(18), iva BYTE, costo DOUBLE, n NUMERIC); create unique index k on t (codice)",
         {{{"codice", "A"}, {"iva", "22"}, {"costo", "1,5"}, {"n", "3"}},
          {{"codice", "A"}, {"iva", "4"}},
          {{"codice", "B"}, {"costo", ""}, {"n", "2,25"}}},
         true},
        {"other fields in other orders", "create table t (a VARCHAR(5), b VARCHAR(5), c TEXT)",
         {{{"c", "3"}, {"a", "1"}}, {{"b", "2"}}, {{"a", "x"}, {"a", "y"}}}, true},
        {"a default", "create table t (a VARCHAR(5), b VARCHAR(5) default 'x')", {{{"a", "1"}}}, false},
        {"a trigger that edits the row",
         "create table t (a VARCHAR(5)); create trigger e after insert on t begin update t set a = 'z' where rowid = new.rowid; end",
         {{{"a", "1"}}, {{"a", "2"}}}, false},
        {"a date", "create table t (a VARCHAR(5), d DATETIME)", {{{"a", "1"}, {"d", "29/02/2024"}}}, false},
        {"a key filled by the engine", "create table t (id INTEGER PRIMARY KEY, a VARCHAR(5))", {{{"a", "1"}}}, false},
        {"a generated column", "create table t (a VARCHAR(5), g VARCHAR(10) generated always as (a || '!'))", {{{"a", "1"}}}, false},
        {"a text in a numeric column", "create table t (a MEMO)", {{{"a", "012"}}}, false},
        {"rows that replace others", "create table t (a VARCHAR(5) unique on conflict replace, b VARCHAR(5))",
         {{{"a", "1"}, {"b", "x"}}, {{"a", "1"}, {"b", "y"}}}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string path = (dir / "b.mdb").string();
        createDatabaseFromSql(path, std::string(c.schema) + "; create table altra (x VARCHAR(5)); insert into t default values");
        DataSource data;
        data.setDatabaseName(path);
        data.setRecordSource("t");
        Added watched, readBack;
        bool all = false;
        RunCounts counts;
        data.runInOneTransaction(
            [&] {
                const Value mark = data.additionMark();
                data.watchAdded([&](const Value& id, const std::vector<const Value*>& row) {
                    watched.ids.push_back(id.toText());
                    watched.rows.emplace_back();
                    for (const Value* v : row) watched.rows.back().push_back(*v);
                });
                for (const Row& row : c.rows) {
                    data.addNew();
                    for (const auto& [field, text] : row) data.setField(field, text);
                    data.update();
                }
                all = data.endWatch();
                data.readAdded(mark, [&](const Value& id, const std::vector<Value>& row) {
                    readBack.ids.push_back(id.toText());
                    readBack.rows.push_back(row);
                });
            },
            &counts, true);
        EXPECT_EQ(all, c.watched);
        if (all) {
            EXPECT_EQ(static_cast<long>(readBack.rows.size()), counts.inserted);
            EXPECT_EQ(watched.ids, readBack.ids);
            EXPECT_EQ(watched.rows, readBack.rows);
        }
    }
}

// A watch ends with its run: rows written afterwards are not handed over.
TEST(DataSourceWatch, AWatchEndsWithItsRun) {
    TempDir dir;
    const std::string path = (dir / "b.mdb").string();
    createDatabaseFromSql(path, "create table t (a VARCHAR(5))");
    DataSource data;
    data.setDatabaseName(path);
    data.setRecordSource("t");
    int handed = 0;
    RunCounts counts;
    data.runInOneTransaction(
        [&] {
            data.watchAdded([&](const Value&, const std::vector<const Value*>&) { ++handed; });
            data.addNew();
            data.setField("a", "1");
            data.update();
        },
        &counts);
    data.addNew();
    data.setField("a", "2");
    data.update();
    EXPECT_EQ(handed, 1);
    EXPECT_FALSE(data.endWatch());
}

}  // namespace
