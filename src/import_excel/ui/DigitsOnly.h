#pragma once
// Entry fields that take digits only: every typed character other than "0"
// to "9" is discarded; editing keys work as usual. Some of them also empty the system clipboard
// and select their whole text when they receive focus.
#include <QObject>

class QLineEdit;

namespace tessaro7::import_excel::ui {

// Every digit box selects its whole text on focus, so what is typed replaces
// it; the count boxes also empty the clipboard.
enum class OnFocus { Select, EmptyClipboardAndSelect };

void makeDigitsOnly(QLineEdit* field, OnFocus onFocus);

class DigitsOnlyFilter : public QObject {
    Q_OBJECT
public:
    DigitsOnlyFilter(QLineEdit* field, OnFocus onFocus);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* m_field;
    OnFocus m_onFocus;
};

}  // namespace tessaro7::import_excel::ui
