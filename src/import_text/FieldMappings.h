#pragma once
// The working copy of a table's field mappings that a run reads once at its
// start, checked before anything is read from the file or written.
#include <string>
#include <vector>

#include "import_text/TextFields.h"
#include "import_text/TextMappingStore.h"

namespace tessaro7::import_text {

// The 16-bit start column and width of an assigned field; 0 and 0 otherwise.
struct FieldMapping {
    bool assigned = false;
    int start = 0;
    int width = 0;
};

struct FieldMappings {
    std::vector<FieldMapping> fields;  // one per field of the table's list, when usable
    std::vector<std::string> problems; // why the mapping cannot be used, naming each field
    bool usable() const { return problems.empty(); }
};

inline constexpr int kMaxColumn = 32767;

// The problems of an assigned row (`index` from 0) of `table`'s mapping, each
// naming the row: a start column missing, below 1 or above 32767, a width
// missing, negative or above 32767 (stored fractions count rounded half to
// even). The import and the mapping editors refuse by this one rule.
struct CheckedAssignment {
    FieldMapping mapping;  // the 16-bit values, when usable
    std::vector<std::string> problems;
};
CheckedAssignment checkAssignment(const MappingRow& row, TextTable table, std::size_t index);

// Takes the first rows of `rows` as the mappings of `table`'s field list, in
// order. Refused: fewer rows than fields; an assigned row whose start column
// is missing, below 1 or above 32767, or whose width is missing, negative or
// above 32767.
FieldMappings checkFieldMappings(const std::vector<MappingRow>& rows, TextTable table);

// Reads the mapping of `table` from the mapping database and checks it.
// Throws EngineError when the database or its table cannot be read.
FieldMappings readFieldMappings(const std::string& mappingDatabasePath, TextTable table);

}  // namespace tessaro7::import_text
