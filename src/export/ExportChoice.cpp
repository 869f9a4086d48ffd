#include "export/ExportChoice.h"

#include "db/DataSource.h"
#include "db/RegionalText.h"

namespace tessaro7::exporting {

long countListRecords(const ExportList& list, const std::string& databasePath) {
    db::DataSource data;
    data.setDatabaseName(databasePath);
    // Counted by the engine rather than by a pass over every row.
    data.setRecordSource(std::string("select count(*) from [") + list.countTable + "]");
    data.refresh();
    return static_cast<long>(data.field(std::size_t{0}).toNumber().value_or(0));
}

ExportRequest exportRequest(const std::string& countText, const std::string& listNumberText) {
    if (db::leadingNumber(countText) == 0) return {ExportRequest::Action::Refuse};
    for (const ExportList& list : exportLists())
        if (listNumberText == std::to_string(list.number)) return {ExportRequest::Action::Run, &list};
    return {ExportRequest::Action::Nothing};
}

}  // namespace tessaro7::exporting
