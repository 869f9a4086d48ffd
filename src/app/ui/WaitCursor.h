#pragma once
// Shows the wait cursor while the program works inside a click (the engine,
// a file), and gives the usual cursor back when the work ends, however it
// ends. Scopes end before a message is shown, so no message waits under it.
#include <QApplication>

namespace tessaro7::app::ui {

class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace tessaro7::app::ui
