#pragma once

#include "store/note.h"

#include <QByteArrayList>
#include <QFuture>
#include <QObject>
#include <atomic>
#include <memory>
#include <optional>

class NoteList;
class WorkQueue;

// Reads the texts of notes a scan listed by name alone: behind the window, newest first, in
// growing batches on other threads, each batch taken into the list on the event loop; and a
// single note at once when something needs its text before its turn comes.
class TextReader : public QObject
{
    Q_OBJECT

public:
    TextReader(NoteList& list, WorkQueue& queue, QObject* parent = nullptr);
    ~TextReader() override;

    // Reads every note of the list that waits for its text, in the folder given.
    void start(const QString& folder);
    // The folder changed: nothing read for the old list is taken in.
    void stop();
    bool isReading() const { return m_cancel != nullptr; }
    // Of the notes that waited for their text when reading began, the share read, 0 to 100.
    int percentRead() const;
    // The note with its text: read now when it waits for it, and taken into the list. Nothing
    // when its file holds no note any more (vanished() follows).
    std::optional<Note> readNow(const Note& note);

signals:
    // Records took their text: searches may list more notes now.
    void textsArrived();
    // Every note listed when reading began has been read.
    void finished();
    // A read found these files gone (or no longer regular files): their records are stale.
    void vanished(const QByteArrayList& names);

private:
    using Cancel = std::shared_ptr<std::atomic_bool>;
    void take(const QByteArrayList& names, std::vector<std::optional<Note>> read);
    void end(const Cancel& run);

    NoteList& m_list;
    WorkQueue& m_queue;
    QString m_folder;
    Cancel m_cancel;
    QFuture<void> m_run;
    qsizetype m_total = 0;
    qsizetype m_done = 0;
    // Records that took a text in this pass: a pass that finds nothing left to fill ends it.
    qsizetype m_filledThisPass = 0;
};
