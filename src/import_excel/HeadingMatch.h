#pragma once
// Assigning columns from the sheet's headings: for each field of the table,
// the column whose heading in the preview's first row matches the field's
// caption in the mapping table, its name or one of its known synonyms.
// Matching ignores case, accents, blanks and punctuation ("P. IVA" = "piva");
// a heading serves one field at most, and a field's own caption or name wins
// over another field's synonym.
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "import_excel/ExcelMappingStore.h"
#include "import_excel/PreviewGrid.h"

namespace tessaro7::import_excel {

struct HeadingSynonyms {
    const char* field;     // the business field
    const char* synonyms;  // other headings that name it, separated by '|'
};

// The synonyms of every importable field, as one table.
std::span<const HeadingSynonyms> headingSynonyms();

// A heading as it is compared: lower-case base letters and digits only.
std::string headingKey(std::string_view heading);

struct HeadingAssignment {
    std::size_t row;  // the mapping row (field position), from 0
    long column;      // the sheet column, from 0
    std::string heading;
};

struct HeadingMatch {
    std::vector<HeadingAssignment> assigned;  // in field order
    std::vector<std::size_t> fieldsWithout;   // mapping rows whose field found no heading
    std::vector<std::string> headingsWithout; // non-empty headings that found no field
};

HeadingMatch matchHeadings(const ExcelTable& table, const std::vector<MappingRow>& rows, const PreviewGrid& grid);

// Saves the match: matched fields assigned to their columns, the others unassigned.
void assignFromHeadings(ExcelMappingStore& store, const HeadingMatch& match);

// The lines a user is asked to confirm (what will be assigned, the fields
// without a heading, the headings without a field), as the batch program prints them.
std::vector<std::string> headingMatchLines(const HeadingMatch& match, const std::vector<MappingRow>& rows);

}  // namespace tessaro7::import_excel
