#pragma once
// The mapping grid's model: the rows of the chosen mapping table as the core
// store holds them, in four columns, the last one a check box.
#include <QAbstractTableModel>

#include "import_text/TextMappingStore.h"

namespace tessaro7::import_text::ui {

class TextMappingModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TextMappingModel(const TextMappingStore& store, QObject* parent = nullptr);

    // The store was opened on another table (or closed).
    void reload();
    // The store saved an edit: the same rows, new values.
    void valuesChanged();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const TextMappingStore& m_store;
};

}  // namespace tessaro7::import_text::ui
