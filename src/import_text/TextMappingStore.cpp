#include "import_text/TextMappingStore.h"

#include "db/RegionalText.h"
#include "import_text/FieldMappings.h"

namespace tessaro7::import_text {

namespace {
constexpr const char* kVisualizzato = "visualizzato";
constexpr const char* kColonna = "colonna";
constexpr const char* kQta = "Qta";
constexpr const char* kUtilizzato = "utilizzato";
}  // namespace

double boxValue(std::string_view box) { return static_cast<double>(db::leadingNumber(box)); }

void TextMappingStore::open(const std::string& mappingDatabasePath, TextTable table) {
    m_table.reset();
    m_rows.clear();
    m_data.setDatabaseName(mappingDatabasePath);
    m_data.setRecordSource(mappingSelect(table));
    reload();
    m_table = table;
}

void TextMappingStore::reload() {
    m_data.refresh();
    std::vector<MappingRow> rows;
    while (!m_data.eof()) {
        rows.push_back({m_data.field(kVisualizzato), m_data.field(kColonna), m_data.field(kQta),
                        m_data.field(kUtilizzato)});
        m_data.moveNext();
    }
    m_rows = std::move(rows);
}

void TextMappingStore::saveRow(int row, const db::Value& colonna, std::optional<double> qta, bool assigned) {
    m_data.moveTo(row);
    m_data.edit();
    if (colonna.kind() == db::Value::Kind::Text)
        m_data.setField(kColonna, colonna.text());
    else
        m_data.setField(kColonna, colonna.number());
    if (qta) m_data.setField(kQta, *qta);
    m_data.setField(kUtilizzato, assigned);
    m_data.update();
}

Assignment TextMappingStore::assign(int row, std::string_view startBox, std::string_view widthBox) {
    if (!isOpen() || row < 0 || row >= rowCount()) return {};
    if (startBox == "0" || widthBox == "0") return {};
    // The boxes as typed, so the refusal shows them; an empty box stores 0.
    auto typed = [](std::string_view box) { return db::Value(box.empty() ? std::string("0") : std::string(box)); };
    MappingRow proposed{m_rows[static_cast<std::size_t>(row)].visualizzato, typed(startBox), typed(widthBox),
                        db::Value::yesNo(true)};
    CheckedAssignment checked = checkAssignment(proposed, *m_table, static_cast<std::size_t>(row));
    if (!checked.problems.empty()) {
        Assignment refused;
        for (const std::string& problem : checked.problems)
            refused.refusal += (refused.refusal.empty() ? "" : "\n") + problem;
        return refused;
    }
    saveRow(row, db::Value(boxValue(startBox)), boxValue(widthBox), true);
    reload();
    return {true, {}};
}

bool TextMappingStore::unassign(int row, std::string_view widthBox) {
    if (!isOpen() || row < 0 || row >= rowCount()) return false;
    saveRow(row, db::Value("0"), boxValue(widthBox), false);
    reload();
    return true;
}

void TextMappingStore::clearAll(std::optional<std::string_view> widthBox) {
    if (!isOpen()) return;
    for (int row = 0; row < rowCount(); ++row) {
        saveRow(row, db::Value("0"), widthBox ? std::optional<double>(boxValue(*widthBox)) : std::nullopt, false);
    }
    reload();
}

}  // namespace tessaro7::import_text
