#include "store/background_search.h"

#include "store/note_list.h"

#include <QFutureWatcher>
#include <QtConcurrent>

BackgroundSearch::BackgroundSearch(NoteList& list, std::function<QByteArray()> query,
                                   QObject* parent)
    : QObject(parent), m_list(list), m_query(std::move(query))
{}

void BackgroundSearch::start()
{
    if (m_running) {
        m_again = true;
        return;
    }
    const QByteArray query = m_query();
    // A few thousand notes are scanned faster than a thread starts.
    if (query.isEmpty() || m_list.remembered(query) ||
        m_list.notes().size() < NoteList::parallelSearchThreshold) {
        emit finished();
        return;
    }
    m_running = true;
    // The scan reads its own share of the records: a change meanwhile copies the list for
    // itself instead of changing records under the scan.
    const QList<Note> notes = m_list.notes();
    const quint64 generation = m_list.generation();
    const qsizetype fills = m_list.fillMark();
    auto* watcher = new QFutureWatcher<NoteList::Rows>(this);
    connect(watcher, &QFutureWatcherBase::finished, this,
            [this, watcher, generation, fills, query] {
                watcher->deleteLater();
                m_running = false;
                // A result is kept only for the list it was made from.
                if (generation == m_list.generation())
                    m_list.remember(query, watcher->result(), fills);
                if (m_again) {
                    m_again = false;
                    start();
                } else {
                    emit finished();
                }
            });
    watcher->setFuture(QtConcurrent::run([notes, candidates = m_list.candidates(query), query] {
        return NoteList::scan(notes, candidates, query);
    }));
}
