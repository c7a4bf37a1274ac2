#include "store/draft_saver.h"

#include "store/folder_sync.h"
#include "store/history.h"
#include "store/naming.h"
#include "store/note_list.h"
#include "store/recovery_folder.h"
#include "store/selection.h"
#include "store/work_queue.h"

DraftSaver::DraftSaver(NoteList& list, Drafts& drafts, Selection& selection, FolderSync& sync,
                       NoteFiles& files, WorkQueue& queue, History& history, QObject* parent)
    : QObject(parent), m_list(list), m_drafts(drafts), m_selection(selection), m_sync(sync),
      m_files(files), m_queue(queue), m_history(history)
{
    connect(&m_drafts, &Drafts::due, this, &DraftSaver::saveLater);
}

void DraftSaver::edit(const Note& note, Drafts::LiveRead read)
{
    const Note* known = m_list.find(note.url);
    m_drafts.edit(note.url, known ? *known : note, std::move(read));
    m_drafts.restartPause(note.url);
}

QString DraftSaver::textFor(const Note& note)
{
    const std::optional<Draft> draft = m_drafts.value(note.url);
    return draft ? draft->text : note.content();
}

void DraftSaver::saveLater(const QString& url)
{
    m_queue.add([this, url] { save(url); });
}

bool DraftSaver::save(const QString& url, Waiting waiting)
{
    if (url.isEmpty() || !m_drafts.contains(url))
        return true;
    return write(url, waiting).kind != NoteFiles::Saved::Kind::Failed;
}

DraftSaver::Outcome DraftSaver::write(const QString& url, Waiting waiting)
{
    using Kind = NoteFiles::Saved::Kind;
    const std::optional<Draft> draft = m_drafts.value(url);
    if (!draft)
        return {Kind::InPlace, url};
    // Its bytes are not text we can represent, or its name is not; writing would destroy them.
    // Nor is a text that was never read a base to check the file against or merge into.
    if (draft->base.unreadable || draft->base.textPending)
        return {Kind::Failed, url};
    if (!draft->isUnsaved()) {
        m_drafts.remove(url);
        return {Kind::InPlace, url};
    }
    if (Naming::folderOf(url) == m_sync.folder() && m_sync.folderReplaced()) {
        m_sync.reportFolderProblem(FileError::folderReplaced(m_sync.folder()));
        return {Kind::Failed, url};
    }
    NoteFiles::Saved saved;
    if (m_sync.isBeingWritten(url)) {
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
    keepHistory(url, *draft, saved);
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
        m_restoring.remove(url);
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

// What the save displaced and what it wrote, in the order it happened: the file as we had read
// it (when our history did not hold it yet, it does now), the other program's version the
// user's lines were joined into, and the text now in the file.
void DraftSaver::keepHistory(const QString& url, const Draft& draft, const NoteFiles::Saved& saved)
{
    using Kind = HistoryStore::Kind;
    const bool written = saved.kind == NoteFiles::Saved::Kind::InPlace;
    const bool moved = !saved.movedTo.isEmpty();
    // A note made by a save (its file was deleted meanwhile) displaced nothing.
    if ((written || moved) && draft.base.identity.isValid())
        m_history.keep(url, draft.base.contentUtf8(),
                       moved ? Kind::BeforeRename : Kind::BeforeSave);
    // Followed here, not in followRename, so that it comes before the versions kept under the
    // new name; other programs' renames are followed there.
    if (moved)
        m_history.follow(url, saved.movedTo);
    const QString now = moved ? saved.movedTo : url;
    if (!saved.theirs.isNull())
        m_history.keep(now, saved.theirs, Kind::BeforeMerge);
    if (written) {
        const Kind kind = m_restoring.contains(url) ? Kind::Restored
                          : saved.merged            ? Kind::Merged
                                                    : Kind::Saved;
        m_history.keep(saved.note.url, saved.note.contentUtf8(), kind);
    } else if (saved.kind == NoteFiles::Saved::Kind::AsConflictCopy) {
        m_history.keep(saved.note.url, saved.note.contentUtf8(), Kind::Saved);
        // Also in the history of the note it was meant for, where the two can be compared.
        m_history.keep(now, saved.note.contentUtf8(), Kind::ConflictCopy);
    }
}

// Updates or adds the record of a note just written, and keeps it in date order.
void DraftSaver::recordSaved(const QString& oldUrl, const Note& saved)
{
    m_sync.touched(oldUrl);
    m_sync.touched(saved.url);
    const bool known = m_list.find(saved.url) || m_list.find(oldUrl);
    if (!known && Naming::folderOf(saved.url) != m_sync.folder())
        return;
    Note record = saved;
    if (record.id.isNull())
        record.id = NoteLoader::newId();
    record = m_list.putSaved(oldUrl, std::move(record));
    emit listChanged();
    // The selection takes the fresh record of its own note only: a save of the note the user
    // just left must not pull the selection back to it.
    if (m_selection.is(record.url) || m_selection.is(oldUrl))
        m_selection.set(record);
}

// Another program changed the note since we last read or wrote it. Its file stays as it is;
// the user's text became a new note beside it, which takes the selection when the original
// had it.
void DraftSaver::conflictCopySavedFor(const QString& url, const Note& copy)
{
    m_drafts.remove(url);
    const bool wasSelected = m_selection.is(url);
    recordSaved(copy.url, copy);
    if (wasSelected) {
        if (const Note* note = m_list.find(copy.url))
            m_selection.set(*note);
    }
    emit conflictCopySaved(url, copy.url);
    // Our record of the original still holds the text we read before the other program's.
    m_sync.loadNotes();
}

void DraftSaver::followRename(const QString& from, const QString& to, const QString& title)
{
    m_sync.touched(from);
    m_sync.touched(to);
    m_drafts.move(from, to);
    if (!m_list.find(from))
        return;
    const bool selected = m_selection.is(from);
    m_list.rename(from, to, title);
    emit noteRenamed(from, to);
    emit listChanged();
    if (selected)
        m_selection.set(*m_list.find(to));
}

bool DraftSaver::saveAll()
{
    bool allSaved = true;
    // A save can rename its draft's key or drop it: walk a copy of the keys.
    const QStringList urls = m_drafts.urls();
    for (const QString& url : urls) {
        if (m_drafts.contains(url))
            allSaved = save(url, Waiting::Forbidden) && allSaved;
    }
    if (allSaved)
        m_drafts.stopPause();
    return allSaved;
}

std::optional<FileError> DraftSaver::recoverUnsaved(bool quiet)
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
                                     quiet ? RecoveryFolder::Reach::AnyPrivateFolder
                                           : RecoveryFolder::Reach::RecoveryFolderOnly);
            if (quiet)
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

void DraftSaver::saveBeforeExit()
{
    m_quiet = true;
    m_sync.setQuiet(true);
    saveAll();
    (void)recoverUnsaved(true); // the process's last words said where the text went
    m_sync.setQuiet(false);
    m_quiet = false;
}
