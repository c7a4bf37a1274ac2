#include "notes_store.h"

#include "alert_service.h"
#include "clock.h"
#include "folder_access.h"
#include "folder_panel.h"
#include "naming.h"
#include "note_file.h"
#include "note_loader.h"
#include "print_service.h"
#include "search_key.h"
#include "trash_service.h"

#include <QDir>
#include <QPointer>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <thread>
#include <vector>

namespace {

// Texts are equal under Unicode canonical equivalence.
bool sameText(const QString& a, const QString& b)
{
    if (a == b)
        return true;
    return a.normalized(QString::NormalizationForm_C) == b.normalized(QString::NormalizationForm_C);
}

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
        if (m_lastEdited)
            defer([this, note = *m_lastEdited] { saveNote(note); });
    });

    m_folderURL = FolderAccess::restoreFolder();
    loadNotes();
    if (!m_folderURL.isEmpty() && !FolderAccess::canWrite(m_folderURL)) {
        FolderAccess::clearBookmark();
        m_folderURL.clear();
        loadNotes();
    }
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
    // The reload drops the old folder's records: their unsaved text goes to disk first.
    if (cleaned != m_folderURL)
        saveAllDrafts();
    m_folderURL = cleaned;
    emit folderURLChanged();
    loadNotes();
}

QList<Note> NotesStore::filteredNotes() const
{
    if (!m_sortedValid) {
        m_sortedNotes = m_notesSorted ? m_notes : newestFirst(m_notes);
        m_sortedValid = true;
    }
    const QByteArray query = SearchKey::fold(Naming::trimmed(m_searchText));
    if (query.isEmpty())
        return m_sortedNotes;
    // Every keystroke in the search field scans every note: with thousands of them the scan
    // is shared with a second core. Each thread touches only its own half of the notes.
    const qsizetype count = m_sortedNotes.size();
    std::vector<char> hits(size_t(count), 0);
    const auto scan = [&](qsizetype from, qsizetype to) {
        for (qsizetype i = from; i < to; ++i)
            hits[size_t(i)] = m_sortedNotes.at(i).matches(query);
    };
    if (count >= parallelSearchThreshold && std::thread::hardware_concurrency() > 1) {
        std::thread other(scan, count / 2, count);
        scan(0, count / 2);
        other.join();
    } else {
        scan(0, count);
    }
    QList<Note> found;
    for (qsizetype i = 0; i < count; ++i) {
        if (hits[size_t(i)])
            found.append(m_sortedNotes.at(i));
    }
    return found;
}

QString NotesStore::textFor(const Note& note) const
{
    const auto draft = m_drafts.constFind(note.url);
    return draft != m_drafts.cend() ? *draft : note.content;
}

void NotesStore::changeNotes(const std::function<void(QList<Note>&)>& change, bool sortedAfter)
{
    // Dropping the sorted view first releases its share of the list, so the change happens in
    // place instead of copying every record.
    m_sortedNotes.clear();
    m_sortedValid = false;
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
    NoteLoader::Result loaded = NoteLoader::load(m_folderURL);
    if (loaded.error) {
        showError(*loaded.error);
        return;
    }
    adoptDiskChanges(loaded.notes);
    restoreDeletedWithUnsavedText(loaded.notes);
    changeNotes([&](QList<Note>& notes) { notes = std::move(loaded.notes); }, false);

    if (m_selectedNote) {
        const qsizetype index = indexOf(m_selectedNote->url);
        if (index >= 0) {
            setSelectedNote(m_notes.at(index));
            return;
        }
    }
    selectNewest();
}

// A note whose file another program removed while the user had unsaved text in it would
// leave the list with that text. The user's typing wins: the file is written again.
void NotesStore::restoreDeletedWithUnsavedText(QList<Note>& fresh)
{
    QSet<QString> present;
    present.reserve(fresh.size());
    for (const Note& note : std::as_const(fresh))
        present.insert(note.url);
    for (const Note& note : std::as_const(m_notes)) {
        const auto draft = m_drafts.constFind(note.url);
        if (draft == m_drafts.cend() || note.unreadable || present.contains(note.url) ||
            sameText(*draft, note.content) || Naming::folderOf(note.url) != m_folderURL)
            continue;
        if (const int err = NoteFile::createExclusively(note.url, draft->toUtf8())) {
            showError(FileError::fileNotCreated(note.url, err));
            continue;
        }
        Note restored = note;
        restored.content = *draft;
        restored.lastModified = m_services.clock.now();
        fresh.append(restored);
    }
}

// A draft that holds no edit of the user still equals the text we last read. When another
// program changed the file since, that draft must not be written back over the newer text.
void NotesStore::adoptDiskChanges(const QList<Note>& fresh)
{
    QHash<QString, const Note*> previous;
    previous.reserve(m_notes.size());
    for (const Note& note : std::as_const(m_notes))
        previous.insert(note.url, &note);
    for (const Note& note : fresh) {
        const Note* before = previous.value(note.url);
        if (!before || sameText(before->content, note.content))
            continue;
        const auto draft = m_drafts.find(note.url);
        if (draft != m_drafts.end() && sameText(*draft, before->content))
            *draft = note.content;
        for (std::optional<Note>* edited : {&m_pendingNote, &m_lastEdited}) {
            if (*edited && (*edited)->url == note.url &&
                sameText((*edited)->content, before->content))
                (*edited)->content = note.content;
        }
    }
}

// ---- Editing and saving ----

void NotesStore::updateDraft(const Note& note, const QString& text)
{
    m_drafts.insert(note.url, text);
    Note edited = note;
    edited.content = text;
    m_pendingNote = edited;
    m_lastEdited = std::move(edited);
    m_saveTimer.start();
}

