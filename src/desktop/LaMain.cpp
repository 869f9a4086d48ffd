#include "desktop/LaMain.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/Guide.h"
#include "app/Messages.h"
#include "app/ui/HelpKey.h"
#include "app/ui/NavBar.h"
#include "app/ui/WindowParts.h"
#include "export/ui/MainForm.h"
#include "import_excel/ui/FormImport.h"
#include "import_text/ui/ImportaTXT.h"

namespace tessaro7::desktop {

using app::ui::NavBar;
namespace msg = app::msg;

LaMain::LaMain(const app::Archive& archive, app::Dialogs& dialogs, QWidget* parent)
    : QWidget(parent), m_archive(archive), m_dialogs(dialogs), m_nav(new NavBar(this)) {
    setObjectName("LaMain");
    setWindowTitle(msg::kMainCaption);
    m_nav->setObjectName("NB1");

    auto* title = new QLabel("<b>Tessaro 7</b><br>Importazione ed esportazione dei dati", this);
    title->setObjectName("Image1");
    auto* folder = new QLabel(app::ui::pathLabelText(m_archive.ArchiveFolder), this);
    folder->setObjectName("Image2");
    folder->setWordWrap(true);
    auto* close = new QPushButton(msg::kClose, this);
    close->setObjectName("CBT_0");

    auto* side = new QVBoxLayout;
    side->addWidget(title);
    side->addWidget(folder);
    side->addStretch();
    side->addWidget(close);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_nav);
    layout->addLayout(side);
    auto* bar = new QMenuBar(this);
    bar->setObjectName("MenuBar");
    QAction* guide = bar->addAction(msg::kGuideItem);
    guide->setObjectName("Guida");
    connect(guide, &QAction::triggered, this, [this] { m_dialogs.openHelp(app::guide::kStartPage); });
    layout->setMenuBar(bar);
    resize(480, 300);

    int group = m_nav->addGroup(msg::kNavGroup);
    m_nav->addItem(group, msg::kNavExport);
    m_nav->addItem(group, msg::kNavImportExcel);
    m_nav->addItem(group, msg::kNavImportText);
    m_nav->setCurrentGroup(1);

    connect(m_nav, &NavBar::itemClickedAt, this, &LaMain::onNavItemClick);
    connect(close, &QPushButton::clicked, this, [this] { onButtonClick(0); });
    app::ui::withoutDefaultButtons(this);
    app::ui::installHelpKey(this, m_dialogs, app::guide::kStartPage);
}

void LaMain::onNavItemClick(int group, int item) {
    if (group != 1) return;
    std::unique_ptr<QDialog> window;
    switch (item) {
    case 1: window = std::make_unique<exporting::ui::MainForm>(m_archive, m_dialogs, this); break;
    case 2: window = std::make_unique<import_excel::ui::FormImport>(m_archive, m_dialogs, this); break;
    case 3: window = std::make_unique<import_text::ui::ImportaTXT>(m_archive, m_dialogs, this); break;
    default: return;
    }
    window->setModal(true);
    window->exec();
}

void LaMain::onButtonClick(int index) {
    if (index == 0) close();
}

}  // namespace tessaro7::desktop
