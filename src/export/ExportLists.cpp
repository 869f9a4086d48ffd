#include "export/ExportLists.h"

#include <algorithm>
#include <cctype>

#include "db/BusinessSchema.h"

namespace tessaro7::exporting {

namespace s = db::schema;

namespace {

constexpr Align L = Align::Left;
constexpr Align R = Align::Right;
constexpr CellType Text = CellType::Text;
constexpr CellType Number = CellType::Number;
constexpr CellType Whole = CellType::Whole;
constexpr NullRule None = NullRule::None;
constexpr NullRule Empty = NullRule::EmptyText;

// A text column with heading and data on the left.
ExportColumn text(int width, const char* heading, const char* field, NullRule rule) {
    return {width, heading, L, field, Text, L, rule};
}

// Customers and suppliers share every column but K.
std::vector<ExportColumn> partyColumns(ExportColumn columnK, NullRule rule) {
    return {
        text(80, "Ragione", s::kNominativo, None),
        text(80, "Sociale", s::kSecondaRiga, Empty),
        text(50, "Indirizzo", s::kIndirizzo, rule),
        text(50, "Città", s::kCitta, rule),
        text(10, "CAP", s::kCap, rule),
        text(10, "PR", s::kPr, rule),
        text(20, "Partita IVA", s::kPiva, rule),
        text(20, "P.IVA CEE", s::kPivacee, rule),
        text(30, "Telefono", s::kTel, rule),
        text(30, "Telefax", s::kFax, rule),
        columnK,
        text(50, "Email", s::kEmail, rule),
    };
}

std::vector<const char*> partyLines(const char* lineK) {
    return {"Colonna A : Ragione Sociale", "Colonna B : Ragione Sociale", "Colonna C : Indirizzo",
            "Colonna D : Città",           "Colonna E : CAP",             "Colonna F : Provincia",
            "Colonna G : Partita IVA",     "Colonna H : Partita IVA CEE", "Colonna I : Telefono",
            "Colonna J : Telefax",         lineK,                         "Colonna L : Email"};
}

// The five yearly documents: number, customer, date, currency and, except for
// delivery notes, the total.
std::vector<ExportColumn> documentColumns(const char* numberHeading, const char* totalField, Align totalHeading) {
    std::vector<ExportColumn> columns = {
        {15, numberHeading, L, s::kFatturaN, Whole, L, None},
        text(80, "Nominativo", s::kNominativo, None),
        text(15, "Data", s::kDataFattura, None),
        text(15, "Valuta", s::kValutaDoc, None),
    };
    if (totalField) columns.push_back({15, "Totale", totalHeading, totalField, Number, R, None});
    return columns;
}

std::vector<const char*> documentLines(const char* a, const char* c, const char* d, const char* e) {
    std::vector<const char*> lines = {a, "Colonna B : Nominativo", c, d};
    if (e) lines.push_back(e);
    return lines;
}

std::vector<ExportColumn> journalColumns() {
    std::vector<ExportColumn> columns = {
        text(15, "Data Reg.", s::kDataReg, None),
        text(15, "Data doc.", s::kDataDoc, None),
        text(10, "Tipo doc.", s::kTipo, None),
        text(40, "Riferimento", s::kRiferimento, None),
        {15, "Movimento #", L, s::kNMovimento, Whole, R, None},
        {15, "Credito", R, s::kCredito, Number, R, None},
        {15, "Debito", R, s::kDebito, Number, R, None},
    };
    static const char* const headings[5][3] = {{"Imp.1", "Aliq.1", "IVA 1"}, {"Imp.2", "Aliq.2", "IVA 2"},
                                               {"Imp.3", "Aliq.3", "IVA 3"}, {"Imp.4", "Aliq.4", "IVA 4"},
                                               {"Imp.5", "Aliq.5", "IVA 5"}};
    for (int n = 0; n < 5; ++n) {
        columns.push_back({15, headings[n][0], R, s::kImpo[n], Number, R, None});
        columns.push_back({15, headings[n][1], R, s::kAliquota[n], Number, R, None});
        columns.push_back({15, headings[n][2], R, s::kIvaN[n], Number, R, None});
    }
    return columns;
}

// The master data: customers, suppliers, articles.
std::vector<ExportList> masterDataLists() {
    return {
        {1, "ExportCustomers", 1, 1, "Clienti", "XLSClienti.xls", "clienti", "Elenco Clienti",
         partyLines("Colonna K : Listino"), "select * from clienti order by [nominativo]", nullptr, false,
         // The price-list code is a text; a code that is not a number leaves the cell empty.
         partyColumns({10, "Listino", R, s::kListino, Number, R, Empty}, Empty)},
        {2, "ExportSuppliers", 1, 2, "Fornitori", "XLSFornitori.xls", "fornitori", "Elenco Fornitori",
         partyLines("Colonna K : Agente"), "select * from fornitori order by [nominativo]", nullptr, false,
         partyColumns(text(50, "Agente", s::kAgente, None), None)},
        {3, "ExportArticles", 1, 3, "Articoli", "XLSArticoli.xls", "articoli", "Elenco Articoli",
         {"Colonna A : Codice", "Colonna B : Descrizione", "Colonna C : Costo Euro", "Colonna D : Esistenza",
          "Colonna E : Ubicazione"},
         "select * from articoli order by [codice]", nullptr, false,
         {
             text(20, "Codice", s::kCodice, None),
             text(80, "Descrizione", s::kDescrizione, Empty),
             {15, "Costo Euro", R, s::kCostoeuro, Number, R, NullRule::LeftOut},
             {15, "Esistenza", R, s::kEsistenza, Number, R, NullRule::Zero},
             text(80, "Ubicazione", s::kUbicazione, Empty),
         }},
    };
}

// Municipalities and the documents of a year.
std::vector<ExportList> documentLists() {
    return {
        {4, "ExportMunicipalities", 2, 1, "Comuni", "XLSComuni.xls", "comuni", "Elenco Comuni",
         {"Colonna A : Codice Comune", "Colonna B : Nome del Comune"}, "Comuni", nullptr, true,
         {text(18, "Codice", s::kCodice, None), text(72, "Comune", s::kComune, None)}},
        {5, "ExportDeliveryNotes", 2, 2, "DDT", "XLSDDT.xls", "DDT", "Elenco DDT",
         documentLines("Colonna A : DDT Numero", "Colonna C : Data del DDT", "Colonna D : Valuta del DDT", nullptr),
         "select * from ddt where [anno_fattura]=", " order by [fattura_n]", false,
         documentColumns("DDT #", nullptr, L)},
        {6, "ExportSalesInvoices", 2, 3, "Fatture Vendita", "XLSFTVENDITA.xls", "FatturaV", "Elenco Fatture",
         documentLines("Colonna A : Fattura Numero", "Colonna C : Data della Fattura",
                       "Colonna D : Valuta della Fattura", "Colonna E : Totale della Fattura"),
         "select * from fatturav where [anno_fattura]=", " order by [fattura_n]", false,
         documentColumns("Fattura #", s::kTFattura, R)},
        {7, "ExportCreditNotes", 2, 4, "Note di Credito", "XLSNOTACREDITO.xls", "NotaCredito",
         "Elenco Note di Credito",
         documentLines("Colonna A : NC Numero", "Colonna C : Data della NC", "Colonna D : Valuta della NC",
                       "Colonna E : Totale della NC"),
         "select * from notacredito where [anno_fattura]=", " order by [fattura_n]", false,
         documentColumns("NC #", s::kTFattura, R)},
        {8, "ExportQuotations", 2, 5, "Preventivi", "XLSPREVENTIVO.xls", "Preventivo", "Elenco Preventivi",
         documentLines("Colonna A : Preventivo Numero", "Colonna C : Data del Preventivo",
                       "Colonna D : Valuta del Preventivo", "Colonna E : Totale del Preventivo"),
         "select * from preventivo where [anno_fattura]=", " order by [fattura_n]", false,
         documentColumns("Preventivo #", s::kTPreventivo, L)},
        {9, "ExportCustomerOrders", 2, 6, "Ordini Clienti", "XLSORDINI.xls", "OrdiCli", "Elenco Ordini",
         documentLines("Colonna A : Ordine Numero", "Colonna C : Data dell'Ordine", "Colonna D : Valuta dell'Ordine",
                       "Colonna E : Totale dell'Ordine"),
         "select * from ordicli where [anno_fattura]=", " order by [fattura_n]", false,
         documentColumns("Ordine #", s::kTOrdine, L)},
    };
}

// The address book, the journal and the payments.
std::vector<ExportList> bookLists() {
    return {
        {10, "ExportAddressBook", 2, 7, "Rubrica", "XLSRubrica.xls", "altrinomi", "Rubrica",
         {"Colonna A : Ragione Sociale", "Colonna B : Ragione Sociale", "Colonna C : Indirizzo", "Colonna D : Città",
          "Colonna E : CAP", "Colonna F : Provincia", "Colonna G : Nazione", "Colonna H : Telefono",
          "Colonna I : Telefono", "Colonna J : Telefax", "Colonna K : Telefax", "Colonna L : Email"},
         "select * from altrinomi order by [nominativo]", nullptr, false,
         {
             text(80, "Ragione", s::kNominativo, None),
             text(80, "Sociale", s::kSecondaRiga, Empty),
             text(50, "Indirizzo", s::kIndirizzo, None),
             text(50, "Città", s::kCitta, None),
             text(10, "CAP", s::kCap, None),
             text(10, "PR", s::kPr, None),
             text(30, "Nazione", s::kNazione, None),
             text(30, "Telefono", s::kTel, None),
             text(30, "Telefono", s::kTel2, None),
             text(30, "Telefax", s::kFax, None),
             text(30, "Telefax", s::kFax2, None),
             text(50, "Email", s::kEmail, None),
             text(80, "WWW", s::kWww, None),
         }},
        {11, "ExportJournal", 2, 8, "Prima Nota", "XLSPRIMANOTA.xls", "Primanota", "Prima Nota",
         {"Colonna A : Data Registrazione", "Colonna B : Data Documento", "Colonna C : Tipo documento",
          "Colonna D : Riferimento",        "Colonna E : # movimento",   "Colonna F : Credito",
          "Colonna G : Debito",             "Colonna H : 1° imponibile", "Colonna I : 1° aliquota",
          "Colonna J : 1° IVA",             "Colonna K : 2° imponibile", "Colonna L : 2° aliquota",
          "Colonna M : 2° IVA",             "Colonna N : 3° imponibile", "Colonna O : 3° aliquota",
          "Colonna P : 3° IVA",             "Colonna Q : 4° imponibile", "Colonna R : 4° aliquota",
          "Colonna S : 4° IVA",             "Colonna T : 5° imponibile", "Colonna U : 5° aliquota",
          "Colonna V : 5° IVA"},
         "select * from primanota where [anno]=", " order by [data_reg]", false, journalColumns()},
        {12, "ExportCustomerPayments", 2, 9, "Pagamenti Clienti", "XLSPAGAMENTICLIENTI.xls", "pagamenticlienti",
         "Pagamenti Clienti",
         {"Colonna A : Nominativo", "Colonna B : # Documento", "Colonna C : Data documento", "Colonna D : Valuta",
          "Colonna E : Importo", "Colonna F : Da Incassare"},
         "select * from pagamenticlienti where [anno]like'", "' order by [data_documento]", false,
         {
             text(80, "Nominativo", s::kNominativo, None),
             text(15, "Documento #", s::kNDocumento, None),
             text(15, "Data", s::kDataDocumento, None),
             text(15, "Valuta", s::kValutaDoc, None),
             {15, "Importo", L, s::kImporto, Number, R, None},
             {15, "Da riscuotere", R, s::kDaRiscuotere, Number, R, None},
         }},
        {13, "ExportSupplierPayments", 2, 10, "Pagamenti Fornitori", "XLSPAGAMENTIFORNITORI.xls",
         "pagamentifornitori", "Pagamenti Fornitori",
         {"Colonna A : Nominativo", "Colonna B : # Documento", "Colonna C : Data documento", "Colonna D : Valuta",
          "Colonna E : Importo", "Colonna F : Da Saldare"},
         "select * from pagamentifornitori where [anno]like'", "' order by [data]", false,
         {
             text(80, "Nominativo", s::kFornitore, None),
             text(15, "Documento #", s::kDocNum, None),
             text(15, "Data", s::kData, None),
             text(15, "Valuta", s::kValutaDoc, None),
             {15, "Importo", R, s::kTotale, Number, R, None},
             {15, "Da saldare", R, s::kDaPagare, Number, R, None},
         }},
    };
}

std::vector<ExportList> makeLists() {
    std::vector<ExportList> lists = masterDataLists();
    for (auto part : {documentLists(), bookLists()})
        lists.insert(lists.end(), std::make_move_iterator(part.begin()), std::make_move_iterator(part.end()));
    return lists;
}

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

}  // namespace

std::string ExportList::selectionFor(int year) const {
    if (!yearly()) return selection;
    return selection + std::to_string(year) + afterYear;
}

const std::vector<ExportList>& exportLists() {
    static const std::vector<ExportList> lists = makeLists();
    return lists;
}

const ExportList* listByNumber(int number) {
    for (const ExportList& list : exportLists())
        if (list.number == number) return &list;
    return nullptr;
}

const ExportList* listAt(int group, int item) {
    for (const ExportList& list : exportLists())
        if (list.group == group && list.item == item) return &list;
    return nullptr;
}

const ExportList* listByName(const std::string& name) {
    const std::string wanted = lowered(name);
    for (const ExportList& list : exportLists())
        if (wanted == std::to_string(list.number) || wanted == lowered(list.caption)) return &list;
    return nullptr;
}

}  // namespace tessaro7::exporting
