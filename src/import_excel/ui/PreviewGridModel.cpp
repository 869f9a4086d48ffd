#include "import_excel/ui/PreviewGridModel.h"

#include "import_excel/ColumnName.h"

namespace tessaro7::import_excel::ui {

PreviewGridModel::PreviewGridModel(const PreviewGrid& grid, QObject* parent) : QAbstractTableModel(parent), m_grid(grid) {}

int PreviewGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_grid.PreviewRows());
}

int PreviewGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_grid.PreviewCols());
}

QVariant PreviewGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole) return {};
    std::string_view text = m_grid.cell(index.row(), index.column());
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QVariant PreviewGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    // Columns by the mapping's number (from 0) and the sheet's letter; rows by
    // the sheet's row number, as "Prima riga" and "Ultima riga" take them.
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Horizontal) return QString("%1 (%2)").arg(section).arg(QString::fromStdString(columnName(section)));
    return section + 1;
}

void PreviewGridModel::replaceGrid(const std::function<void()>& change) {
    beginResetModel();
    try {
        change();
    } catch (...) {
        endResetModel();
        throw;
    }
    endResetModel();
}

}  // namespace tessaro7::import_excel::ui
