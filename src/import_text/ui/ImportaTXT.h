#pragma once
// The text import window: the table choice, the mapping grid with its two
// entry boxes and editing buttons, the file choice, the preview and the import.
#include <QDialog>

#include "app/Archive.h"
#include "app/Dialogs.h"
#include "import_text/TextMappingStore.h"

class QCheckBox;
class QHBoxLayout;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableView;

namespace tessaro7::import_text::ui {

class TextMappingModel;

class ImportaTXT : public QDialog {
    Q_OBJECT
public:
    ImportaTXT(const app::Archive& archive, app::Dialogs& dialogs, QWidget* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* e) override;

private:
    void onTableChosen(int position);
    void onGridClick();
    void onButtonClick(int index);
    void chooseFile();
    void assign();
    void unassign();
    void clearAll();
    bool fileChecked();
    // The typed file name as a path: backslashes, letter case, the archive folder.
    std::string typedFile() const;
    void preview();
    void runImport();
    void undoImport();
    int currentRow() const;
    // Reads the mapping afresh, so the grid shows what the preview and the import will use.
    void refreshMapping();
    void fitGridColumns();
    void buildMappingFrame(QWidget* page);
    void buildFileFrame(QWidget* page);
    QHBoxLayout* buildBottomRow();
    void connectControls();
    // Runs an edit of the mapping store; an engine failure is shown.
    template <typename Edit>
    void editMapping(Edit edit);

    app::Archive m_archive;
    app::Dialogs& m_dialogs;
    TextMappingStore m_store;
    TextMappingModel* m_model = nullptr;

    QGroupBox* m_frame1 = nullptr;
    QGroupBox* m_frame2 = nullptr;
    QComboBox* m_combo = nullptr;
    QTableView* m_grid = nullptr;
    QLineEdit* m_start = nullptr;  // Text2(3)
    QLineEdit* m_width = nullptr;  // Text2(0)
    QLineEdit* m_file = nullptr;   // text1(0)
    QLabel* m_panel = nullptr;     // P1
    QProgressBar* m_progress = nullptr;
    QCheckBox* m_skipExisting = nullptr;
};

}  // namespace tessaro7::import_text::ui
