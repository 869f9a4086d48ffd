#pragma once
// Finding a window's controls by name and giving one the keyboard, as the
// window tests do.
#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>

namespace tessaro7::testing {

template <typename T>
T* child(QWidget* window, const char* name) {
    T* w = window->findChild<T*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
}

// Shows the window and gives the keyboard to `target`, as the user's click would.
inline void focusOn(QWidget* window, QWidget* target) {
    window->show();
    QApplication::setActiveWindow(window);
    target->setFocus();
    QApplication::processEvents();  // the boxes select their text once focused
}

}  // namespace tessaro7::testing
