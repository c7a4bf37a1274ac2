#include "app/text_edit_commands.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextDocument>

namespace {

// Standard keys, in the window only: the text fields take these keys themselves before any
// shortcut, and the commands are for the menu and for showing the keys.
QAction* addCommand(QMenu& menu, const QString& label, QKeySequence::StandardKey key)
{
    QAction* action = menu.addAction(label);
    action->setShortcuts(key);
    action->setShortcutContext(Qt::WindowShortcut);
    action->setEnabled(false);
    return action;
}

} // namespace

TextEditCommands::TextEditCommands(QMenu& menu) : QObject(&menu)
{
    m_undo = addCommand(menu, tr("&Undo"), QKeySequence::Undo);
    m_redo = addCommand(menu, tr("&Redo"), QKeySequence::Redo);
    connectCommand(
        m_undo, [](QPlainTextEdit& edit) { edit.undo(); }, [](QLineEdit& edit) { edit.undo(); });
    connectCommand(
        m_redo, [](QPlainTextEdit& edit) { edit.redo(); }, [](QLineEdit& edit) { edit.redo(); });
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget*, QWidget* now) { focusChanged(now); });
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, &TextEditCommands::update);
    connect(&menu, &QMenu::aboutToShow, this, &TextEditCommands::update);
    focusChanged(QApplication::focusWidget());
}

void TextEditCommands::addClipboard(QMenu& menu)
{
    menu.addSeparator();
    m_cut = addCommand(menu, tr("Cu&t"), QKeySequence::Cut);
    m_copy = addCommand(menu, tr("&Copy"), QKeySequence::Copy);
    m_paste = addCommand(menu, tr("&Paste"), QKeySequence::Paste);
    m_selectAll = addCommand(menu, tr("Select &All"), QKeySequence::SelectAll);
    connectCommand(
        m_cut, [](QPlainTextEdit& edit) { edit.cut(); }, [](QLineEdit& edit) { edit.cut(); });
    connectCommand(
        m_copy, [](QPlainTextEdit& edit) { edit.copy(); }, [](QLineEdit& edit) { edit.copy(); });
    connectCommand(
        m_paste, [](QPlainTextEdit& edit) { edit.paste(); }, [](QLineEdit& edit) { edit.paste(); });
    connectCommand(
        m_selectAll, [](QPlainTextEdit& edit) { edit.selectAll(); },
        [](QLineEdit& edit) { edit.selectAll(); });
    update();
}

void TextEditCommands::connectCommand(QAction* action,
                                      const std::function<void(QPlainTextEdit&)>& text,
                                      const std::function<void(QLineEdit&)>& line)
{
    connect(action, &QAction::triggered, this, [this, text, line] {
        if (auto* edit = qobject_cast<QPlainTextEdit*>(m_target))
            text(*edit);
        else if (auto* field = qobject_cast<QLineEdit*>(m_target))
            line(*field);
    });
}

void TextEditCommands::focusChanged(QWidget* now)
{
    // Opening the menu (or its bar) takes no text field's place: the commands stay with it.
    if (qobject_cast<QMenu*>(now) || (now && now->inherits("QMenuBar")))
        return;
    for (const QMetaObject::Connection& connection : std::as_const(m_following))
        disconnect(connection);
    m_following.clear();
    m_target = nullptr;
    if (auto* text = qobject_cast<QPlainTextEdit*>(now)) {
        m_target = text;
        for (const auto signal : {&QPlainTextEdit::undoAvailable, &QPlainTextEdit::redoAvailable,
                                  &QPlainTextEdit::copyAvailable})
            m_following.append(connect(text, signal, this, &TextEditCommands::update));
        m_following.append(
            connect(text, &QPlainTextEdit::textChanged, this, &TextEditCommands::update));
    } else if (auto* line = qobject_cast<QLineEdit*>(now)) {
        m_target = line;
        m_following.append(connect(line, &QLineEdit::textChanged, this, &TextEditCommands::update));
        m_following.append(
            connect(line, &QLineEdit::selectionChanged, this, &TextEditCommands::update));
    }
    update();
}

void TextEditCommands::update()
{
    bool undo = false, redo = false, selection = false, writable = false, text = false;
    if (auto* edit = qobject_cast<QPlainTextEdit*>(m_target)) {
        const QTextDocument* document = edit->document();
        writable = !edit->isReadOnly();
        undo = writable && document->isUndoAvailable();
        redo = writable && document->isRedoAvailable();
        selection = edit->textCursor().hasSelection();
        text = !document->isEmpty();
    } else if (auto* line = qobject_cast<QLineEdit*>(m_target)) {
        writable = !line->isReadOnly();
        undo = writable && line->isUndoAvailable();
        redo = writable && line->isRedoAvailable();
        selection = line->hasSelectedText();
        text = !line->text().isEmpty();
    }
    m_undo->setEnabled(undo);
    m_redo->setEnabled(redo);
    if (!m_cut)
        return;
    m_cut->setEnabled(writable && selection);
    m_copy->setEnabled(selection);
    m_paste->setEnabled(writable && !QApplication::clipboard()->text().isEmpty());
    m_selectAll->setEnabled(text);
}
