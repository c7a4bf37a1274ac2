#pragma once

#include "alert_service.h"
#include "draft.h"
#include "folder_watcher.h"
#include "note.h"
#include "note_loader.h"
#include "store_services.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QTimer>
#include <functional>
#include <optional>
#include <vector>

struct FileError;

// The one object that holds the notes of the folder, the selection, the search text, the
// folder itself and the unsaved drafts, and that reads and writes the note files.
// Deferred work runs on the event loop after the current event, in the order it was started.
class NotesStore : public QObject
{
    Q_OBJECT

public:
    static constexpr int defaultSaveDelayMs = 3000;
    // Below this many notes a second thread costs more than it saves.
    static constexpr qsizetype parallelSearchThreshold = 4000;

    explicit NotesStore(const StoreServices& services, QObject* parent = nullptr);

    const QList<Note>& notes() const { return m_notes; }
    const std::optional<Note>& selectedNote() const { return m_selectedNote; }
    void setSelectedNote(const std::optional<Note>& note);
    const QString& searchText() const { return m_searchText; }
    void setSearchText(const QString& text);
    const QString& folderURL() const { return m_folderURL; }
    // Saves the unsaved drafts of the current folder first when the folder changes; every
    // assignment schedules one reload.
    void setFolderURL(const QString& folder);
    // Newest first, filtered by the trimmed search text against title and saved content.
    QList<Note> filteredNotes() const;
    // The same without copying records: every note newest first, and the positions in it of
    // those the search keeps (nothing when there is no search: all of them).
    const QList<Note>& sortedNotes() const;
    std::optional<std::vector<qsizetype>> filteredRows() const;

    // The unsaved text of every note, by file: the one place it is kept until it is on disk.
    QHash<QString, QString> drafts() const;
    bool hasDraft(const QString& url) const;
    const std::optional<Note>& pendingNote() const { return m_pendingNote; }
    // The text a view should show for a note: its draft, else its saved content.
    QString textFor(const Note& note) const;

    // Deferred operations.
    void loadNotes();
    void commitDraft(const QString& url);
    void commitText(const QString& text, const Note& note);
    void flushPendingSave();

    // Immediate operations.
    void updateDraft(const Note& note, const QString& text);
    // The same for an editor that holds the text: it is read only when something needs it
    // (a save, a commit, quitting), so a keystroke in a long note does not copy the note.
    // read gives nothing once the editor is gone.
    void editDraft(const Note& note, std::function<std::optional<QString>()> read);
    // Takes the editor's text into the drafts now: before the editor shows something else.
    void takeLiveText() const;
    // True when the note's text is on disk afterwards: in its file, or in a conflict copy
    // beside it when another program changed the file since we last read it.
    bool saveNote(const Note& note);
    // The same for the note's draft; leaving a note calls it before the next one is shown.
    bool commitDraftNow(const QString& url);
    // Writes every draft, synchronously, going on past failures: the path for quitting,
    // when the event loop will not run again. True when every text is on disk.
    bool saveAllDrafts();
    // Puts each text that could not be saved into the recovery folder; true when all went.
    bool recoverUnsaved();
    // Saves everything; when something cannot be saved, asks whether to quit anyway and
    // then keeps that text in the recovery folder. True when the application may end.
    bool prepareToQuit();
    // For a signal or the end of the session: saves what it can and keeps the rest in the
    // recovery folder, without showing anything or waiting for anyone.
    void saveBeforeExit();
    void createNote();
    void deleteSelectedNote();
    // Offers the folder chooser when no folder is set.
    void chooseFolderIfNeeded();
    // Presents the chooser; a folder is taken only when it is usable and can be remembered,
    // otherwise the user is told why and the chooser comes back.
    void chooseFolder();

    // Reports a failure; the store's queued work waits while the alert is open.
    void showError(const FileError& error);

