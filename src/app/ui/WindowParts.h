#pragma once
// Small pieces every window shares: buttons that Enter never presses, mapping
// grids whose columns show their headings whole, and paths shown as labels.
#include <QString>
#include <initializer_list>
#include <string>

class QTableView;
class QWidget;

namespace tessaro7::app::ui {

// No button of `window` is a default or auto-default button, so Enter in a
// box or on a list never presses a button the user did not press.
void withoutDefaultButtons(QWidget* window);

// Each column at least its given width in pixels, and wide enough for its
// heading and its longest value.
void fitColumns(QTableView* grid, std::initializer_list<int> minimumPixels);

// Tab and Shift+Tab go through `order` in turn. A grid or list in it is one
// stop: Tab leaves it, the arrow keys keep moving between its cells.
void chainTabOrder(std::initializer_list<QWidget*> order);

// A path built the archive's way as a label shows it: this platform's form,
// lines broken only after a separator, never inside a name.
QString pathLabelText(const std::string& builtPath);

}  // namespace tessaro7::app::ui
