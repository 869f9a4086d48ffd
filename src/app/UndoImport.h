#pragma once
// Undoing a table's last import run not yet undone: its records are deleted,
// all in one transaction, only when every one of them is still in the table
// with the values it was imported with; otherwise nothing is deleted and the
// message says how many were changed or deleted since. The register then
// notes the undo.
#include <optional>
#include <string>

#include "app/ImportRegister.h"

namespace tessaro7::app {

// The run an undo of `table` ("clienti") would take back; nothing when none.
std::optional<RegisterRun> runToUndo(const std::string& mappingDatabasePath, const std::string& table);

// "Annullare l'importazione nella tabella Clienti del file '…' del 07/12/2026 alle 10:32 (25000 record)?"
std::string undoQuestion(const RegisterRun& run);

struct UndoOutcome {
    bool done = false;
    long deleted = 0;
    long changed = 0;  // records of the run whose values differ now
    long missing = 0;  // records of the run no longer in the table
    std::string message;
};

// `businessDatabase`: the database path or server URI the run wrote to.
UndoOutcome undoLastImport(const std::string& businessDatabase, const std::string& mappingDatabasePath,
                           const std::string& table);

}  // namespace tessaro7::app
