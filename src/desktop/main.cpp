#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <filesystem>

#include "app/StartUp.h"
#include "desktop/LaMain.h"
#include "desktop/QtDialogs.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    // Italian captions on the standard dialog buttons ("Sì", "No", "Annulla").
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Italian), "qtbase", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&qtTexts);

    tessaro7::desktop::QtDialogs dialogs;
    auto archive = tessaro7::app::startUp(std::filesystem::current_path(), dialogs);
    if (!archive) return 1;
    tessaro7::desktop::LaMain window(*archive, dialogs);
    window.show();
    return app.exec();
}
