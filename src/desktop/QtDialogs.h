#pragma once
// The dialogs of the desktop program.
#include <QWidget>

#include "app/Dialogs.h"

namespace tessaro7::desktop {

class QtDialogs : public app::Dialogs {
    using Answer = app::Answer;
    using Buttons = app::Buttons;
    using Icon = app::Icon;
    using Notice = app::Notice;
    using PreviewLine = app::PreviewLine;

public:
    Answer message(const std::string& text, const std::string& title, Buttons buttons, Icon icon,
                   Answer defaultButton) override;
    int notice(const Notice& notice) override;
    void textPreview(const std::string& panelCaption, const std::vector<PreviewLine>& lines,
                     const std::string& encoding) override;
    std::optional<std::string> openFile(const std::string& filter, const std::string& startFolder) override;
    // The page of the guide found beside the program (app/Guide.h), in the
    // user's browser; a missing guide or browser is a message.
    void openHelp(const std::string& page) override;
};

// "File Testo (*.txt)|*.txt|" as a Qt file-dialog filter: "File Testo (*.txt)".
QString qtFilter(const std::string& filter);

}  // namespace tessaro7::desktop
