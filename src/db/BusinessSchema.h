#pragma once
// Every table and field of the business database that the system touches,
// spelled as the system spells it (the engine compares names without regard
// to case, so "Clienti" and "clienti" name one table).
namespace tessaro7::db::schema {

// Tables
inline constexpr const char* kClienti = "clienti";
inline constexpr const char* kFornitori = "fornitori";
inline constexpr const char* kAltrinomi = "altrinomi";
inline constexpr const char* kArticoli = "articoli";
inline constexpr const char* kComuni = "comuni";
inline constexpr const char* kDdt = "ddt";
inline constexpr const char* kFatturaV = "fatturav";
inline constexpr const char* kNotaCredito = "notacredito";
inline constexpr const char* kPreventivo = "preventivo";
inline constexpr const char* kOrdiCli = "ordicli";
inline constexpr const char* kPrimaNota = "primanota";
inline constexpr const char* kPagamentiClienti = "pagamenticlienti";
inline constexpr const char* kPagamentiFornitori = "pagamentifornitori";

// Record sources the imports append through.
inline constexpr const char* kClientiSource = "Clienti";
inline constexpr const char* kFornitoriSource = "Fornitori";
inline constexpr const char* kArticoliSource = "Articoli";

// Customers and suppliers (the party field list, in mapping-row order).
inline constexpr const char* kNominativo = "nominativo";
inline constexpr const char* kSecondaRiga = "seconda_riga";
inline constexpr const char* kIndirizzo = "indirizzo";
inline constexpr const char* kCap = "cap";
inline constexpr const char* kPr = "pr";
inline constexpr const char* kCitta = "citta";
inline constexpr const char* kNazione = "nazione";
inline constexpr const char* kCodfis = "codfis";
inline constexpr const char* kPiva = "piva";
inline constexpr const char* kPivacee = "pivacee";
inline constexpr const char* kTel = "tel";
inline constexpr const char* kTel2 = "tel2";
inline constexpr const char* kFax = "fax";
inline constexpr const char* kFax2 = "fax2";
inline constexpr const char* kContatto = "contatto";
inline constexpr const char* kTelcont = "telcont";
inline constexpr const char* kEmail = "email";
inline constexpr const char* kWww = "www";
inline constexpr const char* kPartyFields[] = {kNominativo, kSecondaRiga, kIndirizzo, kCap, kPr, kCitta,
                                               kNazione, kCodfis, kPiva, kPivacee, kTel, kTel2,
                                               kFax, kFax2, kContatto, kTelcont, kEmail, kWww};
inline constexpr const char* kListino = "listino";
inline constexpr const char* kValuta = "Valuta";
inline constexpr const char* kDescListino = "DescListino";
inline constexpr const char* kAgente = "agente";

// Articles (the article field list, in mapping-row order).
inline constexpr const char* kCodice = "codice";
inline constexpr const char* kDescrizione = "descrizione";
inline constexpr const char* kIva = "iva";
inline constexpr const char* kCostoeuro = "costoeuro";
inline constexpr const char* kSottoscorta = "sottoscorta";
inline constexpr const char* kGiacenzamin = "giacenzamin";
inline constexpr const char* kGiacenzamax = "giacenzamax";
inline constexpr const char* kEsistenza = "esistenza";
inline constexpr const char* kCodiceabarre = "codiceabarre";
inline constexpr const char* kUbicazione = "ubicazione";
inline constexpr const char* kArticleFields[] = {kCodice, kDescrizione, kIva, kCostoeuro, kSottoscorta,
                                                 kGiacenzamin, kGiacenzamax, kEsistenza, kCodiceabarre, kUbicazione};
// Set to "0" in every article the text import appends.
inline constexpr const char* kArticleFixedFields[] = {
    "Fisso1IE", "Fisso2IE", "Fisso3IE", "Fisso4IE", "Fisso5IE", "Fisso1IC", "Fisso2IC",
    "Fisso3IC", "Fisso4IC", "Fisso5IC", "ValoreCaricoEU", "CostoPrecedente", "CostoMedioPonderato"};

// Municipalities
inline constexpr const char* kComune = "comune";

// Yearly documents (ddt, fatturav, notacredito, preventivo, ordicli)
inline constexpr const char* kAnnoFattura = "anno_fattura";
inline constexpr const char* kFatturaN = "fattura_n";
inline constexpr const char* kDataFattura = "data_fattura";
inline constexpr const char* kValutaDoc = "valuta";
inline constexpr const char* kTFattura = "tfattura";
inline constexpr const char* kTPreventivo = "tpreventivo";
inline constexpr const char* kTOrdine = "tordine";

// Journal
inline constexpr const char* kAnno = "anno";
inline constexpr const char* kDataReg = "data_reg";
inline constexpr const char* kDataDoc = "data doc";
inline constexpr const char* kTipo = "tipo";
inline constexpr const char* kRiferimento = "riferimento";
inline constexpr const char* kNMovimento = "n_movimento";
inline constexpr const char* kCredito = "credito";
inline constexpr const char* kDebito = "debito";
inline constexpr const char* kImpo[] = {"impo1", "impo2", "impo3", "impo4", "impo5"};
inline constexpr const char* kAliquota[] = {"aliquota1", "aliquota2", "aliquota3", "aliquota4", "aliquota5"};
inline constexpr const char* kIvaN[] = {"iva1", "iva2", "iva3", "iva4", "iva5"};

// Customer payments
inline constexpr const char* kNDocumento = "n_documento";
inline constexpr const char* kDataDocumento = "data_documento";
inline constexpr const char* kImporto = "importo";
inline constexpr const char* kDaRiscuotere = "da riscuotere";

// Supplier payments
inline constexpr const char* kFornitore = "fornitore";
inline constexpr const char* kDocNum = "doc_num";
inline constexpr const char* kData = "data";
inline constexpr const char* kTotale = "totale";
inline constexpr const char* kDaPagare = "da pagare";

// The tables the batch program's info counts.
inline constexpr const char* kBusinessTables[] = {kClienti, kFornitori, kAltrinomi, kArticoli, kComuni,
                                                  kDdt, kFatturaV, kNotaCredito, kPreventivo, kOrdiCli,
                                                  kPrimaNota, kPagamentiClienti, kPagamentiFornitori};

}  // namespace tessaro7::db::schema