    void setSaveDelay(int milliseconds) { m_saveTimer.setInterval(milliseconds); }
    // Off, only activation and explicit loads see other programs' changes (tests that
    // change files step by step).
    void setWatching(bool watching);
    int saveDelay() const { return m_saveTimer.interval(); }

signals:
    void notesChanged();
    void selectedNoteChanged();
    void searchTextChanged();
    void folderURLChanged();
    // A load has run to its end, whether or not it changed anything.
    void loadFinished();
    // A new note was written and selected; the window puts the cursor into it.
    void noteCreated();
    // Another program changed `theirs` since we read it: the user's text went to `ours`.
    void conflictCopySaved(const QString& theirs, const QString& ours);
    // Another program changed the note while the user had unsaved text in it, on other
    // lines: the draft now holds both, and is being saved.
    void draftMerged(const QString& url);
    // The user asked, from an alert, to open the preferences.
    void preferencesRequested();

private:
    void defer(std::function<void()> work);
    void scheduleDeferred();
    template <typename Show> auto whileAlertOpen(Show&& show);
    bool ask(const QString& message, const QString& informativeText, AlertService::Style style,
             const QStringList& buttons);
    enum class Saved
    {
        InPlace,
        AsConflictCopy,
        Failed,
    };

    void watchFolder();
    void loadNotesNow();
    void applyLoaded(NoteLoader::Result loaded);
    void applyLoadedRecords(NoteLoader::Result loaded);
    void setDraftText(const QString& url, const QString& text);
    Saved saveDraft(const QString& url);
    Saved keepAsConflictCopy(const QString& url, const Draft& draft);
    void recordSaved(const QString& oldUrl, const Note& saved);
    void commitTextNow(const QString& text, const QString& url);
    void flushPendingSaveNow();
    void changeNotes(const std::function<void(QList<Note>&)>& change, bool sortedAfter);
    qsizetype indexOf(const QString& url) const;
    void selectNewest();
    void followRename(const QString& from, const QString& to, const QString& title);
    void reconcileDrafts(QList<Note>& fresh);
    void presentSelectFolderAlert();
    bool clearPendingIfFor(const QString& url);

    void folderChosen(const QString& folder);

    StoreServices m_services;
    FolderWatcher m_watcher;
    bool m_watching = true;

    QList<Note> m_notes;
    std::optional<Note> m_selectedNote;
    QString m_searchText;
    QString m_folderURL;
    // Mutable: reading the drafts first takes in the editor's text (takeLiveText).
    mutable QHash<QString, Draft> m_drafts;
    struct LiveText
    {
        QString url;
        std::function<std::optional<QString>()> read;
    };
    mutable std::optional<LiveText> m_live;
    std::optional<Note> m_pendingNote;
    // The debounce: one timer for the whole store, restarted by every edit.
    QTimer m_saveTimer;
    QString m_lastEditedUrl;
    // Ending on a signal: nothing may wait for a person.
    bool m_quiet = false;
    // A folder that cannot be listed is reported once, not at every activation.
    QString m_lastLoadError;
    bool m_loadRunning = false;
    bool m_loadAgain = false;
    QSet<QString> m_touchedDuringLoad;

    QList<std::function<void()>> m_deferred;
    bool m_deferredScheduled = false;
    bool m_loadQueuedLast = false; // the newest queued task is a load
    int m_alertsOpen = 0;

    mutable QList<Note> m_sortedNotes;
    mutable bool m_sortedValid = false;
    // Rows of m_sortedNotes that matched recent queries, while that list stays the same.
    struct Search
    {
        QByteArray query;
        std::vector<qsizetype> rows;
    };
    static constexpr qsizetype maxRememberedSearches = 16;
    mutable QList<Search> m_searches;
    const std::vector<qsizetype>& matchingRows(const QByteArray& query) const;
    // m_notes itself is newest first (true after any save), so a save need not sort again.
    bool m_notesSorted = true;
};
