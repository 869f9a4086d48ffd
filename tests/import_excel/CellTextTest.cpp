// The small rules of the cell texts: which number formats show dates, times
// or durations, the error names, and the text of a day number.
#include "import_excel/CellText.h"

#include <gtest/gtest.h>

namespace {

using namespace tessaro7::import_excel;

TEST(CellText, TheFirstSectionOfAFormatDecidesWhatItShows) {
    const std::pair<const char*, FormatKind> cases[] = {
        {"General", FormatKind::Number},
        {"0.00", FormatKind::Number},
        {"#,##0", FormatKind::Number},
        {"@", FormatKind::Number},
        {"0.00%", FormatKind::Number},
        {"\"dd\" 0", FormatKind::Number},            // quoted text holds no codes
        {"\\d\\a\\y 0", FormatKind::Number},          // nor escaped characters
        {"[Red]0.00", FormatKind::Number},
        {"0;dd/mm/yyyy", FormatKind::Number},        // only the first section counts
        {"dd/mm/yyyy", FormatKind::Date},
        {"d-mmm-yy", FormatKind::Date},
        {"yyyy", FormatKind::Date},
        {"[$-410]dd/mm/yyyy", FormatKind::Date},
        {"[$-F800]dddd\\,\\ mmmm\\ dd\\,\\ yyyy", FormatKind::Date},
        {"hh:mm:ss.000", FormatKind::Date},
        {"h:mm AM/PM", FormatKind::Date},
        {"mm:ss.0", FormatKind::Date},
        {"dd\\-mmm\\-yyyy\\ hh:mm:ss.000", FormatKind::Date},
        {"\\ dd/mm/yy\\ hh:mm:ss;dd/mm/yy\\ hh:mm:ss;_-* \"\"??_-;_-@_-", FormatKind::Date},
        {"[h]:mm:ss", FormatKind::Elapsed},
        {"[mm]:ss", FormatKind::Elapsed},
        {"[ss]", FormatKind::Elapsed},
        {"[HH]:mm", FormatKind::Elapsed},
        {"[Blue][h]:mm", FormatKind::Elapsed},
    };
    for (const auto& [format, kind] : cases) EXPECT_EQ(formatKind(format), kind) << format;
}

TEST(CellText, ErrorsByTheirItalianNames) {
    const std::tuple<unsigned, const char*, const char*> cases[] = {
        {0x00, "#NULL!", "#NULLO!"}, {0x07, "#DIV/0!", "#DIV/0!"}, {0x0F, "#VALUE!", "#VALORE!"},
        {0x17, "#REF!", "#RIF!"},    {0x1D, "#NAME?", "#NOME?"},   {0x24, "#NUM!", "#NUM!"},
        {0x2A, "#N/A", "#N/D"},      {0x99, "#GETTING_DATA", "#ERRORE!"},
    };
    for (const auto& [code, stored, shown] : cases) {
        EXPECT_EQ(errorText(code), shown) << code;
        EXPECT_EQ(errorFromName(stored), shown) << stored;
    }
}

std::string shown(double number, SheetCell::Type type = SheetCell::Type::Date, bool epoch1904 = false) {
    SheetCell cell;
    cell.type = type;
    cell.number = number;
    cell.epoch1904 = epoch1904;
    return cellText(cell);
}

TEST(CellText, DayNumbersOfThe1900System) {
    const std::pair<double, const char*> cases[] = {
        {0.5, "12:00:00"},
        {1, "01/01/1900"},
        {1.75, "01/01/1900 18:00:00"},
        {31, "31/01/1900"},
        {59, "28/02/1900"},
        {60, "29/02/1900"},
        {60.5, "29/02/1900 12:00:00"},
        {61, "01/03/1900"},
        {45356, "05/03/2024"},
        {45657.54450231481, "31/12/2024 13:04:05"},
        {45356.0000057870, "05/03/2024"},             // half a second rounds to the second
        {45356.00001157407, "05/03/2024 00:00:01"},
        {2958465, "31/12/9999"},
        {2958466, "2958466"},                         // beyond the last day: the number
        {-1, "-1"},
    };
    for (const auto& [serial, text] : cases) EXPECT_EQ(shown(serial), text) << serial;
}

TEST(CellText, DayNumbersOfThe1904System) {
    EXPECT_EQ(shown(0, SheetCell::Type::Date, true), "00:00:00");
    EXPECT_EQ(shown(1, SheetCell::Type::Date, true), "02/01/1904");
    EXPECT_EQ(shown(59, SheetCell::Type::Date, true), "29/02/1904");
}

TEST(CellText, DurationsInElapsedHours) {
    const std::pair<double, const char*> cases[] = {
        {0, "00:00:00"},
        {0.25, "06:00:00"},
        {10.632060185185185, "255:10:10"},
        {1.5, "36:00:00"},
        {-0.5, "-12:00:00"},
    };
    for (const auto& [days, text] : cases) EXPECT_EQ(shown(days, SheetCell::Type::Elapsed), text) << days;
}

}  // namespace
