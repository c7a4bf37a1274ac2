#include "notes_store.h"

#include "alert_service.h"
#include "clock.h"
#include "conflict_copies.h"
#include "folder_access.h"
#include "folder_panel.h"
#include "naming.h"
#include "note_file.h"
#include "note_loader.h"
#include "recovery_folder.h"
#include "search_key.h"
#include "text_merge.h"
#include "trash_service.h"

#include <QDir>
#include <QFutureWatcher>
#include <QPointer>
#include <QSet>
#include <QtConcurrent>

#include <algorithm>
#include <cerrno>
#include <numeric>
#include <vector>

namespace {

// Sorts by plain numbers and places each record once: with tens of thousands of notes,
// comparing dates and shuffling records inside the sort cost tens of milliseconds. Records
// are moved when the list is ours alone, copied when it is shared.
QList<Note> newestFirst(QList<Note> notes)
{
    std::vector<std::pair<qint64, qsizetype>> order;
    order.reserve(size_t(notes.size()));
    for (qsizetype i = 0; i < notes.size(); ++i)
        order.emplace_back(notes.at(i).lastModified.toMSecsSinceEpoch(), i);
    std::stable_sort(order.begin(), order.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    const bool own = notes.isDetached();
    QList<Note> sorted;
    sorted.reserve(notes.size());
    for (const auto& entry : order) {
        if (own)
            sorted.append(std::move(notes[entry.second]));
        else
            sorted.append(notes.at(entry.second));
    }
    return sorted;
}

// In a list sorted newest first, puts the record at `at`, whose date alone changed, where a
// stable sort would put it: after every record with a later date, and among records with the
// same date in its old relative position.
void moveToDateOrder(QList<Note>& notes, qsizetype at)
{
    // Binary searches over the list as if the record were already taken out of it.
    const qint64 date = notes.at(at).lastModified.toMSecsSinceEpoch();
    const auto dateAt = [&](qsizetype k) {
        return notes.at(k < at ? k : k + 1).lastModified.toMSecsSinceEpoch();
    };
    const auto firstWhere = [&](auto&& test) {
        qsizetype low = 0;
        qsizetype high = notes.size() - 1;
        while (low < high) {
            const qsizetype mid = low + (high - low) / 2;
            if (test(dateAt(mid)))
                high = mid;
            else
                low = mid + 1;
        }
        return low;
    };
    const qsizetype sameFrom = firstWhere([&](qint64 d) { return d <= date; });
    const qsizetype sameTo = firstWhere([&](qint64 d) { return d < date; });
    const qsizetype to = sameFrom + qMax<qsizetype>(0, qMin(sameTo, at) - sameFrom);
    // Rotating moves only the records between the old and the new place, usually none.
    const auto begin = notes.begin();
    if (to <= at)
        std::rotate(begin + to, begin + at, begin + at + 1);
    else
        std::rotate(begin + at, begin + at + 1, begin + to + 1);
}

const QString generatedNamePrefix = QStringLiteral("Daily Notes - ");

} // namespace

NotesStore::NotesStore(const StoreServices& services, QObject* parent)
    : QObject(parent), m_services(services)
{
    m_saveTimer.setSingleShot(true);
    m_saveTimer.setInterval(defaultSaveDelayMs);
    connect(&m_saveTimer, &QTimer::timeout, this, [this] {
        if (!m_lastEditedUrl.isEmpty())
            defer([this, url = m_lastEditedUrl] { commitDraftNow(url); });
    });

    // Other programs' changes come in by themselves; the refresh they start reads only what
    // changed, so our own saves (whose identity the records already hold) cost a stat scan.
    connect(&m_watcher, &FolderWatcher::notesChanged, this, [this] { loadNotes(); });
    connect(&m_watcher, &FolderWatcher::rescanNeeded, this, [this] { loadNotes(); });
    connect(&m_watcher, &FolderWatcher::folderLost, this, [this] { loadNotes(); });

    m_folderURL = FolderAccess::restoreFolder();
    watchFolder();
    loadNotes();
    if (!m_folderURL.isEmpty() && !FolderAccess::canWrite(m_folderURL)) {
        FolderAccess::clearBookmark();
        m_folderURL.clear();
        watchFolder();
        loadNotes();
    }
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
    m_loadQueuedLast = false;
    m_deferred.append(std::move(work));
    scheduleDeferred();
}

void NotesStore::scheduleDeferred()
{
    if (m_deferredScheduled || m_alertsOpen > 0 || m_deferred.isEmpty())
        return;
    m_deferredScheduled = true;
    // One task per turn of the event loop, so each starts after the event that queued it.
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_deferredScheduled = false;
            if (m_alertsOpen > 0 || m_deferred.isEmpty())
                return;
            const std::function<void()> work = m_deferred.takeFirst();
            if (m_deferred.isEmpty())
                m_loadQueuedLast = false;
            work();
            scheduleDeferred();
        },
        Qt::QueuedConnection);
}

