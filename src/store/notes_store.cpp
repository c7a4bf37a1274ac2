#include "store/notes_store.h"

#include "store/folder_access_service.h"
#include "store/naming.h"
#include "store/note_file.h"
#include "store/recovery_folder.h"
#include "store/search_key.h"

#include <QDir>
#include <QFutureWatcher>
#include <QtConcurrent>

#include <cerrno>

NotesStore::NotesStore(const StoreServices& services, QObject* parent)
    : QObject(parent), m_services(services), m_files(services.clock, services.trash),
      m_search(m_list, [this] { return SearchKey::fold(Naming::trimmed(m_searchText)); })
{
    connect(&m_search, &BackgroundSearch::finished, this, &NotesStore::searchFinished);
    connect(&m_drafts, &Drafts::due, this,
            [this](const QString& url) { defer([this, url] { saveDraftNow(url); }); });

    // Other programs' changes come in by themselves; the refresh they start reads only what
    // changed, so our own saves (whose identity the records already hold) cost a stat scan.
    connect(&m_watcher, &FolderWatcher::notesChanged, this, &NotesStore::refreshFiles);
    connect(&m_watcher, &FolderWatcher::rescanNeeded, this, [this] { loadNotes(); });
    connect(&m_watcher, &FolderWatcher::folderLost, this, [this] { loadNotes(); });

    // The remembered folder stays chosen even when it cannot be written or reached for now
    // (a drive not mounted yet, a share offline): the load lists what it can read or says
    // the folder cannot be opened, and saves and new notes report their own failures.
    m_folderURL = m_services.folders.restoreFolder();
    m_folderIdentity = FileIdentity::ofPath(Naming::pathBytes(m_folderURL));
    watchFolder();
    loadNotes();
}

void NotesStore::setWatching(bool watching)
{
    m_watching = watching;
    watchFolder();
}

void NotesStore::watchFolder()
{
    if (m_folderURL.isEmpty() || !m_watching)
        m_watcher.stop();
    else
        m_watcher.watch(m_folderURL);
}

void NotesStore::defer(std::function<void()> work)
{
    m_queue.add(std::move(work));
}

void NotesStore::setSelectedNote(const std::optional<Note>& note)
{
    m_selectedNote = note;
    emit selectedNoteChanged();
}

void NotesStore::setSearchText(const QString& text)
{
    if (text == m_searchText)
        return;
    m_searchText = text;
    emit searchTextChanged();
    m_search.start();
}

void NotesStore::setFolderURL(const QString& folder)
{
    const QString cleaned = folder.isEmpty() ? QString() : QDir::cleanPath(folder);
    // The reload drops the old folder's records: their unsaved text goes to disk first. What
    // cannot be saved stays in the drafts, which quitting still asks about.
    if (cleaned != m_folderURL)
        saveAllDrafts();
    m_folderURL = cleaned;
    // Choosing the path again is choosing whatever folder it leads to now.
    m_folderIdentity = FileIdentity::ofPath(Naming::pathBytes(m_folderURL));
    m_lastFolderProblem.reset();
    watchFolder();
    emit folderURLChanged();
    loadNotes();
}

std::optional<std::vector<qsizetype>> NotesStore::filteredRows() const
{
    const QByteArray query = SearchKey::fold(Naming::trimmed(m_searchText));
    if (query.isEmpty())
        return std::nullopt;
    return m_list.matching(query);
}

QList<Note> NotesStore::filteredNotes() const
{
    const std::optional<std::vector<qsizetype>> rows = filteredRows();
    if (!rows)
        return m_list.notes();
    QList<Note> found;
    for (const qsizetype i : *rows)
        found.append(m_list.notes().at(i));
    return found;
}

QString NotesStore::textFor(const Note& note)
{
    const std::optional<Draft> draft = m_drafts.value(note.url);
    return draft ? draft->text : note.content();
}

void NotesStore::listChanged()
{
    emit notesChanged();
}

void NotesStore::selectNewest()
{
    setSelectedNote(m_list.newest());
}

// ---- Loading ----

void NotesStore::loadNotes()
{
    // A load reads the folder as it is when it runs, so a second one queued right behind
    // the first would read the same files again: at start-up that doubled the wait.
    if (m_queue.lastIsLoad())
        return;
    m_changedFiles.reset();
    m_queue.addLoad([this] { loadNow(std::nullopt); });
}

void NotesStore::refreshOnActivation()
{
    // Checking a hundred thousand files for nothing, each time the user clicks the window,
    // would cost half a second.
    if (m_watching && m_watcher.seesEveryChange())
        return;
    loadNotes();
}

