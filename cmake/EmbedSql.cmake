# Writes a C++ file holding the delivered SQL texts as raw string literals.
file(READ ${MAPPING} mapping_sql)
file(READ ${DEMO} demo_sql)
file(WRITE ${OUT}.tmp
"// Generated from data/mapping.sql and data/demo.sql; do not edit.
#include \"db/EmbeddedSql.h\"
namespace tessaro7::db {
const char* const kMappingSql = R\"SQL(${mapping_sql})SQL\";
const char* const kDemoSql = R\"SQL(${demo_sql})SQL\";
}
")
file(COPY_FILE ${OUT}.tmp ${OUT} ONLY_IF_DIFFERENT)
