#include "store/notes_store.h"

#include "store/folder_access_service.h"
#include "store/naming.h"
#include "store/note_file.h"
#include "store/note_loader.h"
#include "store/search_key.h"

#include <QDir>

#include <numeric>

NotesStore::NotesStore(const StoreServices& services, QObject* parent)
    : QObject(parent), m_services(services), m_history(services.clock),
      m_files(services.clock, services.trash), m_reader(m_list, m_queue),
      m_sync(m_list, m_drafts, m_selection, m_queue, m_history),
      m_saver(m_list, m_drafts, m_selection, m_sync, m_files, m_queue, m_history),
      m_search(m_list, [this] { return SearchKey::fold(Naming::trimmed(m_searchText)); }),
      m_titleOrder(m_list)
{
    connect(&m_search, &BackgroundSearch::finished, this, &NotesStore::searchFinished);
    m_selection.setReader([this](const Note& note) { return m_reader.readNow(note); });
    // A scan lists a folder by its names; so may a load that came back to a folder whose
    // reading was stopped. Either way the texts are read behind the list.
    connect(&m_sync, &FolderSync::loadFinished, this, [this] {
        if (!m_reader.isReading() && std::any_of(m_list.notes().cbegin(), m_list.notes().cend(),
                                                 [](const Note& note) { return note.textPending; }))
            m_reader.start(m_sync.folder());
    });
    connect(&m_reader, &TextReader::textsArrived, this, &NotesStore::textsArrived);
    connect(&m_reader, &TextReader::finished, this, &NotesStore::textsRead);
    connect(&m_reader, &TextReader::vanished, &m_sync, &FolderSync::refreshFiles);
    connect(&m_titleOrder, &TitleOrder::finished, this, &NotesStore::rowsOrdered);
    connect(&m_selection, &Selection::changed, this, &NotesStore::selectedNoteChanged);
    connect(&m_sync, &FolderSync::listChanged, this, &NotesStore::notesChanged);
    connect(&m_sync, &FolderSync::loadFinished, this, &NotesStore::loadFinished);
    connect(&m_sync, &FolderSync::folderProblem, this, &NotesStore::folderProblem);
    connect(&m_sync, &FolderSync::draftMerged, this, &NotesStore::draftMerged);
    connect(&m_sync, &FolderSync::saveNeeded, &m_saver, &DraftSaver::saveLater);
    connect(&m_sync, &FolderSync::renamedElsewhere, this,
            [this](const QString& from, const QString& to) {
                m_history.follow(from, to);
                m_saver.followRename(from, to, {});
            });
    connect(&m_saver, &DraftSaver::listChanged, this, &NotesStore::notesChanged);
    connect(&m_saver, &DraftSaver::noteRenamed, this, &NotesStore::noteRenamed);
    connect(&m_saver, &DraftSaver::conflictCopySaved, this, &NotesStore::conflictCopySaved);
    connect(&m_saver, &DraftSaver::draftMerged, this, &NotesStore::draftMerged);
    connect(&m_saver, &DraftSaver::saveFailed, this, &NotesStore::saveFailed);

    // The remembered folder stays chosen even when it cannot be written or reached for now
    // (a drive not mounted yet, a share offline): the load lists what it can read or says
    // the folder cannot be opened, and saves and new notes report their own failures.
    m_sync.setFolder(m_services.folders.restoreFolder());
    m_history.setFolder(m_sync.folder());
    loadNotes();
}

void NotesStore::setSelectedNote(const std::optional<Note>& note)
{
    m_selection.set(note);
}

const Note* NotesStore::withText(const QString& url)
{
    const Note* note = m_list.find(url);
    if (note && note->textPending) {
        m_reader.readNow(*note);
        note = m_list.find(url);
    }
    return note && !note->textPending ? note : nullptr;
}

QString NotesStore::textFor(const Note& note)
{
    if (!note.textPending)
        return m_saver.textFor(note);
    const std::optional<Note> read = m_reader.readNow(note);
    return read ? m_saver.textFor(*read) : QString();
}

