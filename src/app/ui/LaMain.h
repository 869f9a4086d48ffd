#pragma once
// The start-up window: the navigation bar that opens the three working windows
// modal, and the button that ends the program.
#include <QWidget>

#include "app/Archive.h"
#include "app/Dialogs.h"

class QPushButton;

namespace tessaro7::app::ui {

class NavBar;

class LaMain : public QWidget {
    Q_OBJECT
public:
    LaMain(const Archive& archive, Dialogs& dialogs, QWidget* parent = nullptr);

    const Archive& archive() const { return m_archive; }

    // Navigation-bar click: group 1, items 1 to 3 open their windows; any
    // other number does nothing.
    void onNavItemClick(int group, int item);
    // Button click by index: 0 closes the window, which ends the program.
    void onButtonClick(int index);

private:
    Archive m_archive;
    Dialogs& m_dialogs;
    NavBar* m_nav;
};

}  // namespace tessaro7::app::ui
