#include "import_excel/RowPlan.h"

#include <optional>

#include "app/ExistingRecords.h"
#include "db/Names.h"
#include "import_excel/ExcelImport.h"

namespace tessaro7::import_excel {

namespace {

bool blankText(std::string_view text) { return text.find_first_not_of(" \t\r\n") == std::string_view::npos; }

// The mapping rows past the table's fields feed nothing.
bool blankRow(const ExcelTable& table, const std::vector<MappingRow>& mapping, const PreviewGrid& grid, long r) {
    for (std::size_t k = 0; k < table.fields.size() && k < mapping.size(); ++k)
        if (mapping[k].utilizzato && !blankText(grid.cell(r, static_cast<long>(mapping[k].colonna)))) return false;
    return true;
}

}  // namespace

RowPlan planRows(const ExcelTable& table, const std::vector<MappingRow>& mapping, const PreviewGrid& grid,
                 const std::string& database, bool skipExisting) {
    RowPlan plan;
    plan.actions.assign(static_cast<std::size_t>(std::max(grid.PreviewRows(), 0L)), RowAction::Blank);
    std::optional<app::ExistingRecords> existing;
    if (skipExisting)
        existing.emplace(database, table.mappingTable,
                         db::sameName(table.mappingTable, "articoli") ? app::DuplicateRule::Article : app::DuplicateRule::Party);
    for (long r = 1; r < grid.PreviewRows(); ++r) {
        RowAction& action = plan.actions[static_cast<std::size_t>(r)];
        if (blankRow(table, mapping, grid, r)) {
            ++plan.blank;
            continue;
        }
        auto stored = [&](std::string_view name) {
            for (std::size_t k = 0; k < table.fields.size() && k < mapping.size(); ++k)
                if (db::sameName(table.fields[k].name, name))
                    return mapping[k].utilizzato ? cutText(grid.cell(r, static_cast<long>(mapping[k].colonna)),
                                                           table.fields[k].cut)
                                                 : std::string(table.fields[k].unassigned);
            return std::string();
        };
        if (existing && existing->presentOrNote(stored)) {
            action = RowAction::Present;
            ++plan.present;
            continue;
        }
        action = RowAction::Write;
        ++plan.toWrite;
    }
    return plan;
}

}  // namespace tessaro7::import_excel
