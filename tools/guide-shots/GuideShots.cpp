// Takes the pictures of the user guide: every window of the program and its
// main notices, on a demo archive, as the user sees them. Run by
// scripts/guide-screenshots under Xvfb; the same inputs give the same
// pictures (fixed style, font, size and archive folder; no blinking cursor).
//
//   tessaro7-guide-shots ARCHIVE_FOLDER IMAGES_FOLDER
//
// ARCHIVE_FOLDER must not exist: the demo archive is made there, and its path
// shows in the pictures.
#include <QApplication>
#include <QComboBox>
#include <QFont>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStyleFactory>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>

#include "app/StartUp.h"
#include "app/ui/NavBar.h"
#include "batch/BatchRunner.h"
#include "desktop/LaMain.h"
#include "desktop/QtDialogs.h"
#include "export/ui/MainForm.h"
#include "import_excel/ui/FormImport.h"
#include "import_text/ui/ImportaTXT.h"

namespace {

namespace fs = std::filesystem;
using namespace tessaro7;

fs::path g_images;

// The picture as the user sees the window: its content under a plain title
// bar with the window's title, in a thin frame.
void save(QWidget* window, const std::string& name) {
    QApplication::processEvents();
    QPixmap content = window->grab();
    const int bar = 26;
    QPixmap shot(content.width() + 2, content.height() + bar + 1);
    shot.fill(QColor("#33475b"));
    QPainter painter(&shot);
    QFont font = painter.font();
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(10, 0, shot.width() - 20, bar), Qt::AlignVCenter | Qt::AlignLeft, window->windowTitle());
    painter.drawPixmap(1, bar, content);
    painter.end();
    fs::path file = g_images / (name + ".png");
    if (!shot.save(QString::fromStdString(file.string()), "PNG")) throw std::runtime_error("cannot write " + file.string());
    std::cout << file.string() << "\n";
}

// The next modal window (a message, a notice, the text preview) is saved
// once shown, then closed; `action` is what makes it appear.
template <typename Action>
void saveNextModal(const std::string& name, Action action) {
    bool saved = false;
    QTimer::singleShot(0, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) return;
        save(modal, name);
        saved = true;
        modal->close();
    });
    action();
    if (!saved) throw std::runtime_error("no window appeared for " + name);
}

template <typename T>
T* child(QWidget* window, const char* name) {
    T* w = window->findChild<T*>(name);
    if (!w) throw std::runtime_error(window->objectName().toStdString() + " has no " + name);
    return w;
}

void click(QWidget* window, const char* button) { QTest::mouseClick(child<QPushButton>(window, button), Qt::LeftButton); }

void type(QWidget* window, const char* box, const char* text) {
    auto* edit = child<QLineEdit>(window, box);
    edit->clear();
    QTest::keyClicks(edit, text);
}

void show(QWidget* window) {
    window->show();
    QApplication::setActiveWindow(window);
    QApplication::processEvents();
}

void batch(const fs::path& folder, std::vector<std::string> args) {
    std::ostringstream out, err;
    if (batch::runBatch(args, out, err, folder) != 0) throw std::runtime_error(err.str());
}

// The demo archive with an exported customer list to import, a text file of
// customers, one of articles with a wrong cost, and mappings for both.
void prepareArchive(const fs::path& folder) {
    batch(folder.parent_path(), {"create-demo", folder.filename().string()});
    batch(folder, {"export", "1"});
    const std::vector<std::vector<std::string>> excel = {{"1", "0"}, {"2", "1"}, {"3", "2"}, {"6", "3"}, {"4", "4"}, {"5", "5"}};
    for (const auto& a : excel) batch(folder, {"excel-mapping", "clienti", "assign", a[0], a[1]});
    const std::vector<std::vector<std::string>> text = {{"1", "1", "30"}, {"3", "31", "30"}, {"4", "61", "5"}, {"6", "66", "20"}};
    for (const auto& a : text) batch(folder, {"text-mapping", "clienti", "assign", a[0], a[1], a[2]});
    batch(folder, {"text-mapping", "articoli", "assign", "1", "1", "10"});
    batch(folder, {"text-mapping", "articoli", "assign", "2", "11", "30"});
    batch(folder, {"text-mapping", "articoli", "assign", "4", "41", "10"});
    auto line = [](std::vector<std::pair<std::string, std::size_t>> fields) {
        std::string out;
        for (auto& [text, width] : fields) out += text + std::string(width - text.size(), ' ');
        return out + "\r\n";
    };
    std::ofstream(folder / "clienti.txt", std::ios::binary)
        << line({{"Ferramenta Rossi S.r.l.", 30}, {"Via Roma, 12", 30}, {"20121", 5}, {"Milano", 20}})
        << line({{"Studio Bianchi", 30}, {"Corso Italia, 3", 30}, {"00184", 5}, {"Roma", 20}});
    std::ofstream(folder / "articoli.txt", std::ios::binary)
        << line({{"A100", 10}, {"Vite a testa piana 4x20", 30}, {"0,12", 10}})
        << line({{"A101", 10}, {"Tassello in nylon 8 mm", 30}, {"dodici", 10}});
}

