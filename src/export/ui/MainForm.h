#pragma once
// The export window: the thirteen lists in a navigation bar, what the chosen
// list will write, and the button that exports it.
#include <QDialog>

#include "app/Archive.h"
#include "app/Dialogs.h"
#include "export/SheetFormat.h"

class QComboBox;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace tessaro7::app::ui {
class NavBar;
}

namespace tessaro7::exporting {
class Clock;
}

namespace tessaro7::exporting::ui {

class MainForm : public QDialog {
    Q_OBJECT
public:
    MainForm(const app::Archive& archive, app::Dialogs& dialogs, QWidget* parent = nullptr);

    // The clock the yearly lists take their year from (the system date unless set).
    void setClock(const Clock& clock) { m_clock = &clock; }

    // Navigation-bar click, group and item counted from 1: shows the list's
    // file name, record count, number, column lines and title.
    void onNavItemClick(int group, int item);
    // Button click by index: 0 closes the window, 1 exports the chosen list.
    void onButtonClick(int index);

private:
    QGroupBox* buildFileFrame();
    QHBoxLayout* buildButtonRow();
    void showNoList();
    void exportChosenList();
    SheetFormat chosenFormat() const;
    // The "Formato" choice: the file name follows it, and it is kept for the next start.
    void onFormatChosen();
    // The export button names the chosen format.
    void updateExportCaption();

    app::Archive m_archive;
    app::Dialogs& m_dialogs;
    const Clock* m_clock;
    app::ui::NavBar* m_nav;
    QLabel* m_title;       // P1
    QListWidget* m_lines;  // List1
    QLineEdit* m_fileName; // text1_0
    QLineEdit* m_count;    // text1_1
    QLabel* m_number;      // Label2
    QComboBox* m_format;   // Formato
    QPushButton* m_exportButton = nullptr;  // CBT_1
};

}  // namespace tessaro7::exporting::ui
