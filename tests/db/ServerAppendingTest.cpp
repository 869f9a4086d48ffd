// Rows appended to a server table by an import run, written a group per
// statement: every row stored in the order given and answered with its
// identity; a repeated key, inside one group or of a row already in the
// table, counted when skipped and otherwise named by its row, the rows before
// it kept; a row the server refuses in the middle of a group named by its row,
// and nothing of the run kept.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>

#include "db/DataSource.h"
#include "db/RowGroups.h"
#include "support/ServerDatabase.h"

namespace {

using namespace tessaro7::db;
using namespace tessaro7::testing;

struct Row {
    std::string code;                 // empty: the row does not set the field
    std::optional<std::string> note;  // none: the row does not set the field
};

// Rows "K1/n1" ... "Kn/nn", with the given rows (from 1) replaced.
std::vector<Row> rows(long count, const std::map<long, Row>& replaced = {}) {
    std::vector<Row> out;
    for (long n = 1; n <= count; ++n) {
        auto it = replaced.find(n);
        out.push_back(it != replaced.end() ? it->second : Row{"K" + std::to_string(n), "n" + std::to_string(n)});
    }
    return out;
}

std::string shown(const Row& row) { return row.code + "/" + row.note.value_or("-"); }

// The table as the rows appear in it, "code/note" in physical order, or sorted.
std::string tableRows(const std::string& uri, bool sorted = false) {
    return ServerSession(uri).exec(std::string("select coalesce(string_agg(codice || '/' || coalesce(nota, '-'), ' ' order by ") +
                                   (sorted ? "codice || '/' || coalesce(nota, '-') collate \"C\"" : "ctid") +
                                   "), '') from articoli");
}

std::string joined(std::string first, std::vector<std::string> rest, bool sorted) {
    rest.insert(rest.begin(), std::move(first));
    if (sorted) std::sort(rest.begin(), rest.end());
    std::string text;
    for (const std::string& row : rest) text += (text.empty() ? "" : " ") + row;
    return text;
}

class ServerAppendingTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testServer()) GTEST_SKIP() << "TESSARO7_TEST_SERVER non impostata: nessun server PostgreSQL per questa prova";
        database = std::make_unique<ServerDatabase>();
        ServerSession(database->uri())
            .exec("create table articoli (codice varchar(12) unique, nota varchar(6),"
                  "                       constraint rifiuto check (codice <> 'RIFIUTO'));"
                  "insert into articoli values ('OLD1', 'v')");
    }

    struct Run {
        int failure = 0;
        RunCounts counts;
        std::vector<std::string> added;  // the rows the run says it added, as it reads them back
    };
    Run append(const std::vector<Row>& input, bool skipDuplicates) {
        Run run;
        DataSource data;
        data.setDatabaseName(database->uri());
        data.setRecordSource("articoli");
        data.openForAppending();
        try {
            data.runInOneTransaction(
                [&] {
                    Value mark = data.additionMark();
                    for (const Row& row : input) {
                        data.addNew();
                        if (!row.code.empty()) data.setField("codice", row.code);
                        if (row.note) data.setField("nota", *row.note);
                        data.update();
                    }
                    try {  // as an import reads them for its register; a failed run's are not wanted
                        data.readAdded(mark, [&](const Value&, const std::vector<Value>& values) {
                            run.added.push_back(values[0].toText() + "/" +
                                                (values[1].isNull() ? "-" : values[1].toText()));
                        });
                    } catch (const EngineError&) {
                        run.added.clear();
                    }
                },
                &run.counts, skipDuplicates);
        } catch (const EngineError& e) {
            run.failure = e.number();
        }
        return run;
    }

    std::unique_ptr<ServerDatabase> database;
};

