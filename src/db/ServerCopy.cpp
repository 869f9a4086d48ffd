#include "db/ServerCopy.h"

#include "db/LibPq.h"

#include "db/FilledText.h"
#include "db/Messages.h"
#include "db/Names.h"
#include "db/PgConnection.h"
#include "db/RowGroups.h"
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

std::string textAt(const SqliteStatement& stmt, int column) {
    const char* t = reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), column));
    return t ? t : "";
}

std::vector<std::string> texts(SqliteConnection& db, const std::string& sql, int column) {
    std::vector<std::string> out;
    SqliteStatement stmt = db.prepare(sql);
    while (sqlite3_step(stmt.get()) == SQLITE_ROW) out.push_back(textAt(stmt, column));
    return out;
}

std::vector<CopiedTable> tablesOf(SqliteConnection& db) {
    std::vector<CopiedTable> tables;
    for (const std::string& name :
         texts(db, "select name from sqlite_master where type='table' and name not like 'sqlite\\_%' escape '\\' order by rowid", 0)) {
        CopiedTable table{name, {}, {}};
        SqliteStatement columns = db.prepare("pragma table_info(" + quotedName(name) + ")");
        while (sqlite3_step(columns.get()) == SQLITE_ROW) {
            std::string declared = textAt(columns, 2);
            table.columns.push_back({textAt(columns, 1), declared, fieldTypeOf(declared),
                                     sqlite3_column_int(columns.get(), 5)});
        }
        SqliteStatement indexes = db.prepare("pragma index_list(" + quotedName(name) + ")");
        std::vector<std::string> unique;
        while (sqlite3_step(indexes.get()) == SQLITE_ROW)
            if (sqlite3_column_int(indexes.get(), 2) == 1 && textAt(indexes, 3) != "pk")
                unique.push_back(textAt(indexes, 1));
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

// Copies the rows in their natural order; gives how many there were.
long copyRows(SqliteConnection& source, PgConnection& server, const CopiedTable& t) {
    std::string columns;
    for (const CopiedColumn& c : t.columns) columns += (columns.empty() ? "" : ",") + serverQuoted(lowerName(c.name));
    std::unique_ptr<Cursor> rows = source.run(source.prepareSelect(quotedName(t.name)));
    std::vector<Value> row;
    Value rowId;
    long count = 0;
    bool more = true;
    server.copyIn("copy " + serverQuoted(lowerName(t.name)) + " (" + columns + ") from stdin", t.name,
                  [&](std::string& block) {
                      while (more && block.size() < 65536) {
                          if (!(more = rows->next(row, rowId))) break;
                          ++count;
                          for (std::size_t i = 0; i < row.size(); ++i) {
                              if (i) block += '\t';
                              appendCopyText(block, serverText(row[i]));
                          }
                          block += '\n';
                      }
                      return !block.empty();
                  });
    return count;
}

// Every table must hold on the server the rows it holds in the file.
void checkCount(PgConnection& server, const CopiedTable& t, long copied) {
    long held = std::atol(
        PQgetvalue(server.query("select count(*) from " + serverQuoted(lowerName(t.name)), t.name).get(), 0, 0));
    if (held != copied)
        throw EngineError(engine_error::kOther, filledText(msg::kCopyCountDiffers, {{"tabella", t.name},
                                                                             {"nelfile", std::to_string(copied)},
                                                                             {"nelserver", std::to_string(held)},
                                                                             {"server", server.serverDescription()}}));
}

}  // namespace

std::vector<CopiedCount> copyDatabaseToServer(const std::string& sqlitePath, const std::string& uri) {
    SqliteConnection source(sqlitePath, 5000);
    PgConnection server(uri, 5000);
    std::vector<CopiedTable> tables = tablesOf(source);
    for (const CopiedTable& t : tables)
        if (!server.tableName(t.name).empty())
            throw EngineError(engine_error::kOther, filledText(msg::kServerHasTable, {{"server", server.serverDescription()},
                                                                           {"tabella", server.tableName(t.name)}}));
    std::vector<CopiedCount> counts;
    server.begin();
    try {
        for (const CopiedTable& t : tables) {
            server.execute(createText(t), t.name);
            counts.push_back({t.name, copyRows(source, server, t)});
            checkCount(server, t, counts.back().rows);
        }
        server.commit();
    } catch (...) {
        server.rollback();
        throw;
    }
    return counts;
}

}  // namespace tessaro7::db
