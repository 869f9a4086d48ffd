#pragma once
// The texts of the database engine, in one place: the engine sits below the
// program's shared services (app/Messages.h holds the rest), and its
// messages name the file, table or field they concern ({tabella}, {campo}, ...).
namespace tessaro7::db::msg {

// Rows and fields of a selection
inline constexpr const char* kNoCurrentRecord = "Nessun record corrente.";
inline constexpr const char* kFieldNotFound = "Campo '{campo}' non trovato";
inline constexpr const char* kInTable = " nella tabella '{tabella}'";
inline constexpr const char* kFieldNumberNotFound = "Campo numero {n} non trovato.";
inline constexpr const char* kCannotAddReadOnly = "Impossibile aggiungere righe: la selezione è di sola lettura.";
inline constexpr const char* kCannotEditReadOnly = "Impossibile modificare: la selezione è di sola lettura.";
inline constexpr const char* kWriteWithoutEdit = "Scrittura del campo '{campo}' senza un nuovo record o una modifica in corso.";
inline constexpr const char* kNotConvertible =
    "Il valore {valore} non è convertibile nel tipo del campo '{campo}' della tabella '{tabella}'.";
inline constexpr const char* kUpdateWithoutEdit = "Aggiornamento senza un nuovo record o una modifica in corso.";
inline constexpr const char* kConnectionLostAtSave =
    "il collegamento con il database si è interrotto durante il salvataggio finale";
inline constexpr const char* kBadRowIdentity = "Identità di riga non valida per la tabella '{tabella}': {valore}.";

// Files and paths
inline constexpr const char* kFileExists = "Il file '{file}' esiste già: non viene sovrascritto.";
inline constexpr const char* kCannotCreateFile = "impossibile creare il file ({motivo})";
inline constexpr const char* kSqlTextError = "errore nel testo SQL ({motivo})";
inline constexpr const char* kDatabaseNotCreated = "Creazione del database '{file}' non riuscita: {motivo}.";
inline constexpr const char* kNameMatchesTwoFiles =
    "Il nome '{nome}' corrisponde a più file che differiscono solo per maiuscole e minuscole: '{primo}' e "
    "'{secondo}'. Rinominare o spostare uno dei due, poi riprovare.";

// The business database on a server
inline constexpr const char* kServerDescription = "database '{database}' sul server PostgreSQL {server}";
inline constexpr const char* kServerDefaultDatabase = "(predefinito)";
inline constexpr const char* kServerLocalHost = "locale";
inline constexpr const char* kServerUser = ", utente '{utente}'";
inline constexpr const char* kPasswordInUri =
    "La password del server non va scritta nell'indirizzo del {server}: va nel file delle password di PostgreSQL "
    "dell'utente (~/.pgpass; in Windows %APPDATA%\\postgresql\\pgpass.conf) o nella variabile d'ambiente PGPASSWORD.";
inline constexpr const char* kBadServerUri = "L'indirizzo del {server} non è valido ({motivo}).";
inline constexpr const char* kPasswordInOptions =
    "La password del server non va scritta nell'indirizzo del {server}: va nel file delle password di PostgreSQL "
    "dell'utente o nella variabile d'ambiente PGPASSWORD.";
inline constexpr const char* kCopyCountDiffers =
    "La tabella '{tabella}' ha {nelfile} righe nel file e {nelserver} nel {server}: copia annullata.";
inline constexpr const char* kServerHasTable =
    "Il {server} contiene già la tabella '{tabella}': l'archivio va caricato in un database vuoto.";

}  // namespace tessaro7::db::msg
