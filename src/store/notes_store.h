#pragma once

#include "store/background_search.h"
#include "store/draft_saver.h"
#include "store/drafts.h"
#include "store/file_error.h"
#include "store/folder_sync.h"
#include "store/history.h"
#include "store/note.h"
#include "store/note_files.h"
#include "store/note_list.h"
#include "store/selection.h"
#include "store/store_services.h"
#include "store/text_reader.h"
#include "store/title_order.h"
#include "store/work_queue.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <functional>
#include <optional>
#include <vector>

// The window's model: the notes of the folder, the selection, the search text and the folder
// itself, and the steps that change them. Loading is FolderSync's, saving DraftSaver's; this
// class joins them and creates and deletes notes. It asks no one: steps return their outcome,
// and failures of deferred work are signalled. Deferred work runs on the event loop after the
// current event, in the order it was started, and waits while the queue is held.
class NotesStore : public QObject
{
    Q_OBJECT

public:
    static constexpr int defaultSaveDelayMs = Drafts::defaultDelayMs;

    explicit NotesStore(const StoreServices& services, QObject* parent = nullptr);

    const QList<Note>& notes() const { return m_list.notes(); }
    const std::optional<Note>& selectedNote() const { return m_selection.note(); }
    void setSelectedNote(const std::optional<Note>& note);
    const QString& searchText() const { return m_searchText; }
    void setSearchText(const QString& text);
    const QString& folderURL() const { return m_sync.folder(); }
    // Saves the unsaved drafts of the current folder first when the folder changes; every
    // assignment schedules one reload.
    void setFolderURL(const QString& folder);
    // Newest first, filtered by the trimmed search text against title and saved content.
    QList<Note> filteredNotes() const;
    // The same without copying records: the list, whose signals tell each row that changed,
    // and the positions in it of the notes the search keeps (nothing when there is no
    // search: all of them).
    const NoteList& noteList() const { return m_list; }
    std::optional<std::vector<qsizetype>> filteredRows() const;

    // The order the list shows its notes in. The list itself stays newest first; the title
    // order is its positions, sorted.
    enum class SortOrder
    {
        DateModified,
        Title,
    };
    SortOrder sortOrder() const { return m_sortOrder; }
    void setSortOrder(SortOrder order);
    // The positions filteredRows() keeps, by title; nothing while the title order of the list
    // as it is now is being made (rowsOrdered() follows).
    std::optional<std::vector<qsizetype>> rowsByTitle();
    // The note the list shows first for the search text as it is now, in the sort order: the
    // result is made now when the search has not delivered it yet.
    std::optional<Note> firstListed() const;
    // The search text's result is known: firstListed() answers without scanning.
    bool searchAnswered() const;

    bool contains(const QString& url) const { return m_list.find(url) != nullptr; }
    std::optional<Note> note(const QString& url) const
    {
        const Note* found = m_list.find(url);
        return found ? std::optional<Note>(*found) : std::nullopt;
    }
    bool hasDraft(const QString& url) const { return m_drafts.contains(url); }
    // Every note's unsaved text, by file.
    QHash<QString, QString> unsavedTexts() { return m_drafts.texts(); }
    // The text a view should show for a note: its draft, else its saved content (read first
    // when the note was listed before its text).
    QString textFor(const Note& note);
    // The folder's notes were listed by name, and their texts are being read: a search lists
    // what it has found so far, and grows (textsArrived()) until readingTexts() is false.
    bool readingTexts() const { return m_reader.isReading(); }
    int percentRead() const { return m_reader.percentRead(); }

    // Deferred operations.
    void loadNotes() { m_sync.loadNotes(); }
    // The window came back to the front: whatever changed meanwhile is listed. A watch that
    // sees every change has reported it already; otherwise the folder is read again.
    void refreshOnActivation() { m_sync.refreshOnActivation(); }
    // Writes the note's unsaved text after the current event: the typing pause ended.
    void saveDraft(const QString& url) { m_saver.saveLater(url); }
    // The user left the window: the selected note and the one last typed in are written now
    // instead of after the pause.
    void saveTyping();

    // Immediate operations.
    // The editor's text changed. The editor holds the text: it is read through read only when
    // something needs it (a save, leaving the note, quitting), so a keystroke in a long note
    // copies nothing. read gives nothing once the editor is gone.
    void editDraft(const Note& note, Drafts::LiveRead read);
    // Takes the editor's text into the drafts now: before the editor shows something else.
    void takeLiveText() { m_drafts.takeLiveText(); }
    // True when the note's unsaved text is on disk afterwards: in its file, or in a conflict
    // copy beside it when another program changed the file since we last read it. Leaving a
    // note calls it before the next one is shown.
    bool saveDraftNow(const QString& url) { return m_saver.save(url); }
    // Writes every draft, synchronously, going on past failures: the path for quitting,
    // when the event loop will not run again. True when every text is on disk.
    bool saveAllDrafts() { return m_saver.saveAll(); }
    // Puts each text that could not be saved into the recovery folder; the first failure,
    // when some text is still only here.
    std::optional<FileError> recoverUnsaved() { return m_saver.recoverUnsaved(false); }
    // For a signal or the end of the session: saves what it can and keeps the rest in the
    // recovery folder, signalling nothing.
    void saveBeforeExit();

