#pragma once
// The preview of a text file: its first line cut into fields exactly as the
// import would cut it, each beside its caption, with the reason for every
// field the import would refuse. A file the import refuses as not text gives
// no preview. Nothing is written.
#include <string>
#include <vector>

#include "app/Archive.h"
#include "app/Dialogs.h"
#include "import_text/TextTable.h"

namespace tessaro7::import_text {

struct TextPreviewOutcome {
    bool ok = false;
    std::string panelCaption;             // "Tabella Clienti", ...
    std::vector<app::PreviewLine> lines;  // the 18 rows of the preview window; unfilled rows hidden
    std::string encoding;                 // the file's encoding, "UTF-8", ...
    std::string message;                  // why there is no preview
};

// Customers or suppliers: 18 rows, every one shown.
TextPreviewOutcome PreviewPartiesFromText(TextTable table, const app::Archive& archive, const std::string& file);
// Articles: rows 0 to 9 shown, 10 to 17 hidden.
TextPreviewOutcome PreviewArticlesFromText(const app::Archive& archive, const std::string& file);
// The preview of `table`, by the routine that serves it.
TextPreviewOutcome previewFromText(TextTable table, const app::Archive& archive, const std::string& file);

}  // namespace tessaro7::import_text
