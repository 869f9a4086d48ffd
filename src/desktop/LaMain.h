#pragma once
// The start-up window: the navigation bar that opens the three working windows
// modal, and the button that ends the program.
#include <QWidget>

#include "app/Archive.h"
#include "app/Dialogs.h"

class QPushButton;

namespace tessaro7::app::ui {
class NavBar;
}

namespace tessaro7::desktop {

class LaMain : public QWidget {
    Q_OBJECT
public:
    LaMain(const app::Archive& archive, app::Dialogs& dialogs, QWidget* parent = nullptr);

    const app::Archive& archive() const { return m_archive; }

    // Navigation-bar click: group 1, items 1 to 3 open their windows; any
    // other number does nothing.
    void onNavItemClick(int group, int item);
    // Button click by index: 0 closes the window, which ends the program.
    void onButtonClick(int index);

private:
    app::Archive m_archive;
    app::Dialogs& m_dialogs;
    app::ui::NavBar* m_nav;
};

}  // namespace tessaro7::desktop
