#pragma once
// The text preview window: each field's caption beside the text cut from the
// first line of the file, one row per field, the unfilled rows hidden; a
// field the import would refuse in red, the reason in its tooltip and in a
// line under the fields; the file's encoding under the panel.
#include <QDialog>
#include <QString>
#include <string>
#include <utility>
#include <vector>

#include "app/Dialogs.h"

class QGridLayout;
class QLabel;
class QLineEdit;

namespace tessaro7::import_text::ui {

class AnteprimaTXT : public QDialog {
    Q_OBJECT
public:
    // `lines` fills the rows in order; `panelCaption` names the table;
    // `encoding` is the file's ("UTF-8").
    AnteprimaTXT(const std::string& panelCaption, const std::vector<app::PreviewLine>& lines,
                 const std::string& encoding = {}, QWidget* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The reason of `field` when it is refused, otherwise of the first refused field.
    QGridLayout* buildRows(QWidget* page);
    void showLines(const std::vector<app::PreviewLine>& lines);
    void showReason(const QWidget* field);

    std::vector<QLabel*> m_captions;
    std::vector<QLineEdit*> m_texts;
    QLabel* m_reason = nullptr;
    std::vector<std::pair<const QWidget*, QString>> m_reasons;  // refused fields in order
};

}  // namespace tessaro7::import_text::ui
