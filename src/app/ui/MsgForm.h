#pragma once
// The notice window: up to five lines under a fixed heading, "C&hiudi" and,
// for a question, "&Conferma". NoticeAnswer is 7 after "C&hiudi", 8 after
// "&Conferma", 0 when the window is closed otherwise.
#include <QDialog>
#include <array>

class QLabel;
class QPushButton;

namespace tessaro7::app::ui {

class MsgForm : public QDialog {
    Q_OBJECT
public:
    explicit MsgForm(QWidget* parent = nullptr);

    QLabel* line(int index) const { return m_lines.at(static_cast<std::size_t>(index)); }
    QPushButton* closeButton() const { return m_close; }
    QPushButton* confirmButton() const { return m_confirm; }
    int NoticeAnswer() const { return m_answer; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::array<QLabel*, 5> m_lines{};
    QPushButton* m_close;
    QPushButton* m_confirm;
    int m_answer = 0;
};

}  // namespace tessaro7::app::ui
