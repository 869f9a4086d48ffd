// The rows a run stores, handed over as they are written, are the rows read
// back after it; where the engine cannot be sure of them it says so, and the
// rows read back are the truth.
#include <gtest/gtest.h>

#include <map>

#include "db/DataSource.h"
#include "db/DatabaseCreator.h"
#include "support/ServerDatabase.h"
#include "support/TempDir.h"

namespace {

using namespace tessaro7::db;
using namespace tessaro7::testing;

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

struct Watched {
    bool all = false;    // every stored row was handed over
    Added handed, readBack;
    RunCounts counts;
    int failure = 0;     // the engine error of a run that stopped
};

// Writes the rows into t in one run, watching them, then reads the run's rows
// back; rows handed over with a Null identity take the ones told at the end
// (a row not stored has none, and is dropped).
Watched watchRun(const std::string& database, const std::vector<Row>& rows, bool skipDuplicates) {
    DataSource data;
    data.setDatabaseName(database);
    data.setRecordSource("t");
    Watched w;
    auto collect = [&](const Value& mark) {
        std::vector<Value> later;
        w.all = data.endWatch(later);
        if (!later.empty()) {
            Added told;
            for (std::size_t i = 0; i < later.size(); ++i)
                if (!later[i].isNull()) {
                    told.ids.push_back(later[i].toText());
                    told.rows.push_back(w.handed.rows[i]);
                }
            w.handed = std::move(told);
        }
        data.readAdded(mark, [&](const Value& id, const std::vector<Value>& row) {
            w.readBack.ids.push_back(id.toText());
            w.readBack.rows.push_back(row);
        });
    };
    try {
        data.runInOneTransaction(
            [&] {
                const Value mark = data.additionMark();
                data.watchAdded([&](const Value& id, const std::vector<const Value*>& row) {
                    w.handed.ids.push_back(id.toText());
                    w.handed.rows.emplace_back();
                    for (const Value* v : row) w.handed.rows.back().push_back(*v);
                });
                try {
                    for (const Row& row : rows) {
                        data.addNew();
                        for (const auto& [field, text] : row) data.setField(field, text);
                        data.update();
                    }
                } catch (const EngineError&) {
                    collect(mark);
                    throw;
                }
                collect(mark);
            },
            &w.counts, skipDuplicates);
    } catch (const EngineError& e) {
        w.failure = e.number();
    }
    return w;
}

// The rows handed over, by identity, against the rows read back.
std::map<std::string, std::vector<Value>> byIdentity(const Added& added) {
    std::map<std::string, std::vector<Value>> rows;
    for (std::size_t i = 0; i < added.ids.size(); ++i) rows.emplace(added.ids[i], added.rows[i]);
    return rows;
}

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
        const Watched w = watchRun(path, c.rows, true);
        EXPECT_EQ(w.all, c.watched);
        if (w.all) {
            EXPECT_EQ(static_cast<long>(w.readBack.rows.size()), w.counts.inserted);
            EXPECT_EQ(w.handed.ids, w.readBack.ids);
            EXPECT_EQ(w.handed.rows, w.readBack.rows);
        }
    }
}

