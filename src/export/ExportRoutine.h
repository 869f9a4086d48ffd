#pragma once
// The one export routine every list follows, in either sheet format: the
// worksheet settings, the heading row, one row per selected record, the
// protection setting.
#include <string>

#include "app/Archive.h"
#include "db/EngineError.h"
#include "export/Clock.h"
#include "export/ExportLists.h"
#include "export/SheetFormat.h"

namespace tessaro7::exporting {

struct ExportOutcome {
    bool succeeded = false;
    std::string path;       // the worksheet file
    long rowsWritten = 0;   // data rows, the heading row not counted
    long rowsLeftOut = 0;   // records beyond the format's last sheet row
    long textsCut = 0;      // texts cut to the format's longest text
    long charactersChanged = 0;  // characters the format cannot hold: replaced with '?' (.xls), left out (.xlsx)
    long numbersNotFinite = 0;   // infinite or undefined numbers, written as no cell
    std::string message;    // what to show: the completion or why no file was made
};

// Exports `list` from archive.DatabasePath into ArchiveFolder + "\" + fileName
// in `format`. A yearly list selects the current year of `clock`. A file that
// cannot be created or written gives an outcome that did not succeed, and no
// file. An engine failure removes the partial file and is thrown again as an
// EngineError of the same number whose text names the file and the row.
ExportOutcome exportList(const ExportList& list, const app::Archive& archive, const std::string& fileName,
                         const Clock& clock, SheetFormat format = SheetFormat::Xls);

// The same, into the list's own file name with the format's extension.
ExportOutcome exportList(const ExportList& list, const app::Archive& archive, const Clock& clock,
                         SheetFormat format = SheetFormat::Xls);

// An engine failure as the programs show it.
std::string engineFailureMessage(const db::EngineError& error);

}  // namespace tessaro7::exporting