void startUpShots(const fs::path& folder, desktop::QtDialogs& dialogs) {
    saveNextModal("archivio-mancante", [&] { app::startUp("/home/mario", dialogs); });
    desktop::LaMain window(app::archiveFromFolder(folder.string()), dialogs);
    show(&window);
    save(&window, "avvio");
}

void exportShots(const fs::path& folder, desktop::QtDialogs& dialogs) {
    exporting::ui::MainForm form(app::archiveFromFolder(folder.string()), dialogs);
    show(&form);
    child<app::ui::NavBar>(&form, "NB1")->clickItem(1, 1);
    save(&form, "esportare");
    saveNextModal("esportare-fatto", [&] { click(&form, "CBT_1"); });
}

void excelShots(const fs::path& folder, desktop::QtDialogs& dialogs) {
    import_excel::ui::FormImport form(app::archiveFromFolder(folder.string()), dialogs);
    show(&form);
    child<QComboBox>(&form, "Combo1")->setCurrentIndex(0);
    saveNextModal("avviso-file-mancante", [&] { click(&form, "PB_6"); });
    type(&form, "text1_0", "XLSClienti.xls");
    type(&form, "text1_1", "8");
    type(&form, "text1_2", "6");
    click(&form, "PB_6");
    type(&form, "Text2_0", "2");
    type(&form, "Text2_1", "6");
    save(&form, "importare-foglio");
    saveNextModal("importare-foglio-fatto", [&] { click(&form, "PB_1"); });
}

void textShots(const fs::path& folder, desktop::QtDialogs& dialogs) {
    import_text::ui::ImportaTXT window(app::archiveFromFolder(folder.string()), dialogs);
    show(&window);
    child<QComboBox>(&window, "Combo1")->setCurrentIndex(0);
    type(&window, "text1_0", "clienti.txt");
    save(&window, "importare-testo");
    saveNextModal("anteprima-testo", [&] { click(&window, "CBT_6"); });
    saveNextModal("importare-testo-fatto", [&] { click(&window, "CBT_1"); });
    child<QComboBox>(&window, "Combo1")->setCurrentIndex(2);
    type(&window, "text1_0", "articoli.txt");
    saveNextModal("importazione-rifiutata", [&] { click(&window, "CBT_1"); });
}

void setUpLook(QApplication& app, QTranslator& qtTexts) {
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    QApplication::setPalette(QApplication::style()->standardPalette());
    QApplication::setFont(QFont("DejaVu Sans", 9));
    QApplication::setCursorFlashTime(0);
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    if (qtTexts.load(QLocale(QLocale::Italian), "qtbase", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&qtTexts);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 3) {
        std::cerr << "Uso: tessaro7-guide-shots CARTELLA_ARCHIVIO CARTELLA_IMMAGINI\n";
        return 2;
    }
    fs::path folder = fs::absolute(argv[1]);
    g_images = fs::absolute(argv[2]);
    if (fs::exists(folder)) {
        std::cerr << folder.string() << " esiste già: indicare una cartella nuova.\n";
        return 2;
    }
    QTranslator qtTexts;
    setUpLook(app, qtTexts);
    try {
        fs::create_directories(g_images);
        prepareArchive(folder);
        desktop::QtDialogs dialogs;
        startUpShots(folder, dialogs);
        exportShots(folder, dialogs);
        excelShots(folder, dialogs);
        textShots(folder, dialogs);
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    return 0;
}
