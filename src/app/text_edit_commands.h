#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

class QAction;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QWidget;

// Edit ▸ Undo, Redo, Cut, Copy, Paste and Select All, acting on the text field that has the
// keyboard (the note, the search field, a field of a dialog) and enabled as it allows. Where
// no text field has it (the list), they are disabled, so that Ctrl+Z there stays Undo Delete.
class TextEditCommands : public QObject
{
    Q_OBJECT

public:
    // Adds Undo and Redo to menu now; addClipboard() the rest, where the menu wants them.
    explicit TextEditCommands(QMenu& menu);
    void addClipboard(QMenu& menu);

    QAction* undo() const { return m_undo; }
    QAction* redo() const { return m_redo; }
    QAction* cut() const { return m_cut; }
    QAction* copy() const { return m_copy; }
    QAction* paste() const { return m_paste; }
    QAction* selectAll() const { return m_selectAll; }
    // The text field the commands act on, if any.
    QWidget* target() const { return m_target; }

private:
    void connectCommand(QAction* action, const std::function<void(QPlainTextEdit&)>& text,
                        const std::function<void(QLineEdit&)>& line);
    void focusChanged(QWidget* now);
    void update();

    QAction* m_undo = nullptr;
    QAction* m_redo = nullptr;
    QAction* m_cut = nullptr;
    QAction* m_copy = nullptr;
    QAction* m_paste = nullptr;
    QAction* m_selectAll = nullptr;
    QPointer<QWidget> m_target;
    QList<QMetaObject::Connection> m_following;
};
