#pragma once
// The two worksheet file formats of the exports and what each can hold.
#include <cstddef>
#include <optional>
#include <string>

#include "export/ExportLists.h"

namespace tessaro7::exporting {

// Xls: BIFF2, the lists' own format and the default. Xlsx: Office Open XML.
enum class SheetFormat { Xls, Xlsx };

struct SheetFormatRules {
    const char* extension;        // ".xls", ".xlsx"
    const char* name;             // "xls", "xlsx": the batch program's --format
    long lastRow;                 // the last sheet row the format addresses (1-based)
    std::size_t longestText;      // the most characters a cell holds (.xlsx: UTF-16 units)
    long rowsEveryReaderReads;    // some readers stop after this many rows; 0 when none do
    const char* rowsLeftOutNote;  // the completion lines counting what did not fit
    const char* textsCutNote;
    const char* charactersChangedNote;  // characters the format cannot hold: replaced or left out
};

const SheetFormatRules& rulesOf(SheetFormat format);

// "xls" or "xlsx" in any letter case; nullopt for anything else.
std::optional<SheetFormat> sheetFormatByName(const std::string& name);

// The list's file name with the format's extension: "XLSClienti.xlsx".
std::string fileNameFor(const ExportList& list, SheetFormat format);

// A file name given the format's extension: the name kept when it already
// ends in it (any letter case), the other format's extension replaced
// ("Prova.xls" -> "Prova.xlsx"), otherwise the extension added.
std::string withFormatExtension(const std::string& name, SheetFormat format);

}  // namespace tessaro7::exporting
