#pragma once
// The Excel import window: the table choice and its mapping grid with the
// editing buttons, the workbook and its counts, the preview grid, and the
// import. The window reads its controls, calls the core and shows what the
// core returns.
#include <QDialog>
#include <array>

#include "app/Archive.h"
#include "app/Dialogs.h"
#include "import_excel/ExcelMappingStore.h"
#include "import_excel/PreviewGrid.h"

class QBoxLayout;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace tessaro7::import_excel::ui {

class MappingGridModel;
class PreviewGridModel;

class FormImport : public QDialog {
    Q_OBJECT
public:
    FormImport(const app::Archive& archive, app::Dialogs& dialogs, QWidget* parent = nullptr);

    // The last preview, as the import will read it.
    const PreviewGrid& preview() const { return m_preview; }

protected:
    bool event(QEvent* e) override;

private:
    void buildControls();
    void createLabelsAndButtons();
    void createFields();
    void createGrids();
    QBoxLayout* layOutMappingSide();
    QBoxLayout* layOutFileSide();
    void chooseTable(int position);
    void followCurrentRow();
    void assignColumn();
    void removeAssignment();
    void clearAssignments();
    void chooseFile();
    void PreviewSheet();
    // Reads `sheet` (empty: the one the workbook opens on) into the preview
    // and lists the workbook's sheets in "Foglio"; `again`: the sheet the
    // user chose before, or the one the workbook opens on when it is gone.
    void previewWith(const std::string& sheet, bool again = false);
    // Reads the mapping afresh, so the grid shows what the import will use.
    void refreshMapping();
    void importFromExcel();
    void assignFromHeadings();
    void undoImport();
    // Marks the preview's rows the import would skip as already present.
    void markPresentRows();
    // Shows the store's rows again, keeping `row` current.
    void showMappingRows(int row);
    int currentMappingRow() const;
    bool mappingHasRows() const;
    void showEngineFailure(const db::EngineError& e);

    app::Archive m_archive;
    app::Dialogs& m_dialogs;
    ExcelMappingStore m_mapping;
    PreviewGrid m_preview;
    std::string m_previewFile;   // the workbook and sheet the preview read
    std::string m_previewSheet;

    QComboBox* m_combo1 = nullptr;
    QTableView* m_grid = nullptr;
    MappingGridModel* m_gridModel = nullptr;
    QLineEdit* m_text999 = nullptr;
    QLabel* m_p1 = nullptr;
    std::array<QPushButton*, 7> m_pb{};
    std::array<QLineEdit*, 3> m_text1{};
    std::array<QLineEdit*, 2> m_text2{};
    std::array<QLabel*, 10> m_label1{};
    QComboBox* m_foglio = nullptr;
    QTableView* m_fg1 = nullptr;
    PreviewGridModel* m_fg1Model = nullptr;
    QCheckBox* m_skipExisting = nullptr;
};

}  // namespace tessaro7::import_excel::ui
