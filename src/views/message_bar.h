#pragma once

#include <QFrame>
#include <functional>

class QLabel;
class QPushButton;

// A message across the top of the window that does not stop the user's work: it stays
// until it is dismissed, and may offer one action.
class MessageBar : public QFrame
{
    Q_OBJECT

public:
    explicit MessageBar(QWidget* parent = nullptr);

    void showMessage(const QString& text, const QString& actionText = {},
                     std::function<void()> action = {});
    QString text() const;
    QPushButton* dismissButton() const { return m_dismiss; }

private:
    QLabel* m_text;
    QPushButton* m_action;
    QPushButton* m_dismiss;
    std::function<void()> m_run;
};
