#pragma once
// A field's value in one line, as the import stores it and the preview shows
// it, with the reason the import would refuse it: one routine for both, so
// they cannot disagree.
#include <string>
#include <string_view>
#include <vector>

#include "import_text/FieldMappings.h"
#include "import_text/FixedWidth.h"
#include "import_text/TextFields.h"

namespace tessaro7::import_text {

enum class Refusal { None, NumberTooLong, NotANumber };

struct FieldValue {
    std::string_view text;  // the text stored (UTF-8), pointing into the line or a constant
    bool written = false;   // false: the field is left to the table's default
    Refusal refusal = Refusal::None;
};

// Text fields: the stretch cut as cutField cuts it. Number fields: the
// stretch of the whole width without the blanks around it (numbers in
// fixed-width files are often right-aligned), refused when the number itself
// is longer than the field's maximum or is no number. Unassigned fields:
// empty and not written, or "0" where the table says so.
FieldValue fieldValue(const TextLine& line, const FieldMapping& mapping, const TextField& field);

// Why the import refuses the value, in Italian ("non è un numero"); empty
// when it does not.
std::string refusalReason(const FieldValue& value, const TextField& field);

// How many characters of each line the fields need: the line beyond the
// last of them is never held.
std::size_t columnsNeeded(const std::vector<FieldMapping>& mappings, const TextTableFields& list);

}  // namespace tessaro7::import_text
