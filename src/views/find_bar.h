#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// Under the editor: finds a text in the note, ignoring case as the search does, steps from
// match to match around the ends, and replaces. A replacement is an edit like typing, saved
// the same way; Replace All undoes as one.
class FindBar : public QWidget
{
    Q_OBJECT

public:
    explicit FindBar(QPlainTextEdit* edit, QWidget* parent = nullptr);

    // Shown with the field to type in focused, holding the editor's selected text if any.
    void openFind();
    void openReplace();
    // From the selection to the next match (or the previous), around the ends. Without a
    // query the bar opens instead; with one it shows again if it was closed.
    void findNext();
    void findPrevious();
    void replace();
    void replaceAll();
    // Hidden, and typing goes on in the editor.
    void close();

    QLineEdit* findField() const { return m_find; }
    QLineEdit* replaceField() const { return m_replace; }
    QLabel* countLabel() const { return m_count; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void sayCount(const QString& count);
    void open(bool withReplace);
    void step(bool backward);
    void queryEdited();
    void select(qsizetype start, qsizetype length);
    void showCount();

    QPlainTextEdit* m_edit;
    QLineEdit* m_find;
    QLabel* m_count;
    QPushButton* m_previous;
    QPushButton* m_next;
    QWidget* m_replaceRow;
    QLineEdit* m_replace;
    QPushButton* m_replaceOne;
    QPushButton* m_replaceAll;
};
