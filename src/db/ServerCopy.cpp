#include "db/ServerCopy.h"

#include <libpq-fe.h>

#include "db/Names.h"
#include "db/PgConnection.h"
#include "db/ServerSelectText.h"
#include "db/SqliteConnection.h"

namespace tessaro7::db {

namespace {

struct CopiedColumn {
    std::string name;
    std::string declared;
    FieldType type;
    int keyPosition;
};

struct CopiedTable {
    std::string name;
    std::vector<CopiedColumn> columns;
    std::vector<std::vector<std::string>> uniqueIndexes;
};

// The server's type for a column as the embedded engine reads it.
std::string serverType(const CopiedColumn& c) {
    std::string upper = c.declared;
    for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    switch (c.type) {
    case FieldType::Text: {
        std::size_t open = upper.find('('), close = upper.find(')');
        if (open != std::string::npos && close != std::string::npos && close > open + 1 &&
            upper.find_first_not_of("0123456789", open + 1) == close)
            return "varchar" + upper.substr(open, close - open + 1);
        return "text";
    }
    case FieldType::Whole: return upper.find("BIG") != std::string::npos ? "bigint" : "integer";
    case FieldType::Number: return "double precision";
    case FieldType::Date: return upper.find("TIME") != std::string::npos ? "timestamp(0)" : "date";
    case FieldType::YesNo: return "boolean";
    case FieldType::Untyped: break;
    }
    return "text";
}

std::vector<std::string> texts(SqliteConnection& db, const std::string& sql, int column) {
    std::vector<std::string> out;
    sqlite3_stmt* stmt = db.prepare(sql);
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        const char* t = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
        out.push_back(t ? t : "");
    }
    sqlite3_finalize(stmt);
    return out;
}

std::vector<CopiedTable> tablesOf(SqliteConnection& db) {
    std::vector<CopiedTable> tables;
    for (const std::string& name :
         texts(db, "select name from sqlite_master where type='table' and name not like 'sqlite\\_%' escape '\\' order by rowid", 0)) {
        CopiedTable table{name, {}, {}};
        sqlite3_stmt* stmt = db.prepare("pragma table_info(" + quotedName(name) + ")");
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            const char* column = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1));
            const char* declared = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 2));
            table.columns.push_back({column ? column : "", declared ? declared : "", fieldTypeOf(declared ? declared : ""),
                                     sqlite3_column_int(stmt, 5)});
        }
        sqlite3_finalize(stmt);
        stmt = db.prepare("pragma index_list(" + quotedName(name) + ")");
        std::vector<std::string> unique;
        while (sqlite3_step(stmt) == SQLITE_ROW)
            if (sqlite3_column_int(stmt, 2) == 1 && std::string_view(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 3))) != "pk")
                unique.push_back(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1)));
        sqlite3_finalize(stmt);
        for (const std::string& index : unique)
            table.uniqueIndexes.push_back(texts(db, "pragma index_info(" + quotedName(index) + ")", 2));
        tables.push_back(std::move(table));
    }
    return tables;
}

std::string createText(const CopiedTable& t) {
    std::string sql = "create table " + serverQuoted(lowerName(t.name)) + " (";
    std::vector<std::pair<int, std::string>> key;
    for (std::size_t i = 0; i < t.columns.size(); ++i) {
        const CopiedColumn& c = t.columns[i];
        sql += (i ? ", " : "") + serverQuoted(lowerName(c.name)) + " " + serverType(c);
        if (c.keyPosition > 0) key.emplace_back(c.keyPosition, serverQuoted(lowerName(c.name)));
    }
    if (!key.empty()) {
        std::sort(key.begin(), key.end());
        sql += ", primary key (";
        for (std::size_t i = 0; i < key.size(); ++i) sql += (i ? ", " : "") + key[i].second;
        sql += ")";
    }
    sql += ");";
    int n = 0;
    for (const auto& index : t.uniqueIndexes) {
        sql += " create unique index " + serverQuoted(lowerName(t.name) + "_u" + std::to_string(++n)) + " on " +
               serverQuoted(lowerName(t.name)) + " (";
        for (std::size_t i = 0; i < index.size(); ++i) sql += (i ? ", " : "") + serverQuoted(lowerName(index[i]));
        sql += ");";
    }
    return sql;
}

// One value in the text form of COPY.
void appendCopyText(std::string& line, const Value& v) {
    std::optional<std::string> text = serverText(v);
    if (!text) {
        line += "\\N";
        return;
    }
    for (char c : *text) {
        switch (c) {
        case '\\': line += "\\\\"; break;
        case '\t': line += "\\t"; break;
        case '\n': line += "\\n"; break;
        case '\r': line += "\\r"; break;
        default: line += c;
        }
    }
}

void copyRows(SqliteConnection& source, PgConnection& server, const CopiedTable& t) {
    PGconn* conn = server.handle();
    std::string columns;
    for (const CopiedColumn& c : t.columns) columns += (columns.empty() ? "" : ",") + serverQuoted(lowerName(c.name));
    PGresult* started = PQexec(conn, ("copy " + serverQuoted(lowerName(t.name)) + " (" + columns + ") from stdin").c_str());
    if (PQresultStatus(started) != PGRES_COPY_IN) server.fail(started, t.name);
    PQclear(started);
    std::unique_ptr<Cursor> rows = source.run(source.prepareSelect(quotedName(t.name)));
    std::vector<Value> row;
    Value rowId;
    std::string block;
    bool sent = true;
    while (sent && rows->next(row, rowId)) {
        for (std::size_t i = 0; i < row.size(); ++i) {
            if (i) block += '\t';
            appendCopyText(block, row[i]);
        }
        block += '\n';
        if (block.size() > 65536) {
            sent = PQputCopyData(conn, block.data(), static_cast<int>(block.size())) == 1;
            block.clear();
        }
    }
    if (sent && !block.empty()) sent = PQputCopyData(conn, block.data(), static_cast<int>(block.size())) == 1;
    PQputCopyEnd(conn, sent ? nullptr : "interrotta");
    PGresult* result = PQgetResult(conn);
    if (PQresultStatus(result) != PGRES_COMMAND_OK) server.fail(result, t.name);
    PQclear(result);
    while ((result = PQgetResult(conn))) PQclear(result);
}

}  // namespace

void copyDatabaseToServer(const std::string& sqlitePath, const std::string& uri) {
    SqliteConnection source(sqlitePath, 5000);
    PgConnection server(uri, 5000);
    std::vector<CopiedTable> tables = tablesOf(source);
    for (const CopiedTable& t : tables)
        if (!server.tableName(t.name).empty())
            throw EngineError(engine_error::kOther, "Il " + server.serverDescription() + " contiene già la tabella '" +
                                                        server.tableName(t.name) +
                                                        "': l'archivio va caricato in un database vuoto.");
    server.begin();
    try {
        for (const CopiedTable& t : tables) {
            server.execute(createText(t), t.name);
            copyRows(source, server, t);
        }
        server.commit();
    } catch (...) {
        server.rollback();
        throw;
    }
}

}  // namespace tessaro7::db