// A modal alert turns the event loop while it waits; the store's own queued work must not run
// inside it, or the notes could change under the operation that is asking.
template <typename Show> auto NotesStore::whileAlertOpen(Show&& show)
{
    ++m_alertsOpen;
    const auto answer = show();
    --m_alertsOpen;
    scheduleDeferred();
    return answer;
}

void NotesStore::showError(const FileError& error)
{
    if (m_quiet)
        return;
    whileAlertOpen([&] {
        m_services.alerts.showError(error);
        return true;
    });
}

bool NotesStore::ask(const QString& message, const QString& informativeText,
                     AlertService::Style style, const QStringList& buttons)
{
    return whileAlertOpen(
        [&] { return m_services.alerts.showText(message, informativeText, style, buttons); });
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
}

void NotesStore::setFolderURL(const QString& folder)
{
    const QString cleaned = folder.isEmpty() ? QString() : QDir::cleanPath(folder);
    // The reload drops the old folder's records: their unsaved text goes to disk first. What
    // cannot be saved stays in the drafts, which quitting still asks about.
    if (cleaned != m_folderURL)
        saveAllDrafts();
    m_folderURL = cleaned;
    m_lastLoadError.clear();
    watchFolder();
    emit folderURLChanged();
    loadNotes();
}

const QList<Note>& NotesStore::sortedNotes() const
{
    if (!m_sortedValid) {
        m_sortedNotes = m_notesSorted ? m_notes : newestFirst(m_notes);
        m_sortedValid = true;
        m_searches.clear();
    }
    return m_sortedNotes;
}

std::optional<std::vector<qsizetype>> NotesStore::filteredRows() const
{
    sortedNotes();
    const QByteArray query = SearchKey::fold(Naming::trimmed(m_searchText));
    if (query.isEmpty())
        return std::nullopt;
    return matchingRows(query);
}

QList<Note> NotesStore::filteredNotes() const
{
    sortedNotes();
    const QByteArray query = SearchKey::fold(Naming::trimmed(m_searchText));
    if (query.isEmpty())
        return m_sortedNotes;
    QList<Note> found;
    for (const qsizetype i : matchingRows(query))
        found.append(m_sortedNotes.at(i));
    return found;
}

// A note that contains a query contains every part of it: typing on narrows the last
// result instead of scanning every note again, and going back reuses an earlier result.
const std::vector<qsizetype>& NotesStore::matchingRows(const QByteArray& query) const
{
    const Search* narrowest = nullptr;
    for (const Search& earlier : m_searches) {
        if (earlier.query == query)
            return earlier.rows;
        if (query.contains(earlier.query) &&
            (!narrowest || earlier.rows.size() < narrowest->rows.size()))
            narrowest = &earlier;
    }
    std::vector<qsizetype> candidates;
    if (narrowest) {
        candidates = narrowest->rows;
    } else {
        candidates.resize(size_t(m_sortedNotes.size()));
        std::iota(candidates.begin(), candidates.end(), qsizetype(0));
    }
    // With thousands of candidates the scan is shared with a second core; each thread
    // touches only its own half.
    std::vector<char> hits(candidates.size(), 0);
    const auto scan = [&](size_t from, size_t to) {
        for (size_t k = from; k < to; ++k)
            hits[k] = m_sortedNotes.at(candidates[k]).matches(query);
    };
    const size_t count = candidates.size();
    if (qsizetype(count) >= parallelSearchThreshold && QThread::idealThreadCount() > 1) {
        QFuture<void> other = QtConcurrent::run(scan, count / 2, count);
        scan(0, count / 2);
        other.waitForFinished();
    } else {
        scan(0, count);
    }
    Search result{query, {}};
    for (size_t k = 0; k < count; ++k) {
        if (hits[k])
            result.rows.push_back(candidates[k]);
    }
    if (m_searches.size() >= maxRememberedSearches)
        m_searches.removeFirst();
    m_searches.append(std::move(result));
    return m_searches.constLast().rows;
}

