#pragma once
// The Excel column assignments of one mapping table: which sheet column feeds
// each field. Read with the table's own selection in natural order (row k
// stands for field k of the table's field list) and edited one row at a time,
// each edit saved at once. The window and the batch program both edit through
// this class.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "db/DataSource.h"
#include "import_excel/ExcelTables.h"

namespace tessaro7::import_excel {

struct MappingRow {
    std::string visualizzato;
    long long colonna = 0;
    bool utilizzato = false;
};

class ExcelMappingStore {
public:
    // Opens the mapping table of `table` in the mapping database and reads its
    // rows. On failure (missing file or table) no table is chosen and the
    // engine's error is rethrown.
    void choose(const std::string& mappingDatabasePath, const ExcelTable& table);
    // Null until a table is chosen.
    const ExcelTable* table() const { return m_table; }
    // The rows as last read, in natural order.
    const std::vector<MappingRow>& rows() const { return m_rows; }
    void reload();

    // Row `row` (0-based) gets the leading digits of `columnText` as its column
    // (0 when there are none) and is marked assigned. False when there is no
    // such row (no table chosen, an empty table).
    bool assign(std::size_t row, std::string_view columnText);
    // Row `row` gets column 0 and is marked unassigned.
    bool unassign(std::size_t row);
    // Every row gets column 0 and is marked unassigned.
    void clear();

    // Reads the table afresh for an import: the first `count` rows. Throws
    // MappingTooShort when the table holds fewer.
    std::vector<MappingRow> readFirst(std::size_t count);

private:
    bool editRow(std::size_t row, double colonna, bool utilizzato);
    MappingRow currentRow() const;

    db::DataSource m_data1;
    const ExcelTable* m_table = nullptr;
    std::vector<MappingRow> m_rows;
};

struct MappingTooShort {
    std::string table;
    std::size_t rows;
    std::size_t needed;
};

}  // namespace tessaro7::import_excel
