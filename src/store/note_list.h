#pragma once

#include "store/note.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <optional>
#include <vector>

// The records of the folder's notes, newest first, and the search over them. It knows nothing
// of files: the store tells it what changed, and it tells its views, row by row, as a list
// model would (each change announced before it happens and reported after).
class NoteList : public QObject
{
    Q_OBJECT

public:
    // Below this many notes a second thread costs more than it saves.
    static constexpr qsizetype parallelSearchThreshold = 4000;

    // Every note newest first; among equal dates in the order the folder was read.
    const QList<Note>& notes() const { return m_notes; }
    qsizetype indexOf(const QString& url) const;
    const Note* find(const QString& url) const;
    std::optional<Note> newest() const;
    // Counts the changes: a result computed for one generation is stale at the next.
    quint64 generation() const { return m_generation; }

    // The positions in notes() of the notes whose title or text contains the query, which
    // must come from SearchKey::fold() and be non-empty.
    const std::vector<qsizetype>& matching(const QByteArray& query) const;
    // Positions in notes(), each with where in its text's search key the query can first
    // occur: a lower bound, 0 when nothing is known.
    struct Rows
    {
        std::vector<qsizetype> rows;
        std::vector<qsizetype> from;
    };
    // The same in steps, so that the scan can run on another thread: an earlier result for
    // the query, else the positions worth scanning, the scan (safe on any thread: records
    // in the list have their search keys), and keeping its result while the list stays.
    const std::vector<qsizetype>* remembered(const QByteArray& query) const;
    Rows candidates(const QByteArray& query) const;
    static Rows scan(const QList<Note>& notes, const Rows& candidates, const QByteArray& query);
    // fillsSeen: fillMark() when the scan began; notes whose text arrived since are looked at
    // again.
    const std::vector<qsizetype>& remember(const QByteArray& query, Rows found,
                                           qsizetype fillsSeen) const;
    qsizetype fillMark() const { return qsizetype(m_filled.size()); }

    // A reload: the views follow the few steps from the old list to the new one, or start over
    // when there are many. Returns the records it held.
    QList<Note> replace(QList<Note> notes);
    // Newest first, a stable sort: records are moved when the list is the only owner of them.
    static QList<Note> newestFirst(QList<Note> notes);
    static bool isNewestFirst(const QList<Note>& notes);
    void add(const Note& note);
    // Texts read after a scan listed their notes: each record still waiting for its text takes
    // the one read, keeping its id; records read meanwhile, or gone, are left as they are. A
    // file changed since the scan moves to its new date. The remembered searches take in the
    // notes whose text arrived, so that a search typed early grows instead of starting over.
    // Returns how many records took a text.
    qsizetype fill(QList<Note> read);
    void remove(const QString& url);
    // Follows a rename; an empty title keeps the record's title.
    void rename(const QString& from, const QString& to, const QString& title);
    // Updates the record of a note just written (found by either name) and moves it to its
    // place by date; adds it when there is none. Returns the record as kept, with its id.
    Note putSaved(const QString& oldUrl, Note saved);

signals:
    void rowsAboutToBeInserted(qsizetype first, qsizetype last);
    void rowsInserted(qsizetype first, qsizetype last);
    void rowsAboutToBeRemoved(qsizetype first, qsizetype last);
    void rowsRemoved(qsizetype first, qsizetype last);
    // The row at from goes to to, as QList::move() counts.
    void rowAboutToBeMoved(qsizetype from, qsizetype to);
    void rowMoved(qsizetype from, qsizetype to);
    void rowsChanged(qsizetype first, qsizetype last);
    void aboutToBeReset();
    void reset();

private:
    void changed()
    {
        m_searches.clear();
        m_filled.clear();
        ++m_generation;
    }

    void placed(qsizetype from, qsizetype to) const;
    void insertByDate(const Note& note);
    qsizetype moveToDateOrder(qsizetype at);

    QList<Note> m_notes;
    // Where each file's record is in m_notes: made at the first look after a load, then kept
    // by every save, so that finding a note costs the same with ten notes or a hundred thousand.
    mutable QHash<QString, qsizetype> m_positions;
    mutable bool m_positionsValid = false;
    // Rows that matched recent queries, while the list stays the same.
    struct Search
    {
        QByteArray query;
        Rows found;
    };
    static constexpr qsizetype maxRememberedSearches = 16;
    // Filling keeps only the searches typed last up to date; the others are forgotten.
    static constexpr qsizetype searchesKeptWhileFilling = 4;
    mutable QList<Search> m_searches;
    // Positions of the records that took their text since the list last changed otherwise.
    std::vector<qsizetype> m_filled;
    // Adds to a search the notes filled from m_filled[from] on that it matches now.
    void searchFilled(Search& search, qsizetype from) const;
    quint64 m_generation = 0;
};