void NotesStore::takeLiveText() const
{
    if (!m_live)
        return;
    const LiveText live = std::move(*m_live);
    m_live.reset();
    const auto draft = m_drafts.find(live.url);
    if (draft == m_drafts.end())
        return;
    if (const std::optional<QString> text = live.read())
        draft->text = *text;
}

bool NotesStore::hasDraft(const QString& url) const
{
    return m_drafts.contains(url);
}

QHash<QString, QString> NotesStore::drafts() const
{
    takeLiveText();
    QHash<QString, QString> texts;
    for (auto it = m_drafts.cbegin(); it != m_drafts.cend(); ++it)
        texts.insert(it.key(), it->text);
    return texts;
}

QString NotesStore::textFor(const Note& note) const
{
    takeLiveText();
    const auto draft = m_drafts.constFind(note.url);
    return draft != m_drafts.cend() ? draft->text : note.content;
}

void NotesStore::changeNotes(const std::function<void(QList<Note>&)>& change, bool sortedAfter)
{
    // Dropping the sorted view first releases its share of the list, so the change happens in
    // place instead of copying every record.
    m_sortedNotes.clear();
    m_sortedValid = false;
    m_searches.clear();
    change(m_notes);
    m_notesSorted = sortedAfter;
    if (sortedAfter) {
        m_sortedNotes = m_notes;
        m_sortedValid = true;
    }
    emit notesChanged();
}

qsizetype NotesStore::indexOf(const QString& url) const
{
    for (qsizetype i = 0; i < m_notes.size(); ++i) {
        if (m_notes.at(i).url == url)
            return i;
    }
    return -1;
}

void NotesStore::selectNewest()
{
    if (m_notes.isEmpty()) {
        setSelectedNote(std::nullopt);
        return;
    }
    // The first of a stable newest-first order: among equal dates, the earlier in the list.
    const auto newest =
        std::min_element(m_notes.cbegin(), m_notes.cend(), [](const Note& a, const Note& b) {
            return a.lastModified > b.lastModified;
        });
    setSelectedNote(*newest);
}

// ---- Loading ----

void NotesStore::loadNotes()
{
    // A load reads the folder as it is when it runs, so a second one queued right behind
    // the first would read the same files again: at start-up that doubled the wait.
    if (m_loadQueuedLast)
        return;
    defer([this] { loadNotesNow(); });
    m_loadQueuedLast = true;
}

