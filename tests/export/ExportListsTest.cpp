// The table of the thirteen lists against an independent transcription of what
// each list shows and writes: a wrong width, heading, alignment, field, cell
// type, Null rule, selection or protection in the table fails here.
#include "export/ExportLists.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace tessaro7::exporting;

// "width heading|align field cell align rule", alignments L/R, cells T/N/W,
// rules none/empty/zero/out.
std::string describe(const ExportColumn& c) {
    auto align = [](Align a) { return a == Align::Left ? "L" : "R"; };
    const char* cell = c.cell == CellType::Text ? "T" : c.cell == CellType::Number ? "N" : "W";
    const char* rule = c.nullRule == NullRule::None        ? "none"
                       : c.nullRule == NullRule::EmptyText ? "empty"
                       : c.nullRule == NullRule::Zero      ? "zero"
                                                           : "out";
    return std::to_string(c.width) + " " + c.heading + "|" + align(c.headingAlign) + " " + c.field + " " + cell +
           " " + align(c.dataAlign) + " " + rule;
}

std::vector<std::string> describe(const ExportList& list) {
    std::vector<std::string> out;
    for (const ExportColumn& c : list.columns) out.push_back(describe(c));
    return out;
}

struct Expected {
    int number;
    std::string routine, caption, fileName, countTable, title;
    int group, item;
    std::string selection2031;
    bool protect;
    std::size_t lines;
    std::string firstLine, lastLine;
    std::vector<std::string> columns;
};

std::vector<std::string> party(const std::string& columnK, const std::string& rule) {
    return {"80 Ragione|L nominativo T L none",  "80 Sociale|L seconda_riga T L empty",
            "50 Indirizzo|L indirizzo T L " + rule, "50 Città|L citta T L " + rule,
            "10 CAP|L cap T L " + rule,           "10 PR|L pr T L " + rule,
            "20 Partita IVA|L piva T L " + rule,  "20 P.IVA CEE|L pivacee T L " + rule,
            "30 Telefono|L tel T L " + rule,      "30 Telefax|L fax T L " + rule,
            columnK,                              "50 Email|L email T L " + rule};
}

std::vector<std::string> document(const std::string& numberHeading, const std::string& total) {
    std::vector<std::string> c = {"15 " + numberHeading + "|L fattura_n W L none", "80 Nominativo|L nominativo T L none",
                                  "15 Data|L data_fattura T L none", "15 Valuta|L valuta T L none"};
    if (!total.empty()) c.push_back(total);
    return c;
}

std::vector<std::string> journal() {
    std::vector<std::string> c = {"15 Data Reg.|L data_reg T L none",     "15 Data doc.|L data doc T L none",
                                  "10 Tipo doc.|L tipo T L none",         "40 Riferimento|L riferimento T L none",
                                  "15 Movimento #|L n_movimento W R none", "15 Credito|R credito N R none",
                                  "15 Debito|R debito N R none"};
    for (int n = 1; n <= 5; ++n) {
        const std::string d = std::to_string(n);
        c.push_back("15 Imp." + d + "|R impo" + d + " N R none");
        c.push_back("15 Aliq." + d + "|R aliquota" + d + " N R none");
        c.push_back("15 IVA " + d + "|R iva" + d + " N R none");
    }
    return c;
}

