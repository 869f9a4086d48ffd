#pragma once
// The export window's rules, apart from its controls: what choosing a list
// shows, and what the export button does with what the window holds.
#include <string>

#include "export/ExportLists.h"

namespace tessaro7::exporting {

// Every row of the list's count table, of every year (a yearly list still
// counts the documents of earlier years). Throws EngineError.
long countListRecords(const ExportList& list, const std::string& databasePath);

// The export button: a count text whose leading number (sign and decimal
// point included) is 0, or that has none, refuses; otherwise the list whose number the label holds runs, and a
// label that names no list ("L") does nothing.
struct ExportRequest {
    enum class Action { Refuse, Nothing, Run } action;
    const ExportList* list = nullptr;
};
ExportRequest exportRequest(const std::string& countText, const std::string& listNumberText);

}  // namespace tessaro7::exporting
