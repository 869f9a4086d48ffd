#pragma once
// The text a preview cell shows for a stored value, as the spreadsheet's
// value is turned into text on an Italian workstation: numbers in the
// regional form (whole numbers without decimals), dates dd/mm/yyyy with
// " hh:mm:ss" whenever the value has a time of day, a time alone hh:mm:ss,
// a duration in elapsed hours hh:mm:ss, Booleans "Vero"/"Falso", errors as
// their text. Also which number formats
// show dates, for the readers that learn it from a format.
#include <string>
#include <string_view>

#include "import_excel/WorkbookReader.h"

namespace tessaro7::import_excel {

std::string cellText(const SheetCell& cell);

// What a number format shows: a number ("General", "0.00", "#,##0"), a date
// or time ("dd/mm/yyyy", "hh:mm:ss.000", "[$-410]d mmmm yyyy") or a duration
// in elapsed hours ("[h]:mm:ss").
enum class FormatKind { Number, Date, Elapsed };
FormatKind formatKind(std::string_view format);
// True for a number format that shows a date, a time or a duration.
bool isDateFormat(std::string_view format);
// The built-in format numbers of the binary and OOXML workbooks that show dates or times.
bool isBuiltInDateFormat(unsigned index);

// The error text of a stored error code of the binary format (0x07 "#DIV/0!",
// 0x0F "#VALORE!"), and of an error as the XML formats store it ("#VALUE!").
std::string_view errorText(unsigned code);
// The Italian text of an error as the zip formats store it, by its English
// name ("#DIV/0!", "#N/A" -> "#N/D"); "#ERRORE!" for a name no format defines.
std::string_view errorFromName(std::string_view name);

}  // namespace tessaro7::import_excel