const std::vector<Expected>& expected() {
    static const std::vector<Expected> lists = {
        {1, "ExportCustomers", "Clienti", "XLSClienti.xls", "clienti", "Elenco Clienti", 1, 1,
         "select * from clienti order by [nominativo]", false, 12, "Colonna A : Ragione Sociale",
         "Colonna L : Email", party("10 Listino|R listino N R empty", "empty")},
        {2, "ExportSuppliers", "Fornitori", "XLSFornitori.xls", "fornitori", "Elenco Fornitori", 1, 2,
         "select * from fornitori order by [nominativo]", false, 12, "Colonna A : Ragione Sociale",
         "Colonna L : Email", party("50 Agente|L agente T L none", "none")},
        {3, "ExportArticles", "Articoli", "XLSArticoli.xls", "articoli", "Elenco Articoli", 1, 3,
         "select * from articoli order by [codice]", false, 5, "Colonna A : Codice", "Colonna E : Ubicazione",
         {"20 Codice|L codice T L none", "80 Descrizione|L descrizione T L empty", "15 Costo Euro|R costoeuro N R out",
          "15 Esistenza|R esistenza N R zero", "80 Ubicazione|L ubicazione T L empty"}},
        {4, "ExportMunicipalities", "Comuni", "XLSComuni.xls", "comuni", "Elenco Comuni", 2, 1, "Comuni", true, 2,
         "Colonna A : Codice Comune", "Colonna B : Nome del Comune",
         {"18 Codice|L codice T L none", "72 Comune|L comune T L none"}},
        {5, "ExportDeliveryNotes", "DDT", "XLSDDT.xls", "DDT", "Elenco DDT", 2, 2,
         "select * from ddt where [anno_fattura]=2031 order by [fattura_n]", false, 4, "Colonna A : DDT Numero",
         "Colonna D : Valuta del DDT", document("DDT #", "")},
        {6, "ExportSalesInvoices", "Fatture Vendita", "XLSFTVENDITA.xls", "FatturaV", "Elenco Fatture", 2, 3,
         "select * from fatturav where [anno_fattura]=2031 order by [fattura_n]", false, 5,
         "Colonna A : Fattura Numero", "Colonna E : Totale della Fattura",
         document("Fattura #", "15 Totale|R tfattura N R none")},
        {7, "ExportCreditNotes", "Note di Credito", "XLSNOTACREDITO.xls", "NotaCredito", "Elenco Note di Credito", 2,
         4, "select * from notacredito where [anno_fattura]=2031 order by [fattura_n]", false, 5,
         "Colonna A : NC Numero", "Colonna E : Totale della NC", document("NC #", "15 Totale|R tfattura N R none")},
        {8, "ExportQuotations", "Preventivi", "XLSPREVENTIVO.xls", "Preventivo", "Elenco Preventivi", 2, 5,
         "select * from preventivo where [anno_fattura]=2031 order by [fattura_n]", false, 5,
         "Colonna A : Preventivo Numero", "Colonna E : Totale del Preventivo",
         document("Preventivo #", "15 Totale|L tpreventivo N R none")},
        {9, "ExportCustomerOrders", "Ordini Clienti", "XLSORDINI.xls", "OrdiCli", "Elenco Ordini", 2, 6,
         "select * from ordicli where [anno_fattura]=2031 order by [fattura_n]", false, 5,
         "Colonna A : Ordine Numero", "Colonna E : Totale dell'Ordine",
         document("Ordine #", "15 Totale|L tordine N R none")},
        {10, "ExportAddressBook", "Rubrica", "XLSRubrica.xls", "altrinomi", "Rubrica", 2, 7,
         "select * from altrinomi order by [nominativo]", false, 12, "Colonna A : Ragione Sociale",
         "Colonna L : Email",
         {"80 Ragione|L nominativo T L none", "80 Sociale|L seconda_riga T L empty", "50 Indirizzo|L indirizzo T L none",
          "50 Città|L citta T L none", "10 CAP|L cap T L none", "10 PR|L pr T L none", "30 Nazione|L nazione T L none",
          "30 Telefono|L tel T L none", "30 Telefono|L tel2 T L none", "30 Telefax|L fax T L none",
          "30 Telefax|L fax2 T L none", "50 Email|L email T L none", "80 WWW|L www T L none"}},
        {11, "ExportJournal", "Prima Nota", "XLSPRIMANOTA.xls", "Primanota", "Prima Nota", 2, 8,
         "select * from primanota where [anno]=2031 order by [data_reg]", false, 22, "Colonna A : Data Registrazione",
         "Colonna V : 5° IVA", journal()},
        {12, "ExportCustomerPayments", "Pagamenti Clienti", "XLSPAGAMENTICLIENTI.xls", "pagamenticlienti",
         "Pagamenti Clienti", 2, 9, "select * from pagamenticlienti where [anno]like'2031' order by [data_documento]",
         false, 6, "Colonna A : Nominativo", "Colonna F : Da Incassare",
         {"80 Nominativo|L nominativo T L none", "15 Documento #|L n_documento T L none",
          "15 Data|L data_documento T L none", "15 Valuta|L valuta T L none", "15 Importo|L importo N R none",
          "15 Da riscuotere|R da riscuotere N R none"}},
        {13, "ExportSupplierPayments", "Pagamenti Fornitori", "XLSPAGAMENTIFORNITORI.xls", "pagamentifornitori",
         "Pagamenti Fornitori", 2, 10, "select * from pagamentifornitori where [anno]like'2031' order by [data]", false,
         6, "Colonna A : Nominativo", "Colonna F : Da Saldare",
         {"80 Nominativo|L fornitore T L none", "15 Documento #|L doc_num T L none", "15 Data|L data T L none",
          "15 Valuta|L valuta T L none", "15 Importo|R totale N R none", "15 Da saldare|R da pagare N R none"}},
    };
    return lists;
}

