#pragma once
// The text file a run reads: the check of its name and the reading of its bytes.
#include <optional>
#include <string>
#include <string_view>

namespace tessaro7::import_text {

// The file check of "&Importa dati" and "&Anteprima": a name is accepted when
// it is not empty and ends in "txt" in any letter case (CLIENTI.TXT is a text
// file as much as clienti.txt).
bool isTextFileName(std::string_view name);

struct FileBytes {
    std::optional<std::string> bytes;  // empty when the file could not be read
    std::string problem;               // why, in Italian
    bool emptyFile = false;            // the file has no bytes at all
};

// The whole file.
FileBytes readTextFile(const std::string& path);
// Only the bytes up to the first line end (or the whole file when it has
// none); the preview reads no further.
FileBytes readFirstLine(const std::string& path);

}  // namespace tessaro7::import_text