TEST_F(ServerAppendingTest, RowsWrittenInGroupsKeepTheirOrderAndEveryFailureIsNamedByItsRow) {
    const long g = static_cast<long>(kMaxGroupRows);  // rows of one group here
    const long n = 2 * g + 7;                            // two full groups and a short one
    const long c = static_cast<long>(kMaxCopyRows);      // rows of one chunk copied at once
    struct Case {
        const char* name;
        std::vector<Row> input;
        bool skip;
        int failure;
        long failedRow;  // 0 when none
        std::vector<long> stored;  // the input rows (from 1) in the table after OLD1, in order
        long duplicates;
        long kept;
    };
    auto upTo = [](long last) {
        std::vector<long> v;
        for (long r = 1; r <= last; ++r) v.push_back(r);
        return v;
    };
    auto allBut = [](long last, long missing) {
        std::vector<long> v;
        for (long r = 1; r <= last; ++r)
            if (r != missing) v.push_back(r);
        return v;
    };
    const std::vector<Case> cases = {
        {"every row stored, in order", rows(n), false, 0, 0, upTo(n), 0, n},
        {"one row only", rows(1), false, 0, 0, upTo(1), 0, 1},
        {"the columns change between rows",
         rows(n, {{3, {"K3", std::nullopt}}, {g + 1, {"KX", std::nullopt}}, {g + 2, {"KY", std::nullopt}}}), false, 0,
         0, upTo(n), 0, n},
        {"a duplicate inside one group, skipped", rows(n, {{g + 10, {"K" + std::to_string(g + 5), "d"}}}), true, 0, 0,
         allBut(n, g + 10), 1, n - 1},
        {"a duplicate of a row in the table, skipped", rows(n, {{g / 2, {"OLD1", "d"}}}), true, 0, 0, allBut(n, g / 2), 1,
         n - 1},
        {"a duplicate of an earlier group, not skipped", rows(n, {{g + g / 2, {"K3", "d"}}}), false, 3022, g + g / 2,
         upTo(g + g / 2 - 1), 0, g + g / 2 - 1},
        {"a duplicate inside one group, not skipped", rows(n, {{g + 20, {"K" + std::to_string(g + 10), "d"}}}), false,
         3022, g + 20, upTo(g + 19), 0, g + 19},
        {"a duplicate of a row in the table, not skipped", rows(n, {{2 * g + 3, {"OLD1", "d"}}}), false, 3022, 2 * g + 3,
         upTo(2 * g + 2), 0, 2 * g + 2},
        {"a check refuses a row in the middle of a group", rows(n, {{g + g / 2, {"RIFIUTO", "r"}}}), false, 3000,
         g + g / 2, {}, 0, 0},
        {"a check refuses the first row", rows(n, {{1, {"RIFIUTO", "r"}}}), true, 3000, 1, {}, 0, 0},
        {"a value too long for its column", rows(n, {{g + 3, {"K-lungo", "troppo lungo"}}}), true, 3421, g + 3, {}, 0, 0},
        // Copied a chunk at a time: a refusal in the second chunk keeps the first.
        {"two chunks, every row stored in order", rows(c + 7), false, 0, 0, upTo(c + 7), 0, c + 7},
        {"a duplicate in the second chunk, not skipped", rows(c + 7, {{c + 3, {"OLD1", "d"}}}), false, 3022, c + 3,
         upTo(c + 2), 0, c + 2},
        {"a check refuses a row of the second chunk", rows(c + 7, {{c + 1, {"RIFIUTO", "r"}}}), false, 3000, c + 1, {},
         0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        Run run = append(c.input, c.skip);
        EXPECT_EQ(run.failure, c.failure);
        EXPECT_EQ(run.counts.failedRow, c.failedRow);
        EXPECT_EQ(run.counts.duplicates, c.duplicates);
        EXPECT_EQ(run.counts.kept, std::optional<long>(c.kept)) << run.counts.uncertain;
        std::vector<std::string> stored;
        for (long r : c.stored) stored.push_back(shown(c.input[static_cast<std::size_t>(r - 1)]));
        // The rows kept by a failed run are the ones before the failing row;
        // where they lie in the table depends on the space the refused rows left.
        EXPECT_EQ(tableRows(database->uri(), c.failure != 0), joined("OLD1/v", stored, c.failure != 0));
        if (c.failure == 0) {
            EXPECT_EQ(run.added, stored);  // each stored row's identity came back
        }
    }
}

// Texts a server array or COPY could misread, and long texts that end a group
// or a chunk sooner, are stored byte for byte: copied, and sent again as
// groups when the server refuses the chunk they were copied in.
TEST_F(ServerAppendingTest, EveryTextIsStoredByteForByte) {
    // The long texts first: the short ones after the Null share the last chunk with the row refused.
    const std::string long1(1500000, 'x'), long2(1500000, 'y');
    std::vector<std::optional<std::string>> texts;
    for (int i = 0; i < 6; ++i) texts.push_back((i % 2 ? long1 : long2) + std::to_string(i));
    const std::vector<std::optional<std::string>> shortTexts = {
        std::nullopt, "NULL", "{a,b}", R"(di "Rossi")", R"(C:\dati\)", "'); drop table testi; --", "$$", "a\tb",
        "riga\nriga", "\x01\x1f", "€ àèìòù", "😀", "\u200f", " spazi ", ",", "\"", "\\", "\\N", "\\.", "\\\\.",
        "a\rb", "\r\n", "\t", "", "\\t", "x\\"};
    texts.insert(texts.end(), shortTexts.begin(), shortTexts.end());
    for (bool refused : {false, true}) {
        SCOPED_TRACE(refused ? "the last row refused" : "every row stored");
        SetUp();
        ServerSession(database->uri()).exec("create table testi (t text, k integer unique)");
        DataSource data;
        data.setDatabaseName(database->uri());
        data.setRecordSource("testi");
        data.openForAppending();
        RunCounts counts;
        try {
            data.runInOneTransaction(
                [&] {
                    for (std::size_t i = 0; i < texts.size() + (refused ? 1 : 0); ++i) {
                        data.addNew();
                        if (i == texts.size() || texts[i]) data.setField("t", i < texts.size() ? *texts[i] : "doppio");
                        data.setField("k", std::to_string(i % texts.size()));  // the last repeats the first
                        data.update();
                    }
                },
                &counts);
        } catch (const EngineError& e) {
            EXPECT_TRUE(refused) << e.what();
        }
        EXPECT_EQ(counts.kept, std::optional<long>(static_cast<long>(texts.size())));
        ServerSession check(database->uri());
        for (std::size_t i = 0; i < texts.size(); ++i) {
            SCOPED_TRACE(i);
            const std::string row = "(select t from testi where k = " + std::to_string(i) + ")";
            EXPECT_EQ(check.exec("select " + row + " is null"), texts[i] ? "f" : "t");
            EXPECT_EQ(check.exec("select coalesce(" + row + ", '')"), texts[i].value_or(""));
        }
    }
}

// The rows a run copied are read back wherever the server put them, and
// only they: not rows a trigger adds, not the rows already in the table.
TEST_F(ServerAppendingTest, TheRowsOfARunAreReadBackWhereverTheyLie) {
    const struct {
        const char* name;
        std::vector<const char*> setup;  // statements run one by one before the run
        std::map<long, Row> replaced;    // rows of the run other than "K1/n1" ...
    } cases[] = {
        {"rows put past the table's end", {}, {}},
        {"a row without values halfway, written by an insert, the rest too", {}, {{150, {"", std::nullopt}}}},
        {"rows put in older pages that have room",
         {"insert into articoli select 'V' || i, 'v' from generate_series(1, 5000) i",
          "delete from articoli where nota = 'v' and codice <> 'V5000'", "vacuum articoli"},
         {}},
        {"a trigger that adds a row of its own for each row",
         {"create function doppio() returns trigger language plpgsql as $$ begin "
          "if new.nota <> 't' then insert into articoli values (new.codice || '-T', 't'); end if; return new; end $$",
          "create trigger doppio before insert on articoli for each row execute function doppio()"},
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        for (const char* statement : c.setup) ServerSession(database->uri()).exec(statement);
        const std::vector<Row> input = rows(300, c.replaced);
        Run run = append(input, false);
        EXPECT_EQ(run.failure, 0);
        EXPECT_EQ(run.counts.inserted, 300);
        std::vector<std::string> expected;
        for (const Row& row : input) expected.push_back(shown(row));
        std::sort(expected.begin(), expected.end());
        std::sort(run.added.begin(), run.added.end());
        EXPECT_EQ(run.added, expected);
    }
}

}  // namespace
