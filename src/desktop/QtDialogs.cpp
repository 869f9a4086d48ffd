#include "desktop/QtDialogs.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

#include "app/Guide.h"
#include "app/Messages.h"
#include "app/ui/HelpKey.h"
#include "app/ui/MsgForm.h"
#include "import_text/ui/AnteprimaTXT.h"

namespace tessaro7::desktop {

using app::Answer;
using app::ui::MsgForm;

namespace {

QMessageBox::StandardButton standardButton(Answer a) {
    switch (a) {
    case Answer::Ok: return QMessageBox::Ok;
    case Answer::Cancel: return QMessageBox::Cancel;
    case Answer::Yes: return QMessageBox::Yes;
    case Answer::No: return QMessageBox::No;
    case Answer::None: break;
    }
    return QMessageBox::NoButton;
}

}  // namespace

Answer QtDialogs::message(const std::string& text, const std::string& title, Buttons buttons, Icon icon,
                          Answer defaultButton) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(QString::fromStdString(title));
    box.setText(QString::fromStdString(text));
    switch (icon) {
    case Icon::Information: box.setIcon(QMessageBox::Information); break;
    case Icon::Question: box.setIcon(QMessageBox::Question); break;
    case Icon::Warning: box.setIcon(QMessageBox::Warning); break;
    case Icon::Critical: box.setIcon(QMessageBox::Critical); break;
    }
    switch (buttons) {
    case Buttons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case Buttons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case Buttons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    }
    if (defaultButton != Answer::None) box.setDefaultButton(standardButton(defaultButton));
    switch (box.exec()) {
    case QMessageBox::Ok: return Answer::Ok;
    case QMessageBox::Cancel: return Answer::Cancel;
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return Answer::None;
    }
}

int QtDialogs::notice(const Notice& notice) {
    MsgForm form;
    app::ui::installHelpKey(&form, *this, app::guide::kNoticePage);
    for (int i = 0; i < 5; ++i) form.line(i)->setText(QString::fromStdString(notice.lines[static_cast<std::size_t>(i)]));
    form.confirmButton()->setVisible(notice.showConfirm);
    form.exec();
    return form.NoticeAnswer();
}

void QtDialogs::textPreview(const std::string& panelCaption, const std::vector<PreviewLine>& lines,
                            const std::string& encoding) {
    import_text::ui::AnteprimaTXT window(panelCaption, lines, encoding, QApplication::activeWindow());
    app::ui::installHelpKey(&window, *this, app::guide::kTextPreviewPage);
    window.exec();
}

// "Desc (*.a)|*.a|Other (*.b)|*.b|" offers each description, in order.
QString qtFilter(const std::string& filter) {
    QStringList parts = QString::fromStdString(filter).split('|');
    QStringList descriptions;
    for (qsizetype i = 0; i < parts.size(); i += 2)
        if (!parts[i].isEmpty()) descriptions << parts[i];
    return descriptions.join(";;");
}

std::optional<std::string> QtDialogs::openFile(const std::string& filter, const std::string& startFolder) {
    QString file = QFileDialog::getOpenFileName(QApplication::activeWindow(), QString(),
                                                QString::fromStdString(startFolder), qtFilter(filter));
    if (file.isEmpty()) return std::nullopt;
    return file.toStdString();
}

void QtDialogs::openHelp(const std::string& page) {
    namespace guide = app::guide;
    std::filesystem::path program = QCoreApplication::applicationDirPath().toStdString();
    std::optional<std::filesystem::path> folder = guide::findGuide(program);
    if (!folder) {
        std::string looked;
        for (const std::filesystem::path& f : guide::guideFolders(program))
            looked += (looked.empty() ? "" : ", ") + f.string();
        message(app::msg::kGuideNotFound + looked, app::msg::kTitleWarning, Buttons::Ok, Icon::Information, Answer::None);
        return;
    }
    guide::PageLocation location = guide::pageIn(*folder, page);
    QUrl url = QUrl::fromLocalFile(QString::fromStdString(location.file.string()));
    if (!location.section.empty()) url.setFragment(QString::fromStdString(location.section));
    if (!QDesktopServices::openUrl(url))
        message(app::msg::kGuideNotOpened + location.file.string() + app::msg::kGuideOpenItYourself,
                app::msg::kTitleWarning, Buttons::Ok, Icon::Information, Answer::None);
}

}  // namespace tessaro7::desktop
