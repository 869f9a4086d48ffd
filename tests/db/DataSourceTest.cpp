#include <gtest/gtest.h>
#include <sqlite3.h>

#include "db/DataSource.h"
#include "db/DatabaseCreator.h"
#include "support/ServerDatabase.h"
#include "support/TempDir.h"

using namespace tessaro7::db;
using tessaro7::testing::Engine;
using tessaro7::testing::EngineDatabase;
using tessaro7::testing::TempDir;

namespace {

// Every rule holds on both engines.
class DataSourceTest : public ::testing::TestWithParam<Engine> {
protected:
    void SetUp() override {
        TESSARO7_SKIP_WITHOUT_SERVER(GetParam());
        createDatabaseFromSql((dir / "Tessaro7.mdb").string(), R"(
            create table clienti (nominativo VARCHAR(80), cap TEXT, listino VARCHAR(10));
            insert into clienti values ('ZETA', '20121', '1');
            insert into clienti values ('acme', NULL, 'A00');
            insert into clienti values ('Àlfa', '00184', NULL);
            insert into clienti values ('Bianchi', '10121', '2');
            create table articoli (codice VARCHAR(18), iva BYTE, costoeuro DOUBLE, esistenza DOUBLE,
                                   attivo YESNO, creato DATE);
            create unique index articoli_codice on articoli (codice);
            create table ddt (anno_fattura INTEGER, fattura_n LONG, data_fattura DATE);
            insert into ddt values (2026, 3, '2026-03-05'), (2025, 1, '2025-01-02'), (2026, 1, '2026-01-10');
            create table pagamenticlienti (anno INTEGER, "da riscuotere" DOUBLE, data_documento DATE);
            insert into pagamenticlienti values (2026, 10.5, '2026-02-01'), (2025, 3, '2025-05-05');
        )");
        database = std::make_unique<EngineDatabase>(GetParam(), (dir / "Tessaro7.mdb").string(),
                                                    dir.str() + "\\tessaro7.MDB");
        data.setDatabaseName(database->name());
    }

    std::vector<std::string> column(const std::string& source, const std::string& field) {
        data.setRecordSource(source);
        data.refresh();
        std::vector<std::string> out;
        for (; !data.eof(); data.moveNext()) out.push_back(data.fieldText(field));
        return out;
    }

    int errorOf(const std::function<void()>& f) {
        try {
            f();
        } catch (const EngineError& e) {
            return e.number();
        }
        return 0;
    }

    TempDir dir;
    std::unique_ptr<EngineDatabase> database;
    DataSource data;
};

}  // namespace

TEST_P(DataSourceTest, BareTableNameGivesRowsInInsertionOrder) {
    EXPECT_EQ(column("Clienti", "nominativo"), (std::vector<std::string>{"ZETA", "acme", "Àlfa", "Bianchi"}));
    EXPECT_EQ(column("select [nominativo] from clienti", "NOMINATIVO"),
              (std::vector<std::string>{"ZETA", "acme", "Àlfa", "Bianchi"}));
}

TEST_P(DataSourceTest, TextOrderIgnoresCaseAndAccents) {
    EXPECT_EQ(column("select * from clienti order by [nominativo]", "nominativo"),
              (std::vector<std::string>{"acme", "Àlfa", "Bianchi", "ZETA"}));
    EXPECT_EQ(column("select * from clienti order by [nominativo] desc", "nominativo"),
              (std::vector<std::string>{"ZETA", "Bianchi", "Àlfa", "acme"}));
}

TEST_P(DataSourceTest, TheSystemsYearlySelectionsRunUnchanged) {
    EXPECT_EQ(column("select * from ddt where [anno_fattura]=2026 order by [fattura_n]", "fattura_n"),
              (std::vector<std::string>{"1", "3"}));
    EXPECT_EQ(column("select * from ddt where [anno_fattura]=2026 order by [fattura_n]", "data_fattura"),
              (std::vector<std::string>{"10/01/2026", "05/03/2026"}));
    EXPECT_EQ(column("select * from pagamenticlienti where [anno]like'2026' order by [data_documento]",
                     "da riscuotere"),
              (std::vector<std::string>{"10,5"}));
}

TEST_P(DataSourceTest, CountMoveLastAndRefresh) {
    data.setRecordSource("clienti");
    data.refresh();
    EXPECT_EQ(data.recordCount(), 4);
    data.moveLast();
    EXPECT_EQ(data.fieldText("nominativo"), "Bianchi");
    EXPECT_EQ(data.recordCount(), 4);
    data.refresh();
    EXPECT_EQ(data.fieldText("nominativo"), "ZETA");
    data.setRecordSource("select * from ddt where [anno_fattura]=1990 order by [fattura_n]");
    data.refresh();
    EXPECT_TRUE(data.eof());
    EXPECT_EQ(data.recordCount(), 0);
    EXPECT_EQ(errorOf([&] { data.field("fattura_n"); }), 3021);
}

