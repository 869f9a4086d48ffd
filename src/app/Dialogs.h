#pragma once
// What the windows show to the user, behind one interface: the desktop
// program shows Qt dialogs, the tests record the calls and answer from a
// script. Handed to each window when it is made.
#include <array>
#include <optional>
#include <string>
#include <vector>

namespace tessaro7::app {

enum class Icon { Information, Question, Warning, Critical };
enum class Buttons { Ok, OkCancel, YesNo };
enum class Answer { None = 0, Ok = 1, Cancel = 2, Yes = 6, No = 7 };

// The notice window: five lines under a fixed heading; a line still reading
// "Label2" is hidden. Closing with "C&hiudi" answers 7, "&Conferma" 8, and
// closing the window otherwise gives no answer (0).
inline constexpr const char* kNoticePlaceholder = "Label2";
inline constexpr int kNoticeClosed = 7;
inline constexpr int kNoticeConfirmed = 8;
struct Notice {
    std::array<std::string, 5> lines{kNoticePlaceholder, kNoticePlaceholder, kNoticePlaceholder,
                                     kNoticePlaceholder, kNoticePlaceholder};
    bool showConfirm = false;
};

// One line of the text preview window: a caption and the text cut for it,
// with the reason the import would refuse it (empty when it would not).
struct PreviewLine {
    std::string caption;
    std::string text;
    bool visible = true;
    std::string refusal = {};
};

class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual Answer message(const std::string& text, const std::string& title, Buttons buttons, Icon icon,
                           Answer defaultButton = Answer::None) = 0;
    virtual int notice(const Notice& notice) = 0;
    // The text preview window: its panel names the table ("Tabella Clienti");
    // `encoding` is the file's ("UTF-8").
    virtual void textPreview(const std::string& panelCaption, const std::vector<PreviewLine>& lines,
                             const std::string& encoding) = 0;
    // An open-file dialog with one filter in the form "File Testo (*.txt)|*.txt|";
    // empty when the user cancels.
    virtual std::optional<std::string> openFile(const std::string& filter, const std::string& startFolder) = 0;
    // Opens a page of the user guide (one of app/Guide.h's) in the user's browser.
    virtual void openHelp(const std::string& page) = 0;
};

}  // namespace tessaro7::app
