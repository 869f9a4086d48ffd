#include "import_excel/HeadingMatch.h"

#include <algorithm>
#include <array>

#include "app/Messages.h"
#include "db/FoldedText.h"
#include "db/Names.h"

namespace tessaro7::import_excel {

namespace {

constexpr std::array<HeadingSynonyms, 28> kSynonyms{{
    {"nominativo", "ragione sociale|denominazione|cliente|fornitore|nome|intestazione"},
    {"seconda_riga", "seconda riga|ragione sociale 2|seconda riga ragione sociale"},
    {"indirizzo", "via|sede|indirizzo sede"},
    {"cap", "c.a.p.|codice postale|codice avviamento postale"},
    {"pr", "provincia|prov|sigla provincia"},
    {"citta", "città|comune|località|localita|paese"},
    {"nazione", "stato|nazionalità"},
    {"codfis", "codice fiscale|cod. fiscale|cod. fisc.|cf"},
    {"piva", "partita iva|p.iva|p. iva|partita i.v.a.|vat|vat number"},
    {"pivacee", "partita iva cee|p.iva cee|partita iva ue|vat cee"},
    {"tel", "telefono|tel.|telefono 1"},
    {"tel2", "telefono 2|secondo telefono|cellulare"},
    {"fax", "telefax|fax 1"},
    {"fax2", "telefax 2|secondo fax"},
    {"contatto", "referente|persona da contattare|contatto"},
    {"telcont", "telefono del contatto|telefono contatto|telefono referente"},
    {"email", "e-mail|posta elettronica|mail|indirizzo email"},
    {"www", "sito|sito web|sito internet|web|internet"},
    {"codice", "cod. articolo|codice articolo|articolo|sku|cod."},
    {"descrizione", "descrizione articolo|descr.|prodotto"},
    {"iva", "aliquota|aliquota iva|% iva"},
    {"costoeuro", "costo|prezzo di acquisto|costo euro|prezzo acquisto"},
    {"sottoscorta", "sotto scorta|scorta"},
    {"giacenzamin", "giacenza minima|scorta minima"},
    {"giacenzamax", "giacenza massima|scorta massima"},
    {"esistenza", "giacenza|quantità|quantita|qta|qtà|disponibilità"},
    {"codiceabarre", "codice a barre|ean|barcode|codice ean"},
    {"ubicazione", "posizione|scaffale|collocazione"},
}};

// The keys that name field k: its caption and name first, then its synonyms.
std::vector<std::string> ownKeys(const ImportField& field, const MappingRow& row) {
    return {headingKey(row.visualizzato), headingKey(field.name)};
}

std::vector<std::string> synonymKeys(const ImportField& field) {
    std::vector<std::string> keys;
    for (const HeadingSynonyms& s : kSynonyms) {
        if (!db::sameName(s.field, field.name)) continue;
        std::string_view list = s.synonyms;
        for (std::size_t start = 0; start <= list.size();) {
            std::size_t end = std::min(list.find('|', start), list.size());
            keys.push_back(headingKey(list.substr(start, end - start)));
            start = end + 1;
        }
    }
    return keys;
}

}  // namespace

std::span<const HeadingSynonyms> headingSynonyms() { return kSynonyms; }

std::string headingKey(std::string_view heading) { return db::lettersAndDigits(heading); }

HeadingMatch matchHeadings(const ExcelTable& table, const std::vector<MappingRow>& rows, const PreviewGrid& grid) {
    const std::size_t fields = std::min(table.fields.size(), rows.size());
    std::vector<std::string> headings;
    for (long c = 0; grid.PreviewRows() > 0 && c < grid.PreviewCols(); ++c)
        headings.push_back(headingKey(grid.cell(0, c)));
    std::vector<bool> used(headings.size(), false);
    std::vector<long> columnOf(fields, -1);
    auto take = [&](std::size_t k, const std::vector<std::string>& keys) {
        for (std::size_t c = 0; c < headings.size() && columnOf[k] < 0; ++c)
            if (!used[c] && !headings[c].empty() && std::find(keys.begin(), keys.end(), headings[c]) != keys.end()) {
                used[c] = true;
                columnOf[k] = static_cast<long>(c);
            }
    };
    for (std::size_t k = 0; k < fields; ++k) take(k, ownKeys(table.fields[k], rows[k]));
    for (std::size_t k = 0; k < fields; ++k)
        if (columnOf[k] < 0) take(k, synonymKeys(table.fields[k]));

    HeadingMatch match;
    for (std::size_t k = 0; k < fields; ++k) {
        if (columnOf[k] >= 0)
            match.assigned.push_back({k, columnOf[k], std::string(grid.cell(0, columnOf[k]))});
        else
            match.fieldsWithout.push_back(k);
    }
    for (std::size_t c = 0; c < headings.size(); ++c)
        if (!used[c] && !headings[c].empty()) match.headingsWithout.emplace_back(grid.cell(0, static_cast<long>(c)));
    return match;
}

void assignFromHeadings(ExcelMappingStore& store, const HeadingMatch& match) {
    for (const HeadingAssignment& a : match.assigned) store.assign(a.row, std::to_string(a.column));
    for (std::size_t row : match.fieldsWithout) store.unassign(row);
}

std::vector<std::string> headingMatchLines(const HeadingMatch& match, const std::vector<MappingRow>& rows) {
    std::vector<std::string> lines;
    if (match.assigned.empty()) {
        lines.emplace_back(app::msg::kHeadingsNoneFound);
    } else {
        lines.emplace_back(app::msg::kHeadingsAssigned);
        for (const HeadingAssignment& a : match.assigned)
            lines.push_back(rows[a.row].visualizzato + " <- colonna " + std::to_string(a.column) + " \"" + a.heading +
                            "\"");
    }
    std::string without;
    for (std::size_t row : match.fieldsWithout) without += (without.empty() ? "" : ", ") + rows[row].visualizzato;
    if (!without.empty()) lines.push_back(app::msg::kHeadingsFieldsWithout + without);
    std::string headings;
    for (const std::string& h : match.headingsWithout) headings += (headings.empty() ? "\"" : ", \"") + h + "\"";
    if (!headings.empty()) lines.push_back(app::msg::kHeadingsWithoutField + headings);
    return lines;
}

}  // namespace tessaro7::import_excel
