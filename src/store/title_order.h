#pragma once

#include "store/note.h"

#include <QList>
#include <QLocale>
#include <QObject>

#include <vector>

class NoteList;

// The folder's notes by title, as a person reads a sorted list: by the locale's collation,
// ignoring case, numbers by value ("Note 2" before "Note 10"), equal titles newest first. A
// large list is sorted on another thread, so switching the order never holds the window.
class TitleOrder : public QObject
{
    Q_OBJECT

public:
    // Below this many notes sorting costs less than starting a thread.
    static constexpr qsizetype backgroundThreshold = 4000;

    explicit TitleOrder(const NoteList& list, QObject* parent = nullptr);

    // Every position of the list, by title; nothing while the order of the list as it is now
    // is being made (finished() follows).
    const std::vector<qsizetype>* positions();
    // The positions of notes in title order; stable, so that a list newest first keeps equal
    // titles newest first. Safe on any thread.
    static std::vector<qsizetype> sorted(const QList<Note>& notes, const QLocale& locale);
    // Of rows (positions in the list), the one whose note comes first by title, now.
    qsizetype first(const std::vector<qsizetype>& rows) const;

signals:
    void finished();

private:
    const NoteList& m_list;
    std::vector<qsizetype> m_order;
    // The list's generation m_order was made for; none yet.
    quint64 m_generation = ~quint64(0);
    bool m_running = false;
};
