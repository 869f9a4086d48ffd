#pragma once
// The preview grid's model: reads the core's preview grid cell by cell as the
// view asks, so that a sheet of many thousand rows shows at once.
#include <QAbstractTableModel>
#include <functional>

#include "import_excel/PreviewGrid.h"
#include "import_excel/RowPlan.h"

namespace tessaro7::import_excel::ui {

class PreviewGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit PreviewGridModel(const PreviewGrid& grid, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Runs `change` on the grid between the model's reset signals.
    void replaceGrid(const std::function<void()>& change);
    // Rows the import skips as already present are shown greyed, with a tooltip.
    void markRows(std::vector<RowAction> actions);

private:
    const PreviewGrid& m_grid;
    std::vector<RowAction> m_actions;
};

}  // namespace tessaro7::import_excel::ui
