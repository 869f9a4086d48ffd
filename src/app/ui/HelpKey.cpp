#include "app/ui/HelpKey.h"

#include <QShortcut>
#include <QWidget>
#include <string>

#include "app/Dialogs.h"

namespace tessaro7::app::ui {

void installHelpKey(QWidget* window, Dialogs& dialogs, const char* page) {
    auto* key = new QShortcut(QKeySequence(Qt::Key_F1), window);
    key->setObjectName("HelpKey");
    key->setContext(Qt::WindowShortcut);
    QObject::connect(key, &QShortcut::activated, window, [&dialogs, page] { dialogs.openHelp(page); });
}

}  // namespace tessaro7::app::ui
