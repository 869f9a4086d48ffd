#pragma once
// The text file a run reads: the check of its name, its opening and the first
// reading that tells its encoding and whether it is text at all.
#include <fstream>
#include <string>
#include <string_view>

#include "import_text/TextReader.h"

namespace tessaro7::import_text {

// A run reads at most this many lines; the rest are only counted.
inline constexpr long kMaxLines = 25000;

// The file check of "&Importa dati" and "&Anteprima": a name is accepted when
// it is not empty and ends in "txt" in any letter case (CLIENTI.TXT is a text
// file as much as clienti.txt).
bool isTextFileName(std::string_view name);

// A text file opened and scanned (see scanText), ready to be read line by line.
struct TextFile {
    std::ifstream in;
    TextScan scan;
    std::string problem;  // why it cannot be read, or is not text (naming the file and the line); empty when usable
    bool usable() const { return problem.empty(); }
    // A reader of its lines from the start, keeping `keepColumns` characters of each.
    TextReader lines(std::size_t keepColumns);
};

TextFile openTextFile(const std::string& path);

}  // namespace tessaro7::import_text