void NotesStore::refreshFiles(const QByteArrayList& names)
{
    // A whole load waiting to run sees these files too.
    if (m_queue.lastIsLoad())
        return;
    if (m_changedFiles) {
        for (const QByteArray& name : names)
            m_changedFiles->insert(name);
        return;
    }
    m_changedFiles = QSet<QByteArray>(names.cbegin(), names.cend());
    defer([this] {
        if (!m_changedFiles)
            return;
        const QByteArrayList changed(m_changedFiles->cbegin(), m_changedFiles->cend());
        m_changedFiles.reset();
        loadNow(changed);
    });
}

void NotesStore::loadNow(const std::optional<QByteArrayList>& only)
{
    if (m_folderURL.isEmpty()) {
        QList<Note> old = m_list.replace({});
        listChanged();
        dropOffThread(std::move(old));
        setSelectedNote(std::nullopt);
        return;
    }
    if (m_loadRunning) {
        m_loadAgain = true;
        return;
    }
    // Listing, stat-ing and reading happen on another thread: the window keeps painting, and
    // saves made meanwhile win over what the load saw of their files.
    m_loadRunning = true;
    m_touchedDuringLoad.clear();
    const QString folder = m_folderURL;
    auto* watcher = new QFutureWatcher<NoteLoader::Result>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, folder] {
        watcher->deleteLater();
        defer([this, loaded = watcher->result(), folder]() mutable {
            m_loadRunning = false;
            if (folder == m_folderURL)
                applyLoaded(std::move(loaded));
            if (m_loadAgain) {
                m_loadAgain = false;
                loadNotes();
            }
        });
    });
    watcher->setFuture(QtConcurrent::run([folder, only, previous = m_list.notes()] {
        return only ? NoteLoader::refresh(folder, *only, previous)
                    : NoteLoader::load(folder, previous);
    }));
}

// Freeing a hundred thousand records takes tens of milliseconds the window would stall for.
void NotesStore::dropOffThread(QList<Note> records)
{
    if (records.size() >= 1000)
        (void)QtConcurrent::run([dropped = std::move(records)] {});
}

void NotesStore::applyLoaded(NoteLoader::Result loaded)
{
    applyLoadedRecords(std::move(loaded));
    emit loadFinished();
}

void NotesStore::reportFolderProblem(const FileError& error)
{
    // Every activation reloads, and every pause in typing saves: a folder that is gone would
    // otherwise be reported each time.
    if (error == m_lastFolderProblem || m_quiet)
        return;
    m_lastFolderProblem = error;
    emit folderProblem(error);
}

bool NotesStore::folderReplaced() const
{
    if (!m_folderIdentity.isValid())
        return false;
    const FileIdentity now = FileIdentity::ofPath(Naming::pathBytes(m_folderURL));
    return now.isValid() &&
           (now.device != m_folderIdentity.device || now.inode != m_folderIdentity.inode);
}

void NotesStore::applyLoadedRecords(NoteLoader::Result loaded)
{
    if (!loaded.error && loaded.folder.isValid()) {
        if (!m_folderIdentity.isValid())
            m_folderIdentity = loaded.folder;
        else if (loaded.folder.device != m_folderIdentity.device ||
                 loaded.folder.inode != m_folderIdentity.inode)
            loaded.error = FileError::folderReplaced(m_folderURL);
    }
    if (loaded.error) {
        reportFolderProblem(*loaded.error);
        return;
    }
    m_lastFolderProblem.reset();
    if (m_watching && !m_watcher.isWatching())
        watchFolder();
    // Most refreshes (every activation, our own saves seen by the watch) find nothing new:
    // the list, its order and its rows stay exactly as they are. Our own changes made while
    // the load ran are in the list already.
    if (loaded.unchanged) {
        m_touchedDuringLoad.clear();
        return;
    }
    // Our own changes made while the load ran are newer than anything it read of those files.
    if (!m_touchedDuringLoad.isEmpty()) {
        loaded.notes.removeIf(
            [&](const Note& note) { return m_touchedDuringLoad.contains(note.url); });
        for (const QString& url : std::as_const(m_touchedDuringLoad)) {
            if (const Note* note = m_list.find(url))
                loaded.notes.append(*note);
        }
        m_touchedDuringLoad.clear();
    }
    QString selected = m_selectedNote ? m_selectedNote->url : QString();
    for (const auto& [from, to] : std::as_const(loaded.renamed)) {
        if (selected == from)
            selected = to;
        followRename(from, to, {});
    }
    QStringList merged;
    const QStringList toSave =
        m_drafts.reconcile(loaded.notes, m_folderURL, merged,
                           [this](const QString& url) { return isBeingWritten(url); });
    QList<Note> old = m_list.replace(std::move(loaded.notes));
    // The views let go of the old records first, so that the last of them is freed off this
    // thread.
    listChanged();
    dropOffThread(std::move(old));
    for (const QString& url : std::as_const(merged))
        emit draftMerged(url);
    // Saving at once writes beside another program's version of the file instead of over it.
    for (const QString& url : toSave)
        saveDraft(url);

    const Note* note = selected.isEmpty() ? nullptr : m_list.find(selected);
    if (note)
        setSelectedNote(*note);
    else
        selectNewest();
}

