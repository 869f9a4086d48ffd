#include "import_text/ui/TextMappingModel.h"

#include "app/Messages.h"

namespace tessaro7::import_text::ui {

namespace {
enum Column { kField, kStart, kWidth, kAssigned, kColumns };
}

TextMappingModel::TextMappingModel(const TextMappingStore& store, QObject* parent)
    : QAbstractTableModel(parent), m_store(store) {}

void TextMappingModel::reload() {
    beginResetModel();
    endResetModel();
}

void TextMappingModel::valuesChanged() {
    if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, kColumns - 1));
}

int TextMappingModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !m_store.isOpen() ? 0 : m_store.rowCount();
}

int TextMappingModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumns; }

QVariant TextMappingModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const MappingRow& row = m_store.rows()[static_cast<std::size_t>(index.row())];
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
        case kField: return QString::fromStdString(row.visualizzato.toText());
        case kStart: return QString::fromStdString(row.colonna.toText());
        case kWidth: return QString::fromStdString(row.qta.toText());
        default: return {};
        }
    }
    if (role == Qt::CheckStateRole && index.column() == kAssigned) return row.assigned() ? Qt::Checked : Qt::Unchecked;
    return {};
}

QVariant TextMappingModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case kField: return QString::fromUtf8(app::msg::kTextGridField);
    case kStart: return QString::fromUtf8(app::msg::kTextGridColumn);
    case kWidth: return QString::fromUtf8(app::msg::kTextGridWidth);
    case kAssigned: return QString::fromUtf8(app::msg::kTextGridAssigned);
    default: return {};
    }
}

}  // namespace tessaro7::import_text::ui
