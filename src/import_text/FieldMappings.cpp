#include "import_text/FieldMappings.h"

#include <cmath>
#include <optional>

#include "app/Messages.h"
#include "db/FilledText.h"
#include "db/RegionalText.h"

namespace tessaro7::import_text {

namespace msg = app::msg;

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
    std::string field =
        index < list.fields.size() ? db::filledText(msg::kTextMappingField, {{"nome", list.fields[index].name}}) : "";
    std::string where = db::filledText(msg::kTextMappingRow, {{"n", std::to_string(index + 1)},
                                                              {"tabella", mappingTableName(table)},
                                                              {"campo", field},
                                                              {"nome", row.visualizzato.toText()}});
    std::optional<int> start = sixteenBit(row.colonna);
    std::optional<int> width = sixteenBit(row.qta);
    if (!start || *start < 1 || *start > kMaxColumn)
        result.problems.push_back(where + db::filledText(msg::kTextBadStart, {{"valore", shown(row.colonna)}}));
    if (!width || *width < 0 || *width > kMaxColumn)
        result.problems.push_back(where + db::filledText(msg::kTextBadWidth, {{"valore", shown(row.qta)}}));
    if (result.problems.empty()) result.mapping = {true, *start, *width};
    return result;
}

FieldMappings checkFieldMappings(const std::vector<MappingRow>& rows, TextTable table) {
    FieldMappings result;
    const TextTableFields& list = fieldsOf(table);
    if (rows.size() < list.fields.size()) {
        result.problems.push_back(db::filledText(msg::kTextMappingRows, {{"tabella", mappingTableName(table)},
                                                                         {"n", std::to_string(rows.size())},
                                                                         {"servono", std::to_string(list.fields.size())}}));
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
