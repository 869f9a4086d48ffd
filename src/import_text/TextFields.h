#pragma once
// The fields each text import cuts from a line, in mapping-row order, with the
// caption the preview shows, the longest text stored, and what an unassigned
// field receives; and the values every new record receives whatever the line
// holds. The imports, the preview and the tests all read these tables.
#include <span>

#include "import_text/TextTable.h"

namespace tessaro7::import_text {

enum class WhenUnassigned { NotWritten, Zero };

struct TextField {
    const char* name;     // the business field
    const char* caption;  // the preview's caption
    int maximum;          // longer cut text keeps its first `maximum` characters
    bool number;          // the engine stores it as a number
    WhenUnassigned unassigned;
};

struct FixedValue {
    const char* field;
    const char* value;
};

struct TextTableFields {
    TextTable table;
    const char* recordSource;  // "Clienti", "Fornitori", "Articoli"
    std::span<const TextField> fields;
    std::span<const FixedValue> fixedValues;
    bool skipDuplicates;  // a line whose record duplicates a unique value is skipped
};

const TextTableFields& fieldsOf(TextTable table);

// The preview window has one row per party field.
inline constexpr int kPreviewRows = 18;

}  // namespace tessaro7::import_text
