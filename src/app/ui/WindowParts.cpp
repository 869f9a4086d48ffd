#include "app/ui/WindowParts.h"

#include <QAbstractItemView>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <algorithm>

#include "db/PathResolver.h"

namespace tessaro7::app::ui {

void withoutDefaultButtons(QWidget* window) {
    for (QPushButton* button : window->findChildren<QPushButton*>()) {
        button->setDefault(false);
        button->setAutoDefault(false);
    }
}

void fitColumns(QTableView* grid, std::initializer_list<int> minimumPixels) {
    int column = 0;
    for (int minimum : minimumPixels) {
        grid->resizeColumnToContents(column);
        grid->setColumnWidth(column, std::max(grid->columnWidth(column), minimum));
        ++column;
    }
}

void chainTabOrder(std::initializer_list<QWidget*> order) {
    QWidget* previous = nullptr;
    for (QWidget* widget : order) {
        if (auto* view = qobject_cast<QAbstractItemView*>(widget)) view->setTabKeyNavigation(false);
        if (previous) QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
}

QString pathLabelText(const std::string& builtPath) {
    QString shown = QString::fromStdString(db::displayPath(builtPath));
    QString out;
    for (QChar c : shown) {
        if (c == ' ') out += QChar(0x00A0);        // no-break space
        else if (c == '-') out += QChar(0x2011);   // non-breaking hyphen
        else out += c;
        if (c == '/') out += QChar(0x200B);        // a break may follow a separator
    }
    return out;
}

}  // namespace tessaro7::app::ui