// On the server the rows are told as they are sent, and their identities
// once the run's rows are written, found by a column whose values differ in
// every row sent.
TEST(DataSourceWatch, OnTheServerTheRowsToldAsSentAreTheRowsReadBack) {
    if (!testServer()) GTEST_SKIP() << "TESSARO7_TEST_SERVER non impostata: nessun server PostgreSQL per questa prova";
    const std::string hostile = "a\tb\\N\\.\r\n\"'$$ 😀\u200f";
    const Row plain = {{"a", "Città"}, {"b", "  due"}};
    std::vector<Row> many;
    for (int n = 0; n < 2500; ++n) many.push_back({{"a", "r" + std::to_string(n)}, {"c", n % 7 ? hostile : ""}});
    // Past the first chunk copied, a repeated key: the second chunk is written again by groups up to it.
    std::vector<Row> twoChunks;
    for (int n = 0; n < 10010; ++n) twoChunks.push_back({{"a", "k" + std::to_string(n == 10004 ? 10001 : n)}, {"b", std::to_string(n)}});
    struct ServerCase {
        const char* what;
        const char* schema;  // the table is t
        std::vector<Row> rows;
        bool skipDuplicates;
        bool told;    // every stored row was told, its identity afterwards
        int failure;  // the run stops with this engine error
    };
    const ServerCase cases[] = {
        {"texts, a field left unset, hostile and empty texts",
         "create table t (a varchar(80), b varchar(5), c text, d varchar(9))",
         {plain, {{"a", "x"}, {"b", ""}, {"c", hostile}}, {{"a", hostile}, {"c", "  "}}}, false, true, 0},
        {"the rows of many groups", "create table t (a varchar(20), c text)", many, false, true, 0},
        {"a repeated first column: the next one tells the rows apart",
         "create table t (a varchar(5), b varchar(5))", {{{"a", "1"}, {"b", "x"}}, {{"a", "1"}, {"b", "y"}}}, false, true, 0},
        {"no column tells the rows apart", "create table t (a varchar(5), b varchar(5))",
         {{{"a", "1"}, {"b", "x"}}, {{"a", "1"}, {"b", "x"}}}, false, false, 0},
        {"a key column left unset in one row", "create table t (a varchar(5), b varchar(5))",
         {{{"a", "1"}}, {{"b", "y"}}}, false, false, 0},
        {"a duplicate left out has no identity",
         "create table t (a varchar(5) unique, b varchar(5)); insert into t values ('1', 'old')",
         {{{"a", "1"}, {"b", "x"}}, {{"a", "2"}, {"b", "y"}}}, true, true, 0},
        {"a repeated key stops the run: the rows before it are told, the rows after it are not",
         "create table t (a varchar(5) unique, b varchar(5))",
         {{{"a", "1"}, {"b", "x"}}, {{"a", "1"}, {"b", "y"}}, {{"a", "3"}, {"b", "z"}}}, false, true,
         engine_error::kDuplicateValue},
        {"a repeated key in the second chunk: the rows copied before it and written again by groups are told",
         "create table t (a varchar(9) unique, b varchar(9))", twoChunks, false, true, engine_error::kDuplicateValue},
        {"a varchar value ending in spaces may be cut", "create table t (a varchar(2))", {{{"a", "1    "}}}, false, false, 0},
        {"a default", "create table t (a varchar(5), b varchar(5) default 'x')", {{{"a", "1"}}}, false, false, 0},
        {"an identity", "create table t (id integer generated always as identity, a varchar(5))", {{{"a", "1"}}}, false, false, 0},
        {"a fixed-length text", "create table t (a char(5))", {{{"a", "1"}}}, false, false, 0},
        {"a number", "create table t (a varchar(5), n numeric)", {{{"a", "1"}, {"n", "3"}}}, false, false, 0},
        {"a trigger that edits the row",
         "create table t (a varchar(5)); create function e() returns trigger language plpgsql as "
         "$$ begin new.a := 'z'; return new; end $$; create trigger e before insert on t for each row execute function e()",
         {{{"a", "1"}}}, false, false, 0},
    };
    for (const ServerCase& c : cases) {
        SCOPED_TRACE(c.what);
        ServerDatabase database;
        ServerSession(database.uri()).exec(std::string(c.schema) + "; insert into t default values");
        const Watched w = watchRun(database.uri(), c.rows, c.skipDuplicates);
        EXPECT_EQ(w.failure, c.failure);
        EXPECT_EQ(w.all, c.told);
        if (w.all) {
            EXPECT_EQ(static_cast<long>(w.readBack.rows.size()), w.counts.inserted);
            EXPECT_EQ(byIdentity(w.handed), byIdentity(w.readBack));
        }
    }
}

// Rows the server puts into older pages that had room (rows deleted there,
// near the start and in the middle of the table) are found there too.
TEST(DataSourceWatch, OnTheServerRowsInOlderPagesAreFoundThere) {
    if (!testServer()) GTEST_SKIP() << "TESSARO7_TEST_SERVER non impostata: nessun server PostgreSQL per questa prova";
    ServerDatabase database;
    ServerSession session(database.uri());
    session.exec("create table t (a varchar(20), c text);"
                 "insert into t select 'vecchio' || i, repeat('x', 300) from generate_series(1, 30000) i;"
                 "delete from t where right(a, -7)::int % 4 = 0 and right(a, -7)::int < 6000"
                 "   or right(a, -7)::int between 15000 and 16000");
    session.exec("vacuum t");
    const long pages = std::stol(session.exec("select pg_relation_size('t') / current_setting('block_size')::int"));
    std::vector<Row> rows;
    for (int n = 0; n < 5000; ++n) rows.push_back({{"a", "nuovo" + std::to_string(n)}, {"c", std::string(n % 300, 'y')}});
    const Watched w = watchRun(database.uri(), rows, false);
    EXPECT_TRUE(w.all);
    EXPECT_EQ(w.counts.inserted, 5000);
    EXPECT_EQ(byIdentity(w.handed), byIdentity(w.readBack));
    // Some rows went into the first pages, some into the middle ones.
    auto block = [](const std::string& ctid) { return std::stol(ctid.substr(1)); };
    long first = pages, middle = 0;
    for (const std::string& id : w.handed.ids) {
        first = std::min(first, block(id));
        if (block(id) > pages / 3 && block(id) < pages - 1) ++middle;
    }
    EXPECT_LT(first, pages / 10);
    EXPECT_GT(middle, 0);
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
    std::vector<Value> later;
    EXPECT_FALSE(data.endWatch(later));
}

}  // namespace
