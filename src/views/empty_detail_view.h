#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

// Fills the detail column while no note is selected. Without a notes folder (the chooser was
// cancelled) it offers the way forward beneath the same text.
class EmptyDetailView : public QWidget
{
    Q_OBJECT

public:
    explicit EmptyDetailView(QWidget* parent = nullptr);

    void setNeedsFolder(bool needsFolder);
    QLabel* label() const { return m_label; }
    QPushButton* chooseButton() const { return m_choose; }

signals:
    void chooseFolderRequested();

private:
    QLabel* m_label;
    QPushButton* m_choose;
};
