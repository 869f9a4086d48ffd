#include "export/ExportChoice.h"

#include "db/DataSource.h"
#include "db/RegionalText.h"

namespace tessaro7::exporting {

long countListRecords(const ExportList& list, const std::string& databasePath) {
    db::DataSource data;
    data.setDatabaseName(databasePath);
    data.setRecordSource(list.countTable);
    data.refresh();
    return data.recordCount();  // the whole table, counted by the engine
}

ExportRequest exportRequest(const std::string& countText, const std::string& listNumberText) {
    if (db::leadingValue(countText) == 0) return {ExportRequest::Action::Refuse};
    for (const ExportList& list : exportLists())
        if (listNumberText == std::to_string(list.number)) return {ExportRequest::Action::Run, &list};
    return {ExportRequest::Action::Nothing};
}

}  // namespace tessaro7::exporting
