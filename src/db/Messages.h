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

// SQLite databases: the failures a user can act on name the file ({file}) or its folder ({folder}).
inline constexpr const char* kDatabaseLocked =
    "Il database '{file}' è bloccato da un altro utente o programma: attendere che finisca, o chiuderlo, e "
    "ripetere l'operazione";
inline constexpr const char* kDatabaseReadOnly =
    "Il database '{file}' è di sola lettura: controllare che il file non sia protetto dalla scrittura e di avere il "
    "permesso di modificarlo";
inline constexpr const char* kJournalNotCreated =
    "Impossibile scrivere il database '{file}': nella cartella '{folder}' non si può creare il file di appoggio "
    "(journal) che il database usa durante le scritture; controllare che la cartella non sia di sola lettura e di "
    "avere il permesso di scriverci";
inline constexpr const char* kDiskFull =
    "Spazio su disco esaurito scrivendo il database '{file}': liberare spazio sul disco che lo contiene e ripetere "
    "l'operazione";
inline constexpr const char* kDiskError =
    "Errore del disco leggendo o scrivendo il database '{file}': controllare il disco, o la rete, su cui si trova";
inline constexpr const char* kNotADatabase =
    "Il file '{file}' non è un database riconosciuto: controllare di aver indicato il file giusto";
inline constexpr const char* kDatabaseDamaged =
    "Il database '{file}' è danneggiato: ripristinarlo da una copia di sicurezza, o farlo riparare, prima di usarlo "
    "ancora";
inline constexpr const char* kDatabaseFileNotFound = "Impossibile trovare il file di database '{file}'.";
inline constexpr const char* kDatabaseNotOpened =
    "Impossibile aprire il database '{file}': controllare di avere il permesso di leggere e scrivere il file "
    "({motivo}).";
inline constexpr const char* kTableNotFound = "Tabella '{tabella}' non trovata nel database '{file}'.";
inline constexpr const char* kOfTable = " della tabella '{tabella}'";
inline constexpr const char* kDuplicateValue = "Valore duplicato in un indice univoco o nella chiave primaria";
inline constexpr const char* kNullNotAllowed = "Il campo {campo} non può contenere un valore Null.";
inline constexpr const char* kDatabaseError = "Errore del database '{file}' ({motivo}).";

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

// The PostgreSQL server: {server} is how the server is named ("server PostgreSQL mario@host/ditta"),
// {dettaglio} the server's or libpq's own text, {tabella} and {campo} what a failure concerns.
inline constexpr const char* kServerPasswordFileIgnored =
    "il server chiede una password, e il file {file} è leggibile da altri: libpq lo ignora; renderlo leggibile solo "
    "dall'utente (chmod 600 {file})";
inline constexpr const char* kServerAsksPassword =
    "il server chiede una password: scriverla nel file delle password di PostgreSQL dell'utente "
    "(~/.pgpass; in Windows %APPDATA%\\postgresql\\pgpass.conf) o nella variabile PGPASSWORD";
inline constexpr const char* kServerRefusedLogin = "il server ha rifiutato l'accesso: controllare l'utente e la password";
inline constexpr const char* kServerNoDatabase = "il database non esiste sul server";
inline constexpr const char* kServerNotAnswering = "il server non risponde: controllare che sia acceso e raggiungibile dalla rete";
inline constexpr const char* kOutOfMemory = "memoria esaurita";
inline constexpr const char* kServerCannotConnect = "Impossibile collegarsi al {server}: {perché}.";
inline constexpr const char* kServerNotUtf8 =
    "Il {server} usa la codifica {codifica}: il programma richiede un database in UTF8. Crearne uno nuovo in UTF8 "
    "(createdb -E UTF8 -T template0 NOME) e copiarvi l'archivio.";
inline constexpr const char* kServerNoCollation =
    "Il server del {server} non ha la collazione \"{collazione}\" dell'ordine italiano: serve PostgreSQL compilato "
    "con ICU.";
inline constexpr const char* kServerConnectionLost = "Collegamento interrotto con il {server}: controllare il server e la rete";
inline constexpr const char* kServerTableNotFound = "Tabella '{tabella}' non trovata nel {server}.";
inline constexpr const char* kServerLocked = "Il {server} è bloccato da un altro utente o programma";
inline constexpr const char* kValueNotConvertible = "Valore non convertibile nel tipo del campo";
inline constexpr const char* kServerTransactionAborted = "La transazione sul {server} è stata annullata da un errore precedente";
inline constexpr const char* kServerPermissionDenied = "Permesso negato dal {server}";
inline constexpr const char* kServerError = "Errore del {server}";
inline constexpr const char* kRecordChangedByOthers =
    "Il record della tabella '{tabella}' è stato modificato o eliminato da un altro utente.";
inline constexpr const char* kServerRolledBack =
    "La transazione sul {server} è stata annullata dal server: nessuna riga è stata salvata.";
inline constexpr const char* kLibpqMissing =
    "Impossibile usare un archivio su server: la libreria {libreria} non si carica ({motivo}). Installare il "
    "pacchetto libpq5 (su Windows, la libpq di PostgreSQL accanto al programma).";

}  // namespace tessaro7::db::msg