void NotesStore::loadNotesNow()
{
    if (m_folderURL.isEmpty()) {
        changeNotes([](QList<Note>& notes) { notes.clear(); }, true);
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
    watcher->setFuture(QtConcurrent::run(
        [folder, previous = m_notes] { return NoteLoader::load(folder, previous); }));
}

void NotesStore::applyLoaded(NoteLoader::Result loaded)
{
    applyLoadedRecords(std::move(loaded));
    emit loadFinished();
}

void NotesStore::applyLoadedRecords(NoteLoader::Result loaded)
{
    if (loaded.error) {
        // Every activation reloads: a folder that is gone would otherwise raise the same
        // alert each time the user comes back to the window.
        const QString failure = loaded.error->message + loaded.error->reason;
        if (failure != m_lastLoadError && !m_quiet) {
            m_lastLoadError = failure;
            // The way out is another folder, which the preferences choose.
            if (ask(loaded.error->message, loaded.error->reason, AlertService::Style::Warning,
                    {tr("Open Preferences…"), tr("Cancel")}))
                emit preferencesRequested();
        }
        return;
    }
    m_lastLoadError.clear();
    if (m_watching && !m_watcher.isWatching())
        watchFolder();
    // Most refreshes (every activation, our own saves seen by the watch) find nothing new:
    // the list, its order and its rows stay exactly as they are.
    if (loaded.unchanged && m_touchedDuringLoad.isEmpty())
        return;
    // Our own changes made while the load ran are newer than anything it read of those files.
    if (!m_touchedDuringLoad.isEmpty()) {
        loaded.notes.removeIf(
            [&](const Note& note) { return m_touchedDuringLoad.contains(note.url); });
        for (const QString& url : std::as_const(m_touchedDuringLoad)) {
            const qsizetype index = indexOf(url);
            if (index >= 0)
                loaded.notes.append(m_notes.at(index));
        }
        m_touchedDuringLoad.clear();
    }
    takeLiveText();
    QString selected = m_selectedNote ? m_selectedNote->url : QString();
    for (const auto& [from, to] : std::as_const(loaded.renamed)) {
        if (selected == from)
            selected = to;
        followRename(from, to, {});
    }
    reconcileDrafts(loaded.notes);
    changeNotes([&](QList<Note>& notes) { notes = std::move(loaded.notes); }, false);

    const qsizetype index = selected.isEmpty() ? -1 : indexOf(selected);
    if (index >= 0)
        setSelectedNote(m_notes.at(index));
    else
        selectNewest();
}

// The drafts outlive every reload. A draft whose note vanished from the listing keeps its
// record, so the user still sees the text; one whose file another program changed is saved
// at once, which writes it beside the other program's version instead of over it.
void NotesStore::reconcileDrafts(QList<Note>& fresh)
{
    QHash<QString, qsizetype> position;
    position.reserve(fresh.size());
    for (qsizetype i = 0; i < fresh.size(); ++i)
        position.insert(fresh.at(i).url, i);
    QStringList toSave;
    QStringList merges;
    for (auto it = m_drafts.begin(); it != m_drafts.end();) {
        const qsizetype at = position.value(it.key(), -1);
        if (!it->isUnsaved()) {
            // Nothing typed that the file lacks: the file as it is now wins.
            it = at >= 0 ? m_drafts.erase(it) : std::next(it);
            continue;
        }
        if (Naming::folderOf(it.key()) == m_folderURL) {
            if (at < 0) {
                fresh.append(it->base);
                toSave.append(it.key());
            } else if (fresh.at(at).identity != it->base.identity) {
                // Both sides changed the note: lines that only one side touched are joined,
                // and the result saved over the other program's version, which it includes.
                const Note& theirs = fresh.at(at);
                const std::optional<QString> merged =
                    theirs.unreadable
                        ? std::nullopt
                        : TextMerge::merge(it->base.content, it->text, theirs.content);
                if (merged) {
                    it->text = *merged;
                    it->base = theirs;
                    merges.append(it.key());
                }
                toSave.append(it.key());
            }
        }
        ++it;
    }
    for (const QString& url : std::as_const(merges))
        emit draftMerged(url);
    for (const QString& url : std::as_const(toSave))
        commitDraft(url);
}

// ---- Editing and saving ----

void NotesStore::setDraftText(const QString& url, const QString& text)
{
    takeLiveText();
    const auto draft = m_drafts.find(url);
    if (draft != m_drafts.end()) {
        draft->text = text;
        return;
    }
    const qsizetype index = indexOf(url);
    if (index < 0)
        return;
    m_drafts.insert(url, Draft{text, m_notes.at(index)});
}

void NotesStore::updateDraft(const Note& note, const QString& text)
{
    if (!m_drafts.contains(note.url) && indexOf(note.url) < 0)
        m_drafts.insert(note.url, Draft{text, note});
    setDraftText(note.url, text);
    Note edited = note;
    edited.content = text;
    m_pendingNote = std::move(edited);
    m_lastEditedUrl = note.url;
    m_saveTimer.start();
}

void NotesStore::editDraft(const Note& note, std::function<std::optional<QString>()> read)
{
    if (m_live && m_live->url != note.url)
        takeLiveText();
    if (!m_drafts.contains(note.url)) {
        const qsizetype index = indexOf(note.url);
        m_drafts.insert(
            note.url, Draft{read().value_or(note.content), index >= 0 ? m_notes.at(index) : note});
    }
    m_live = LiveText{note.url, std::move(read)};
    m_pendingNote = note;
    m_lastEditedUrl = note.url;
    m_saveTimer.start();
}

bool NotesStore::saveNote(const Note& note)
{
    if (!m_drafts.contains(note.url) && indexOf(note.url) < 0)
        return true;
    setDraftText(note.url, note.content);
    return saveDraft(note.url) != Saved::Failed;
}

NotesStore::Saved NotesStore::saveDraft(const QString& url)
{
    takeLiveText();
    const auto found = m_drafts.constFind(url);
    if (found == m_drafts.cend())
        return Saved::InPlace;
    const Draft draft = *found;
    const Note& base = draft.base;
    // Its bytes are not text we can represent, or its name is not; writing would destroy them.
    if (base.unreadable)
        return Saved::Failed;
    if (!draft.isUnsaved()) {
        m_drafts.remove(url);
        return Saved::InPlace;
    }

    // The note's own folder, even when the store has moved on to another one since.
    const QString folder = Naming::folderOf(url);
    const QString title = Naming::derivedTitle(draft.text, base.fallbackTitle);
    const QString target = Naming::uniqueFileURL(folder, Naming::sanitizedFileName(title), url);
    if (target.isEmpty()) {
        showError(FileError::fileNotSaved(url, EEXIST));
        return Saved::Failed;
    }
    const QByteArray bytes = NoteText::encode(draft.text, base.hasBom);

    const NoteFile::Checked checked = NoteFile::check(url, base.identity, base.fileBytes());
    NoteFile::Written written;
    switch (checked.state) {
    case NoteFile::State::Failed:
        showError(FileError::fileNotSaved(url, checked.error));
        return Saved::Failed;
    case NoteFile::State::Changed:
        return keepAsConflictCopy(url, draft);
    case NoteFile::State::Missing:
        // Another program deleted the file while the user had text in it: the text makes the
        // file again, never over whatever took the name meanwhile.
        written = NoteFile::createExclusively(target, bytes);
        if (written.error) {
            showError(FileError::fileNotSaved(target, written.error));
            return Saved::Failed;
        }
        break;
    case NoteFile::State::Unchanged:
        if (target != url) {
            if (const int err = NoteFile::moveNoReplace(url, target)) {
                showError(FileError::fileNotRenamed(url, target, err));
                return Saved::Failed;
            }
            // From here on the file lives at target, whatever the write does.
            followRename(url, target, title);
        }
        written = NoteFile::writeAtomically(target, bytes,
                                            NoteFile::Expected{base.identity, base.fileBytes()});
        if (written.changedElsewhere)
            return keepAsConflictCopy(target, m_drafts.value(target, draft));
        if (written.error) {
            showError(FileError::fileNotSaved(target, written.error));
            return Saved::Failed;
        }
        break;
    }

    Note saved = base;
    saved.url = target;
    saved.title = title;
    saved.content = draft.text;
    saved.identity = written.identity;
    saved.lastModified = m_services.clock.now();
    m_drafts.remove(url);
    m_drafts.remove(target);
    recordSaved(url, saved);
    return Saved::InPlace;
}

// Updates or adds the record of a note just written, and keeps it in date order.
void NotesStore::recordSaved(const QString& oldUrl, const Note& saved)
{
    m_touchedDuringLoad.insert(oldUrl);
    m_touchedDuringLoad.insert(saved.url);
    qsizetype index = indexOf(saved.url);
    if (index < 0)
        index = indexOf(oldUrl);
    if (index < 0 && Naming::folderOf(saved.url) != m_folderURL)
        return;
    Note updated = saved;
    if (index >= 0)
        updated.id = m_notes.at(index).id;
    else if (updated.id.isNull())
        updated.id = NoteLoader::newId();
    changeNotes(
        [&](QList<Note>& notes) {
            if (index < 0)
                notes.prepend(updated);
            else
                notes[index] = updated;
            if (m_notesSorted)
                moveToDateOrder(notes, qMax<qsizetype>(index, 0));
            else
                notes = newestFirst(std::move(notes));
        },
        true);
    // The selection takes the fresh record of its own note only: a save of the note the user
    // just left must not pull the selection back to it.
    if (m_selectedNote && (m_selectedNote->url == updated.url || m_selectedNote->url == oldUrl))
        setSelectedNote(updated);
}

// Another program changed the note since we last read or wrote it. Its file stays as it is;
// the user's text becomes a new note beside it, which takes the selection when the original
// had it.
NotesStore::Saved NotesStore::keepAsConflictCopy(const QString& url, const Draft& draft)
{
    const QString folder = Naming::folderOf(url);
    const QString suffix =
        QStringLiteral(" (conflict %1)")
            .arg(m_services.clock.now().toString(QStringLiteral("yyyy-MM-dd HHmmss")));
    const QString title = Naming::derivedTitle(draft.text, draft.base.fallbackTitle);
    const QString base =
        Naming::fitToBytes(Naming::sanitizedFileName(title),
                           Naming::maxFileNameBytes - Naming::numberSuffixReserveBytes - 1 -
                               Naming::extension.size() - suffix.toUtf8().size()) +
        suffix;
    const QByteArray bytes = NoteText::encode(draft.text, draft.base.hasBom);
    QString path;
    NoteFile::Written written{EEXIST, {}};
    for (int attempt = 0; attempt < Naming::maxNameAttempts && written.error == EEXIST; ++attempt) {
        path = Naming::uniqueFileURL(folder, base);
        if (path.isEmpty())
            break;
        written = NoteFile::createExclusively(path, bytes);
    }
    if (written.error) {
        showError(FileError::fileNotCreated(path.isEmpty() ? url : path, written.error));
        return Saved::Failed;
    }

    Note copy = draft.base;
    copy.id = NoteLoader::newId();
    copy.url = path;
    copy.title = Naming::baseName(path);
    copy.fallbackTitle = copy.title;
    copy.content = draft.text;
    copy.unreadable = false;
    copy.identity = written.identity;
    copy.lastModified = m_services.clock.now();
    m_drafts.remove(url);
    clearPendingIfFor(url);
    const bool wasSelected = m_selectedNote && m_selectedNote->url == url;
    recordSaved(path, copy);
    if (wasSelected)
        setSelectedNote(m_notes.at(indexOf(path)));
    emit conflictCopySaved(url, path);
    // Our record of the original still holds the text we read before the other program's.
    loadNotes();
    return Saved::AsConflictCopy;
}

void NotesStore::followRename(const QString& from, const QString& to, const QString& title)
{
    takeLiveText();
    m_touchedDuringLoad.insert(from);
    m_touchedDuringLoad.insert(to);
    const auto draft = m_drafts.find(from);
    if (draft != m_drafts.end()) {
        Draft moved = *draft;
        moved.base.url = to;
        m_drafts.erase(draft);
        m_drafts.insert(to, moved);
    }
    if (m_pendingNote && m_pendingNote->url == from)
        m_pendingNote->url = to;
    if (m_lastEditedUrl == from)
        m_lastEditedUrl = to;
    const qsizetype index = indexOf(from);
    if (index < 0)
        return;
    const bool selected = m_selectedNote && m_selectedNote->url == from;
    changeNotes(
        [&](QList<Note>& notes) {
            notes[index].url = to;
            if (!title.isEmpty())
                notes[index].title = title;
        },
        m_notesSorted);
    if (selected)
        setSelectedNote(m_notes.at(index));
}

bool NotesStore::clearPendingIfFor(const QString& url)
{
    if (!m_pendingNote || m_pendingNote->url != url)
        return false;
    m_pendingNote.reset();
    return true;
}

void NotesStore::commitDraft(const QString& url)
{
    defer([this, url] { commitDraftNow(url); });
}

bool NotesStore::commitDraftNow(const QString& url)
{
    if (url.isEmpty() || !m_drafts.contains(url))
        return true;
    // Only a save that reached the disk may mark the text saved; a failed one keeps the
    // pending edit, so the next flush tries again.
    if (saveDraft(url) == Saved::Failed)
        return false;
    clearPendingIfFor(url);
    return true;
}

void NotesStore::commitText(const QString& text, const Note& note)
{
    defer([this, text, url = note.url] { commitTextNow(text, url); });
}

void NotesStore::commitTextNow(const QString& text, const QString& url)
{
    if (!m_drafts.contains(url)) {
        const qsizetype index = indexOf(url);
        if (index < 0 || Draft{text, m_notes.at(index)}.isUnsaved() == false)
            return;
    }
    setDraftText(url, text);
    commitDraftNow(url);
}

void NotesStore::flushPendingSave()
{
    defer([this] { flushPendingSaveNow(); });
}

void NotesStore::flushPendingSaveNow()
{
    if (!m_pendingNote)
        return;
    const QString url = m_pendingNote->url;
    commitDraftNow(url);
    m_pendingNote.reset();
}

bool NotesStore::saveAllDrafts()
{
    takeLiveText();
    bool allSaved = true;
    // A save can rename its draft's key or drop it: walk a copy of the keys.
    const QStringList urls = m_drafts.keys();
    for (const QString& url : urls) {
        if (m_drafts.contains(url))
            allSaved = commitDraftNow(url) && allSaved;
    }
    if (allSaved)
        m_saveTimer.stop();
    return allSaved;
}

bool NotesStore::recoverUnsaved()
{
    takeLiveText();
    int firstError = 0;
    const QStringList urls = m_drafts.keys();
    for (const QString& url : urls) {
        const Draft draft = m_drafts.value(url);
        if (draft.isUnsaved()) {
            if (const int err = RecoveryFolder::keep(url, draft.text, draft.base.hasBom)) {
                firstError = firstError ? firstError : err;
                continue;
            }
        }
        m_drafts.remove(url);
        clearPendingIfFor(url);
    }
    if (firstError)
        showError(FileError::textNotRecovered(RecoveryFolder::path(), firstError));
    return firstError == 0;
}

bool NotesStore::prepareToQuit()
{
    if (saveAllDrafts())
        return true;
    const bool stay =
        ask(QStringLiteral("Some notes couldn’t be saved"),
            QStringLiteral("Their text is still here. If you quit anyway, it is kept in “%1”.")
                .arg(RecoveryFolder::path()),
            AlertService::Style::Warning,
            {QStringLiteral("Don’t Quit"), QStringLiteral("Quit Anyway")});
    return !stay && recoverUnsaved();
}

void NotesStore::saveBeforeExit()
{
    m_quiet = true;
    saveAllDrafts();
    recoverUnsaved();
    m_quiet = false;
}

// ---- Creating ----

void NotesStore::presentSelectFolderAlert()
{
    const bool openPreferences =
        ask(QStringLiteral("Select a notes folder"),
            QStringLiteral("Open Preferences (Ctrl+,) and choose a writable folder, such as one in "
                           "your Documents."),
            AlertService::Style::Informational,
            {QStringLiteral("Open Preferences…"), QStringLiteral("Cancel")});
    if (openPreferences)
        emit preferencesRequested();
}

void NotesStore::createNote()
{
    // The note being left reaches its file before the new one takes the editor.
    if (m_selectedNote)
        commitDraftNow(m_selectedNote->url);
    const QString folder = m_folderURL;
    if (folder.isEmpty()) {
        presentSelectFolderAlert();
        return;
    }
    if (!FolderAccess::canWrite(folder)) {
        FolderAccess::clearBookmark();
        presentSelectFolderAlert();
        return;
    }
    const QDateTime now = m_services.clock.now();
    const QString name = generatedNamePrefix + now.toString(QStringLiteral("yyyy-MM-dd")) +
                         QLatin1Char(' ') + now.toString(QStringLiteral("HHmmss"));
    QString path;
    NoteFile::Written written{EEXIST, {}};
    // A name can be taken between looking and writing (a sync tool); look again then.
    for (int attempt = 0; attempt < 100 && written.error == EEXIST; ++attempt) {
        path = Naming::uniqueFileURL(folder, name);
        if (path.isEmpty())
            break;
        written = NoteFile::createExclusively(path, name.toUtf8());
    }
    if (written.error) {
        showError(FileError::fileNotCreated(
            path.isEmpty() ? folder + QLatin1Char('/') + name : path, written.error));
        return;
    }
    Note note;
    note.id = NoteLoader::newId();
    note.url = path;
    note.title = Naming::baseName(path);
    note.fallbackTitle = note.title;
    note.content = name;
    note.identity = written.identity;
    note.lastModified = m_services.clock.now();
    m_touchedDuringLoad.insert(note.url);
    changeNotes([&](QList<Note>& notes) { notes.append(note); }, false);
    setSelectedNote(note);
    emit noteCreated();
}

// ---- Deleting ----

void NotesStore::deleteSelectedNote()
{
    if (!m_selectedNote)
        return;
    const Note note = *m_selectedNote;
    const bool confirmed = ask(
        QStringLiteral("Delete “%1”?").arg(note.title),
        QStringLiteral("This will move the file to the Trash. You can restore it until the Trash "
                       "is emptied."),
        AlertService::Style::Warning, {QStringLiteral("Move to Trash"), QStringLiteral("Cancel")});
    if (!confirmed)
        return;
    takeLiveText();
    // The Trash keeps what the user last typed. When that cannot be written, or went to a
    // conflict copy because another program changed the file, nothing is deleted.
    if (m_drafts.contains(note.url)) {
        if (saveDraft(note.url) != Saved::InPlace)
            return;
        clearPendingIfFor(note.url);
    }

    if (m_services.trash.moveToTrash(note.url) != 0) {
        const bool permanently =
            ask(QStringLiteral("Can’t move to Trash"),
                QStringLiteral("“%1” couldn’t be moved to the Trash. You can delete it permanently "
                               "instead.")
                    .arg(Naming::readableName(Naming::fileName(note.url))),
                AlertService::Style::Warning,
                {QStringLiteral("Delete Permanently"), QStringLiteral("Cancel")});
        if (!permanently)
            return;
        if (const int err = NoteFile::remove(note.url)) {
            showError(FileError::fileNotRemoved(note.url, err));
            return;
        }
    }
    m_touchedDuringLoad.insert(note.url);
    changeNotes(
        [&](QList<Note>& notes) {
            notes.removeIf([&](const Note& n) { return n.url == note.url; });
        },
        m_notesSorted);
    m_drafts.remove(note.url);
    clearPendingIfFor(note.url);
    selectNewest();
}

// ---- Choosing the folder ----

void NotesStore::chooseFolderIfNeeded()
{
    if (m_folderURL.isEmpty())
        chooseFolder();
}

void NotesStore::chooseFolder()
{
    m_services.folderPanel.present([store = QPointer<NotesStore>(this)](const QString& folder) {
        if (store && !folder.isEmpty())
            store->folderChosen(folder);
    });
}

void NotesStore::folderChosen(const QString& folder)
{
    if (!FolderAccess::canWrite(folder)) {
        ask(QStringLiteral("Cannot use this folder"),
            QStringLiteral("The app does not have permission to write to:\n") + folder +
                QStringLiteral("\n\nChoose a different location (e.g., a folder under Documents)."),
            AlertService::Style::Warning, {QStringLiteral("OK")});
        QMetaObject::invokeMethod(this, &NotesStore::chooseFolder, Qt::QueuedConnection);
        return;
    }
    if (const std::optional<FileError> error = FolderAccess::saveBookmark(folder)) {
        FolderAccess::clearBookmark();
        showError(*error);
        QMetaObject::invokeMethod(this, &NotesStore::chooseFolder, Qt::QueuedConnection);
        return;
    }
    setFolderURL(folder);
}
