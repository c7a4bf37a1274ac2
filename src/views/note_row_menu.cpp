#include "views/note_row_menu.h"

#include "folder/clipboard_service.h"
#include "folder/file_manager_service.h"
#include "store/notes_store.h"
#include "views/content_view.h"
#include "views/note_editor.h"
#include "views/notes_list_model.h"

#include <QAction>
#include <QListView>
#include <QMenu>
#include <QPlainTextEdit>

NoteRowMenu::NoteRowMenu(ContentView& window, NotesStore& store, Services services,
                         QAction* history, QAction* deleteNote)
    : QObject(&window), m_window(window), m_store(store), m_services(services), m_history(history),
      m_delete(deleteNote)
{
    QListView* list = window.notesList();
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list, &QWidget::customContextMenuRequested, this, [this, list](const QPoint& pos) {
        if (QMenu* menu = menuAt(pos)) {
            menu->setAttribute(Qt::WA_DeleteOnClose);
            menu->popup(list->viewport()->mapToGlobal(pos));
        }
    });
}

QMenu* NoteRowMenu::menuAt(const QPoint& pos)
{
    QListView* list = m_window.notesList();
    const QModelIndex index = list->indexAt(pos);
    if (!index.isValid())
        return nullptr;
    const QUuid id = m_window.notesModel()->idAt(index.row());
    std::optional<Note> found;
    for (const Note& note : m_store.notes()) {
        if (note.id == id) {
            found = note;
            break;
        }
    }
    if (!found)
        return nullptr;
    const Note note = *found;
    auto* menu = new QMenu(list);
    // The row keeps its note while the menu is open, even when a save renames its file.
    connect(menu->addAction(tr("&Open")), &QAction::triggered, this, [this, note] {
        select(note);
        if (m_window.showsEditor())
            m_window.editor()->textEdit()->setFocus(Qt::OtherFocusReason);
    });
    menu->addSeparator();
    connect(menu->addAction(tr("&Reveal in File Manager")), &QAction::triggered, this,
            [this, note] { m_services.fileManager.reveal(note.url); });
    connect(menu->addAction(tr("&Copy Path")), &QAction::triggered, this,
            [this, note] { m_services.clipboard.setText(note.url); });
    menu->addSeparator();
    if (m_history) {
        connect(menu->addAction(tr("&History…")), &QAction::triggered, this, [this, note] {
            select(note);
            if (m_history)
                m_history->trigger();
        });
    }
    if (m_delete) {
        connect(menu->addAction(tr("&Delete…")), &QAction::triggered, this, [this, note] {
            select(note);
            if (m_delete)
                m_delete->trigger();
        });
    }
    return menu;
}

void NoteRowMenu::select(const Note& note)
{
    const std::optional<Note>& selected = m_store.selectedNote();
    if (selected && selected->id == note.id)
        return;
    // Through the list, as a click chooses: the note being left is saved first.
    const int row = m_window.notesModel()->rowOf(note.url);
    if (row >= 0)
        m_window.notesList()->setCurrentIndex(m_window.notesModel()->index(row));
}
