#pragma once
// The thirteen lists of the export window, as data: what the window shows for
// each, what the export selects and how each column is written. The window,
// the batch program and the tests all read this one table.
#include <string>
#include <vector>

namespace tessaro7::exporting {

// Cell types of a column: a text cell, a number cell from the value as a
// double, a number cell from the value as a 32-bit whole number.
enum class CellType { Text, Number, Whole };

// Horizontal alignment, with the values the cell attribute byte holds.
enum class Align { Left = 1, Right = 3 };

// What a column writes when its field is Null.
enum class NullRule {
    None,       // the field is expected to hold a value: empty text cell, no number cell
    EmptyText,  // the empty text (a number cell then stays empty)
    Zero,       // the number 0
    LeftOut,    // no cell
};

struct ExportColumn {
    int width;  // in characters
    const char* heading;
    Align headingAlign;
    const char* field;
    CellType cell;
    Align dataAlign;
    NullRule nullRule;
};

struct ExportList {
    int number;              // the list number shown in Label2, 1 to 13
    const char* routine;     // ExportCustomers ... ExportSupplierPayments
    int group;               // navigation-bar group and item, from 1
    int item;
    const char* caption;     // the navigation-bar item
    const char* fileName;    // the worksheet file in the archive folder
    const char* countTable;  // the bare table name the window counts
    const char* title;       // the caption of P1
    std::vector<const char*> columnLines;
    // The record source; a yearly list has the export year between the two parts.
    const char* selection;
    const char* afterYear;  // nullptr for a list without year
    bool protect;
    std::vector<ExportColumn> columns;

    bool yearly() const { return afterYear != nullptr; }
    std::string selectionFor(int year) const;
};

// The thirteen lists in navigation-bar order (list numbers 1 to 4, then 5 to 13).
const std::vector<ExportList>& exportLists();
// By list number; nullptr when none.
const ExportList* listByNumber(int number);
// By navigation-bar position; nullptr when the position holds no list.
const ExportList* listAt(int group, int item);
// By list number in decimal ("1" ... "13") or item caption in any letter case;
// nullptr when none matches.
const ExportList* listByName(const std::string& name);

}  // namespace tessaro7::exporting
