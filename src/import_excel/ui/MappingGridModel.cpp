#include "import_excel/ui/MappingGridModel.h"

#include "app/Messages.h"
#include "import_excel/ColumnName.h"

namespace tessaro7::import_excel::ui {

MappingGridModel::MappingGridModel(const ExcelMappingStore& store, QObject* parent)
    : QAbstractTableModel(parent), m_store(store) {}

int MappingGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_store.rows().size());
}

int MappingGridModel::columnCount(const QModelIndex& parent) const {
    // No columns before a table is chosen: the grid is empty then.
    return parent.isValid() || !m_store.table() ? 0 : 3;
}

QVariant MappingGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const MappingRow& row = m_store.rows()[static_cast<std::size_t>(index.row())];
    switch (index.column()) {
    case 0:
        if (role == Qt::DisplayRole) return QString::fromStdString(row.visualizzato);
        break;
    case 1:
        // The number the import uses and, once assigned, the sheet's name of that column (0 = A).
        if (role == Qt::DisplayRole)
            return row.utilizzato ? QString("%1 (%2)").arg(row.colonna).arg(QString::fromStdString(columnName(row.colonna)))
                                  : QString::number(row.colonna);
        if (role == Qt::TextAlignmentRole) return int(Qt::AlignRight | Qt::AlignVCenter);
        break;
    case 2:
        if (role == Qt::CheckStateRole) return row.utilizzato ? Qt::Checked : Qt::Unchecked;
        break;
    }
    return {};
}

QVariant MappingGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return section + 1;
    switch (section) {
    case 0: return QString(app::msg::kGridFieldColumn);
    case 1: return QString(app::msg::kGridColumnColumn);
    case 2: return QString(app::msg::kGridAssignedColumn);
    }
    return {};
}

void MappingGridModel::reload() {
    beginResetModel();
    endResetModel();
}

}  // namespace tessaro7::import_excel::ui