TEST_P(DataSourceTest, ValuesKeepTheirKinds) {
    data.setRecordSource("select * from clienti");
    data.refresh();
    data.moveNext();
    EXPECT_TRUE(data.field("cap").isNull());
    EXPECT_EQ(data.fieldText("cap"), "");
    data.setRecordSource("ddt");
    data.refresh();
    EXPECT_EQ(data.field("fattura_n"), Value(3));
    EXPECT_EQ(data.field("data_fattura").kind(), Value::Kind::Date);
}

// A list writing some fields of a wider selection reads only those from the
// next row on; a refresh reads every field again.
TEST_P(DataSourceTest, OnlyTheFieldsAskedForAreReadFromTheNextRowOn) {
    data.setRecordSource("select * from clienti");
    data.refresh();
    data.readOnlyFields({0, 2, 99});
    EXPECT_EQ(data.rowValues(), (std::vector<Value>{"ZETA", "20121", "1"}));  // read before
    data.moveNext();
    EXPECT_EQ(data.rowValues(), (std::vector<Value>{"acme", Value(), "A00"}));
    data.moveNext();
    EXPECT_EQ(data.rowValues(), (std::vector<Value>{"Àlfa", Value(), Value()}));
    data.readOnlyFields({1});
    data.moveNext();
    EXPECT_EQ(data.rowValues(), (std::vector<Value>{Value(), "10121", Value()}));
    data.refresh();
    data.moveNext();
    EXPECT_EQ(data.rowValues(), (std::vector<Value>{"acme", Value(), "A00"}));
}

TEST_P(DataSourceTest, AddNewConvertsToTheColumnTypes) {
    data.setRecordSource("Articoli");
    data.refresh();
    data.addNew();
    data.setField("Codice", "A100");
    data.setField("IVA", "22");
    data.setField("CostoEuro", "12,5");
    data.setField("esistenza", "");  // an empty text in a number column stores Null
    data.setField("attivo", true);
    data.setField("creato", "05/03/2026");
    data.update();
    data.addNew();
    data.setField("codice", "A200");
    data.setField("costoeuro", 3.25);
    data.setField("iva", "0");
    data.update();
    data.refresh();
    EXPECT_EQ(data.field("iva"), Value(22));
    EXPECT_EQ(data.field("costoeuro"), Value(12.5));
    EXPECT_TRUE(data.field("esistenza").isNull());
    EXPECT_EQ(data.field("attivo"), Value::yesNo(true));
    EXPECT_EQ(data.fieldText("creato"), "05/03/2026");
    data.moveNext();
    EXPECT_EQ(data.fieldText("costoeuro"), "3,25");
    EXPECT_EQ(data.field("iva"), Value(0));

    // Stored as the file format promises, for anyone reading it with sqlite3.
    if (database->onServer()) return;
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open((dir / "Tessaro7.mdb").c_str(), &raw), SQLITE_OK);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(raw, "select typeof(iva), typeof(costoeuro), attivo, creato from articoli limit 1", -1, &st, nullptr);
    ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)), "integer");
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(st, 1)), "real");
    EXPECT_EQ(sqlite3_column_int(st, 2), 1);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(st, 3)), "2026-03-05");
    sqlite3_finalize(st);
    sqlite3_close(raw);
}

TEST_P(DataSourceTest, EditChangesTheCurrentRowOnly) {
    data.setRecordSource("select [nominativo],[cap] from clienti order by [nominativo]");
    data.refresh();
    data.moveNext();  // Àlfa
    data.edit();
    data.setField("cap", "99999");
    data.update();
    EXPECT_EQ(data.fieldText("cap"), "99999");  // the row on screen shows the new value
    EXPECT_EQ(column("select * from clienti order by [nominativo]", "cap"),
              (std::vector<std::string>{"", "99999", "10121", "20121"}));
}

