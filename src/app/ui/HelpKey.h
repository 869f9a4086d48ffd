#pragma once
// F1 in a window opens its page of the user guide.
class QWidget;

namespace tessaro7::app {
class Dialogs;
}

namespace tessaro7::app::ui {

// F1 anywhere in `window` asks `dialogs` to open `page` of the guide
// (one of app/Guide.h's pages).
void installHelpKey(QWidget* window, Dialogs& dialogs, const char* page);

}  // namespace tessaro7::app::ui
