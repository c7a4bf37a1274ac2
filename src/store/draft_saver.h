#pragma once

#include "store/drafts.h"
#include "store/file_error.h"
#include "store/note_files.h"

#include <QObject>
#include <QSet>
#include <optional>

class FolderSync;
class History;
class NoteList;
class Selection;
class WorkQueue;

// Brings the user's unsaved text to disk: after the typing pause, when a note is left, before a
// delete, and all of it when the process ends. A save may rename the note after its title,
// join another program's lines into it, or put the text into a conflict copy beside it; the
// list, the drafts and the selection follow whatever it did.
class DraftSaver : public QObject
{
    Q_OBJECT

public:
    enum class Waiting
    {
        Allowed,   // the text may wait for a file another program is still writing
        Forbidden, // the process is ending: the text goes beside that file instead
    };
    // What became of a save, and where the note's file is afterwards.
    struct Outcome
    {
        NoteFiles::Saved::Kind kind;
        QString url;
    };

    DraftSaver(NoteList& list, Drafts& drafts, Selection& selection, FolderSync& sync,
               NoteFiles& files, WorkQueue& queue, History& history, QObject* parent = nullptr);

    void edit(const Note& note, Drafts::LiveRead read);
    QString textFor(const Note& note);
    // After the current event.
    void saveLater(const QString& url);
    // True when the text is on disk afterwards (its file or a conflict copy); a failed or
    // postponed save keeps the draft, so the next one tries again.
    bool save(const QString& url, Waiting waiting = Waiting::Allowed);
    // The same, telling where the note's file is now.
    Outcome write(const QString& url, Waiting waiting);
    bool saveAll();
    std::optional<FileError> recoverUnsaved(bool quiet);
    void saveBeforeExit();
    // The note's file has a new name: ours after its title, or another program's rename.
    void followRename(const QString& from, const QString& to, const QString& title);
    // The next save of the note writes an older version back: the history calls it restored.
    void markRestoring(const QString& url) { m_restoring.insert(url); }

signals:
    void listChanged();
    void noteRenamed(const QString& from, const QString& to);
    void conflictCopySaved(const QString& theirs, const QString& ours);
    void draftMerged(const QString& url);
    void saveFailed(const FileError& error);

private:
    void recordSaved(const QString& oldUrl, const Note& saved);
    void conflictCopySavedFor(const QString& url, const Note& copy);
    void keepHistory(const QString& url, const Draft& draft, const NoteFiles::Saved& saved);

    NoteList& m_list;
    Drafts& m_drafts;
    Selection& m_selection;
    FolderSync& m_sync;
    NoteFiles& m_files;
    WorkQueue& m_queue;
    History& m_history;
    QSet<QString> m_restoring;
    // Ending on a signal: nothing may wait for a person.
    bool m_quiet = false;
};