bool NotesStore::saveNote(const Note& note)
{
    const qsizetype index = indexOf(note.url);
    if (index < 0)
        return true;
    Note updated = m_notes.at(index);
    // Its bytes are not text we can represent; writing would destroy them.
    if (updated.unreadable)
        return false;
    if (sameText(updated.content, note.content))
        return true;
    updated.content = note.content;

    const QString folder = m_folderURL.isEmpty() ? Naming::folderOf(updated.url) : m_folderURL;
    const QString title = Naming::derivedTitle(updated.content, updated.fallbackTitle);
    const QString base = Naming::sanitizedFileName(title);
    const QString target = Naming::uniqueFileURL(folder, base, updated.url);

    if (target != updated.url) {
        if (const int err = NoteFile::moveNoReplace(updated.url, target)) {
            showError(FileError::fileNotRenamed(updated.url, target, err));
            return false;
        }
        // From here on the file lives at target, whatever the write does.
        followRename(index, target, title);
        updated.url = target;
    }
    updated.title = title;

    if (const int err = NoteFile::writeAtomically(updated.url, updated.content.toUtf8())) {
        showError(FileError::fileNotSaved(updated.url, err));
        return false;
    }
    updated.lastModified = m_services.clock.now();

    changeNotes(
        [&](QList<Note>& notes) {
            notes[index] = updated;
            if (m_notesSorted)
                moveToDateOrder(notes, index);
            else
                notes = newestFirst(std::move(notes));
        },
        true);
    // The selection takes the fresh record of its own note only: a save of the note the user
    // just left must not pull the selection back to it.
    if (m_selectedNote && m_selectedNote->url == updated.url)
        setSelectedNote(updated);
    return true;
}

void NotesStore::followRename(qsizetype index, const QString& to, const QString& title)
{
    const QString from = m_notes.at(index).url;
    const auto draft = m_drafts.find(from);
    if (draft != m_drafts.end()) {
        const QString text = *draft;
        m_drafts.erase(draft);
        m_drafts.insert(to, text);
    }
    for (std::optional<Note>* edited : {&m_pendingNote, &m_lastEdited}) {
        if (*edited && (*edited)->url == from)
            (*edited)->url = to;
    }
    const bool selected = m_selectedNote && m_selectedNote->url == from;
    changeNotes(
        [&](QList<Note>& notes) {
            notes[index].url = to;
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
    if (url.isEmpty())
        return true;
    const qsizetype index = indexOf(url);
    if (index < 0)
        return true;
    Note record = m_notes.at(index);
    const QString text = m_drafts.value(url, record.content);
    if (sameText(text, record.content))
        return true;
    record.content = text;
    // Only a save that reached the file may mark the text saved; a failed one keeps the
    // pending edit, so the next flush tries again.
    if (!saveNote(record))
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
    const qsizetype index = indexOf(url);
    if (index < 0)
        return;
    Note record = m_notes.at(index);
    if (sameText(text, record.content))
        return;
    record.content = text;
    if (saveNote(record))
        clearPendingIfFor(url);
}

void NotesStore::flushPendingSave()
{
    defer([this] { flushPendingSaveNow(); });
}

void NotesStore::flushPendingSaveNow()
{
    if (!m_pendingNote)
        return;
    const Note pending = *m_pendingNote;
    saveNote(pending);
    m_pendingNote.reset();
}

bool NotesStore::saveAllDrafts()
{
    QStringList unsaved;
    for (const Note& note : std::as_const(m_notes)) {
        const auto draft = m_drafts.constFind(note.url);
        if (draft != m_drafts.cend() && !note.unreadable && !sameText(*draft, note.content))
            unsaved.append(note.url);
    }
    bool allSaved = true;
    for (const QString& url : std::as_const(unsaved))
        allSaved = commitDraftNow(url) && allSaved;
    if (allSaved)
        m_saveTimer.stop();
    return allSaved;
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
    commitDraft(m_selectedNote ? m_selectedNote->url : QString());
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
    int err = EEXIST;
    // A name can be taken between looking and writing (a sync tool); look again then.
    for (int attempt = 0; attempt < 100 && err == EEXIST; ++attempt) {
        path = Naming::uniqueFileURL(folder, name);
        err = NoteFile::createExclusively(path, name.toUtf8());
    }
    if (err) {
        showError(FileError::fileNotCreated(path, err));
        return;
    }
    Note note;
    note.id = NoteLoader::newId();
    note.url = path;
    note.title = Naming::baseName(path);
    note.fallbackTitle = note.title;
    note.content = name;
    note.lastModified = m_services.clock.now();
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
    commitDraft(note.url);

    if (m_services.trash.moveToTrash(note.url) != 0) {
        const bool permanently =
            ask(QStringLiteral("Can’t move to Trash"),
                QStringLiteral("“%1” couldn’t be moved to the Trash. You can delete it permanently "
                               "instead.")
                    .arg(Naming::fileName(note.url)),
                AlertService::Style::Warning,
                {QStringLiteral("Delete Permanently"), QStringLiteral("Cancel")});
        if (!permanently)
            return;
        if (const int err = NoteFile::remove(note.url)) {
            showError(FileError::fileNotRemoved(note.url, err));
            return;
        }
    }
    changeNotes(
        [&](QList<Note>& notes) {
            notes.removeIf([&](const Note& n) { return n.url == note.url; });
        },
        m_notesSorted);
    m_drafts.remove(note.url);
    selectNewest();
}

// ---- Printing ----

void NotesStore::printSelectedNote()
{
    if (!m_selectedNote)
        return;
    m_services.printer.printNote(m_selectedNote->title, textFor(*m_selectedNote));
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