    // Every version of the folder's notes that mattered.
    History& history() { return m_history; }
    // Makes an older version the note's text, through the same save as typing (the text it
    // replaces is kept first, so that the restore can be undone the same way). True when it is
    // in the file.
    bool restoreVersion(const QString& url, const QString& text);
    // A deleted note's text as a note again, under a name no file has; its history goes with
    // it. The new note is selected.
    struct Restored
    {
        std::optional<QString> url;
        std::optional<FileError> error;
    };
    Restored restoreDeleted(const QString& formerUrl, const QString& text);

    // A new dated note in the folder, selected, after the note being left is saved.
    struct NewNote
    {
        enum class Outcome
        {
            Created,
            NeedsFolder, // none chosen, or not writable now (it stays remembered)
            Failed,
        };
        Outcome outcome;
        std::optional<FileError> error; // when Failed
    };
    NewNote createDatedNote();
    // The same for a note holding text, named after its title (numbered when taken).
    NewNote createNote(const QString& text);
    // Deleting, step by step. First the note's last text is saved: nothing is deleted when it
    // cannot be, or went to a conflict copy; the path the save left (a new title renames) is
    // the one the next steps take. Then the Trash; then, when the Trash refused, removal for
    // good. Each deletion drops the note and selects the newest remaining one.
    std::optional<QString> saveBeforeDelete(const QString& url);
    bool moveToTrash(const QString& url);
    std::optional<FileError> removePermanently(const QString& url);
    // The note last deleted, as it was listed, while it can be put back: until it is, or
    // another note is deleted, or the folder changes.
    std::optional<Note> trashedNote() const;
    // False when it was deleted for good: undoing it writes its last text from the history.
    bool deletedNoteInTrash() const { return m_trashed && m_trashed->entry.has_value(); }
    // Puts that note back under its old name (numbered when the name is taken now) and
    // selects it. Nothing to do without one.
    std::optional<FileError> undoDelete();

    // While a person is being asked, the queued work waits: it could change the notes under
    // the question (a load, a save that renames). Calls come in pairs.
    void holdQueue() { m_queue.hold(); }
    void releaseQueue() { m_queue.release(); }

    void setSaveDelay(int milliseconds) { m_drafts.setDelay(milliseconds); }
    int saveDelay() const { return m_drafts.delay(); }
    // Off, only activation and explicit loads see other programs' changes (tests that
    // change files step by step).
    void setWatching(bool watching) { m_sync.setWatching(watching); }

signals:
    // After the list changed, row by row as noteList() told.
    void notesChanged();
    void selectedNoteChanged();
    void searchTextChanged();
    // The result of the search text is ready: filteredRows() answers at once.
    void searchFinished();
    void sortOrderChanged();
    // The title order of the list as it is now is ready: rowsByTitle() answers at once.
    void rowsOrdered();
    void folderURLChanged();
    // A load has run to its end, whether or not it changed anything.
    void loadFinished();
    // Notes listed before their text was read took it: searches may find more of them now.
    // The rows stay where they are.
    void textsArrived();
    // Every listed note's text has been read.
    void textsRead();
    // A new note was written and selected; the window puts the cursor into it.
    void noteCreated();
    // trashedNote() changed.
    void trashedNoteChanged();
    // A note's file has a new name: ours after its title, or another program's rename.
    void noteRenamed(const QString& from, const QString& to);
    // Another program changed `theirs` since we read it: the user's text went to `ours`.
    void conflictCopySaved(const QString& theirs, const QString& ours);
    // Another program changed the note while the user had unsaved text in it, on other
    // lines: the note's text now holds both (in its draft, or already in its file).
    void draftMerged(const QString& url);
    // A save (deferred, or a step of another operation) failed; the text stays unsaved.
    void saveFailed(const FileError& error);
    // The folder cannot be listed, or its path leads to another folder now: nothing is read
    // from it or written to it until that changes. Said once until the folder is usable again.
    void folderProblem(const FileError& error);

private:
    NewNote create(const std::function<NoteFiles::Created(const QString& folder)>& write);
    void keepBeforeDelete(const QString& url);
    // The list's record of url with its text read; nothing when it is not listed or gone.
    const Note* withText(const QString& url);
    void forgetDeleted(const QString& url);
    void forgetTrashed();

    struct Trashed
    {
        Note note;
        std::optional<TrashService::Entry> entry; // none: deleted for good
    };
    void rememberDeleted(const QString& url, std::optional<TrashService::Entry> entry);

    StoreServices m_services;
    History m_history;
    NoteFiles m_files;
    NoteList m_list;
    Drafts m_drafts;
    Selection m_selection;
    WorkQueue m_queue;
    TextReader m_reader;
    FolderSync m_sync;
    DraftSaver m_saver;
    QString m_searchText;
    BackgroundSearch m_search;
    TitleOrder m_titleOrder;
    SortOrder m_sortOrder = SortOrder::DateModified;
    std::optional<Trashed> m_trashed;
};
