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
    m_ready = loaded || store.folderURL().isEmpty();
    if (!m_ready) {
        connect(
            &store, &NotesStore::loadFinished, this,
            [this] {
                m_ready = true;
                answerWaiting();
            },
            Qt::SingleShotConnection);
    }
    connect(&store, &NotesStore::textsArrived, this, &NoteResults::answerWaiting);
    connect(&store, &NotesStore::textsRead, this, &NoteResults::answerWaiting);
}

bool NoteResults::canAnswer(const QStringList& terms) const
{
    if (!ready())
        return false;
    bool complete = true;
    find(terms, &complete);
    return complete;
}

void NoteResults::whenAnswerable(const QStringList& terms, std::function<void()> work)
{
    if (canAnswer(terms))
        work();
    else
        m_waiting.append({terms, std::move(work)});
}

void NoteResults::answerWaiting()
{
    const QList<Waiting> waiting = std::exchange(m_waiting, {});
    for (const Waiting& each : waiting) {
        if (canAnswer(each.terms))
            each.work();
        else
            m_waiting.append(each);
    }
}

QString NoteResults::query(const QStringList& terms)
{
    return Naming::trimmed(terms.join(QLatin1Char(' ')));
}

QList<Note> NoteResults::find(const QStringList& terms, bool* complete) const
{
    QList<Note> found;
    const QByteArray folded = SearchKey::fold(query(terms));
    if (!m_store || folded.isEmpty())
        return found;
    const NoteList& list = m_store->noteList();
    const std::vector<qsizetype>* rows = list.remembered(folded);
    if (rows && !m_store->readingTexts()) {
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
        if (note.firstMatch(folded) == Note::noMatch) {
            // Its text may hold the query: what is found after it may not be the newest.
            if (note.textPending && complete)
                *complete = false;
            continue;
        }
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
