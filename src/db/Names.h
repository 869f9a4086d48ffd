#pragma once
// Names of tables, fields, files and choices are compared as the engine
// compares them: letter case does not count (ASCII letters).
#include <string>
#include <string_view>

namespace tessaro7::db {

inline char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

inline bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    return true;
}

inline std::string lowerName(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = asciiLower(c);
    return out;
}

}  // namespace tessaro7::db
