#pragma once

#include "store/file_error.h"
#include "store/file_identity.h"
#include "store/folder_watcher.h"
#include "store/note_loader.h"

#include <QByteArrayList>
#include <QObject>
#include <QSet>
#include <optional>

class Drafts;
class History;
class NoteList;
class Selection;
class WorkQueue;

// Keeps the note list as the folder is: the first load, the refreshes the watch starts for the
// files it saw change, and a whole new reading when the watch cannot be trusted. Reading runs
// on another thread; what it found is applied on the event loop, where saves made meanwhile
// win over it.
class FolderSync : public QObject
{
    Q_OBJECT

public:
    FolderSync(NoteList& list, Drafts& drafts, Selection& selection, WorkQueue& queue,
               History& history, QObject* parent = nullptr);

    const QString& folder() const { return m_folder; }
    // Choosing the path again is choosing whatever folder it leads to now.
    void setFolder(const QString& folder);
    void loadNotes();
    void refreshOnActivation();
    // Off, only activation and explicit loads see other programs' changes (tests that
    // change files step by step).
    void setWatching(bool watching);
    // A file another program is still writing: its text is half of what it will be.
    bool isBeingWritten(const QString& url);
    // The path may lead to another folder than the one the user chose: a folder moved away
    // and a link put in its place. Nothing is read from or written to it then.
    bool folderReplaced() const;
    // Said once until the folder is usable again; nothing while the process ends quietly.
    void reportFolderProblem(const FileError& error);
    void setQuiet(bool quiet) { m_quiet = quiet; }
    // We changed this file ourselves: a load already running read it before we did.
    void touched(const QString& url) { m_touchedDuringLoad.insert(url); }
    // Reads these entries again (bytes as on disk), as when the watch reports them.
    void refreshFiles(const QByteArrayList& names);

signals:
    void loadFinished();
    void folderProblem(const FileError& error);
    // Another program renamed the note's file; the note follows it.
    void renamedElsewhere(const QString& from, const QString& to);
    void draftMerged(const QString& url);
    // A draft whose file changed or vanished: saving it now keeps the other side's version.
    void saveNeeded(const QString& url);
    void listChanged();

private:
    void watch();
    void loadNow(const std::optional<QByteArrayList>& only);
    void apply(NoteLoader::Result loaded);
    void applyRecords(NoteLoader::Result loaded);
    void keepDisplaced(const QList<NoteLoader::Result::Displaced>& displaced,
                       const QSet<QString>& ours);

    NoteList& m_list;
    Drafts& m_drafts;
    Selection& m_selection;
    WorkQueue& m_queue;
    History& m_history;
    FolderWatcher m_watcher;
    QString m_folder;
    bool m_watching = true;
    bool m_quiet = false;
    // A folder that cannot be listed is reported once, not at every activation.
    std::optional<FileError> m_lastFolderProblem;
    // Device and inode of the folder the user chose, once it has been seen.
    FileIdentity m_folderIdentity;
    bool m_loadRunning = false;

    bool m_loadAgain = false;
    QSet<QString> m_touchedDuringLoad;
    // Files the watch reported, waiting for their refresh.
    std::optional<QSet<QByteArray>> m_changedFiles;
};
