// The text rule of each sheet format, case by case: what a stored text
// becomes in the cell, how many characters were replaced or left out, and
// whether it was cut.
#include "export/SheetText.h"

#include <gtest/gtest.h>

namespace {

using tessaro7::exporting::SheetFormat;
using tessaro7::exporting::sheetText;

std::string repeat(const std::string& s, std::size_t n) {
    std::string out;
    for (std::size_t i = 0; i < n; ++i) out += s;
    return out;
}

const std::string kEmoji = "\xF0\x9F\x98\x80";  // U+1F600, two UTF-16 units

struct Case {
    const char* name;
    SheetFormat format;
    std::string stored;
    std::string cell;
    std::size_t changed;
    bool cut;
};

const Case kCases[] = {
    {"plain ASCII", SheetFormat::Xls, "Rossi S.p.A.", "Rossi S.p.A.", 0, false},
    {"plain ASCII", SheetFormat::Xlsx, "Rossi S.p.A.", "Rossi S.p.A.", 0, false},
    {"accents and euro", SheetFormat::Xls, "Città €", "Città €", 0, false},
    {"Latin-1 letters and signs", SheetFormat::Xls, "Perché ÿ ¡«» ° ½", "Perché ÿ ¡«» ° ½", 0, false},
    {"no-break space", SheetFormat::Xls, "a\xC2\xA0z", "a\xC2\xA0z", 0, false},
    {"C1 control in UTF-8 form", SheetFormat::Xls, "a\xC2\x9Fz", "a?z", 1, false},
    {"lone lead byte at the end", SheetFormat::Xls, "abc\xC3", "abcÃ", 0, false},
    {"lead byte before ASCII", SheetFormat::Xls, "\xC3z", "Ãz", 0, false},
    {"Windows-1252 bytes", SheetFormat::Xls, "Caf\xE9 \x80", "Café €", 0, false},
    {"Windows-1252 bytes", SheetFormat::Xlsx, "Caf\xE9 \x80", "Café €", 0, false},
    {"lone lead byte at the end", SheetFormat::Xlsx, "abc\xC3", "abcÃ", 0, false},
    {"overlong slash", SheetFormat::Xlsx, "\xC0\xAF", "À¯", 0, false},
    {"undefined byte", SheetFormat::Xls, "a\x81z", "a?z", 1, false},
    {"undefined byte", SheetFormat::Xlsx, "a\x81z", "a\xC2\x81z", 0, false},
    {"U+FFFF", SheetFormat::Xls, "a\xEF\xBF\xBFz", "a?z", 1, false},
    {"U+FFFF", SheetFormat::Xlsx, "a\xEF\xBF\xBFz", "az", 1, false},
    {"U+FFFE", SheetFormat::Xlsx, "a\xEF\xBF\xBEz", "az", 1, false},
    {"lone surrogate", SheetFormat::Xls, "a\xED\xA0\x80z", "a?z", 1, false},
    {"lone surrogate", SheetFormat::Xlsx, "a\xED\xA0\x80z", "az", 1, false},
    {"low surrogate first", SheetFormat::Xlsx, "\xED\xB0\x80\xED\xA0\x80", "", 2, false},
    {"surrogate pair in UTF-8 form", SheetFormat::Xlsx, "\xED\xA0\xBD\xED\xB8\x80", kEmoji, 0, false},
    {"NUL", SheetFormat::Xls, std::string("a\0z", 3), "a?z", 1, false},
    {"NUL", SheetFormat::Xlsx, std::string("a\0z", 3), "az", 1, false},
    {"control characters", SheetFormat::Xls, "a\x01\t\r\nz", "a\x01\t\r\nz", 0, false},
    {"control characters", SheetFormat::Xlsx, "a\x01\t\r\nz", "a\x01\t\r\nz", 0, false},
    {"escape-like text", SheetFormat::Xls, "_x0041_", "_x0041_", 0, false},
    {"escape-like text", SheetFormat::Xlsx, "_x0041_", "_x005F_x0041_", 0, false},
    {"escaped underscore", SheetFormat::Xlsx, "a_x005F_b", "a_x005F_x005F_b", 0, false},
    {"lower-case digits", SheetFormat::Xlsx, "_x00e9_", "_x005F_x00e9_", 0, false},
    {"two sharing an underscore", SheetFormat::Xlsx, "_x0041_x0042_", "_x005F_x0041_x005F_x0042_", 0, false},
    {"not an escape", SheetFormat::Xlsx, "_x004G_ _x41_ _X0041_", "_x004G_ _x41_ _X0041_", 0, false},
    {"escape made by leaving out NUL", SheetFormat::Xlsx, std::string("_x00\0" "41_", 8), "_x005F_x0041_", 1, false},
    {"emoji", SheetFormat::Xls, "Emoji " + kEmoji, "Emoji ?", 1, false},
    {"emoji", SheetFormat::Xlsx, "Emoji " + kEmoji, "Emoji " + kEmoji, 0, false},
    {"Greek", SheetFormat::Xls, "Αθηνά", "?????", 5, false},
    {"Greek", SheetFormat::Xlsx, "Αθηνά", "Αθηνά", 0, false},
    {"255 characters", SheetFormat::Xls, repeat("è", 255), repeat("è", 255), 0, false},
    {"256 characters", SheetFormat::Xls, repeat("è", 256), repeat("è", 255), 0, true},
    {"255 characters, some accented", SheetFormat::Xls, repeat("aè", 127) + "a", repeat("aè", 127) + "a", 0, false},
    {"256 characters, some accented", SheetFormat::Xls, repeat("aè", 128), repeat("aè", 127) + "a", 0, true},
    {"only the written part counts", SheetFormat::Xls, repeat(kEmoji, 300), repeat("?", 255), 255, true},
    {"32767 characters", SheetFormat::Xlsx, repeat("a", 32767), repeat("a", 32767), 0, false},
    {"32768 characters", SheetFormat::Xlsx, repeat("a", 32768), repeat("a", 32767), 0, true},
    {"UTF-16 units, a pair never cut", SheetFormat::Xlsx, repeat(kEmoji, 20000), repeat(kEmoji, 16383), 0, true},
    {"pair after 32766 units", SheetFormat::Xlsx, repeat("a", 32766) + kEmoji, repeat("a", 32766), 0, true},
    {"escape within the limit", SheetFormat::Xlsx, repeat("a", 32754) + "_x0041_", repeat("a", 32754) + "_x005F_x0041_", 0,
     false},
    {"escape beyond the limit", SheetFormat::Xlsx, repeat("a", 32755) + "_x0041_", repeat("a", 32755), 0, true},
    {"left out beyond the limit are not counted", SheetFormat::Xlsx, repeat("a", 32768) + std::string(1, '\0'),
     repeat("a", 32767), 0, true},
};

TEST(SheetTextTest, EachFormatHoldsWhatItCan) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(std::string(c.name) + (c.format == SheetFormat::Xls ? " (.xls)" : " (.xlsx)"));
        const auto fitted = sheetText(c.stored, c.format);
        const std::string cell = fitted.unchanged ? c.stored : fitted.text;
        EXPECT_EQ(cell.size(), c.cell.size());
        EXPECT_TRUE(cell == c.cell) << cell.substr(0, 80);
        EXPECT_EQ(fitted.changed, c.changed);
        EXPECT_EQ(fitted.cut, c.cut);
        if (fitted.unchanged) {
            EXPECT_TRUE(c.stored == c.cell);
        }
    }
}

}  // namespace
