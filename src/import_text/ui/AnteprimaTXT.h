#pragma once
// The text preview window: each field's caption beside the text cut from the
// first line of the file.
#include <QDialog>
#include <vector>

#include "app/Dialogs.h"

namespace tessaro7::import_text::ui {

class AnteprimaTXT : public QDialog {
    Q_OBJECT
public:
    AnteprimaTXT(const std::vector<app::PreviewLine>& lines, QWidget* parent = nullptr);
};

}  // namespace tessaro7::import_text::ui
