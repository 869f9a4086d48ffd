#include "import_text/TextTable.h"

namespace tessaro7::import_text {

namespace {

struct TableNames {
    TextTable table;
    const char* name;
    const char* panel;
    const char* mapping;
};

constexpr TableNames kNames[] = {
    {TextTable::Clienti, "clienti", "Tabella Clienti", "clientiBIS"},
    {TextTable::Fornitori, "fornitori", "Tabella Fornitori", "fornitoriBIS"},
    {TextTable::Articoli, "articoli", "Tabella Articoli", "articoliBIS"},
};

const TableNames& namesOf(TextTable table) {
    for (const TableNames& n : kNames)
        if (n.table == table) return n;
    return kNames[0];
}

}  // namespace

const char* tableName(TextTable table) { return namesOf(table).name; }
const char* panelCaption(TextTable table) { return namesOf(table).panel; }
const char* mappingTableName(TextTable table) { return namesOf(table).mapping; }

std::optional<TextTable> tableFromName(std::string_view name) {
    for (const TableNames& n : kNames)
        if (name == n.name) return n.table;
    return std::nullopt;
}

std::optional<TextTable> tableFromPanel(std::string_view caption) {
    for (const TableNames& n : kNames)
        if (caption == n.panel) return n.table;
    return std::nullopt;
}

std::string mappingSelect(TextTable table) {
    return std::string("select [visualizzato],[colonna],[Qta],[utilizzato] from ") + mappingTableName(table);
}

}  // namespace tessaro7::import_text
