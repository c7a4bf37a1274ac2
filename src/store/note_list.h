#pragma once

#include "store/note.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <optional>
#include <vector>

// The records of the folder's notes, their newest-first order and the search over them. It
// knows nothing of files: the store tells it what changed.
class NoteList
{
public:
    // Below this many notes a second thread costs more than it saves.
    static constexpr qsizetype parallelSearchThreshold = 4000;

    const QList<Note>& notes() const { return m_notes; }
    qsizetype indexOf(const QString& url) const;
    const Note* find(const QString& url) const;
    // The first of a stable newest-first order: among equal dates, the earlier in the list.
    std::optional<Note> newest() const;

    // Every note newest first; positions in it stay valid until the next change.
    const QList<Note>& sorted() const;
    // The positions in sorted() of the notes whose title or text contains the query, which
    // must come from SearchKey::fold() and be non-empty.
    const std::vector<qsizetype>& matching(const QByteArray& query) const;
    // Positions in sorted(), each with where in its text's search key the query can first
    // occur: a lower bound, 0 when nothing is known.
    struct Rows
    {
        std::vector<qsizetype> rows;
        std::vector<qsizetype> from;
    };
    // The same in steps, so that the scan can run on another thread: an earlier result for
    // the query, else the positions worth scanning, the scan (safe on any thread: records
    // in the list have their search keys), and keeping its result while sorted() stays.
    const std::vector<qsizetype>* remembered(const QByteArray& query) const;
    Rows candidates(const QByteArray& query) const;
    static Rows scan(const QList<Note>& sorted, const Rows& candidates, const QByteArray& query);
    const std::vector<qsizetype>& remember(const QByteArray& query, Rows found) const;

    // Returns the records it held.
    QList<Note> replace(QList<Note> notes);
    // Newest first, a stable sort: records are moved when the list is the only owner of them.
    static QList<Note> newestFirst(QList<Note> notes);
    static bool isNewestFirst(const QList<Note>& notes);
    void add(const Note& note);
    void remove(const QString& url);
    // Follows a rename; an empty title keeps the record's title.
    void rename(const QString& from, const QString& to, const QString& title);
    // Updates the record of a note just written (found by either name) and moves it to its
    // place by date; adds it when there is none. Returns the record as kept, with its id.
    Note putSaved(const QString& oldUrl, Note saved);

private:
    template <typename Change> void change(Change&& apply, bool sortedAfter);
    void placed(qsizetype from, qsizetype to) const;

    QList<Note> m_notes;
    // Where each file's record is in m_notes: made at the first look after a load, then kept
    // by every save, so that finding a note costs the same with ten notes or a hundred thousand.
    mutable QHash<QString, qsizetype> m_positions;
    mutable bool m_positionsValid = false;
    // m_notes itself is newest first (true after any save), so a save need not sort again.
    bool m_notesSorted = true;
    mutable QList<Note> m_sorted;
    mutable bool m_sortedValid = false;
    // Rows of m_sorted that matched recent queries, while that list stays the same.
    struct Search
    {
        QByteArray query;
        Rows found;
    };
    static constexpr qsizetype maxRememberedSearches = 16;
    mutable QList<Search> m_searches;
};