TEST(ExportListsTest, ThirteenListsInNavigationOrder) {
    ASSERT_EQ(exportLists().size(), 13u);
    std::vector<int> numbers;
    for (const ExportList& list : exportLists()) numbers.push_back(list.number);
    EXPECT_EQ(numbers, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}));
}

TEST(ExportListsTest, EveryListAsTranscribed) {
    for (const Expected& e : expected()) {
        SCOPED_TRACE("list " + std::to_string(e.number));
        const ExportList* list = listByNumber(e.number);
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(list->routine, e.routine);
        EXPECT_EQ(list->caption, e.caption);
        EXPECT_EQ(list->fileName, e.fileName);
        EXPECT_EQ(list->countTable, e.countTable);
        EXPECT_EQ(list->title, e.title);
        EXPECT_EQ(list->group, e.group);
        EXPECT_EQ(list->item, e.item);
        EXPECT_EQ(listAt(e.group, e.item), list);
        EXPECT_EQ(list->selectionFor(2031), e.selection2031);
        EXPECT_EQ(list->protect, e.protect);
        ASSERT_EQ(list->columnLines.size(), e.lines);
        EXPECT_EQ(list->columnLines.front(), e.firstLine);
        EXPECT_EQ(list->columnLines.back(), e.lastLine);
        EXPECT_EQ(describe(*list), e.columns);
    }
}

TEST(ExportListsTest, ColumnLinesNameTheColumnsInOrder) {
    for (const ExportList& list : exportLists())
        for (std::size_t i = 0; i < list.columnLines.size(); ++i)
            EXPECT_EQ(std::string(list.columnLines[i]).substr(0, 11),
                      std::string("Colonna ") + static_cast<char>('A' + i) + " :")
                << list.caption;
    EXPECT_EQ(std::string(listByNumber(2)->columnLines[10]), "Colonna K : Agente");
    EXPECT_EQ(std::string(listByNumber(11)->columnLines[7]), "Colonna H : 1° imponibile");
    EXPECT_EQ(std::string(listByNumber(9)->columnLines[2]), "Colonna C : Data dell'Ordine");
}

TEST(ExportListsTest, OnlyTheThirteenPositionsHoldLists) {
    EXPECT_EQ(listAt(1, 4), nullptr);
    EXPECT_EQ(listAt(2, 11), nullptr);
    EXPECT_EQ(listAt(0, 1), nullptr);
    EXPECT_EQ(listAt(3, 1), nullptr);
}

TEST(ExportListsTest, ListsByNumberOrCaptionInAnyCase) {
    EXPECT_EQ(listByName("1"), listByNumber(1));
    EXPECT_EQ(listByName("13"), listByNumber(13));
    EXPECT_EQ(listByName("fatture vendita"), listByNumber(6));
    EXPECT_EQ(listByName("PRIMA NOTA"), listByNumber(11));
    EXPECT_EQ(listByName("ddt"), listByNumber(5));
    EXPECT_EQ(listByName("0"), nullptr);
    EXPECT_EQ(listByName("14"), nullptr);
    EXPECT_EQ(listByName("01"), nullptr);
    EXPECT_EQ(listByName("Fatture"), nullptr);
    EXPECT_EQ(listByName(""), nullptr);
}

}  // namespace
