#pragma once
// The text column mapping of one table (clientiBIS, fornitoriBIS or
// articoliBIS in the mapping database) and the editing rules of the mapping
// editor, shared by the window and the batch program. Every edit is saved at
// once; the rows are read again after it, so what is shown is what is stored.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/DataSource.h"
#include "import_text/TextTable.h"

namespace tessaro7::import_text {

// One field mapping, as stored.
struct MappingRow {
    db::Value visualizzato;
    db::Value colonna;
    db::Value qta;
    db::Value utilizzato;
    // Only a stored True counts as assigned.
    bool assigned() const { return utilizzato.kind() == db::Value::Kind::YesNo && utilizzato.yes(); }
};

// What "&Assegna" did: saved, ignored (a box holding "0"), or refused with
// the problems the import would name.
struct Assignment {
    bool saved = false;
    std::string refusal;
    explicit operator bool() const { return saved; }
};

// The numeric value of an entry box: its leading digits; an empty box gives 0.
double boxValue(std::string_view box);

class TextMappingStore {
public:
    // Opens `table`'s mapping in the mapping database and reads its rows in
    // natural order. Throws EngineError (missing file or table).
    void open(const std::string& mappingDatabasePath, TextTable table);
    bool isOpen() const { return m_table.has_value(); }
    std::optional<TextTable> table() const { return m_table; }
    const std::vector<MappingRow>& rows() const { return m_rows; }
    int rowCount() const { return static_cast<int>(m_rows.size()); }

    // "&Assegna" on row `row` (from 0): colonna and Qta = the boxes' values,
    // utilizzato = True. Ignored, writing nothing, while either box holds
    // exactly "0" or when there is no such row; refused, writing nothing,
    // when the import could not use the values (a start outside 1-32767, a
    // width above 32767).
    Assignment assign(int row, std::string_view startBox, std::string_view widthBox);
    // "&Toglie": colonna = "0", Qta = the width box's value, utilizzato = False.
    bool unassign(int row, std::string_view widthBox);
    // "&Elimina dati assegnati", once confirmed: every row as "&Toglie" leaves
    // it. Without a width box, each row keeps its own Qta.
    void clearAll(std::optional<std::string_view> widthBox);

    // Reads the rows afresh (another program may have edited them). Throws EngineError.
    void reload();

private:
    void saveRow(int row, const db::Value& colonna, std::optional<double> qta, bool assigned);

    db::DataSource m_data;
    std::optional<TextTable> m_table;
    std::vector<MappingRow> m_rows;
};

}  // namespace tessaro7::import_text
