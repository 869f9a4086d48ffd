#pragma once
// The three tables the Excel import can fill, as one table of definitions:
// the table choice, the mapping table and its selection, the panel caption
// that records the choice, the record source the rows are appended through,
// and the fields that the mapping rows feed, in mapping-row order.
#include <span>
#include <string>
#include <string_view>

namespace tessaro7::import_excel {

// How a mapping position turns its cell text into the field's value.
enum class FieldRule {
    Text,         // cut to `cut` characters, then trailing blanks removed
    WholeNumber,  // converted, then the largest whole number not above it
    Number,       // converted to a decimal number
};

struct ImportField {
    const char* name;        // the business field
    FieldRule rule;
    std::size_t cut;         // characters kept (text fields)
    const char* unassigned;  // the text used when the mapping row is not assigned
    // Numbers: whether an empty cell counts as 0 (otherwise it stores Null),
    // and the values the column holds.
    bool emptyIsZero = true;
    double minimum = -1.7976931348623157e308;
    double maximum = 1.7976931348623157e308;
};

struct ExcelTable {
    const char* choice;         // the item of the table choice, "Clienti"
    const char* mappingTable;   // table of the mapping database, "clienti"
    const char* mappingSelect;  // the selection that reads it, in natural order
    const char* panelCaption;   // "Tabella Clienti"
    const char* targetSource;   // record source of the business table, "Clienti"
    std::span<const ImportField> fields;
};

// Clienti, Fornitori, Articoli: the order of the table choice.
std::span<const ExcelTable> excelTables();
// The table whose mapping table or choice is `name`, in any letter case.
const ExcelTable* findExcelTable(std::string_view name);

}  // namespace tessaro7::import_excel
