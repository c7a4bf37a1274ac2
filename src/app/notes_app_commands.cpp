#include "notes_app_commands.h"

#include "app_notifier.h"
#include "notes_store.h"

#include <QAction>
#include <QMainWindow>
#include <QMenuBar>

namespace {

QAction* addCommand(QMenu* menu, const QString& label, const QKeySequence& shortcut)
{
    QAction* action = menu->addAction(label);
    action->setShortcut(shortcut);
    action->setShortcutContext(Qt::ApplicationShortcut);
    return action;
}

} // namespace

NotesAppCommands::NotesAppCommands(NotesStore& store, AppNotifier& notifier, QMainWindow& window)
    : QObject(&window)
{
    QMenu* file = window.menuBar()->addMenu(QStringLiteral("File"));
    m_preferences =
        addCommand(file, QStringLiteral("Preferences…"), QKeySequence(Qt::CTRL | Qt::Key_Comma));
    m_preferences->setMenuRole(QAction::PreferencesRole);
    file->addSeparator();
    m_quit = addCommand(file, QStringLiteral("Quit"), QKeySequence(Qt::CTRL | Qt::Key_Q));
    m_quit->setMenuRole(QAction::QuitRole);
    connect(m_preferences, &QAction::triggered, this, &NotesAppCommands::preferencesRequested);
    connect(m_quit, &QAction::triggered, this, &NotesAppCommands::quitRequested);

    QMenu* notes = window.menuBar()->addMenu(QStringLiteral("Notes"));
    m_newNote = addCommand(notes, QStringLiteral("New Note"), QKeySequence(Qt::CTRL | Qt::Key_N));
    // Window-wide, so that inside a text field Ctrl+Backspace still deletes the previous word.
    m_deleteNote = addCommand(notes, QStringLiteral("Delete Note"),
                              QKeySequence(Qt::CTRL | Qt::Key_Backspace));
    m_deleteNote->setShortcutContext(Qt::WindowShortcut);
    m_print = addCommand(notes, QStringLiteral("Print…"), QKeySequence(Qt::CTRL | Qt::Key_P));
    notes->addSeparator();
    m_search = addCommand(notes, QStringLiteral("Search"), QKeySequence(Qt::CTRL | Qt::Key_L));

    connect(m_newNote, &QAction::triggered, &store, &NotesStore::createNote);
    connect(m_deleteNote, &QAction::triggered, &store, &NotesStore::deleteSelectedNote);
    connect(m_print, &QAction::triggered, &notifier,
            [&notifier] { notifier.post(AppNotifier::printNote); });
    connect(m_search, &QAction::triggered, &notifier,
            [&notifier] { notifier.post(AppNotifier::focusSearch); });
    const auto followSelection = [this, &store] {
        m_print->setEnabled(store.selectedNote().has_value());
    };
    connect(&store, &NotesStore::selectedNoteChanged, this, followSelection);
    followSelection();
}
