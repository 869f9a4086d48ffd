#pragma once
// What a stored text becomes in a cell of each sheet format. The business
// database is written by other programs too, so a text may hold bytes that
// are not UTF-8, characters the format cannot hold, or more than a cell takes.
//
// Every format: bytes that are not UTF-8 read as Windows-1252, each byte its
// character (what the other program writes); a UTF-16 surrogate written in
// UTF-8 form stays a surrogate, a high and a low one in a row make their
// character.
// .xls: each character is one Windows-1252 byte; one the code page cannot
// hold (NUL and the five bytes it leaves undefined included, which readers
// refuse) becomes '?'; at most 255 characters.
// .xlsx: characters XML cannot hold (NUL, U+FFFE, U+FFFF, surrogates) are
// left out; control characters stay, libxlsxwriter writes them as the
// format's _xHHHH_ escapes; an underscore that would read as the start of
// such an escape ("_x0041_") is itself escaped, "_x005F_x0041_", so the text
// reads back as stored; at most 32767 UTF-16 units, a pair never cut.
#include <cstddef>
#include <string>
#include <string_view>

#include "export/SheetFormat.h"

namespace tessaro7::exporting {

struct SheetText {
    bool unchanged = true;     // the stored text goes into the cell as it stands
    std::string text;          // otherwise the cell's text (UTF-8)
    std::size_t changed = 0;   // characters replaced with '?' (.xls) or left out (.xlsx)
    bool cut = false;          // the text was longer than a cell holds
};

SheetText sheetText(std::string_view stored, SheetFormat format);

}  // namespace tessaro7::exporting
