#include "import_excel/ExcelTables.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "db/BusinessSchema.h"
#include "db/Names.h"

namespace tessaro7::import_excel {

namespace {

namespace s = db::schema;

// Customers and suppliers get the same eighteen text fields.
constexpr std::array<ImportField, 18> kPartyFields{{
    {s::kNominativo, FieldRule::Text, 80, ""},
    {s::kSecondaRiga, FieldRule::Text, 80, ""},
    {s::kIndirizzo, FieldRule::Text, 50, ""},
    {s::kCap, FieldRule::Text, 5, ""},
    {s::kPr, FieldRule::Text, 5, ""},
    {s::kCitta, FieldRule::Text, 50, ""},
    {s::kNazione, FieldRule::Text, 30, ""},
    {s::kCodfis, FieldRule::Text, 16, ""},
    {s::kPiva, FieldRule::Text, 11, ""},
    {s::kPivacee, FieldRule::Text, 15, ""},
    {s::kTel, FieldRule::Text, 30, ""},
    {s::kTel2, FieldRule::Text, 30, ""},
    {s::kFax, FieldRule::Text, 30, ""},
    {s::kFax2, FieldRule::Text, 30, ""},
    {s::kContatto, FieldRule::Text, 20, ""},
    {s::kTelcont, FieldRule::Text, 20, ""},
    {s::kEmail, FieldRule::Text, 50, ""},
    {s::kWww, FieldRule::Text, 80, ""},
}};

constexpr std::array<ImportField, 10> kArticleFields{{
    {s::kCodice, FieldRule::Text, 18, ""},
    {s::kDescrizione, FieldRule::Text, 250, ""},
    // A Byte column: an empty cell stores Null, a missing rate is not 0 %.
    {s::kIva, FieldRule::WholeNumber, 0, "0", false, 0, 255},
    {s::kCostoeuro, FieldRule::Number, 0, "0"},
    {s::kSottoscorta, FieldRule::Number, 0, "0"},
    {s::kGiacenzamin, FieldRule::Number, 0, "0"},
    {s::kGiacenzamax, FieldRule::Number, 0, "0"},
    {s::kEsistenza, FieldRule::Number, 0, "0"},
    {s::kCodiceabarre, FieldRule::Text, 18, ""},
    {s::kUbicazione, FieldRule::Text, 100, ""},
}};

const std::array<ExcelTable, 3> kTables{{
    {"Clienti", "clienti", "select [visualizzato],[colonna],[utilizzato] from clienti", "Tabella Clienti",
     s::kClientiSource, kPartyFields},
    {"Fornitori", "fornitori", "select [visualizzato],[colonna],[utilizzato] from fornitori", "Tabella Fornitori",
     s::kFornitoriSource, kPartyFields},
    {"Articoli", "articoli", "select [visualizzato],[colonna],[utilizzato] from articoli", "Tabella Articoli",
     s::kArticoliSource, kArticleFields},
}};

}  // namespace

std::span<const ExcelTable> excelTables() { return kTables; }

const ExcelTable* findExcelTable(std::string_view name) {
    for (const ExcelTable& t : kTables)
        if (db::sameName(t.mappingTable, name) || db::sameName(t.choice, name)) return &t;
    return nullptr;
}

}  // namespace tessaro7::import_excel
