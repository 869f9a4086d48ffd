#pragma once
// The mapping grid's model: the rows of the chosen mapping table, as the core
// mapping store last read them, in three columns "Campo della tabella",
// "Colonna" and "Assegnato".
#include <QAbstractTableModel>

#include "import_excel/ExcelMappingStore.h"

namespace tessaro7::import_excel::ui {

class MappingGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit MappingGridModel(const ExcelMappingStore& store, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The store's rows changed (a table chosen, an edit saved).
    void reload();

private:
    const ExcelMappingStore& m_store;
};

}  // namespace tessaro7::import_excel::ui
