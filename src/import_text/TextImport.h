#pragma once
// The text imports: one new record per line of a fixed-width text file, at
// most 25000 lines. The mapping is checked before anything is written; then
// the lines are read, checked and written in one transaction, which a value
// its field cannot take, anywhere in the file, rolls back: a bad file adds
// nothing, and its message lists its faults. A line whose article duplicates a
// unique value is skipped and counted; any other failure of the engine stops
// the run at that line, keeping the records of the lines before it when the
// engine can still save them. The message then says what the table really
// holds of the run, counted afresh.
#include <functional>
#include <string>

#include "app/Archive.h"
#include "import_text/TextFile.h"
#include "import_text/TextTable.h"

namespace tessaro7::import_text {

// The problems a refused run lists; further ones are only counted.
inline constexpr std::size_t kMaxListedProblems = 10;

// Called after each line written: lines handled so far and lines to handle.
using ImportProgress = std::function<void(long done, long total)>;

struct TextImportOutcome {
    bool completed = false;  // every line read was handled
    long added = 0;          // records added; after a failure those the table kept (0 when that is unknown)
    long duplicates = 0;     // article lines skipped as duplicates
    long notRead = 0;        // lines beyond the 25000th
    long blank = 0;          // lines whose assigned stretches are all blank, not imported
    long present = 0;        // lines skipped because the table holds their record
    std::string encoding;    // the file's encoding ("UTF-8", ...); empty when it could not be read
    std::string message;     // the text to show: the final message, or what failed and where
};

// Beside the routine's own rules: lines whose record the table already holds
// can be skipped.
struct TextImportOptions {
    bool skipExisting = false;
};

// Imports `file` into `table` of the archive's business database, with the
// field mappings stored for it in the mapping database; the run is entered
// in the import register of the mapping database.
TextImportOutcome importFromText(TextTable table, const app::Archive& archive, const std::string& file,
                                 const ImportProgress& progress = {}, const TextImportOptions& options = {});

TextImportOutcome ImportCustomersFromText(const app::Archive& archive, const std::string& file,
                                          const ImportProgress& progress = {});
TextImportOutcome ImportSuppliersFromText(const app::Archive& archive, const std::string& file,
                                          const ImportProgress& progress = {});
TextImportOutcome ImportArticlesFromText(const app::Archive& archive, const std::string& file,
                                         const ImportProgress& progress = {});

}  // namespace tessaro7::import_text
