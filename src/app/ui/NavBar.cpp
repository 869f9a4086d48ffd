#include "app/ui/NavBar.h"

#include <QHeaderView>

namespace tessaro7::app::ui {

NavBar::NavBar(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setIndentation(12);
    setMinimumWidth(190);
    connect(this, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item, int) { onActivated(item); });
    connect(this, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item, int) { onActivated(item); });
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
