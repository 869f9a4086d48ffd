#include "app/ui/NavBar.h"

#include <QHeaderView>
#include <QKeyEvent>

namespace tessaro7::app::ui {

NavBar::NavBar(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setIndentation(12);
    setMinimumWidth(190);
    // The user's clicks and keys never select: the window highlights what it chose.
    setSelectionMode(QAbstractItemView::NoSelection);
    // Only the click: where the platform activates items on a single click,
    // itemActivated would report the same click a second time.
    connect(this, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item, int) { onActivated(item); });
}

void NavBar::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (event->modifiers() & ~Qt::KeypadModifier) break;
        // Taken here, so the key goes no further (to a default button of the window).
        event->accept();
        if (QTreeWidgetItem* item = currentItem()) onActivated(item);
        return;
    default: break;
    }
    QTreeWidget::keyPressEvent(event);
}

void NavBar::setChosenItem(int group, int item) {
    clearSelection();
    QTreeWidgetItem* g = topLevelItem(group - 1);
    QTreeWidgetItem* i = g ? g->child(item - 1) : nullptr;
    if (!i) return;
    i->setSelected(true);
    setCurrentItem(i, 0, QItemSelectionModel::NoUpdate);
}

std::pair<int, int> NavBar::chosenItem() const {
    const QList<QTreeWidgetItem*> chosen = selectedItems();
    if (chosen.isEmpty() || !chosen.front()->parent()) return {0, 0};
    QTreeWidgetItem* group = chosen.front()->parent();
    return {indexOfTopLevelItem(group) + 1, group->indexOfChild(chosen.front()) + 1};
}

int NavBar::addGroup(const QString& caption) {
    auto* group = new QTreeWidgetItem(this, {caption});
    QFont bold = group->font(0);
    bold.setBold(true);
    group->setFont(0, bold);
    group->setFlags(Qt::ItemIsEnabled);
    group->setExpanded(true);
    return topLevelItemCount();
}

void NavBar::addItem(int group, const QString& caption) {
    if (QTreeWidgetItem* g = topLevelItem(group - 1)) {
        new QTreeWidgetItem(g, {caption});
        g->setExpanded(true);
    }
}

void NavBar::setCurrentGroup(int group) {
    if (QTreeWidgetItem* g = topLevelItem(group - 1)) scrollToItem(g);
}

int NavBar::itemCount(int group) const {
    QTreeWidgetItem* g = topLevelItem(group - 1);
    return g ? g->childCount() : 0;
}

QString NavBar::groupCaption(int group) const {
    QTreeWidgetItem* g = topLevelItem(group - 1);
    return g ? g->text(0) : QString();
}

QString NavBar::itemCaption(int group, int item) const {
    QTreeWidgetItem* g = topLevelItem(group - 1);
    QTreeWidgetItem* i = g ? g->child(item - 1) : nullptr;
    return i ? i->text(0) : QString();
}

QRect NavBar::itemRect(int group, int item) const {
    QTreeWidgetItem* g = topLevelItem(group - 1);
    QTreeWidgetItem* i = g ? g->child(item - 1) : nullptr;
    return i ? visualItemRect(i) : QRect();
}

void NavBar::clickItem(int group, int item) { emit itemClickedAt(group, item); }

void NavBar::onActivated(QTreeWidgetItem* item) {
    QTreeWidgetItem* group = item->parent();
    if (!group) return;  // a group caption is not an item
    emit itemClickedAt(indexOfTopLevelItem(group) + 1, group->indexOfChild(item) + 1);
}

}  // namespace tessaro7::app::ui
