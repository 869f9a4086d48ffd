#pragma once
// The texts the program shows, in one place.
namespace tessaro7::app::msg {

inline constexpr const char* kTitle = "Tessaro 7";
inline constexpr const char* kTitleWarning = "Attenzione";

// Start-up
inline constexpr const char* kMainCaption = "Tessaro 7  -  Funzioni di Importazione / Esportazione";
inline constexpr const char* kSetArchiveFolder = "E' necessario impostare Percorso degli Archivi !";
inline constexpr const char* kNavGroup = "Import/Export dati";
inline constexpr const char* kNavExport = "Export in Excel";
inline constexpr const char* kNavImportExcel = "Import da Excel";
inline constexpr const char* kNavImportText = "Import da file txt";
inline constexpr const char* kClose = "C&hiudi";

// Window captions
inline constexpr const char* kExportCaption = "Tessaro 7 - Funzione di Esportazione dati";
inline constexpr const char* kImportExcelCaption = "Importazione dati da Excel";
inline constexpr const char* kImportTextCaption = "Importazione dati da file di testo";

// Notice window
inline constexpr const char* kNoticeHeading = "Messaggio x te  da Tessaro 8";
inline constexpr const char* kConfirm = "&Conferma";

// ---- Export window and exports ----

// (end of export texts)

// ---- Excel import ----

// (end of Excel import texts)

// ---- Text import ----

// (end of text import texts)

}  // namespace tessaro7::app::msg
