#pragma once
// A navigation bar of captioned groups of items; a click reports the group and
// the item, both counted from 1.
#include <QTreeWidget>

namespace tessaro7::app::ui {

class NavBar : public QTreeWidget {
    Q_OBJECT
public:
    explicit NavBar(QWidget* parent = nullptr);

    int addGroup(const QString& caption);  // returns the new group's number
    void addItem(int group, const QString& caption);
    void setCurrentGroup(int group);

    int groupCount() const { return topLevelItemCount(); }
    int itemCount(int group) const;
    QString groupCaption(int group) const;
    QString itemCaption(int group, int item) const;
    // The screen area of an item, for a real mouse click in tests.
    QRect itemRect(int group, int item) const;

    // Reports a click on an item, as the mouse or the keyboard would.
    void clickItem(int group, int item);

signals:
    void itemClickedAt(int group, int item);

private:
    void onActivated(QTreeWidgetItem* item);
};

}  // namespace tessaro7::app::ui
