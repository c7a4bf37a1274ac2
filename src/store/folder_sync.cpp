#include "store/folder_sync.h"

#include "store/drafts.h"
#include "store/folder_scan.h"
#include "store/history.h"
#include "store/naming.h"
#include "store/note_list.h"
#include "store/selection.h"
#include "store/work_queue.h"

#include <QFutureWatcher>
#include <QtConcurrent>

namespace {

// Freeing a hundred thousand records takes tens of milliseconds the window would stall for.
void dropOffThread(QList<Note> records)
{
    if (records.size() >= 1000)
        (void)QtConcurrent::run([dropped = std::move(records)] {});
}

} // namespace

FolderSync::FolderSync(NoteList& list, Drafts& drafts, Selection& selection, WorkQueue& queue,
                       History& history, QObject* parent)
    : QObject(parent), m_list(list), m_drafts(drafts), m_selection(selection), m_queue(queue),
      m_history(history)
{
    // Other programs' changes come in by themselves; the refresh they start reads only what
    // changed, so our own saves (whose identity the records already hold) cost a stat scan.
    connect(&m_watcher, &FolderWatcher::notesChanged, this, &FolderSync::refreshFiles);
    connect(&m_watcher, &FolderWatcher::rescanNeeded, this, [this] { loadNotes(); });
    connect(&m_watcher, &FolderWatcher::folderLost, this, [this] { loadNotes(); });
}

void FolderSync::setFolder(const QString& folder)
{
    m_folder = folder;
    m_folderIdentity = FileIdentity::ofPath(Naming::pathBytes(m_folder));
    m_lastFolderProblem.reset();
    watch();
}

void FolderSync::setWatching(bool watching)
{
    m_watching = watching;
    watch();
}

void FolderSync::watch()
{
    if (m_folder.isEmpty() || !m_watching)
        m_watcher.stop();
    else
        m_watcher.watch(m_folder);
}

bool FolderSync::isBeingWritten(const QString& url)
{
    return m_watcher.isWatching() && Naming::folderOf(url) == m_folder &&
           m_watcher.isBeingWritten(Naming::pathBytes(Naming::fileName(url)));
}

bool FolderSync::folderReplaced() const
{
    if (!m_folderIdentity.isValid())
        return false;
    const FileIdentity now = FileIdentity::ofPath(Naming::pathBytes(m_folder));
    return now.isValid() &&
           (now.device != m_folderIdentity.device || now.inode != m_folderIdentity.inode);
}

void FolderSync::reportFolderProblem(const FileError& error)
{
    // Every activation reloads, and every pause in typing saves: a folder that is gone would
    // otherwise be reported each time.
    if (error == m_lastFolderProblem || m_quiet)
        return;
    m_lastFolderProblem = error;
    emit folderProblem(error);
}

void FolderSync::loadNotes()
{
    // A load reads the folder as it is when it runs, so a second one queued right behind
    // the first would read the same files again: at start-up that doubled the wait.
    if (m_queue.lastIsLoad())
        return;
    m_changedFiles.reset();
    m_queue.addLoad([this] { loadNow(std::nullopt); });
}

void FolderSync::refreshOnActivation()
{
    // Checking a hundred thousand files for nothing, each time the user clicks the window,
    // would cost half a second.
    if (m_watching && m_watcher.seesEveryChange())
        return;
    loadNotes();
}

void FolderSync::refreshFiles(const QByteArrayList& names)
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
    m_queue.add([this] {
        if (!m_changedFiles)
            return;
        const QByteArrayList changed(m_changedFiles->cbegin(), m_changedFiles->cend());
        m_changedFiles.reset();
        loadNow(changed);
    });
}

