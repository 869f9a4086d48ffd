#include "import_excel/ui/PreviewGridModel.h"

#include <QBrush>
#include <QColor>

#include "app/Messages.h"

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

QVariant PreviewGridModel::headerData(int section, Qt::Orientation, int role) const {
    // Grid row r and column c are numbered from 0, as the mapping counts columns.
    if (role != Qt::DisplayRole) return {};
    return section;
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