// ---- Editing and saving ----

void NotesStore::editDraft(const Note& note, Drafts::LiveRead read)
{
    const Note* known = m_list.find(note.url);
    m_drafts.edit(note.url, known ? *known : note, std::move(read));
    m_drafts.restartPause(note.url);
}

bool NotesStore::isBeingWritten(const QString& url)
{
    return m_watcher.isWatching() && Naming::folderOf(url) == m_folderURL &&
           m_watcher.isBeingWritten(Naming::pathBytes(Naming::fileName(url)));
}

NotesStore::SaveOutcome NotesStore::writeDraft(const QString& url, Waiting waiting)
{
    using Kind = NoteFiles::Saved::Kind;
    const std::optional<Draft> draft = m_drafts.value(url);
    if (!draft)
        return {Kind::InPlace, url};
    // Its bytes are not text we can represent, or its name is not; writing would destroy them.
    if (draft->base.unreadable)
        return {Kind::Failed, url};
    if (!draft->isUnsaved()) {
        m_drafts.remove(url);
        return {Kind::InPlace, url};
    }
    if (Naming::folderOf(url) == m_folderURL && folderReplaced()) {
        reportFolderProblem(FileError::folderReplaced(m_folderURL));
        return {Kind::Failed, url};
    }
    NoteFiles::Saved saved;
    if (isBeingWritten(url)) {
        // What the file holds now is half of another program's text: joining the user's
        // lines into it, or renaming over it, would lose the rest of that write. The text
        // waits for the write to end (the refresh that follows joins the two), unless the
        // process is ending.
        if (waiting == Waiting::Allowed) {
            m_drafts.restartPause(url);
            return {Kind::Postponed, url};
        }
        saved = m_files.keepAsConflictCopy(url, *draft);
    } else {
        saved = m_files.save(url, *draft);
    }
    QString now = url;
    if (!saved.movedTo.isEmpty()) {
        followRename(url, saved.movedTo, saved.movedTitle);
        now = saved.movedTo;
    }
    switch (saved.kind) {
    case Kind::Failed:
        // Ending on a signal, no one is told: the text goes to the recovery folder.
        if (saved.error && !m_quiet)
            emit saveFailed(*saved.error);
        break;
    case Kind::AsConflictCopy:
        conflictCopySavedFor(now, saved.note);
        break;
    case Kind::InPlace:
        m_drafts.remove(url);
        m_drafts.remove(saved.note.url);
        recordSaved(url, saved.note);
        now = saved.note.url;
        // The editor shows what the user typed; the file now also holds the other side's.
        if (saved.merged)
            emit draftMerged(now);
        break;
    case Kind::Postponed:
        break;
    }
    return {saved.kind, now};
}

// Updates or adds the record of a note just written, and keeps it in date order.
void NotesStore::recordSaved(const QString& oldUrl, const Note& saved)
{
    m_touchedDuringLoad.insert(oldUrl);
    m_touchedDuringLoad.insert(saved.url);
    const bool known = m_list.find(saved.url) || m_list.find(oldUrl);
    if (!known && Naming::folderOf(saved.url) != m_folderURL)
        return;
    Note record = saved;
    if (record.id.isNull())
        record.id = NoteLoader::newId();
    record = m_list.putSaved(oldUrl, std::move(record));
    listChanged();
    // The selection takes the fresh record of its own note only: a save of the note the user
    // just left must not pull the selection back to it.
    if (m_selectedNote && (m_selectedNote->url == record.url || m_selectedNote->url == oldUrl))
        setSelectedNote(record);
}

// Another program changed the note since we last read or wrote it. Its file stays as it is;
// the user's text became a new note beside it, which takes the selection when the original
// had it.
void NotesStore::conflictCopySavedFor(const QString& url, const Note& copy)
{
    m_drafts.remove(url);
    const bool wasSelected = m_selectedNote && m_selectedNote->url == url;
    recordSaved(copy.url, copy);
    if (wasSelected) {
        if (const Note* note = m_list.find(copy.url))
            setSelectedNote(*note);
    }
    emit conflictCopySaved(url, copy.url);
    // Our record of the original still holds the text we read before the other program's.
    loadNotes();
}

