#pragma once
// A navigation bar of captioned groups of items; a click reports the group and
// the item, both counted from 1. One click, or Enter or Space on the item
// under the keyboard cursor, reports once, whatever the platform's setting
// for activating items. The arrow keys move the cursor only: the highlight is
// the item the window says is chosen.
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

    // Highlights the chosen item (and puts the cursor there); none when 0.
    void setChosenItem(int group, int item);
    // The highlighted item as {group, item}, {0, 0} when none.
    std::pair<int, int> chosenItem() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

signals:
    void itemClickedAt(int group, int item);

private:
    void onActivated(QTreeWidgetItem* item);
};

}  // namespace tessaro7::app::ui
