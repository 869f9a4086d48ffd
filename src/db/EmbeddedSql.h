#pragma once
// The SQL texts delivered with the program (data/mapping.sql, data/demo.sql).
namespace tessaro7::db {
extern const char* const kMappingSql;
extern const char* const kDemoSql;
}  // namespace tessaro7::db
