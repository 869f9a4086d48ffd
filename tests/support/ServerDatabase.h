#pragma once
// The engines the engine, export and import tests run on: the embedded SQLite
// file always, and a PostgreSQL server when the environment variable
// TESSARO7_TEST_SERVER holds the URI of a database on a server where the tests
// may create and drop databases (scripts/pg-server starts a private one).
// A test on the server gets a database of its own, filled by copying the
// SQLite file the test made, so both engines start from the same data.
#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "db/ServerCopy.h"

namespace tessaro7::testing {

enum class Engine { Sqlite, Server };

inline std::string engineName(const ::testing::TestParamInfo<Engine>& info) {
    return info.param == Engine::Sqlite ? "Sqlite" : "Server";
}

#define TESSARO7_ENGINES ::testing::Values(::tessaro7::testing::Engine::Sqlite, ::tessaro7::testing::Engine::Server), \
                         ::tessaro7::testing::engineName

inline const char* testServer() {
    const char* uri = std::getenv("TESSARO7_TEST_SERVER");
    return uri && *uri ? uri : nullptr;
}

// Skips the running test when it is meant for the server and none is named.
#define TESSARO7_SKIP_WITHOUT_SERVER(engine)                                                                  \
    if ((engine) == ::tessaro7::testing::Engine::Server && !::tessaro7::testing::testServer())                \
    GTEST_SKIP() << "TESSARO7_TEST_SERVER non impostata: nessun server PostgreSQL per questa prova "          \
                    "(scripts/pg-server start CARTELLA ne avvia uno)"

// A connection of the test's own to a server database: a second workstation.
class ServerSession {
public:
    explicit ServerSession(const std::string& uri) : m_conn(PQconnectdb(uri.c_str())) {
        if (PQstatus(m_conn) != CONNECTION_OK) throw std::runtime_error(PQerrorMessage(m_conn));
    }
    ~ServerSession() { PQfinish(m_conn); }
    ServerSession(const ServerSession&) = delete;
    ServerSession& operator=(const ServerSession&) = delete;

    // Runs SQL; the first value of the last result ("" when there is none).
    std::string exec(const std::string& sql) {
        PGresult* r = PQexec(m_conn, sql.c_str());
        ExecStatusType status = PQresultStatus(r);
        std::string value = status == PGRES_TUPLES_OK && PQntuples(r) > 0 ? PQgetvalue(r, 0, 0) : "";
        std::string error = PQresultErrorMessage(r);
        PQclear(r);
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) throw std::runtime_error(error + " in " + sql);
        return value;
    }

private:
    PGconn* m_conn;
};

// A fresh, empty database on the test server, dropped at the end.
class ServerDatabase {
public:
    ServerDatabase() {
        static std::atomic<int> next{0};
        m_name = "t7test_" + std::to_string(::getpid()) + "_" + std::to_string(next++);
        ServerSession(testServer()).exec("create database " + m_name);
        std::string base = testServer();
        m_uri = base + (base.find('?') == std::string::npos ? "?" : "&") + "dbname=" + m_name;
    }
    ~ServerDatabase() {
        try {
            ServerSession(testServer()).exec("drop database if exists " + m_name + " with (force)");
        } catch (...) {
        }
    }
    ServerDatabase(const ServerDatabase&) = delete;
    ServerDatabase& operator=(const ServerDatabase&) = delete;

    const std::string& uri() const { return m_uri; }

private:
    std::string m_name;
    std::string m_uri;
};

// The database a test opens on `engine`: the SQLite file itself (by the name
// the test gives it), or a server database holding a copy of it.
class EngineDatabase {
public:
    EngineDatabase(Engine engine, const std::string& sqliteFile, const std::string& nameOfFile) {
        if (engine == Engine::Sqlite) {
            m_name = nameOfFile;
            return;
        }
        m_server = std::make_unique<ServerDatabase>();
        db::copyDatabaseToServer(sqliteFile, m_server->uri());
        m_name = m_server->uri();
    }
    const std::string& name() const { return m_name; }
    bool onServer() const { return m_server != nullptr; }

private:
    std::unique_ptr<ServerDatabase> m_server;
    std::string m_name;
};

}  // namespace tessaro7::testing
