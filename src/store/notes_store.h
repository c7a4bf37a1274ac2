#pragma once

#include "alert_service.h"
#include "note.h"
#include "store_services.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QTimer>
#include <functional>
#include <optional>

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

    const QHash<QString, QString>& drafts() const { return m_drafts; }
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
    // True when the file holds the note's text afterwards (or the note is gone).
    bool saveNote(const Note& note);
    // Writes every draft that differs from its note's saved text, synchronously: the path
    // for quitting, when the event loop will not run again. True when all succeeded.
    bool saveAllDrafts();
    void createNote();
    void deleteSelectedNote();
    void printSelectedNote();
    // Offers the folder chooser when no folder is set.
    void chooseFolderIfNeeded();
    // Presents the chooser; a folder is taken only when it is usable and can be remembered,
    // otherwise the user is told why and the chooser comes back.
    void chooseFolder();

    // Reports a failure; the store's queued work waits while the alert is open.
    void showError(const FileError& error);

    void setSaveDelay(int milliseconds) { m_saveTimer.setInterval(milliseconds); }
    int saveDelay() const { return m_saveTimer.interval(); }

signals:
    void notesChanged();
    void selectedNoteChanged();
    void searchTextChanged();
    void folderURLChanged();
    // A new note was written and selected; the window puts the cursor into it.
    void noteCreated();
    // The user asked, from an alert, to open the preferences.
    void preferencesRequested();

private:
    void defer(std::function<void()> work);
    void scheduleDeferred();
    template <typename Show> auto whileAlertOpen(Show&& show);
    bool ask(const QString& message, const QString& informativeText, AlertService::Style style,
             const QStringList& buttons);
    void loadNotesNow();
    bool commitDraftNow(const QString& url);
    void commitTextNow(const QString& text, const QString& url);
    void flushPendingSaveNow();
    void changeNotes(const std::function<void(QList<Note>&)>& change, bool sortedAfter);
    qsizetype indexOf(const QString& url) const;
    void selectNewest();
    void followRename(qsizetype index, const QString& to, const QString& title);
    void adoptDiskChanges(const QList<Note>& fresh);
    void restoreDeletedWithUnsavedText(QList<Note>& fresh);
    void presentSelectFolderAlert();
    bool clearPendingIfFor(const QString& url);

    void folderChosen(const QString& folder);

    StoreServices m_services;

    QList<Note> m_notes;
    std::optional<Note> m_selectedNote;
    QString m_searchText;
    QString m_folderURL;
    QHash<QString, QString> m_drafts;
    std::optional<Note> m_pendingNote;
    // The debounce: one timer for the whole store, restarted by every edit.
    QTimer m_saveTimer;
    std::optional<Note> m_lastEdited;

    QList<std::function<void()>> m_deferred;
    bool m_deferredScheduled = false;
    bool m_loadQueuedLast = false; // the newest queued task is a load
    int m_alertsOpen = 0;

    mutable QList<Note> m_sortedNotes;
    mutable bool m_sortedValid = false;
    // m_notes itself is newest first (true after any save), so a save need not sort again.
    bool m_notesSorted = true;
};
