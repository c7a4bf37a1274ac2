#include "app/note_results.h"

#include "store/naming.h"
#include "store/notes_store.h"
#include "store/search_key.h"
#include "views/row_text.h"

NoteResults::NoteResults(QObject* parent) : QObject(parent) {}

void NoteResults::attach(NotesStore& store, bool loaded)
{
    m_store = &store;
    // Without a folder there is nothing to wait for.
    if (loaded || store.folderURL().isEmpty())
        becomeReady();
    else
        connect(&store, &NotesStore::loadFinished, this, &NoteResults::becomeReady,
                Qt::SingleShotConnection);
}

void NoteResults::whenReady(std::function<void()> work)
{
    if (ready())
        work();
    else
        m_waiting.append(std::move(work));
}

void NoteResults::becomeReady()
{
    m_ready = true;
    for (const std::function<void()>& work : std::exchange(m_waiting, {}))
        work();
}

QString NoteResults::query(const QStringList& terms)
{
    return Naming::trimmed(terms.join(QLatin1Char(' ')));
}

QList<Note> NoteResults::find(const QStringList& terms) const
{
    QList<Note> found;
    const QByteArray folded = SearchKey::fold(query(terms));
    if (!m_store || folded.isEmpty())
        return found;
    const NoteList& list = m_store->noteList();
    if (const std::vector<qsizetype>* rows = list.remembered(folded)) {
        for (const qsizetype row : *rows) {
            if (found.size() == limit)
                break;
            found.append(list.notes().at(row));
        }
        return found;
    }
    // The newest few are all the desktop shows: the scan stops there instead of reading every
    // note, as the window's list must. Each note is matched as the window's search matches it.
    for (const Note& note : list.notes()) {
        if (note.firstMatch(folded) == Note::noMatch)
            continue;
        found.append(note);
        if (found.size() == limit)
            break;
    }
    return found;
}

std::optional<Note> NoteResults::note(const QString& url) const
{
    return m_store ? m_store->note(url) : std::nullopt;
}

QString NoteResults::date(const Note& note)
{
    return RowText::date(note.lastModified);
}
