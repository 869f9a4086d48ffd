#pragma once
// Text forms of numbers and dates as on an Italian workstation, whatever the
// machine's locale: decimal comma, no thousands separator on output,
// dates dd/mm/yyyy.
#include <optional>
#include <string>
#include <string_view>

namespace tessaro7::db {

// 1,5  22  -0,25  at most 15 significant digits, no trailing zeros.
// Very large or very small magnitudes use the exponent form 1,5E+20 / 1E-07.
std::string numberToText(double value);

// Accepted forms (blanks around the number are ignored):
//   [+|-]digits[,digits]          the Italian form: 12  -3,5  ,25  7,
//   [+|-]d[.ddd]...[,digits]      points as thousands separators, only in
//                                 groups of exactly three digits and only
//                                 when unambiguous: 1.234,5  1.234.567
//   [+|-]digits.digits            a point as decimal separator, when no comma
//                                 is present and the digits after the point
//                                 are not exactly three: 12.5  0.25  3.1416
//   any of the above followed by E or e, an optional sign and digits.
// Refused: empty or blank text, "1.500" (thousands or decimals?), "1,2,3",
// letters, "12 34", a lone sign or separator, infinities and NaN.
std::optional<double> textToNumber(std::string_view text);
// The text without the blanks (spaces and tabs) that a number may have around it.
std::string_view trimBlanks(std::string_view text);

struct DateTime {
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0, second = 0;
    bool hasTime = false;
    bool operator==(const DateTime&) const = default;
};

// dd/mm/yyyy, followed by " hh:mm:ss" only when the value has a time of day.
std::string dateToText(const DateTime& value);
// Reads YYYY-MM-DD[ HH:MM[:SS]] (also with a T) and dd/mm/yyyy[ hh:mm[:ss]];
// refuses impossible dates such as 31/02/2026.
std::optional<DateTime> parseDate(std::string_view text);
// YYYY-MM-DD or YYYY-MM-DD HH:MM:SS, the stored form.
std::string dateToIso(const DateTime& value);
// A day number counted as spreadsheets and the OLE automation date do
// (day 0 = 30/12/1899), fraction = time of day.
DateTime dateFromSerial(double serial);

bool isValidDate(int year, int month, int day);

// Rounds to the nearest whole number, halves to the even neighbour.
double roundHalfEven(double value);

// The value of the digits a text starts with (blanks first allowed), 0 when
// there are none: "12abc" gives 12, "abc" 0, "" 0.
long long leadingNumber(std::string_view text);

// The value of the number a text starts with, sign and decimal point included
// (blanks first allowed), 0 when there is none: "-5" gives -5, "0.5" 0.5,
// "+3abc" 3, "1e3" 1000, "abc" 0.
double leadingValue(std::string_view text);

}  // namespace tessaro7::db
