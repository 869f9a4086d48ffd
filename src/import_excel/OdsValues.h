#pragma once
// The value attributes of OpenDocument cells: dates (ISO 8601,
// "2024-03-05" or "2024-03-05T10:11:12.5") and durations ("PT10H10M10S"),
// turned into the cell the other formats would give.
#include <optional>
#include <string>
#include <string_view>

#include "import_excel/WorkbookReader.h"

namespace tessaro7::import_excel {

struct OdsDate {
    int year = 0, month = 0, day = 0;
    double seconds = 0;  // into the day
};

// Nothing when `text` is not such a date (or names an impossible day); a
// time zone after the time is ignored.
std::optional<OdsDate> parseOdsDate(std::string_view text);
// Seconds, negative for "-PT1H"; nothing when `text` is not a duration.
std::optional<double> parseOdsDuration(std::string_view text);

// The cell for a date: a Date day count from 30/12/1899 from 01/03/1900 on,
// as the other formats store it; an earlier date, which no day count of
// theirs shows, as its text in the same form (`text` holds it).
SheetCell odsDateCell(const OdsDate& date, std::string& text);
// The cell for a duration: under a day a time of day, as the other formats
// store it; a longer one (or a negative one) as elapsed hours "36:00:00".
SheetCell odsDurationCell(double seconds, std::string& text);

}  // namespace tessaro7::import_excel
