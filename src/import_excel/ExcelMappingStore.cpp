#include "import_excel/ExcelMappingStore.h"

#include <cmath>
#include <limits>

#include "db/RegionalText.h"

namespace tessaro7::import_excel {

namespace {

constexpr const char* kVisualizzato = "visualizzato";
constexpr const char* kColonna = "colonna";
constexpr const char* kUtilizzato = "utilizzato";

long long wholeOf(const db::Value& v) {
    auto n = v.toNumber();
    if (!n || std::isnan(*n)) return 0;
    // Clamped: a hand-edited table may hold anything; the import refuses a
    // column beyond the preview anyway.
    if (*n >= 9.0e18) return std::numeric_limits<long long>::max();
    if (*n <= -9.0e18) return std::numeric_limits<long long>::min();
    return static_cast<long long>(std::floor(*n));
}

bool yesOf(const db::Value& v) {
    if (v.kind() == db::Value::Kind::YesNo) return v.yes();
    auto n = v.toNumber();
    return n && *n != 0;
}

}  // namespace

void ExcelMappingStore::choose(const std::string& mappingDatabasePath, const ExcelTable& table) {
    m_table = nullptr;
    m_rows.clear();
    m_data1.setDatabaseName(mappingDatabasePath);
    m_data1.setRecordSource(table.mappingSelect);
    m_data1.refresh();
    m_table = &table;
    reload();
}

MappingRow ExcelMappingStore::currentRow() const {
    return {m_data1.field(kVisualizzato).toText(), wholeOf(m_data1.field(kColonna)), yesOf(m_data1.field(kUtilizzato))};
}

void ExcelMappingStore::reload() {
    m_rows.clear();
    if (!m_table) return;
    for (m_data1.refresh(); !m_data1.eof(); m_data1.moveNext()) m_rows.push_back(currentRow());
}

bool ExcelMappingStore::editRow(std::size_t row, double colonna, bool utilizzato) {
    if (!m_table) return false;
    struct ReloadAtEnd {
        ExcelMappingStore& store;
        ~ReloadAtEnd() {
            try {
                store.reload();
            } catch (...) {
            }
        }
    } reloadAtEnd{*this};
    m_data1.moveTo(static_cast<long>(row));
    if (m_data1.eof()) return false;
    m_data1.edit();
    m_data1.setField(kColonna, colonna);
    m_data1.setField(kUtilizzato, utilizzato);
    m_data1.update();
    return true;
}

bool ExcelMappingStore::assign(std::size_t row, std::string_view columnText) {
    return editRow(row, static_cast<double>(db::leadingNumber(columnText)), true);
}

bool ExcelMappingStore::unassign(std::size_t row) { return editRow(row, 0.0, false); }

void ExcelMappingStore::clear() {
    if (!m_table) return;
    for (m_data1.refresh(); !m_data1.eof(); m_data1.moveNext()) {
        m_data1.edit();
        m_data1.setField(kColonna, 0.0);
        m_data1.setField(kUtilizzato, false);
        m_data1.update();
    }
    reload();
}

std::vector<MappingRow> ExcelMappingStore::readFirst(std::size_t count) {
    std::vector<MappingRow> rows;
    if (!m_table) return rows;
    for (m_data1.refresh(); !m_data1.eof() && rows.size() < count; m_data1.moveNext()) rows.push_back(currentRow());
    if (rows.size() < count) throw MappingTooShort{m_table->mappingTable, rows.size(), count};
    return rows;
}

}  // namespace tessaro7::import_excel
