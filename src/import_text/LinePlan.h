#pragma once
// What a text import does with a line: a line whose assigned stretches are
// all blank is not imported (it would be a blank record), and, when asked, a
// line whose record the table already holds is skipped.
#include <vector>

#include "app/ExistingRecords.h"
#include "import_text/FieldMappings.h"
#include "import_text/FixedWidth.h"
#include "import_text/TextFields.h"

namespace tessaro7::import_text {

enum class LineAction : char { Write, Blank, Present };

// `existing`: the table's records, when the import skips those present.
LineAction lineAction(const TextLine& line, const std::vector<FieldMapping>& mappings, const TextTableFields& list,
                      app::ExistingRecords* existing);

}  // namespace tessaro7::import_text
