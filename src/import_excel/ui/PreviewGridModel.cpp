#include "import_excel/ui/PreviewGridModel.h"

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

QVariant PreviewGridModel::headerData(int section, Qt::Orientation, int role) const {
    // Grid row r and column c are numbered from 0, as the mapping counts columns.
    if (role != Qt::DisplayRole) return {};
    return section;
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
