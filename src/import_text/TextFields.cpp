#include "import_text/TextFields.h"

#include "db/BusinessSchema.h"

namespace tessaro7::import_text {

namespace {

namespace s = db::schema;
constexpr auto kNo = WhenUnassigned::NotWritten;
constexpr auto kZero = WhenUnassigned::Zero;

// The captions stand as the preview has always shown them, "Pratita" and the
// repeated "Telefono"/"Telefax" included.
constexpr TextField kPartyFields[] = {
    {s::kNominativo, "Ragione", 80, false, kNo},
    {s::kSecondaRiga, "Sociale", 80, false, kNo},
    {s::kIndirizzo, "Indirizzo", 50, false, kNo},
    {s::kCap, "CAP", 5, false, kNo},
    {s::kPr, "Provincia", 2, false, kNo},
    {s::kCitta, "Città", 50, false, kNo},
    {s::kNazione, "Nazione", 30, false, kNo},
    {s::kCodfis, "Codice Fiscale", 16, false, kNo},
    {s::kPiva, "Partita IVA", 15, false, kNo},
    {s::kPivacee, "Pratita IVA CEE", 15, false, kNo},
    {s::kTel, "Telefono", 30, false, kNo},
    {s::kTel2, "Telefono", 30, false, kNo},
    {s::kFax, "Telefax", 30, false, kNo},
    {s::kFax2, "Telefax", 30, false, kNo},
    {s::kContatto, "Contatto", 20, false, kNo},
    {s::kTelcont, "Tel Contatto", 20, false, kNo},
    {s::kEmail, "Email", 50, false, kNo},
    {s::kWww, "WWW", 80, false, kNo},
};

constexpr TextField kArticleFields[] = {
    {s::kCodice, "Codice", 18, false, kNo},
    {s::kDescrizione, "Descrizione", 250, false, kNo},
    {s::kIva, "% IVA", 3, true, kZero},
    {s::kCostoeuro, "Costo EURO", 9, true, kZero},
    {s::kSottoscorta, "Sottoscorta", 2, true, kZero},
    {s::kGiacenzamin, "Giacenza MIN", 50, true, kZero},
    {s::kGiacenzamax, "Giacenza MAX", 30, true, kZero},
    {s::kEsistenza, "Esistenza", 16, true, kZero},
    {s::kCodiceabarre, "Codice a Barre", 15, false, kNo},
    {s::kUbicazione, "Ubicazione", 100, false, kNo},
};

constexpr FixedValue kCustomerFixed[] = {
    {s::kValuta, "EURO"},
    {s::kListino, "A00"},
    {s::kDescListino, "Listino in percentuale 100%"},
};

constexpr FixedValue kSupplierFixed[] = {
    {s::kValuta, "EURO"},
};

constexpr FixedValue kArticleFixed[] = {
    {s::kArticleFixedFields[0], "0"},  {s::kArticleFixedFields[1], "0"},  {s::kArticleFixedFields[2], "0"},
    {s::kArticleFixedFields[3], "0"},  {s::kArticleFixedFields[4], "0"},  {s::kArticleFixedFields[5], "0"},
    {s::kArticleFixedFields[6], "0"},  {s::kArticleFixedFields[7], "0"},  {s::kArticleFixedFields[8], "0"},
    {s::kArticleFixedFields[9], "0"},  {s::kArticleFixedFields[10], "0"}, {s::kArticleFixedFields[11], "0"},
    {s::kArticleFixedFields[12], "0"},
};
static_assert(std::size(kArticleFixed) == std::size(s::kArticleFixedFields));
static_assert(std::size(kPartyFields) == kPreviewRows);

const TextTableFields kTables[] = {
    {TextTable::Clienti, s::kClientiSource, kPartyFields, kCustomerFixed, false},
    {TextTable::Fornitori, s::kFornitoriSource, kPartyFields, kSupplierFixed, false},
    {TextTable::Articoli, s::kArticoliSource, kArticleFields, kArticleFixed, true},
};

}  // namespace

const TextTableFields& fieldsOf(TextTable table) {
    for (const TextTableFields& t : kTables)
        if (t.table == table) return t;
    return kTables[0];
}

}  // namespace tessaro7::import_text
