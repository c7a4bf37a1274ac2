#pragma once

#include "store/note.h"

#include <QList>
#include <QObject>
#include <QStringList>
#include <functional>
#include <optional>

class NotesStore;

// The notes the desktop's search shows for a query: those the window's search lists, newest
// first, a few at most. A query that arrives before the folder has been read waits for it,
// or it would find nothing in a folder full of notes.
class NoteResults : public QObject
{
    Q_OBJECT

public:
    // A desktop search shows a handful of rows per application.
    static constexpr qsizetype limit = 5;

    explicit NoteResults(QObject* parent = nullptr);

    // Answers from the store from now on; queries wait for its first load, unless loaded says
    // it has ended already.
    void attach(NotesStore& store, bool loaded = false);
    bool ready() const { return m_store && m_ready; }
    // The answer to terms is known now: the first load has ended, and no note the answer
    // passes over is still waiting for its text. Texts are read newest first, so a query whose
    // few newest matches are among the notes read is answered at once.
    bool canAnswer(const QStringList& terms) const;
    // Runs work now when terms can be answered, else as soon as they can.
    void whenAnswerable(const QStringList& terms, std::function<void()> work);

    // The desktop splits what was typed into words; the window searches for them as typed.
    static QString query(const QStringList& terms);
    QList<Note> find(const QStringList& terms) const { return find(terms, nullptr); }
    std::optional<Note> note(const QString& url) const;
    // The row's date, as the list shows it.
    static QString date(const Note& note);

private:
    // complete: set to false when a note passed over had no text yet.
    QList<Note> find(const QStringList& terms, bool* complete) const;
    void answerWaiting();

    NotesStore* m_store = nullptr;
    bool m_ready = false;
    struct Waiting
    {
        QStringList terms;
        std::function<void()> work;
    };
    QList<Waiting> m_waiting;
};
