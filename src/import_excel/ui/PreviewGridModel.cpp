#include "import_excel/ui/PreviewGridModel.h"

#include <QBrush>
#include <QColor>

#include "app/Messages.h"
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
    if (!index.isValid()) return {};
    const auto row = static_cast<std::size_t>(index.row());
    if (row < m_actions.size() && m_actions[row] == RowAction::Present) {
        if (role == Qt::ToolTipRole) return QString::fromUtf8(app::msg::kExistingMark);
        if (role == Qt::ForegroundRole) return QBrush(QColor(Qt::gray));
    }
    if (role != Qt::DisplayRole) return {};
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

void PreviewGridModel::markRows(std::vector<RowAction> actions) {
    if (actions == m_actions) return;
    m_actions = std::move(actions);
    if (rowCount() > 0 && columnCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {Qt::ToolTipRole, Qt::ForegroundRole});
}

void PreviewGridModel::replaceGrid(const std::function<void()>& change) {
    m_actions.clear();
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
