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
        m_list.sorted().size() < NoteList::parallelSearchThreshold) {
        emit finished();
        return;
    }
    m_running = true;
    const QList<Note> sorted = m_list.sorted();
    auto* watcher = new QFutureWatcher<NoteList::Rows>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, sorted, query] {
        watcher->deleteLater();
        m_running = false;
        // A result is kept only for the list it was made from.
        if (sorted.isSharedWith(m_list.sorted()))
            m_list.remember(query, watcher->result());
        if (m_again) {
            m_again = false;
            start();
        } else {
            emit finished();
        }
    });
    watcher->setFuture(QtConcurrent::run([sorted, candidates = m_list.candidates(query), query] {
        return NoteList::scan(sorted, candidates, query);
    }));
}
