#pragma once

#include <QObject>

class AppNotifier;
class NotesStore;
class QAction;
class QMainWindow;
class QMenu;

// The menu bar: "File" with Preferences… and Quit, and the "Notes" menu.
class NotesAppCommands : public QObject
{
    Q_OBJECT

public:
    NotesAppCommands(NotesStore& store, AppNotifier& notifier, QMainWindow& window);

    QAction* preferences() const { return m_preferences; }
    QAction* quit() const { return m_quit; }
    QAction* newNote() const { return m_newNote; }
    QAction* deleteNote() const { return m_deleteNote; }
    QAction* print() const { return m_print; }
    QAction* search() const { return m_search; }

signals:
    void preferencesRequested();
    void quitRequested();

private:
    QAction* m_preferences;
    QAction* m_quit;
    QAction* m_newNote;
    QAction* m_deleteNote;
    QAction* m_print;
    QAction* m_search;
};
