#pragma once
// Mouse clicks and key presses delivered to a widget as the user's would be.
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QString>
#include <QWidget>

namespace tessaro7::testing {

inline void mouseClick(QWidget* widget, QPoint at) {
    QPointF local(at);
    QPointF global(widget->mapToGlobal(at));
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}

inline void mouseClick(QWidget* widget) { mouseClick(widget, widget->rect().center()); }

inline void keyClick(QWidget* widget, int key, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &release);
}

// Types each character of `text` as a key press.
inline void keyClicks(QWidget* widget, const QString& text) {
    for (QChar c : text) keyClick(widget, c.isLetter() ? Qt::Key_A + (c.toUpper().unicode() - 'A') : c.unicode(), QString(c));
}

}  // namespace tessaro7::testing
