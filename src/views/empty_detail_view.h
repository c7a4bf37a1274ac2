#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

// Fills the detail column while no note is selected. Without a notes folder (the first run,
// or the chooser was cancelled) it welcomes the user, says what the notes folder is and
// offers the way forward.
class EmptyDetailView : public QWidget
{
    Q_OBJECT

public:
    explicit EmptyDetailView(QWidget* parent = nullptr);

    void setNeedsFolder(bool needsFolder);
    QLabel* label() const { return m_label; }
    QLabel* welcome() const { return m_welcome; }
    QPushButton* chooseButton() const { return m_choose; }

signals:
    void chooseFolderRequested();

private:
    QLabel* m_label;
    QLabel* m_welcome;
    QPushButton* m_choose;
};