void FolderSync::loadNow(const std::optional<QByteArrayList>& only)
{
    if (m_folder.isEmpty()) {
        QList<Note> old = m_list.replace({});
        emit listChanged();
        dropOffThread(std::move(old));
        m_selection.set(std::nullopt);
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
    const QString folder = m_folder;
    // A folder the list does not show yet is listed from its entries: a hundred thousand
    // texts would keep the list empty for seconds, longer still after a reboot.
    const bool scan = !only && (m_list.notes().isEmpty() ||
                                Naming::folderOf(m_list.notes().constFirst().url) != folder);
    auto* watcher = new QFutureWatcher<NoteLoader::Result>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, folder] {
        watcher->deleteLater();
        m_queue.add([this, loaded = watcher->result(), folder]() mutable {
            m_loadRunning = false;
            if (folder == m_folder)
                apply(std::move(loaded));
            if (m_loadAgain) {
                m_loadAgain = false;
                loadNotes();
            }
        });
    });
    watcher->setFuture(QtConcurrent::run([folder, only, scan, previous = m_list.notes()] {
        if (scan)
            return FolderScan::scan(folder);
        return only ? NoteLoader::refresh(folder, *only, previous)
                    : NoteLoader::load(folder, previous);
    }));
}

// Another program's version replaced ours, or the file went: both texts stay in the history.
// What we wrote ourselves while the load ran is not another program's.
void FolderSync::keepDisplaced(const QList<NoteLoader::Result::Displaced>& displaced,
                               const QSet<QString>& ours)
{
    using Kind = HistoryStore::Kind;
    for (const NoteLoader::Result::Displaced& text : displaced) {
        if (ours.contains(text.url))
            continue;
        m_history.keep(text.url, text.before, text.now ? Kind::Replaced : Kind::BeforeDelete);
        if (text.now)
            m_history.keep(text.url, *text.now, Kind::Theirs);
    }
}

void FolderSync::apply(NoteLoader::Result loaded)
{
    applyRecords(std::move(loaded));
    emit loadFinished();
}

void FolderSync::applyRecords(NoteLoader::Result loaded)
{
    if (!loaded.error && loaded.folder.isValid()) {
        if (!m_folderIdentity.isValid())
            m_folderIdentity = loaded.folder;
        else if (loaded.folder.device != m_folderIdentity.device ||
                 loaded.folder.inode != m_folderIdentity.inode)
            loaded.error = FileError::folderReplaced(m_folder);
    }
    if (loaded.error) {
        reportFolderProblem(*loaded.error);
        return;
    }
    m_lastFolderProblem.reset();
    if (m_watching && !m_watcher.isWatching())
        watch();
    // Most refreshes (every activation, our own saves seen by the watch) find nothing new:
    // the list, its order and its rows stay exactly as they are.
    if (loaded.unchanged) {
        m_touchedDuringLoad.clear();
        return;
    }
    // Our own changes made while the load ran are newer than anything it read of those files.
    const QSet<QString> ours = m_touchedDuringLoad;
    if (!m_touchedDuringLoad.isEmpty()) {
        loaded.notes.removeIf(
            [&](const Note& note) { return m_touchedDuringLoad.contains(note.url); });
        for (const QString& url : std::as_const(m_touchedDuringLoad)) {
            if (const Note* note = m_list.find(url))
                loaded.notes.append(*note);
        }
        m_touchedDuringLoad.clear();
    }
    QString selected = m_selection.url();
    for (const auto& [from, to] : std::as_const(loaded.renamed)) {
        if (selected == from)
            selected = to;
        emit renamedElsewhere(from, to);
    }
    keepDisplaced(loaded.displaced, ours);
    QStringList merged;
    const QStringList toSave = m_drafts.reconcile(
        loaded.notes, m_folder, merged, [this](const QString& url) { return isBeingWritten(url); });
    QList<Note> old = m_list.replace(std::move(loaded.notes));
    // The views let go of the old records first, so that the last of them is freed off this
    // thread.
    emit listChanged();
    dropOffThread(std::move(old));
    for (const QString& url : std::as_const(merged))
        emit draftMerged(url);
    // Saving at once writes beside another program's version of the file instead of over it.
    for (const QString& url : toSave)
        emit saveNeeded(url);

    const Note* note = selected.isEmpty() ? nullptr : m_list.find(selected);
    m_selection.set(note ? std::optional<Note>(*note) : m_list.newest());
}
