#include "import_excel/ui/DigitsOnly.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QTimer>

namespace tessaro7::import_excel::ui {

DigitsOnlyFilter::DigitsOnlyFilter(QLineEdit* field, OnFocus onFocus)
    : QObject(field), m_field(field), m_onFocus(onFocus) {}

bool DigitsOnlyFilter::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_field) return false;
    if (event->type() == QEvent::KeyPress) {
        const QString text = static_cast<QKeyEvent*>(event)->text();
        // Only typed characters are filtered: a printable one other than a digit
        // is dropped. Editing keys (Delete, Backspace, arrows, Home, End, the
        // selection and clipboard shortcuts) carry no printable text and work as usual.
        const bool typed = !text.isEmpty() && text.front().isPrint();
        if (typed && !(text.size() == 1 && text[0] >= '0' && text[0] <= '9')) return true;
    } else if (event->type() == QEvent::FocusIn) {
        if (m_onFocus == OnFocus::EmptyClipboardAndSelect) QGuiApplication::clipboard()->clear();
        // Selected after the focus change, which would otherwise place the cursor.
        QTimer::singleShot(0, m_field, [field = m_field] { field->selectAll(); });
    }
    return false;
}

void makeDigitsOnly(QLineEdit* field, OnFocus onFocus) {
    field->installEventFilter(new DigitsOnlyFilter(field, onFocus));
    // A paste through the context menu must not bring letters in either.
    field->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), field));
}

}  // namespace tessaro7::import_excel::ui
