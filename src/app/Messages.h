#pragma once
// The texts the program shows, in one place.
namespace tessaro7::app::msg {

inline constexpr const char* kTitle = "Tessaro 7";
inline constexpr const char* kTitleWarning = "Attenzione";

// Start-up
inline constexpr const char* kMainCaption = "Tessaro 7  -  Funzioni di Importazione / Esportazione";
inline constexpr const char* kSetArchiveFolder = "E' necessario impostare Percorso degli Archivi !";
// After it, where TS7Rete.dat was looked for and what to do.
inline constexpr const char* kArchiveFileMissingIn = "TS7Rete.dat non si trova nella cartella ";
inline constexpr const char* kArchiveFileEmptyIn = "TS7Rete.dat è vuoto o non leggibile nella cartella ";
inline constexpr const char* kArchiveFileWhatToDo =
    "Mettere TS7Rete.dat (la prima riga è la cartella degli archivi) nella propria cartella personale, oppure "
    "avviare il programma dalla cartella che lo contiene.";
inline constexpr const char* kServerLineNotUri =
    "La seconda riga di TS7Rete.dat deve essere database= seguito dall'indirizzo del server "
    "(postgresql://utente@server:porta/database).";
inline constexpr const char* kServerLineRefused = "La seconda riga di TS7Rete.dat non è utilizzabile: ";
inline constexpr const char* kArchiveAlreadyOnServer = "L'archivio è già sul server: TS7Rete.dat nomina il ";
inline constexpr const char* kServerUriForm =
    "L'indirizzo del server deve essere nella forma postgresql://utente@server:porta/database.";
inline constexpr const char* kNetworkFileNotWritten = "Impossibile scrivere il file '";
inline constexpr const char* kCopiedToServer = "Archivio copiato nel ";
inline constexpr const char* kNetworkFileNowNames = "TS7Rete.dat ha ora come seconda riga:";
inline constexpr const char* kSwitchOtherWorkstations =
    "Scrivere la stessa riga come seconda riga di TS7Rete.dat su ogni altra postazione, e passare al server nello "
    "stesso momento anche l'altro programma che usa l'archivio: il file Tessaro7.mdb non riceve più le modifiche.";
// The demo archive.
inline constexpr const char* kFolderNotCreated = "Impossibile creare la cartella '{cartella}': {motivo}.";
inline constexpr const char* kFileExistsNotOverwritten = "Il file '{file}' esiste già: non viene sovrascritto.";
inline constexpr const char* kFileNotWritten = "Impossibile scrivere il file '{file}'.";
inline constexpr const char* kNavGroup = "Import/Export dati";
inline constexpr const char* kNavExport = "Export in Excel";
inline constexpr const char* kNavImportExcel = "Import da Excel";
inline constexpr const char* kNavImportText = "Import da file txt";
inline constexpr const char* kClose = "C&hiudi";
// The user guide: the start-up window's bar item, and what F1 may answer.
inline constexpr const char* kGuideItem = "&Guida";
inline constexpr const char* kGuideNotFound = "La guida non è stata trovata. Cartelle in cui è stata cercata: ";
inline constexpr const char* kGuideNotOpened = "Impossibile aprire la guida nel browser: ";
inline constexpr const char* kGuideOpenItYourself = "\nAprire il file con un browser.";

// Window captions
inline constexpr const char* kExportCaption = "Tessaro 7 - Funzione di Esportazione dati";
inline constexpr const char* kImportExcelCaption = "Importazione dati da Excel";
inline constexpr const char* kImportTextCaption = "Importazione dati da file di testo";

// Notice window
inline constexpr const char* kNoticeHeading = "Messaggio x te  da Tessaro 8";
inline constexpr const char* kConfirm = "&Conferma";

// ---- Export window and exports ----
inline constexpr const char* kExportTab = "Export dei dati";
inline constexpr const char* kExportGroupMasterData = "Anagrafiche";
inline constexpr const char* kExportGroupLists = "Elenchi";
inline constexpr const char* kExportWaiting = ".:: in attesa ::.";
inline constexpr const char* kExportFieldsHeading = "Definizione dei campi esportati";
inline constexpr const char* kExportFileLabel = "File di export";
inline constexpr const char* kExportCountLabel = "Nr di Records da esportare";
inline constexpr const char* kExportNoList = "L";
inline constexpr const char* kExportButton = "&Esporta in XLS";
inline constexpr const char* kExportButtonXlsx = "&Esporta in XLSX";
inline constexpr const char* kNothingToExport = "Nessun dato da esportare!";
// The completion message: these two lines, then the path, then the notes below.
inline constexpr const char* kExportDone = "File Excel esportato.";
inline constexpr const char* kExportFileName = "Nome File: ";
inline constexpr const char* kExportRowsLeftOut = "Righe non esportate (oltre la riga 32767 del foglio): ";
inline constexpr const char* kExportTextsCut = "Testi accorciati a 255 caratteri: ";
inline constexpr const char* kExportCharactersReplaced = "Caratteri non rappresentabili sostituiti con '?': ";
inline constexpr const char* kExportNumbersNotFinite = "Numeri non finiti (infiniti o indefiniti) lasciati vuoti: ";
inline constexpr const char* kExportFirstRowsOnly =
    "Oltre 16384 righe: alcuni programmi (Gnumeric) leggono solo le prime 16384 righe di un file in questo "
    "formato, altri (xlrd, e quindi pandas) non lo aprono affatto. Per elenchi così lunghi scegliere il formato "
    ".xlsx.";
inline constexpr const char* kExportRowsLeftOutXlsx = "Righe non esportate (oltre la riga 1048576 del foglio): ";
inline constexpr const char* kExportTextsCutXlsx = "Testi accorciati a 32767 caratteri: ";
inline constexpr const char* kExportCharactersLeftOut = "Caratteri non ammessi omessi: ";
// The "Formato" choice of the export window.
inline constexpr const char* kExportFormatLabel = "Formato";
inline constexpr const char* kExportFormatXls = "Excel 2.1 (.xls)";
inline constexpr const char* kExportFormatXlsx = "Excel 2007 e successivi (.xlsx)";
inline constexpr const char* kExportNotCreated = "Impossibile creare il file Excel.";
inline constexpr const char* kExportNotWritten = "Impossibile scrivere il file Excel: il file non è stato creato.";
inline constexpr const char* kExportReason = "Motivo: ";
inline constexpr const char* kExportFailed = "Esportazione non riuscita: ";
inline constexpr const char* kExportFailedAtRow = ", riga del foglio ";
inline constexpr const char* kExportFileRemoved = " (il file incompleto è stato eliminato)";
inline constexpr const char* kExportFieldNotFound = "Campo '{campo}' non trovato nella tabella '{tabella}'.";
// Why a worksheet file cannot be written (the writer's error number goes with it).
inline constexpr const char* kWriteNoFolder = "cartella inesistente";
inline constexpr const char* kWriteAccessDenied = "accesso negato";
inline constexpr const char* kWriteReadOnlyDisk = "accesso negato: disco di sola lettura";
inline constexpr const char* kWriteFileBusy = "file in uso da un altro programma";
inline constexpr const char* kWriteNameIsFolder = "il nome indica una cartella";
inline constexpr const char* kWriteNameTooLong = "nome del file troppo lungo";
inline constexpr const char* kWriteDiskFull = "disco pieno";
inline constexpr const char* kWriteTooManyFiles = "troppi file aperti";
inline constexpr const char* kWritePathError = "errore di accesso al percorso o al file";
inline constexpr const char* kWriteDiskError = "errore di scrittura sul disco";
inline constexpr const char* kWriteNoName = "nome del file mancante";
inline constexpr const char* kWriteNoTemporary = "impossibile creare il file temporaneo";
inline constexpr const char* kWriteTemporaryFailed = "errore di scrittura del file temporaneo (disco pieno?)";

// (end of export texts)

// ---- Batch program: refused arguments and what a command reports ----
inline constexpr const char* kBatchUnknownCommand = "Comando sconosciuto: ";
inline constexpr const char* kBatchWrongArgumentCount = "Numero di argomenti errato.";
inline constexpr const char* kBatchNoArguments = "Questo comando non vuole argomenti.";
inline constexpr const char* kBatchUnknownTable = "Tabella sconosciuta: {nome} (clienti, fornitori o articoli).";
inline constexpr const char* kBatchGiveTable = "Indicare la tabella.";
// An argument of digits: the Excel mapping says "accetta solo cifre", the text mapping "deve contenere solo cifre".
inline constexpr const char* kBatchDigitsOnly = "{argomento} accetta solo cifre: {valore}.";
inline constexpr const char* kBatchMustBeDigits = "{argomento} deve contenere solo cifre: {valore}.";
inline constexpr const char* kBatchSheetNeedsName = "--sheet vuole il nome del foglio.";
inline constexpr const char* kBatchExcelRowMissing = "Riga {riga} inesistente: la tabella {tabella} ha {n} righe (da 1).";
inline constexpr const char* kBatchAssignmentsCleared = "Assegnazioni azzerate per la tabella ";
inline constexpr const char* kBatchUnknownAction = "Azione sconosciuta o numero di argomenti errato: {azione}.";
inline constexpr const char* kBatchNoFormat = "Manca il formato dopo --format (xls o xlsx).";
inline constexpr const char* kBatchUnknownFormat = "Formato sconosciuto: {formato}. I formati sono xls e xlsx.";
inline constexpr const char* kBatchNoList = "Manca l'elenco da esportare.";
inline constexpr const char* kBatchUnknownList = "Elenco sconosciuto: {elenco}. Gli elenchi sono:";
inline constexpr const char* kBatchListNotExported = ": non esportato.";
inline constexpr const char* kBatchListsNotExported = "Elenchi non esportati: {n} su {tutti}.";
inline constexpr const char* kBatchEngineSqlite = "SQLite, file nella cartella dell'archivio";
inline constexpr const char* kBatchDemoOnServer = "Dati dimostrativi caricati nel ";
inline constexpr const char* kBatchDemoCreated = "Archivio dimostrativo creato in ";
inline constexpr const char* kBatchMappingDbCreated = "Database delle assegnazioni creato: ";
inline constexpr const char* kBatchRunUndone = "annullata il {quando} da {chi}";
inline constexpr const char* kBatchTextRowMissing = "La riga {riga} non esiste: la tabella {tabella} ha {n} righe (contate da 1).";
inline constexpr const char* kBatchGiveTableAndOperation = "Indicare la tabella e l'operazione.";
inline constexpr const char* kBatchShowNoMore = "show non vuole altri argomenti.";
inline constexpr const char* kBatchAssignNeeds = "assign vuole RIGA INIZIO LARGHEZZA.";
inline constexpr const char* kBatchAssignRefused =
    "Assegnazione rifiutata: la colonna di inizio e il numero di caratteri non possono essere \"0\".";
inline constexpr const char* kBatchUnassignNeeds = "unassign vuole RIGA [LARGHEZZA].";
inline constexpr const char* kBatchClearNeeds = "clear vuole al più LARGHEZZA.";
inline constexpr const char* kBatchUnknownOperation = "Operazione sconosciuta: {operazione} (show, assign, unassign o clear).";
inline constexpr const char* kBatchGiveTableAndFile = "Indicare la tabella e il file.";

// ---- What a failed import kept (both imports) ----
inline constexpr const char* kKeptUpTo = "Sono salvati nella tabella i record fino ";
inline constexpr const char* kKeptRepeatRest = ": importare di nuovo solo le righe successive.";
inline constexpr const char* kNoneKept =
    "Nessun record di questa importazione è rimasto nella tabella: correggere la causa e ripetere l'importazione "
    "per intero.";
inline constexpr const char* kKeptUnchecked = "Non si può sapere quanti record di questa importazione sono rimasti nella tabella (";
inline constexpr const char* kKeptCheckTable = "): controllarla prima di ripetere l'importazione.";
inline constexpr const char* kRecordsAddedTo = "Record aggiunti alla tabella ";
inline constexpr const char* kNotCheckable = "non verificabile";

// ---- Excel import ----
inline constexpr const char* kSelectExcelFile = "Selezionare un file di Excel !";
inline constexpr const char* kExcelRowsWrong = "Valori di riga del file excel errati !";
inline constexpr const char* kExcelRowsBeyondPreview = "Le righe scelte non sono tutte nell'anteprima.";
inline constexpr const char* kExcelRowsAsked =
    "Righe chieste: dalla {da} alla {a} del foglio; l'anteprima mostra le righe da 1 a {righe}.";
inline constexpr const char* kExcelRowsWiderPreview =
    "Aumentare «Numero Righe» e premere «Anteprima», oppure scegliere righe dell'anteprima.";
inline constexpr const char* kPreviewFirst =
    "Premere prima «Anteprima»: l'importazione legge le righe mostrate nella griglia.";
inline constexpr const char* kPreviewFirstHow =
    "Indicare il file, il numero delle colonne e delle righe, poi premere «Anteprima» e controllare la griglia.";
inline constexpr const char* kClearMappingQuestion = "Vuoi azzerare tutti i dati per la tabella ?";
inline constexpr const char* kExcelDone = "Procedura effettuata !";
inline constexpr const char* kExcelFileFilter =
    "Fogli di calcolo (*.xls *.xlsx *.ods *.csv)|*.xls;*.xlsx;*.ods;*.csv|File Excel 97-2003 (*.xls)|*.xls|"
    "Cartella di lavoro Excel (*.xlsx)|*.xlsx|Foglio di calcolo OpenDocument (*.ods)|*.ods|"
    "File CSV (*.csv)|*.csv|";
inline constexpr const char* kChooseTable = "Scelta tabella";
inline constexpr const char* kGridCaption = "Campi caricabili della tabella";
inline constexpr const char* kWaitingPanel = ".:: in attesa ::.";
inline constexpr const char* kGridFieldColumn = "Campo della tabella";
inline constexpr const char* kGridColumnColumn = "Colonna";
inline constexpr const char* kGridAssignedColumn = "Assegnato";
inline constexpr const char* kExcelFileLabel = "File di Excel";
inline constexpr const char* kArchiveFileLabel = "File di archivio :";
inline constexpr const char* kFirstRowLabel = "Prima riga del file XLS";
inline constexpr const char* kLastRowLabel = "Ultima riga del file XLS";
inline constexpr const char* kColumnCountLabel = "Numero Colonne";
inline constexpr const char* kDestinationLabel = "Tabella di Destinazione";
inline constexpr const char* kRowCountLabel = "Numero Righe";
inline constexpr const char* kColumnHint = "Il campo della tabella può corrispondere ad una  colonna del file di Excel...";
inline constexpr const char* kColumnNumberLabel = "Inserire il numero della colonna";
inline constexpr const char* kImportFromExcel = " &Importa da Excel";
inline constexpr const char* kAssign = "&Assegna";
inline constexpr const char* kClearAssignments = "&Elimina dati assegnati";
inline constexpr const char* kUnassign = "&Toglie";
inline constexpr const char* kPreview = "&Anteprima";
inline constexpr const char* kChooseExcelFileTip = "Scegli il file di Excel";
// Notices of this program's own (the failures the import reports).
inline constexpr const char* kChooseDestinationTable = "Scegliere la tabella di destinazione !";
inline constexpr const char* kWorkbookUnreadable = "Impossibile leggere il file di Excel !";
inline constexpr const char* kPreviewTooLarge = "Anteprima troppo grande per un foglio XLS !";
inline constexpr const char* kColumnBeyondPreview = "Colonna assegnata oltre l'anteprima !";
inline constexpr const char* kValueNotNumber = "Valore non numerico nel file di Excel !";
inline constexpr const char* kNothingImported = "Nessun record importato.";
inline constexpr const char* kImportStopped = "Importazione interrotta !";
inline constexpr const char* kExcelNotBegun = "Scrittura nel database non iniziata: ";
inline constexpr const char* kExcelNotSaved = "Salvataggio nel database non riuscito: ";
inline constexpr const char* kMappingTooShort = "Tabella delle assegnazioni incompleta !";
inline constexpr const char* kMappingUnavailable = "Impossibile leggere le assegnazioni !";
// The second line of those notices, built from these pieces:
// "Riga 7 del foglio, campo 'Cap' (cap): 'abc' non è un numero."
inline constexpr const char* kSheetRowStart = "Riga ";
inline constexpr const char* kSheetRowEnd = " del foglio";
inline constexpr const char* kSheetRowsUpTo = "alla riga ";
inline constexpr const char* kFieldLabel = "campo '";
inline constexpr const char* kCellHoldsError = "la cella contiene l'errore ";
inline constexpr const char* kCellFormulaWithoutResult = "la cella contiene una formula salvata senza il suo risultato";
inline constexpr const char* kHoldsControlCharacter = " contiene un carattere di controllo (codice ";
inline constexpr const char* kIsNotANumber = " non è un numero";
inline constexpr const char* kIsNotBetween = " non è fra ";
inline constexpr const char* kMappingTableStart = "La tabella '";
inline constexpr const char* kMappingTableHas = "' del database delle assegnazioni ha ";
inline constexpr const char* kMappingRowsNeeded = " righe, ne servono ";
inline constexpr const char* kTheField = "Il ";
inline constexpr const char* kFieldHasColumn = " ha la colonna ";
inline constexpr const char* kPreviewHasColumns = ", l'anteprima ha ";
inline constexpr const char* kPreviewColumnsFrom = " colonne (da 0 a ";
inline constexpr const char* kEngineErrorNumber = " (errore ";

inline constexpr const char* kSheetRead = "Foglio letto: ";
// Why a workbook cannot be read (a detail in parentheses may follow).
inline constexpr const char* kReadDamaged = "il file è danneggiato";
inline constexpr const char* kReadTruncated = "il file è troncato";
inline constexpr const char* kReadBadOffset = "il file è danneggiato: una posizione cade fuori dal file";
inline constexpr const char* kReadChainLoop = "il file è danneggiato: una catena di settori torna su se stessa";
inline constexpr const char* kReadTooLarge = "il file supera i limiti che questo programma legge";
inline constexpr const char* kReadEncrypted = "la cartella di lavoro è protetta da password";
inline constexpr const char* kReadNotThisFormat = "il file non contiene una cartella di lavoro di Excel";
inline constexpr const char* kReadUnknownCodePage =
    "i testi del file sono scritti in una code page che questo programma non conosce: salvarlo in formato "
    ".xlsx o .xls di Excel 97-2003";
inline constexpr const char* kReadUnsupported = "questo tipo di cartella di lavoro non è letto";
inline constexpr const char* kReadCellsUnreadable =
    "le celle del foglio sono in record che questo programma non legge: salvarlo in formato .xlsx";
inline constexpr const char* kReadTwoEndRecords = "il pacchetto ha due indici finali";
inline constexpr const char* kReadEntriesOverlap = "due voci del pacchetto si sovrappongono";
inline constexpr const char* kReadEntryTwice = "una voce compare due volte nel pacchetto";
inline constexpr const char* kReadSizesDisagree = "una voce del pacchetto ha dimensioni discordanti";
inline constexpr const char* kReadHeaderDisagrees = "l'intestazione di una voce del pacchetto non concorda con l'indice";
inline constexpr const char* kReadBadChecksum = "una voce del pacchetto è danneggiata (somma di controllo errata)";
inline constexpr const char* kReadBadXml = "una parte del file non è XML ben formato";
inline constexpr const char* kReadDtd =
    "una parte del file contiene una dichiarazione del tipo di documento (DTD), che il formato non ammette";
// The reasons of a package (.xlsx, .ods) in full: {voce} and {altra} are entry names, {n} a number.
inline constexpr const char* kPackageUnreadable = "non è un file {formato} leggibile: ";
inline constexpr const char* kPackagePartTruncated = "la parte {voce} è troncata";
inline constexpr const char* kPackagePartUnreadable = "la parte {voce} non è leggibile: ";
inline constexpr const char* kZipNoRoomForEnd = "il pacchetto è troncato (manca l'indice finale)";
inline constexpr const char* kZipNoEnd = "il pacchetto è troncato o danneggiato (manca l'indice finale)";
inline constexpr const char* kZipNoMemory = "memoria insufficiente per decomprimere il pacchetto";
inline constexpr const char* kZip64 = "il pacchetto è in formato zip64, che una cartella di lavoro non richiede";
inline constexpr const char* kZipSplit = "il pacchetto è diviso in più parti";
inline constexpr const char* kZipDirectoryMisplaced = "l'indice del pacchetto non è dove l'indice finale lo pone";
inline constexpr const char* kZipDirectoryDamaged = "l'indice del pacchetto è danneggiato (voce {n})";
inline constexpr const char* kZipDirectoryTooLarge = "l'indice del pacchetto occupa {n} MB, troppi per una cartella di lavoro";
inline constexpr const char* kZipUncountedEntries = "l'indice del pacchetto contiene voci non contate dall'indice finale";
inline constexpr const char* kZipExpandsTo = "il pacchetto si espande a {n} MB, troppi per un file di queste dimensioni";
inline constexpr const char* kZipEncrypted = "la voce {voce} è cifrata";
inline constexpr const char* kZipUnknownMethod = "la voce {voce} usa un metodo di compressione non gestito ({n})";
inline constexpr const char* kZipSizesDisagree = "la voce {voce} ha dimensioni discordanti";
inline constexpr const char* kZipEntryMisplaced =
    "la voce {voce} non è dove l'indice la pone (oltre la fine del file o danneggiata)";
inline constexpr const char* kZipHeaderDisagrees = "l'intestazione della voce {voce} non concorda con l'indice";
inline constexpr const char* kZipHeaderSizesDisagree = "la voce {voce} ha dimensioni discordanti fra intestazione e indice";
inline constexpr const char* kZipBeyondEnd = "la voce {voce} va oltre la fine del file";
inline constexpr const char* kZipOverlap = "le voci {voce} e {altra} si sovrappongono";
inline constexpr const char* kZipTwice = "la voce {voce} compare due volte nel pacchetto";
inline constexpr const char* kZipExpandsBeyond = "la voce {voce} si espande oltre la dimensione dichiarata";
inline constexpr const char* kZipBadData = "la voce {voce} è danneggiata (dati compressi non validi)";
inline constexpr const char* kZipDataCut = "la voce {voce} è troncata (dati compressi interrotti)";
inline constexpr const char* kZipFileChanged = "il file è diventato più corto mentre veniva letto (voce {voce})";
inline constexpr const char* kZipBadChecksum = "la voce {voce} è danneggiata (somma di controllo errata)";
inline constexpr const char* kPackagePartMissing = "manca la parte {voce}";
inline constexpr const char* kPackageNoWorkbookPart = "il pacchetto non indica la parte della cartella di lavoro";
// Why a cell or sheet list of an .xlsx workbook cannot be read; {cella} is its reference ("B7").
inline constexpr const char* kXlsxTooManySheets = "la cartella di lavoro ha più di {n} fogli";
inline constexpr const char* kXlsxNoSuchSharedText = "la cella {cella} rimanda a un testo condiviso inesistente";
inline constexpr const char* kXlsxBadBoolean = "la cella {cella} ha un valore logico non valido";
inline constexpr const char* kXlsxBadNumber = "la cella {cella} ha un numero non valido";
// Why a workbook file cannot be opened ({n} a number, {foglio} a sheet's name, {fogli} some of the names).
inline constexpr const char* kFileNotFound = "file non trovato";
inline constexpr const char* kFileIsFolder = "è una cartella, non un file";
inline constexpr const char* kFileUnreadable = "file non leggibile";
inline constexpr const char* kFileOverMegabytes = "più di {n} MB";
inline constexpr const char* kFileNotFoundOrUnreadable = "file non trovato o non leggibile";
inline constexpr const char* kFileReadError = "errore di lettura del file";
inline constexpr const char* kFileEmpty = "il file è vuoto";
inline constexpr const char* kSheetTextTooLarge =
    "il foglio contiene più testo di quanto un file di queste dimensioni possa contenere";
inline constexpr const char* kZipOrOdsFormat = ".xlsx o .ods";
inline constexpr const char* kOdfNotSpreadsheet = "è un documento OpenDocument, ma non un foglio di calcolo";
inline constexpr const char* kZipNotWorkbook = "è un archivio zip, ma non una cartella di lavoro (.xlsx, .ods)";
inline constexpr const char* kNotAWorkbook = "non è una cartella di lavoro (.xls, .xlsx, .ods) né un file di testo .csv";
inline constexpr const char* kNoWorksheets = "la cartella di lavoro non contiene fogli di lavoro";
inline constexpr const char* kNoSuchSheet = "il foglio '{foglio}' non esiste (fogli: {fogli})";
inline constexpr const char* kAndOthers = " e altri ";
inline constexpr const char* kNoFileGiven = "nessun file indicato";
inline constexpr const char* kPreviewLimits = "Numero Righe al massimo {righe}, Numero Colonne al massimo {colonne}.";
// Details of a damaged .xls file, after the cause's sentence.
inline constexpr const char* kCompoundDetail = "contenitore del file: ";
inline constexpr const char* kCompoundNoHeader = "intestazione mancante";
inline constexpr const char* kCompoundBadSectorSize = "dimensione dei settori non valida";
inline constexpr const char* kCompoundBadMiniSectorSize = "dimensione dei mini settori non valida";
inline constexpr const char* kCompoundNoDirectory = "elenco dei flussi mancante";
inline constexpr const char* kCompoundSectorBeyondEnd = "settore oltre la fine del file";
inline constexpr const char* kCompoundFatTooLarge = "tabella di allocazione troppo grande";
inline constexpr const char* kCompoundFatChain = "catena della tabella di allocazione";
inline constexpr const char* kCompoundFatChainBroken = "catena della tabella di allocazione interrotta";
inline constexpr const char* kCompoundFatTruncated = "tabella di allocazione troncata";
inline constexpr const char* kCompoundChainBeyondTable = "catena di settori oltre la tabella";
inline constexpr const char* kCompoundChain = "catena di settori";
inline constexpr const char* kCompoundSectorCut = "settore troncato in mezzo a un flusso";
inline constexpr const char* kCompoundStreamShort = "flusso più corto della sua lunghezza";
inline constexpr const char* kCompoundTooLarge = "elenco dei flussi o mini flusso troppo grande per una cartella di lavoro";
inline constexpr const char* kCompoundFileChanged = "il file è diventato più corto mentre veniva letto";
inline constexpr const char* kCompoundMiniBeyondEnd = "mini settore oltre la fine del flusso";
inline constexpr const char* kBiffRecordTruncated = "record troncato";
inline constexpr const char* kBiffRecordTooShort = "record troppo corto";
inline constexpr const char* kBiffTextBeyondRecord = "testo oltre la fine del record";
inline constexpr const char* kBiffCodePage = "code page {n}";
inline constexpr const char* kBiffNoSuchSheet = "foglio inesistente";
inline constexpr const char* kBiffCellsNotRead = "{n} celle non lette";
inline constexpr const char* kBiffSheetStartNotFound = "inizio del foglio «{foglio}» non trovato";
inline constexpr const char* kBiffNoBof = "manca il record iniziale";
inline constexpr const char* kBiffNoGlobals = "la cartella di lavoro non inizia con i suoi dati generali";
inline constexpr const char* kBiffExcel4Workbook =
    "cartella di lavoro di Excel 4 con più fogli: salvarla in formato .xlsx o .xls di Excel 97-2003";
inline constexpr const char* kBiffOverSheets = "più di {n} fogli";
inline constexpr const char* kBiffNoSuchSharedText = "testo condiviso inesistente";
// Why an XML part cannot be read; ", al byte N" follows where the place is known.
inline constexpr const char* kXmlTruncated = "troncata";
inline constexpr const char* kXmlAtByte = ", al byte ";
inline constexpr const char* kXmlCharacterNotClosed = "riferimento a carattere non chiuso";
inline constexpr const char* kXmlCharacterInvalid = "riferimento a carattere non valido";
inline constexpr const char* kXmlUnknownEntity = "entità sconosciuta \"{voce}\"";
inline constexpr const char* kXmlTokenTooLong = "elemento troppo lungo";
inline constexpr const char* kXmlDtd = "contiene una dichiarazione del tipo di documento (DTD), che il formato non ammette";
inline constexpr const char* kXmlDeclarationRefused = "dichiarazione non ammessa";
inline constexpr const char* kXmlNoElementName = "elemento senza nome";
inline constexpr const char* kXmlAfterRoot = "contenuto dopo la fine dell'elemento radice";
inline constexpr const char* kXmlTooDeep = "elementi annidati troppo a fondo";
inline constexpr const char* kXmlElementNotEnded = "elemento non terminato";
inline constexpr const char* kXmlNoAttributeName = "attributo senza nome";
inline constexpr const char* kXmlNoAttributeValue = "attributo senza valore";
inline constexpr const char* kXmlValueNotQuoted = "valore di attributo senza virgolette";
inline constexpr const char* kXmlCloseNotEnded = "chiusura di elemento non terminata";
inline constexpr const char* kXmlCloseNotOpened = "chiusura di un elemento non aperto";
inline constexpr const char* kValueOutOfRange = "Valore fuori dai limiti del campo nel file di Excel !";
inline constexpr const char* kCellNotAValue = "Cella senza valore nel file di Excel !";
inline constexpr const char* kValueControlCharacter = "Carattere di controllo in un testo del file di Excel !";
inline constexpr const char* kArticlesWithoutVat = "Articoli importati senza aliquota IVA: ";
inline constexpr const char* kSheetChoiceLabel = "Foglio";
// Headings, register, undo and records already present (both imports).
inline constexpr const char* kAssignFromHeadings = "Assegna dai &titoli";
inline constexpr const char* kHeadingsNeedPreview = "Fare prima l'anteprima del foglio: i titoli sono nella sua prima riga.";
inline constexpr const char* kHeadingsAssigned = "Assegnazioni dai titoli della prima riga:";
inline constexpr const char* kHeadingsNoneFound = "Nessun titolo della prima riga corrisponde a un campo della tabella.";
inline constexpr const char* kHeadingsFieldsWithout = "Campi senza titolo: ";
inline constexpr const char* kHeadingsWithoutField = "Titoli senza campo: ";
inline constexpr const char* kHeadingsConfirm = "Salvare queste assegnazioni?";
inline constexpr const char* kUndoLastImport = "Annulla l'ultima importazione";
inline constexpr const char* kSkipExisting = "Salta i record già presenti";
inline constexpr const char* kBlankRowsNotImported = "Righe vuote non importate: ";
inline constexpr const char* kExistingSkipped = "Record già presenti saltati: ";
inline constexpr const char* kNothingToAdd =
    "Nessun record da aggiungere: ogni riga è vuota o già presente nella tabella. Il database non è stato modificato.";
inline constexpr const char* kExistingMark = "Già presente nella tabella: non sarà importato";
inline constexpr const char* kAlreadyImported = "Questo file è già stato importato nella tabella ";
inline constexpr const char* kAlreadyImportedAgain = "Importarlo di nuovo?";
inline constexpr const char* kAlreadyImportedBatch = "Per importarlo comunque, aggiungere --again.";
inline constexpr const char* kRunNotRegistered =
    "Attenzione: i record sono salvati, ma l'importazione non è stata annotata nel registro del database delle "
    "assegnazioni, quindi non potrà essere annullata: ";
inline constexpr const char* kNoImportToUndo = "Nessuna importazione da annullare per la tabella ";
inline constexpr const char* kUndoQuestion = "Annullare l'importazione nella tabella ";
inline constexpr const char* kUndoNotPossible =
    " non può essere annullata: i record aggiunti non sono stati annotati uno per uno nel registro.";
inline constexpr const char* kUndoChanged = " record sono stati modificati dopo l'importazione: annullamento non eseguito";
// A record no longer found by its identity was deleted, or, on the server, edited (an edit moves it).
inline constexpr const char* kUndoChangedOrDeleted =
    " record sono stati modificati o eliminati dopo l'importazione: annullamento non eseguito";
inline constexpr const char* kUndoDone = "Importazione annullata: record eliminati dalla tabella ";
inline constexpr const char* kUndoNotRegistered =
    "Attenzione: l'annullamento non è stato annotato nel registro del database delle assegnazioni: ";
// An import run as the register names it: "Clienti del file '/x.xls' del 03/12/2026 10:15 (5 record)".
inline constexpr const char* kRunWords = "{tabella} del file {file} del {quando} ({n} record)";
inline constexpr const char* kUndoImportInTable = "L'importazione nella tabella ";
// (end of Excel import texts)

// ---- Text import ----

// Window and its controls
inline constexpr const char* kTextImportTab = "Import dei dati";
inline constexpr const char* kTextChooseTable = "Scelta tabella";
inline constexpr const char* kTextGridCaption = "Campi caricabili della tabella";
inline constexpr const char* kTextGridField = "Campo della tabella";
inline constexpr const char* kTextGridColumn = "Colonna";
inline constexpr const char* kTextGridWidth = "Qtà chrs";
inline constexpr const char* kTextGridAssigned = "Assegnato";
inline constexpr const char* kTextStartLabel = "Inizio col.";
inline constexpr const char* kTextWidthLabel = "Qtà chrs";
inline constexpr const char* kTextAssign = "&Assegna";
inline constexpr const char* kTextClearAll = "&Elimina dati assegnati";
inline constexpr const char* kTextUnassign = "&Toglie";
inline constexpr const char* kTextFileLabel = "File di Testo";
inline constexpr const char* kTextArchiveLabel = "File di archivio :";
inline constexpr const char* kTextSheetLabel = "Nome del foglio";
inline constexpr const char* kTextTargetLabel = "Tabella di Destinazione";
inline constexpr const char* kTextColumnHint = "Il campo della tabella può corrispondere ad una  colonna del file di testo...";
inline constexpr const char* kTextColumnNumber = "Inserire il numero della colonna";
inline constexpr const char* kTextPreview = "&Anteprima";
inline constexpr const char* kTextImport = "&Importa dati";
inline constexpr const char* kTextWaiting = ".:: in attesa ::.";
inline constexpr const char* kTextFileFilter = "File Testo (*.txt)|*.txt|";
inline constexpr const char* kTextClearQuestion = "Vuoi azzerare tutti i dati per la tabella ?";
inline constexpr const char* kTextChooseFile = "Selezionare un file di testo!";
inline constexpr const char* kTextPreviewCaption = "Anteprima File TXT";
inline constexpr const char* kTextPreviewTab = "Visualizza prima riga di esempio";

// Outcome of a run
inline constexpr const char* kTextDone = "Procedura terminata!";
inline constexpr const char* kTextAdded = "Record aggiunti: ";
inline constexpr const char* kTextDuplicates = "Righe saltate perché duplicate (errore 3022): ";
inline constexpr const char* kTextNotRead = "Righe oltre la 25000ª non lette: ";
inline constexpr const char* kTextNothingImported = "Nessun record importato.";
inline constexpr const char* kTextStoppedAt = "Importazione interrotta alla riga ";
inline constexpr const char* kTextNotBegun = "Scrittura nel database '";
inline constexpr const char* kTextNotBegunEnd = "' non iniziata: ";
inline constexpr const char* kTextNotSaved = "Salvataggio nel database '";
inline constexpr const char* kTextNotSavedEnd = "' non riuscito: ";

// Why a run is refused before it writes ({tabella}, {file}, {n} an engine
// error's number and {testo} its text).
inline constexpr const char* kTextMappingsUnreadable = "Impossibile leggere le assegnazioni della tabella {tabella}: {testo}";
inline constexpr const char* kTextMappingsInvalid = "Assegnazioni non valide:";
inline constexpr const char* kTextFileReadFailed = "Impossibile leggere il file di testo '{file}': errore di lettura.";
inline constexpr const char* kTextInvalidValues = "Il file {file} contiene valori non validi:";
// "Riga 3, campo Cap: 'abc' non è un numero."
inline constexpr const char* kTextRefusedValue = "Riga {riga}, campo {campo}: {valore} {perché}.";
inline constexpr const char* kTextMoreProblems = "... e altri {n} problemi.";
inline constexpr const char* kTextTableUnreadable = "Impossibile leggere la tabella {tabella}: errore {n} - {testo}";
inline constexpr const char* kTextTableUnopenable = "Impossibile aprire la tabella {tabella}: errore {n} - {testo}";
inline constexpr const char* kTextEngineError = "errore {n} - {testo}";
inline constexpr const char* kTextOfFile = " del file ";
inline constexpr const char* kTextRowsUpTo = "alla riga {n} del file";
inline constexpr const char* kTextFileChanged = "il file di testo non si rilegge come all'inizio dell'importazione";
// A text file that cannot be read: "Impossibile leggere il file di testo '…': il file non esiste."
inline constexpr const char* kTextCannotRead = "Impossibile leggere il file di testo '{file}': {motivo}.";
inline constexpr const char* kTextFileMissing = "il file non esiste";
inline constexpr const char* kTextFileIsFolder = "è una cartella, non un file";
inline constexpr const char* kTextReadError = "errore di lettura";
// Assignments of the text import that cannot be used.
inline constexpr const char* kTextMappingRow = "Riga {n} di {tabella} ({campo}'{nome}'): ";
inline constexpr const char* kTextMappingField = "campo {nome}, ";
inline constexpr const char* kTextBadStart = "colonna di inizio {valore} non valida, deve essere tra 1 e 32767.";
inline constexpr const char* kTextBadWidth = "numero di caratteri {valore} non valido, deve essere tra 0 e 32767.";
inline constexpr const char* kTextMappingRows = "La tabella {tabella} ha {n} righe: ne servono {servono}, una per campo.";
inline constexpr const char* kTextMappingUnreadable = "Impossibile leggere le assegnazioni della tabella {tabella}: ";
inline constexpr const char* kTextMappingInvalid = "Assegnazioni non valide:";
inline constexpr const char* kTextMappingTableUnreadable =
    "Impossibile leggere la tabella {tabella} del database delle assegnazioni: errore {n} - ";
inline constexpr const char* kTextAssignmentNotSaved = "Assegnazione non salvata nella tabella {tabella}: errore {n} - ";
inline constexpr const char* kTextPreviewFailed = "Anteprima del file {file} non riuscita: ";
inline constexpr const char* kTextImportFailed = "Importazione del file {file} non riuscita: ";
// The file's encoding, shown after a preview and named in the final message.
inline constexpr const char* kTextEncoding = "Codifica: ";
// A file that is not text: "Il file '…' non è un file di testo o è danneggiato: la riga 3 contiene un carattere NUL."
inline constexpr const char* kTextNotTextFile = "Il file '";
inline constexpr const char* kTextNotTextWhy = "' non è un file di testo o è danneggiato: la riga ";
inline constexpr const char* kTextNulCharacter = " contiene un carattere NUL";
inline constexpr const char* kTextInvalidSequence = " contiene una sequenza di byte non valida in ";
inline constexpr const char* kTextNotTextAdvice = "Salvare di nuovo il file come testo e riprovare.";
// Why a number field is refused: "'100' ha più di 2 caratteri: il numero sarebbe troncato".
inline constexpr const char* kTextNumberTooLong = "ha più di ";
inline constexpr const char* kTextNumberWouldBeCut = " caratteri: il numero sarebbe troncato";
inline constexpr const char* kTextNotANumber = "non è un numero";
// The preview's refused field in the batch program: "Sottoscorta: 100 <- ha più di 2 caratteri: …".
inline constexpr const char* kTextRefusedMark = " <- ";

// (end of text import texts)

}  // namespace tessaro7::app::msg
