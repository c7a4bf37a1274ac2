#include "views/window_title.h"

#include "store/notes_store.h"

#include <QWidget>

WindowTitle::WindowTitle(QWidget& window, NotesStore& store) : QObject(&window)
{
    const auto follow = [&window, &store] { window.setWindowTitle(of(store.selectedNote())); };
    // A rename by a save selects the renamed record; another program's reaches the list.
    connect(&store, &NotesStore::selectedNoteChanged, this, follow);
    connect(&store, &NotesStore::notesChanged, this, follow);
    follow();
}

QString WindowTitle::of(const std::optional<Note>& note)
{
    if (!note || note->title.isEmpty())
        return tr("Quillbox");
    return tr("%1 — Quillbox").arg(note->title);
}