TEST_P(DataSourceTest, Errors) {
    DataSource missing;
    missing.setDatabaseName(dir.str() + "\\Manca.mdb");
    missing.setRecordSource("clienti");
    try {
        missing.refresh();
        FAIL() << "a missing database opened";
    } catch (const EngineError& e) {
        EXPECT_EQ(e.number(), 3024);
        EXPECT_NE(std::string(e.what()).find("Manca.mdb"), std::string::npos);
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "Manca.mdb"));  // never created

    EXPECT_EQ(errorOf([&] { column("fatture", "x"); }), 3078);
    EXPECT_EQ(errorOf([&] { column("select * from fatture order by [x]", "x"); }), 3078);
    EXPECT_EQ(errorOf([&] { column("clienti", "manca"); }), 3265);
    EXPECT_EQ(errorOf([&] { column("select [manca] from clienti", "manca"); }), 3265);

    data.setRecordSource("articoli");
    data.refresh();
    data.addNew();
    EXPECT_EQ(errorOf([&] { data.setField("manca", "1"); }), 3265);
    EXPECT_EQ(errorOf([&] { data.setField("costoeuro", "dodici"); }), 3421);
    EXPECT_EQ(errorOf([&] { data.setField("costoeuro", "1.500"); }), 3421);  // ambiguous: refused, never misread
    EXPECT_EQ(errorOf([&] { data.setField("creato", "31/02/2026"); }), 3421);
    data.setField("codice", "X");
    data.update();
    data.addNew();
    data.setField("codice", "X");
    EXPECT_EQ(errorOf([&] { data.update(); }), 3022);
    EXPECT_EQ(column("articoli", "codice").size(), 1u);
    EXPECT_EQ(errorOf([&] { data.setField("codice", "Y"); }), 3020);  // the failed row is gone
}