void NotesStore::editDraft(const Note& note, Drafts::LiveRead read)
{
    // A draft's base is what its save checks the file against and merges into.
    if (note.textPending)
        withText(note.url);
    m_saver.edit(note, std::move(read));
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
    if (cleaned != m_sync.folder()) {
        m_reader.stop();
        saveAllDrafts();
        // Undo would bring a note back into a folder the window no longer shows.
        forgetTrashed();
    }
    m_sync.setFolder(cleaned);
    m_history.setFolder(cleaned);
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

void NotesStore::setSortOrder(SortOrder order)
{
    if (order == m_sortOrder)
        return;
    m_sortOrder = order;
    emit sortOrderChanged();
}

std::optional<std::vector<qsizetype>> NotesStore::rowsByTitle()
{
    const std::vector<qsizetype>* order = m_titleOrder.positions();
    if (!order)
        return std::nullopt;
    const std::optional<std::vector<qsizetype>> found = filteredRows();
    if (!found)
        return *order;
    std::vector<char> listed(size_t(m_list.notes().size()), 0);
    for (const qsizetype row : *found)
        listed[size_t(row)] = 1;
    std::vector<qsizetype> rows;
    rows.reserve(found->size());
    for (const qsizetype position : *order) {
        if (listed[size_t(position)])
            rows.push_back(position);
    }
    return rows;
}

bool NotesStore::searchAnswered() const
{
    const QByteArray query = SearchKey::fold(Naming::trimmed(m_searchText));
    return query.isEmpty() || m_list.remembered(query);
}

std::optional<Note> NotesStore::firstListed() const
{
    std::optional<std::vector<qsizetype>> rows = filteredRows();
    if (!rows) {
        rows.emplace(size_t(m_list.notes().size()));
        std::iota(rows->begin(), rows->end(), qsizetype(0));
    }
    if (rows->empty())
        return std::nullopt;
    const qsizetype first =
        m_sortOrder == SortOrder::Title ? m_titleOrder.first(*rows) : rows->front();
    return m_list.notes().at(first);
}

void NotesStore::saveTyping()
{
    m_queue.add([this, selected = m_selection.url()] {
        m_saver.save(selected);
        m_saver.save(m_drafts.lastEdited());
    });
}

NotesStore::NewNote NotesStore::createDatedNote()
{
    return create([this](const QString& folder) { return m_files.createDated(folder); });
}

NotesStore::NewNote NotesStore::createNote(const QString& text)
{
    return create([this, &text](const QString& folder) {
        return m_files.createWithText(folder,
                                      folder + QLatin1Char('/') + Naming::sanitizedFileName(text) +
                                          QLatin1Char('.') + Naming::extension,
                                      text);
    });
}

NotesStore::NewNote
NotesStore::create(const std::function<NoteFiles::Created(const QString& folder)>& write)
{
    // The note being left reaches its file before the new one takes the editor.
    m_saver.save(m_selection.url());
    const QString folder = m_sync.folder();
    // The folder stays remembered: it may be writable again the next time.
    if (folder.isEmpty() || !m_services.folders.canWrite(folder))
        return {NewNote::Outcome::NeedsFolder, std::nullopt};
    const NoteFiles::Created created = write(folder);
    if (created.error)
        return {NewNote::Outcome::Failed, created.error};
    m_sync.touched(created.note.url);
    m_list.add(created.note);
    emit notesChanged();
    m_selection.set(created.note);
    emit noteCreated();
    return {NewNote::Outcome::Created, std::nullopt};
}

std::optional<QString> NotesStore::saveBeforeDelete(const QString& url)
{
    // The Trash keeps what the user last typed; a conflict copy means another program changed
    // the file, which is then not ours to delete.
    if (!m_drafts.contains(url))
        return url;
    const DraftSaver::Outcome saved = m_saver.write(url, DraftSaver::Waiting::Forbidden);
    if (saved.kind != NoteFiles::Saved::Kind::InPlace)
        return std::nullopt;
    return saved.url;
}

void NotesStore::saveBeforeExit()
{
    m_saver.saveBeforeExit();
    // The versions kept last are written before the process ends, if the database lets us.
    m_history.flush();
}

bool NotesStore::restoreVersion(const QString& url, const QString& text)
{
    const Note* note = withText(url);
    if (!note)
        return false;
    m_drafts.takeLiveText();
    const QString current = m_saver.textFor(*note);
    m_history.keep(url, current, HistoryStore::Kind::BeforeRestore);
    const Note record = *note;
    m_saver.edit(record, [text] { return std::optional<QString>(text); });
    m_saver.markRestoring(url);
    return m_saver.save(url);
}

NotesStore::Restored NotesStore::restoreDeleted(const QString& formerUrl, const QString& text)
{
    const QString folder = m_sync.folder();
    if (folder.isEmpty() || !m_services.folders.canWrite(folder))
        return {std::nullopt, std::nullopt};
    m_saver.save(m_selection.url());
    const NoteFiles::Created created = m_files.createWithText(folder, formerUrl, text);
    if (created.error)
        return {std::nullopt, created.error};
    m_history.follow(formerUrl, created.note.url);
    m_history.keep(created.note.url, created.note.contentUtf8(), HistoryStore::Kind::Restored);
    m_sync.touched(created.note.url);
    m_list.add(created.note);
    emit notesChanged();
    m_selection.set(created.note);
    return {created.note.url, std::nullopt};
}

void NotesStore::keepBeforeDelete(const QString& url)
{
    // The text it had, read now when it was listed before its text: never an empty version.
    if (const Note* note = withText(url); note && !note->unreadable)
        m_history.keep(url, note->contentUtf8(), HistoryStore::Kind::BeforeDelete);
}

bool NotesStore::moveToTrash(const QString& url)
{
    keepBeforeDelete(url);
    const TrashService::Moved moved = m_files.moveToTrash(url);
    if (moved.error)
        return false;
    rememberDeleted(url, moved.entry);
    return true;
}

void NotesStore::rememberDeleted(const QString& url, std::optional<TrashService::Entry> entry)
{
    const Note* listed = m_list.find(url);
    Trashed deleted{listed ? *listed : Note{}, std::move(entry)};
    deleted.note.url = url;
    forgetDeleted(url);
    m_trashed = std::move(deleted);
    emit trashedNoteChanged();
}

std::optional<Note> NotesStore::trashedNote() const
{
    if (!m_trashed)
        return std::nullopt;
    return m_trashed->note;
}

void NotesStore::forgetTrashed()
{
    if (!m_trashed)
        return;
    m_trashed.reset();
    emit trashedNoteChanged();
}

std::optional<FileError> NotesStore::undoDelete()
{
    if (!m_trashed)
        return std::nullopt;
    const Trashed trashed = *m_trashed;
    // One try: what failed is not undone by trying again (the file left the Trash, or its
    // folder refuses it), and the Trash keeps it for the file manager.
    forgetTrashed();
    if (!trashed.entry) {
        // Gone for good: its last text comes back from the history, else from its record.
        const QList<HistoryStore::Version> versions = m_history.versions(trashed.note.url);
        const std::optional<QString> text =
            versions.isEmpty() ? std::nullopt : m_history.text(versions.first().id);
        return restoreDeleted(trashed.note.url, text.value_or(trashed.note.content())).error;
    }
    const NoteFiles::Restored restored = m_files.restoreFromTrash(trashed.note.url, *trashed.entry);
    if (restored.error)
        return restored.error;
    m_sync.touched(restored.url);
    const std::optional<Note> note = NoteLoader::readFile(restored.url);
    if (!note) {
        // Back in the folder, but no note a load reads at once: the folder's listing shows it.
        loadNotes();
        return std::nullopt;
    }
    m_list.add(*note);
    emit notesChanged();
    m_selection.set(*note);
    return std::nullopt;
}

std::optional<FileError> NotesStore::removePermanently(const QString& url)
{
    keepBeforeDelete(url);
    if (const int err = NoteFile::remove(url))
        return FileError::fileNotRemoved(url, err);
    rememberDeleted(url, std::nullopt);
    return std::nullopt;
}

void NotesStore::forgetDeleted(const QString& url)
{
    m_sync.touched(url);
    m_list.remove(url);
    emit notesChanged();
    m_drafts.remove(url);
    m_selection.set(m_list.newest());
}
