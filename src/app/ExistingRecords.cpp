#include "app/ExistingRecords.h"

#include "db/DataSource.h"
#include "db/FoldedText.h"

namespace tessaro7::app {

namespace {

std::string trimmed(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return std::string(text);
}

std::string nameAndTown(const StoredText& value) {
    return "n" + db::foldedText(value("nominativo")) + '\x1f' + db::foldedText(value("citta"));
}

}  // namespace

ExistingRecords::ExistingRecords(const std::string& database, const std::string& table, DuplicateRule rule)
    : m_rule(rule) {
    db::DataSource source;
    source.setDatabaseName(database);
    source.setRecordSource(rule == DuplicateRule::Article ? "select codice from " + table
                                                          : "select piva, nominativo, citta from " + table);
    source.refresh();
    for (; !source.eof(); source.moveNext())
        note([&](std::string_view field) { return source.fieldText(field); });
}

void ExistingRecords::note(const StoredText& value) {
    if (m_rule == DuplicateRule::Article) {
        if (std::string code = trimmed(value("codice")); !code.empty()) m_keys.insert("c" + code);
        return;
    }
    if (std::string piva = trimmed(value("piva")); !piva.empty()) m_keys.insert("p" + piva);
    m_keys.insert(nameAndTown(value));
}

bool ExistingRecords::presentOrNote(const StoredText& value) {
    std::string key;
    if (m_rule == DuplicateRule::Article) {
        key = "c" + trimmed(value("codice"));
        if (key.size() == 1) return false;
    } else {
        std::string piva = trimmed(value("piva"));
        key = piva.empty() ? nameAndTown(value) : "p" + piva;
    }
    if (m_keys.count(key)) return true;
    note(value);
    return false;
}

}  // namespace tessaro7::app
