#pragma once
// The three tables the text import fills, and how each is named: in the batch
// program, in the mapping database and on the window's panel P1.
#include <optional>
#include <string>
#include <string_view>

namespace tessaro7::import_text {

enum class TextTable { Clienti, Fornitori, Articoli };

inline constexpr TextTable kTextTables[] = {TextTable::Clienti, TextTable::Fornitori, TextTable::Articoli};

// "clienti", "fornitori", "articoli": the batch program's table names.
const char* tableName(TextTable table);
std::optional<TextTable> tableFromName(std::string_view name);

// "Tabella Clienti", ...: the caption of P1 once the table is chosen.
const char* panelCaption(TextTable table);
// The table P1 names; none while P1 still reads ".:: in attesa ::.".
std::optional<TextTable> tableFromPanel(std::string_view caption);

// "clientiBIS", ... in the mapping database.
const char* mappingTableName(TextTable table);
// "select [visualizzato],[colonna],[Qta],[utilizzato] from clientiBIS", ...
std::string mappingSelect(TextTable table);

}  // namespace tessaro7::import_text
