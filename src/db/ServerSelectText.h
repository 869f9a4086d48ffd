#pragma once
// The record sources as the program writes them, for the PostgreSQL server:
// bracketed names become quoted identifiers, names are matched without regard
// to case against the server's own, and `like` compares the text form of its
// left side without regard to case, as the embedded engine does.
#include <functional>
#include <string>
#include <string_view>

namespace tessaro7::db {

// The server's spelling of a table or field name, matched without regard to
// case; empty when the server has none such.
using NameResolver = std::function<std::string(std::string_view name)>;

// A name in double quotes, inner quotes doubled.
std::string serverQuoted(std::string_view name);
// A text in single quotes, inner quotes doubled (the server's standard strings).
std::string serverLiteral(std::string_view text);

std::string translateForServer(std::string_view source, const NameResolver& resolve);

}  // namespace tessaro7::db