TEST_P(DataSourceTest, ALockedDatabaseIsError3260) {
    DataSource::setBusyTimeoutMs(200);
    // Another workstation holds the table exclusively.
    std::unique_ptr<tessaro7::testing::ServerSession> server;
    sqlite3* other = nullptr;
    if (database->onServer()) {
        server = std::make_unique<tessaro7::testing::ServerSession>(database->name());
        server->exec("begin; lock table clienti in access exclusive mode");
    } else {
        ASSERT_EQ(sqlite3_open((dir / "Tessaro7.mdb").c_str(), &other), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(other, "begin exclusive", nullptr, nullptr, nullptr), SQLITE_OK);
    }
    EXPECT_EQ(errorOf([&] { column("clienti", "nominativo"); }), 3260);
    if (server) server->exec("rollback");
    sqlite3_exec(other, "rollback", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    DataSource::setBusyTimeoutMs(5000);
    EXPECT_EQ(column("clienti", "nominativo").size(), 4u);
}

TEST_P(DataSourceTest, OneTransactionKeepsTheRowsBeforeAFailure) {
    data.setRecordSource("Articoli");
    data.refresh();
    auto append = [&](const std::string& code) {
        data.addNew();
        data.setField("codice", code);
        data.update();
    };
    data.runInOneTransaction([&] {
        for (int i = 0; i < 1000; ++i) append("C" + std::to_string(i));
    });
    EXPECT_EQ(column("articoli", "codice").size(), 1000u);

    data.setRecordSource("Articoli");
    data.refresh();
    int failure = errorOf([&] {
        data.runInOneTransaction([&] {
            append("N1");
            append("N2");
            append("C5");  // duplicate: the run stops here
            append("N3");
        });
    });
    EXPECT_EQ(failure, 3022);
    std::vector<std::string> codes = column("articoli", "codice");
    ASSERT_EQ(codes.size(), 1002u);
    EXPECT_EQ(codes[1000], "N1");
    EXPECT_EQ(codes[1001], "N2");

    // A second connection sees the committed rows: nothing is left pending.
    DataSource other;
    other.setDatabaseName(database->name());
    other.setRecordSource("articoli");
    other.refresh();
    EXPECT_EQ(other.recordCount(), 1002);
}

TEST_P(DataSourceTest, DuplicatesCanBeSkippedInsideOneTransaction) {
    data.setRecordSource("Articoli");
    data.refresh();
    int skipped = 0;
    data.runInOneTransaction([&] {
        for (const char* code : {"A", "B", "A", "C"}) {
            data.addNew();
            data.setField("codice", code);
            try {
                data.update();
            } catch (const EngineError& e) {
                if (e.number() != 3022) throw;
                ++skipped;
            }
        }
    });
    EXPECT_EQ(skipped, 1);
    EXPECT_EQ(column("articoli", "codice"), (std::vector<std::string>{"A", "B", "C"}));
}

namespace {

void execOn(const std::filesystem::path& file, const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    char* error = nullptr;
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
}

}  // namespace

// A table WITHOUT ROWID keeps its rows in primary-key order and has no row id:
// it is counted, read in key order and edited through its key.
TEST_P(DataSourceTest, TablesWithoutRowIdAreCountedReadInKeyOrderAndEditedByTheirKey) {
    if (GetParam() != Engine::Sqlite) GTEST_SKIP() << "a feature of the embedded database file";
    execOn(dir / "Tessaro7.mdb", R"(
        create table comuni (codice TEXT primary key, comune TEXT) without rowid;
        insert into comuni values ('Z01', 'Zoagli'), ('A01', 'Roma'), ('M01', 'Milano');
        create table listini (anno INTEGER, codice TEXT, prezzo DOUBLE, primary key (codice, anno)) without rowid;
        insert into listini values (2026, 'B', 1), (2025, 'B', 2), (2026, 'A', 3);
        create view tutti as select * from comuni;)");
    data.setRecordSource("comuni");
    data.refresh();
    EXPECT_EQ(data.recordCount(), 3);
    EXPECT_EQ(column("Comuni", "codice"), (std::vector<std::string>{"A01", "M01", "Z01"}));
    EXPECT_EQ(column("select comune from comuni where codice <> 'A01'", "comune"),
              (std::vector<std::string>{"Milano", "Zoagli"}));
    EXPECT_EQ(column("select * from listini", "prezzo"), (std::vector<std::string>{"3", "2", "1"}));
    EXPECT_EQ(column("tutti", "comune"), (std::vector<std::string>{"Roma", "Milano", "Zoagli"}));

    data.setRecordSource("select * from listini order by prezzo desc");
    data.refresh();
    data.moveNext();  // 2025 B
    data.edit();
    data.setField("prezzo", "7,5");
    data.setField("anno", "2024");
    data.update();
    data.edit();  // the edited key is the row's key from now on
    data.setField("prezzo", 8.0);
    data.update();
    EXPECT_EQ(column("select anno, prezzo from listini order by prezzo", "prezzo"),
              (std::vector<std::string>{"1", "3", "8"}));
    EXPECT_EQ(column("select anno from listini where prezzo = 8", "anno"), (std::vector<std::string>{"2024"}));
    data.setRecordSource("tutti");
    data.refresh();
    EXPECT_EQ(errorOf([&] { data.edit(); }), 3027);  // a view is read only
}

// An INTEGER PRIMARY KEY is the row id itself: rows come out in key order,
// which is the engine's natural order, not the order they were inserted in.
TEST_P(DataSourceTest, AnIntegerPrimaryKeyGivesKeyOrder) {
    if (GetParam() != Engine::Sqlite) GTEST_SKIP() << "a feature of the embedded database file";
    execOn(dir / "Tessaro7.mdb", R"(
        create table valute (id INTEGER PRIMARY KEY, nome TEXT);
        insert into valute values (30, 'terza'), (10, 'prima'), (20, 'seconda');)");
    EXPECT_EQ(column("valute", "nome"), (std::vector<std::string>{"prima", "seconda", "terza"}));
    EXPECT_EQ(column("select nome from valute where id > 0", "nome"),
              (std::vector<std::string>{"prima", "seconda", "terza"}));
}

TEST_P(DataSourceTest, TwoDatabaseFilesDifferingOnlyInCaseAreRefusedNamingBoth) {
    if (GetParam() != Engine::Sqlite) GTEST_SKIP() << "a feature of the embedded database file";
    std::filesystem::copy_file(dir / "Tessaro7.mdb", dir / "tessaro7.mdb");
    data.setRecordSource("clienti");
    try {
        data.refresh();
        ADD_FAILURE() << "one of the two files was opened";
    } catch (const EngineError& e) {
        EXPECT_EQ(e.number(), 3024);
        EXPECT_NE(std::string(e.what()).find("'" + (dir / "Tessaro7.mdb").string() + "' e '" +
                                             (dir / "tessaro7.mdb").string() + "'"),
                  std::string::npos)
            << e.what();
    }
}

TEST_P(DataSourceTest, AValueQuotedInAMessageShowsAtMostSixtyCharacters) {
    data.setRecordSource("articoli");
    data.refresh();
    data.addNew();
    try {
        data.setField("iva", std::string(400, '9') + "x");
        ADD_FAILURE() << "a text that is no number was accepted";
    } catch (const EngineError& e) {
        EXPECT_EQ(e.number(), 3421);
        EXPECT_EQ(std::string(e.what()), "Il valore '" + std::string(59, '9') +
                                             "…' non è convertibile nel tipo del campo 'iva' della tabella 'articoli'.");
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, DataSourceTest, TESSARO7_ENGINES);