void NotesStore::followRename(const QString& from, const QString& to, const QString& title)
{
    m_touchedDuringLoad.insert(from);
    m_touchedDuringLoad.insert(to);
    m_drafts.move(from, to);
    if (!m_list.find(from))
        return;
    const bool selected = m_selectedNote && m_selectedNote->url == from;
    m_list.rename(from, to, title);
    emit noteRenamed(from, to);
    listChanged();
    if (selected)
        setSelectedNote(*m_list.find(to));
}

void NotesStore::saveDraft(const QString& url)
{
    defer([this, url] { saveDraftNow(url); });
}

bool NotesStore::saveDraftNow(const QString& url)
{
    return saveDraftWithin(url, Waiting::Allowed);
}

bool NotesStore::saveDraftWithin(const QString& url, Waiting waiting)
{
    if (url.isEmpty() || !m_drafts.contains(url))
        return true;
    // A failed or postponed save keeps the draft, so the next one tries again.
    return writeDraft(url, waiting).kind != NoteFiles::Saved::Kind::Failed;
}

void NotesStore::saveTyping()
{
    const QString selected = m_selectedNote ? m_selectedNote->url : QString();
    defer([this, selected] {
        saveDraftNow(selected);
        saveDraftNow(m_drafts.lastEdited());
    });
}

bool NotesStore::saveAllDrafts()
{
    bool allSaved = true;
    // A save can rename its draft's key or drop it: walk a copy of the keys.
    const QStringList urls = m_drafts.urls();
    for (const QString& url : urls) {
        if (m_drafts.contains(url))
            allSaved = saveDraftWithin(url, Waiting::Forbidden) && allSaved;
    }
    if (allSaved)
        m_drafts.stopPause();
    return allSaved;
}

std::optional<FileError> NotesStore::recoverUnsaved()
{
    int firstError = 0;
    const QStringList urls = m_drafts.urls();
    for (const QString& url : urls) {
        const std::optional<Draft> draft = m_drafts.value(url);
        if (draft && draft->isUnsaved()) {
            // Asked, the user may stay with the text on screen; ended by the system, any
            // private place will do, and the process's last words say which.
            const RecoveryFolder::Kept kept =
                RecoveryFolder::keep(url, draft->text, draft->base.hasBom,
                                     m_quiet ? RecoveryFolder::Reach::AnyPrivateFolder
                                             : RecoveryFolder::Reach::RecoveryFolderOnly);
            if (m_quiet)
                RecoveryFolder::tellStandardError(url, kept, draft->text);
            if (kept.file.isEmpty()) {
                firstError = firstError ? firstError : kept.error;
                continue;
            }
        }
        m_drafts.remove(url);
    }
    if (firstError)
        return FileError::textNotRecovered(RecoveryFolder::path(), firstError);
    return std::nullopt;
}

void NotesStore::saveBeforeExit()
{
    m_quiet = true;
    saveAllDrafts();
    (void)recoverUnsaved(); // the process's last words said where the text went
    m_quiet = false;
}

// ---- Creating and deleting ----

NotesStore::NewNote NotesStore::createDatedNote()
{
    // The note being left reaches its file before the new one takes the editor.
    if (m_selectedNote)
        saveDraftNow(m_selectedNote->url);
    const QString folder = m_folderURL;
    // The folder stays remembered: it may be writable again the next time.
    if (folder.isEmpty() || !m_services.folders.canWrite(folder))
        return {NewNote::Outcome::NeedsFolder, std::nullopt};
    const NoteFiles::Created created = m_files.createDated(folder);
    if (created.error)
        return {NewNote::Outcome::Failed, created.error};
    m_touchedDuringLoad.insert(created.note.url);
    m_list.add(created.note);
    listChanged();
    setSelectedNote(created.note);
    emit noteCreated();
    return {NewNote::Outcome::Created, std::nullopt};
}

std::optional<QString> NotesStore::saveBeforeDelete(const QString& url)
{
    // The Trash keeps what the user last typed; a conflict copy means another program changed
    // the file, which is then not ours to delete.
    if (!m_drafts.contains(url))
        return url;
    const SaveOutcome saved = writeDraft(url, Waiting::Forbidden);
    if (saved.kind != NoteFiles::Saved::Kind::InPlace)
        return std::nullopt;
    return saved.url;
}

bool NotesStore::moveToTrash(const QString& url)
{
    if (m_files.moveToTrash(url) != 0)
        return false;
    forgetDeleted(url);
    return true;
}

std::optional<FileError> NotesStore::removePermanently(const QString& url)
{
    if (const int err = NoteFile::remove(url))
        return FileError::fileNotRemoved(url, err);
    forgetDeleted(url);
    return std::nullopt;
}

void NotesStore::forgetDeleted(const QString& url)
{
    m_touchedDuringLoad.insert(url);
    m_list.remove(url);
    listChanged();
    m_drafts.remove(url);
    selectNewest();
}
