#include "import_text/FieldMappings.h"

#include <cmath>
#include <optional>

#include "db/RegionalText.h"

namespace tessaro7::import_text {

namespace {

// A stored number read as a 16-bit integer, rounded as the conversion to an
// integer rounds (halves to even); none when missing, not a number, or out of
// the 16-bit range.
std::optional<int> sixteenBit(const db::Value& value) {
    std::optional<double> n = value.toNumber();
    if (!n || !std::isfinite(*n)) return std::nullopt;
    double r = db::roundHalfEven(*n);
    if (r < -32768 || r > 32767) return std::nullopt;
    return static_cast<int>(r);
}

std::string shown(const db::Value& value) {
    if (value.isNull()) return "vuoto";
    std::string text(1, '\'');
    text += value.toText();
    text += '\'';
    return text;
}

}  // namespace

CheckedAssignment checkAssignment(const MappingRow& row, TextTable table, std::size_t index) {
    CheckedAssignment result;
    const TextTableFields& list = fieldsOf(table);
    std::string field = index < list.fields.size() ? "campo " + std::string(list.fields[index].name) + ", " : "";
    std::string where = "Riga " + std::to_string(index + 1) + " di " + mappingTableName(table) + " (" + field + "'" +
                        row.visualizzato.toText() + "'): ";
    std::optional<int> start = sixteenBit(row.colonna);
    std::optional<int> width = sixteenBit(row.qta);
    if (!start || *start < 1 || *start > kMaxColumn)
        result.problems.push_back(where + "colonna di inizio " + shown(row.colonna) +
                                  " non valida, deve essere tra 1 e 32767.");
    if (!width || *width < 0 || *width > kMaxColumn)
        result.problems.push_back(where + "numero di caratteri " + shown(row.qta) +
                                  " non valido, deve essere tra 0 e 32767.");
    if (result.problems.empty()) result.mapping = {true, *start, *width};
    return result;
}

FieldMappings checkFieldMappings(const std::vector<MappingRow>& rows, TextTable table) {
    FieldMappings result;
    const TextTableFields& list = fieldsOf(table);
    if (rows.size() < list.fields.size()) {
        result.problems.push_back("La tabella " + std::string(mappingTableName(table)) + " ha " +
                                  std::to_string(rows.size()) + " righe: ne servono " +
                                  std::to_string(list.fields.size()) + ", una per campo.");
        return result;
    }
    for (std::size_t k = 0; k < list.fields.size(); ++k) {
        FieldMapping mapping;
        if (rows[k].assigned()) {
            CheckedAssignment checked = checkAssignment(rows[k], table, k);
            mapping = checked.mapping;
            result.problems.insert(result.problems.end(), checked.problems.begin(), checked.problems.end());
        }
        result.fields.push_back(mapping);
    }
    if (!result.problems.empty()) result.fields.clear();
    return result;
}

FieldMappings readFieldMappings(const std::string& mappingDatabasePath, TextTable table) {
    TextMappingStore store;
    store.open(mappingDatabasePath, table);
    return checkFieldMappings(store.rows(), table);
}

}  // namespace tessaro7::import_text
