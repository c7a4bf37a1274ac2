#pragma once

#include <QObject>
#include <QPointer>

#include <optional>

class ClipboardService;
class ContentView;
class FileManagerService;
class NotesStore;
class QAction;
class QMenu;
class QPoint;
struct Note;

// The menu a right click on a row of the notes list opens: Open, Reveal in File Manager,
// Copy Path, History… and Delete, for the note on that row. Open, History… and Delete select
// that note first (leaving the one shown as choosing it in the list would) and then take the
// application's own commands, so they ask and answer as those do.
class NoteRowMenu : public QObject
{
    Q_OBJECT

public:
    struct Services
    {
        FileManagerService& fileManager;
        ClipboardService& clipboard;
    };

    NoteRowMenu(ContentView& window, NotesStore& store, Services services, QAction* history,
                QAction* deleteNote);

    // The menu for the row at pos (in the list's viewport), built but not shown; nullptr
    // outside the rows. The caller owns it.
    QMenu* menuAt(const QPoint& pos);

private:
    void select(const Note& note);

    ContentView& m_window;
    NotesStore& m_store;
    Services m_services;
    QPointer<QAction> m_history;
    QPointer<QAction> m_delete;
};
