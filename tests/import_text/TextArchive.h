#pragma once
// A demo archive in a temporary folder for the text import tests, with direct
// SQLite access to its two databases (an independent reader and writer). On
// the server engine its business database is a copy of the demo on the server.
#include <sqlite3.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "app/Archive.h"
#include "app/DemoArchive.h"
#include "import_text/TextTable.h"
#include "db/DataSource.h"
#include "support/ServerDatabase.h"
#include "support/TempDir.h"

namespace tessaro7::testing {

class TextArchive {
public:
    // The server engine without a test server stays on the file (the test skips).
    explicit TextArchive(Engine engine = Engine::Sqlite) : m_folder((m_dir.path() / "archivio").string()) {
        app::createDemoArchive(m_folder);
        archive = app::archiveFromFolder(m_folder);
        if (engine == Engine::Server && testServer()) {
            m_server = std::make_unique<EngineDatabase>(engine, businessDb(), "");
            archive = app::archiveFromFolder(m_folder, m_server->name());
            m_dir.write("archivio/TS7Rete.dat", m_folder + "\r\ndatabase=" + m_server->name() + "\r\n");
        }
    }

    // The rows of a business table in its natural order, through the engine
    // interface, each field in its text form (Null as "<null>").
    std::vector<std::vector<std::string>> rows(const std::string& table, const std::vector<std::string>& fields) const {
        db::DataSource data;
        data.setDatabaseName(archive.DatabasePath);
        data.setRecordSource(table);
        std::vector<std::vector<std::string>> out;
        for (data.refresh(); !data.eof(); data.moveNext()) {
            std::vector<std::string> row;
            for (const std::string& f : fields) row.push_back(data.field(f).isNull() ? "<null>" : data.fieldText(f));
            out.push_back(row);
        }
        return out;
    }

    app::Archive archive;
    const std::string& folder() const { return m_folder; }
    std::string businessDb() const { return m_folder + "/Tessaro7.mdb"; }
    std::string mappingDb() const { return m_folder + "/Tessaro7a.mdb"; }

    // A text file in the archive folder, written byte for byte.
    std::string file(const std::string& name, const std::string& bytes) const {
        m_dir.write("archivio/" + name, bytes);
        return m_folder + "/" + name;
    }

    static void exec(const std::string& db, const std::string& sql) {
        sqlite3* h = nullptr;
        sqlite3_open(db.c_str(), &h);
        char* error = nullptr;
        int rc = sqlite3_exec(h, sql.c_str(), nullptr, nullptr, &error);
        std::string text = error ? error : "";
        sqlite3_free(error);
        sqlite3_close(h);
        if (rc != SQLITE_OK) throw std::runtime_error("sql: " + text + " in " + sql);
    }

    // Every row of a query, each value as SQLite's text (NULL as "<null>").
    static std::vector<std::vector<std::string>> query(const std::string& db, const std::string& sql) {
        sqlite3* h = nullptr;
        sqlite3_open(db.c_str(), &h);
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(h, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
            std::string text = sqlite3_errmsg(h);
            sqlite3_close(h);
            throw std::runtime_error("sql: " + text + " in " + sql);
        }
        std::vector<std::vector<std::string>> rows;
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            std::vector<std::string> row;
            for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
                const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
                row.push_back(sqlite3_column_type(stmt, i) == SQLITE_NULL ? "<null>" : std::string(t));
            }
            rows.push_back(row);
        }
        sqlite3_finalize(stmt);
        sqlite3_close(h);
        return rows;
    }

    std::vector<std::vector<std::string>> business(const std::string& sql) const { return query(businessDb(), sql); }
    std::vector<std::vector<std::string>> mapping(const std::string& sql) const { return query(mappingDb(), sql); }
    long count(const std::string& table) const { return std::stol(business("select count(*) from " + table)[0][0]); }

    // Assigns mapping row `row` (from 1, natural order) of `table` directly in the mapping database.
    void assign(import_text::TextTable table, int row, int start, int width) const {
        exec(mappingDb(), std::string("update ") + import_text::mappingTableName(table) + " set colonna=" +
                              std::to_string(start) + ", Qta=" + std::to_string(width) +
                              ", utilizzato=1 where rowid=" + std::to_string(row));
    }
    void setRaw(import_text::TextTable table, int row, const std::string& assignments) const {
        exec(mappingDb(), std::string("update ") + import_text::mappingTableName(table) + " set " + assignments +
                              " where rowid=" + std::to_string(row));
    }

private:
    TempDir m_dir;
    std::string m_folder;
    std::unique_ptr<EngineDatabase> m_server;
};

// A text of exactly `width` bytes: `text` padded with blanks.
inline std::string padded(const std::string& text, std::size_t width) {
    return text.size() >= width ? text.substr(0, width) : text + std::string(width - text.size(), ' ');
}

}  // namespace tessaro7::testing
