#pragma once
// Texts compared as a user reads them: letter case and accents do not count
// ("Città" = "citta", "ÀLFA" = "alfa").
#include <string>
#include <string_view>

namespace tessaro7::db {

// The text in lower-case base letters (accents dropped, "æ" as "ae", "ß" as
// "ss"), blanks at both ends removed; other characters unchanged. UTF-8.
std::string foldedText(std::string_view text);

// Only the letters and digits of the folded text: blanks and punctuation
// do not count either ("P. IVA" and "piva" give "piva").
std::string lettersAndDigits(std::string_view text);

}  // namespace tessaro7::db
