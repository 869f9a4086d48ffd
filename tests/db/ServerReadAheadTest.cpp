// A server cursor that asks for its next block while the one before is read:
// whatever else runs on the same connection between its rows, it gives every
// row once, in order, and leaves the connection usable.
#include <gtest/gtest.h>

#include <functional>

#include "db/PgConnection.h"
#include "support/ServerDatabase.h"

namespace {

using namespace tessaro7::db;
using namespace tessaro7::testing;

constexpr long kRows = 4500;  // a first block, two full blocks and a short one

TEST(ServerReadAheadTest, EveryRowOnceWhateverRunsBetweenTheRows) {
    TESSARO7_SKIP_WITHOUT_SERVER(Engine::Server);
    ServerDatabase database;
    ServerSession(database.uri())
        .exec("create table numeri (n integer); insert into numeri select i from generate_series(1, " +
              std::to_string(kRows) + ") i");
    PgConnection connection(database.uri(), 5000);
    const PreparedSelect select{"select n from numeri order by n", "numeri", false, "select count(*) from numeri"};
    struct Case {
        const char* name;
        // Runs after each row read, given the row's number (from 1).
        std::function<void(long)> between;
        long otherRows = 0;  // the rows the other cursor is to give
    };
    std::unique_ptr<Cursor> other;
    long otherRows = 0;
    const Case cases[] = {
        {"nothing", [](long) {}},
        {"a query every 700 rows", [&](long n) { if (n % 700 == 0) connection.query("select 1"); }},
        {"a transaction committed at row 2050", [&](long n) {
             if (n == 2050) {
                 connection.begin();
                 connection.execute("insert into numeri values (0)");
                 connection.commit();
             }
         }},
        {"another cursor read row by row", [&](long n) {
             if (n == 1) other = connection.readAhead(select);
             std::vector<Value> row;
             Value id;
             if (other && other->next(row, id)) ++otherRows;
         },
         kRows},
        {"another cursor left after 150 rows", [&](long n) {
             if (n == 1) other = connection.readAhead(select);
             std::vector<Value> row;
             Value id;
             if (n <= 150 && other->next(row, id)) ++otherRows;
             if (n == 150) other.reset();
         },
         150},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        other.reset();
        otherRows = 0;
        connection.execute("delete from numeri where n = 0");
        std::unique_ptr<Cursor> cursor = connection.readAhead(select);
        std::vector<Value> row;
        Value id;
        long read = 0;
        bool inOrder = true;
        while (cursor->next(row, id)) {
            ++read;
            inOrder = inOrder && row.at(0).whole() == read;
            c.between(read);
        }
        EXPECT_EQ(read, kRows);
        EXPECT_TRUE(inOrder);
        EXPECT_EQ(otherRows, c.otherRows);
        cursor.reset();
        EXPECT_EQ(PQgetvalue(connection.query("select count(*) from numeri where n > 0").get(), 0, 0), std::to_string(kRows));
    }
}

}  // namespace
