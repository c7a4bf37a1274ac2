#include "store/note_loader.h"

#include "store/folder_listing.h"
#include "store/naming.h"
#include "store/note_file.h"
#include "store/note_list.h"

#include <QFile>
#include <QHash>
#include <QRandomGenerator>
#include <QThreadPool>
#include <QtConcurrent>

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <numeric>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

struct DirCloser
{
    void operator()(DIR* dir) const { ::closedir(dir); }
};

// Reads the whole file, or returns false. The file may grow while it is read.
bool readAll(int fd, qsizetype sizeHint, QByteArray& out)
{
    // Exactly the size the file should have (and a byte to see that it ended): the bytes are
    // kept as the note's text, and resize() would leave room to grow in every one of them.
    out = QByteArray(qMax<qsizetype>(sizeHint, 0) + 1, Qt::Uninitialized);
    qsizetype filled = 0;
    for (;;) {
        if (filled == out.size())
            out.resize(out.size() * 2);
        const ssize_t got = ::read(fd, out.data() + filled, size_t(out.size() - filled));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (got == 0)
            break;
        filled += got;
    }
    out.truncate(filled);
    return true;
}

} // namespace

QUuid NoteLoader::newId()
{
    // A version 4 UUID from the process's seeded generator: the system source would cost a
    // system call per note on every load, and these ids never leave the process.
    quint64 halves[2];
    QRandomGenerator::global()->fillRange(halves);
    QByteArray bytes(reinterpret_cast<const char*>(halves), sizeof halves);
    bytes[6] = char((bytes[6] & 0x0F) | 0x40);
    bytes[8] = char((bytes[8] & 0x3F) | 0x80);
    return QUuid::fromRfc4122(bytes);
}

namespace {

struct Entry
{
    QByteArray name;
    const Note* previous = nullptr; // the record the last load made of this file
};

enum class Outcome : char
{
    NotANote, // not a regular file or a link to one, or gone since the listing
    Kept,     // still the file read last time: its record stands, nothing was read
    Read,
};

Outcome readEntry(int dirFd, const Entry& entry, const QString& folder, Note& note)
{
    struct stat st;
    QByteArray bytes;
    // One stat, no read, and no copy of the record: most of a refresh is this.
    const bool stated = entry.previous && ::fstatat(dirFd, entry.name.constData(), &st, 0) == 0 &&
                        S_ISREG(st.st_mode);
    if (stated && FileIdentity::of(st) == entry.previous->identity)
        return Outcome::Kept;
    // Non-blocking, so that a pipe that happens to carry the extension cannot stall us.
    const int fd =
        ::openat(dirFd, entry.name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    // Only its permissions changed, and now forbid reading it: what was read stands.
    if (fd < 0 && stated && FileIdentity::of(st).sameDataAs(entry.previous->identity))
        return Outcome::Kept;
    if (fd < 0) {
        // Listed, but unreadable: the user should see the note exists.
        if (::fstatat(dirFd, entry.name.constData(), &st, 0) != 0 || !S_ISREG(st.st_mode))
            return Outcome::NotANote;
        note.unreadable = true;
    } else {
        const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
        const bool read = regular && readAll(fd, st.st_size, bytes);
        ::close(fd);
        if (!regular)
            return Outcome::NotANote;
        std::optional<NoteText::Decoded> text = read ? NoteText::decode(bytes) : std::nullopt;
        if (text) {
            note.setContentUtf8(std::move(text->utf8));
            note.hasBom = text->hasBom;
            note.lineEnding = text->lineEnding;
            // What was read is what the file held at this identity; a later change shows in it.
            st.st_size = bytes.size();
        } else {
            note.unreadable = true;
        }
    }
    const QString name = Naming::pathFromBytes(entry.name);
    // A name that is not UTF-8 cannot be written back under any name we could make.
    if (!Naming::isValidUtf8Name(name))
        note.unreadable = true;
    note.url = folder + QLatin1Char('/') + name;
    note.title = Naming::readableName(Naming::baseName(name));
    note.fallbackTitle = note.title;
    note.lastModified = FolderListing::modified(st);
    note.identity = FileIdentity::of(st);
    note.prepareSearch();
    return Outcome::Read;
}

// Reads the entries into records, the cores sharing the work, and makes the result: the
// records of `others` (files not looked at) and the entries', newest first.
// `gone` holds the earlier records of files no longer there; one of them may be an entry
// under a new name (another program renamed it). A rename keeps the inode, the size and the
// modification time; a deleted file's inode reused by a new one does not.
NoteLoader::Result readEntries(int dirFd, const QString& folder, const std::vector<Entry>& entries,
                               QList<const Note*> gone, QList<Note> others)
{
    std::vector<Note> notes(entries.size());
    std::vector<Outcome> outcome(entries.size(), Outcome::NotANote);
    std::vector<size_t> order(entries.size());
    std::iota(order.begin(), order.end(), size_t(0));
    if (entries.size() < 64) {
        for (const size_t i : order)
            outcome[i] = readEntry(dirFd, entries[i], folder, notes[i]);
    } else {
        // Readers of their own: a load runs on the global pool, and waiting there for work
        // queued behind it on the same pool would never end.
        QThreadPool readers;
        readers.setMaxThreadCount(qBound(1, QThread::idealThreadCount(), 4));
        QtConcurrent::blockingMap(&readers, order, [&](size_t i) {
            outcome[i] = readEntry(dirFd, entries[i], folder, notes[i]);
        });
    }

    NoteLoader::Result result;
    bool anyRead = false;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (outcome[i] == Outcome::NotANote && entries[i].previous)
            gone.append(entries[i].previous);
        anyRead = anyRead || outcome[i] == Outcome::Read;
    }
    // Every file still the one read before, and none gone: the caller has nothing to do, and
    // nothing is copied for it.
    if (!anyRead && gone.isEmpty()) {
        result.unchanged = true;
        return result;
    }

    QHash<QPair<quint64, quint64>, const Note*> vanished;
    for (const Note* note : std::as_const(gone)) {
        if (note->identity.isValid())
            vanished.insert({note->identity.device, note->identity.inode}, note);
    }
    result.notes = std::move(others);
    result.notes.reserve(result.notes.size() + qsizetype(entries.size()));
    for (size_t i = 0; i < entries.size(); ++i) {
        if (outcome[i] == Outcome::NotANote)
            continue;
        if (outcome[i] == Outcome::Kept) {
            result.notes.append(*entries[i].previous);
            continue;
        }
        Note& note = notes[i];
        // The same file keeps its id, so that its row and the selection stay where they are.
        const Note* before = entries[i].previous;
        if (!before && !vanished.isEmpty()) {
            before = vanished.value({note.identity.device, note.identity.inode});
            if (before && before->identity.sameDataAs(note.identity))
                vanished.remove({note.identity.device, note.identity.inode});
            else
                before = nullptr;
        }
        if (before && before->url != note.url)
            result.renamed.append({before->url, note.url});
        // A text never read is no version of the note: nothing was displaced that we knew.
        if (before && !before->unreadable && !before->textPending && !note.unreadable &&
            before->contentUtf8() != note.contentUtf8())
            result.displaced.append({note.url, before->contentUtf8(), note.contentUtf8()});
        note.id = before ? before->id : NoteLoader::newId();
        result.notes.append(std::move(note));
    }
    notes.clear();
    for (const Note* note : std::as_const(gone)) {
        const bool renamed = note->identity.isValid() &&
                             vanished.value({note->identity.device, note->identity.inode}) != note;
        if (!renamed && !note->unreadable && !note->textPending)
            result.displaced.append({note->url, note->contentUtf8(), std::nullopt});
    }
    result.notes = NoteList::newestFirst(std::move(result.notes));
#ifdef __GLIBC__
    // The readers' buffers were freed in their threads' heaps; hand those pages back, or a
    // large folder leaves tens of megabytes resident for nothing.
    if (anyRead && entries.size() >= 64)
        ::malloc_trim(0);
#endif
    return result;
}

FileIdentity folderIdentity(int dirFd)
{
    struct stat st;
    return ::fstat(dirFd, &st) == 0 ? FileIdentity::of(st) : FileIdentity{};
}

} // namespace

NoteLoader::Result NoteLoader::load(const QString& folder, const QList<Note>& previous)
{
    std::unique_ptr<DIR, DirCloser> dir(::opendir(Naming::pathBytes(folder).constData()));
    if (!dir) {
        Result result;
        result.error = FileError::folderNotOpened(folder, errno);
        return result;
    }
    std::vector<Entry> entries;
    entries.reserve(size_t(previous.size()));
    for (QByteArray& name : FolderListing::candidateNames(dir.get()))
        entries.push_back({std::move(name), nullptr});

    // Matching names to the earlier records is most of a refresh that finds nothing new; the
    // cores share it. Each record is claimed by at most one name, so the flags never clash.
    // Keyed by the name within each record's own path: no path is built per entry.
    QHash<QStringView, qsizetype> known;
    known.reserve(previous.size());
    const qsizetype nameFrom = folder.size() + 1;
    for (qsizetype i = 0; i < previous.size(); ++i) {
        const QString& url = previous.at(i).url;
        if (url.size() > nameFrom && url.startsWith(folder) && url.at(folder.size()) == u'/')
            known.insert(QStringView(url).sliced(nameFrom), i);
    }
    std::vector<char> claimed(size_t(previous.size()), 0);
    std::vector<char> isNote(entries.size(), 0);
    const auto match = [&](size_t i) {
        Entry& entry = entries[i];
        const QString name = Naming::pathFromBytes(entry.name);
        if (!Naming::isNoteFileName(name))
            return;
        isNote[i] = 1;
        const qsizetype at = known.value(name, -1);
        if (at >= 0) {
            entry.previous = &previous.at(at);
            claimed[size_t(at)] = 1;
        }
    };
    std::vector<size_t> order(entries.size());
    std::iota(order.begin(), order.end(), size_t(0));
    if (entries.size() < 1024) {
        for (const size_t i : order)
            match(i);
    } else {
        QThreadPool workers;
        workers.setMaxThreadCount(qBound(1, QThread::idealThreadCount(), 4));
        QtConcurrent::blockingMap(&workers, order, match);
    }
    std::vector<Entry> notes;
    notes.reserve(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        if (isNote[i])
            notes.push_back(std::move(entries[i]));
    }

    // The earlier records no name claimed vanished from the listing.
    QList<const Note*> gone;
    for (size_t i = 0; i < claimed.size(); ++i) {
        if (!claimed[i])
            gone.append(&previous.at(qsizetype(i)));
    }
    NoteLoader::Result result = readEntries(::dirfd(dir.get()), folder, notes, gone, {});
    result.folder = folderIdentity(::dirfd(dir.get()));
    return result;
}

NoteLoader::Result NoteLoader::refresh(const QString& folder, const QByteArrayList& names,
                                       const QList<Note>& previous)
{
    std::unique_ptr<DIR, DirCloser> dir(::opendir(Naming::pathBytes(folder).constData()));
    if (!dir) {
        Result result;
        result.error = FileError::folderNotOpened(folder, errno);
        return result;
    }
    QHash<QString, QByteArray> named;
    for (const QByteArray& name : names) {
        const QString decoded = Naming::pathFromBytes(name);
        if (!name.startsWith('.') && Naming::isNoteFileName(decoded))
            named.insert(folder + QLatin1Char('/') + decoded, name);
    }
    QHash<QByteArray, const Note*> earlier;
    QList<Note> others;
    others.reserve(previous.size());
    for (const Note& note : previous) {
        const auto found = named.constFind(note.url);
        if (found != named.cend())
            earlier.insert(*found, &note);
        else
            others.append(note);
    }
    std::vector<Entry> entries;
    for (const QByteArray& name : std::as_const(named))
        entries.push_back({name, earlier.value(name)});
    Result result = readEntries(::dirfd(dir.get()), folder, entries, {}, std::move(others));
    result.folder = folderIdentity(::dirfd(dir.get()));
    return result;
}

std::optional<Note> NoteLoader::readFile(const QString& path)
{
    const int dirFd = ::open(Naming::pathBytes(Naming::folderOf(path)).constData(),
                             O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0)
        return std::nullopt;
    Note note;
    const Outcome outcome = readEntry(dirFd, {Naming::pathBytes(Naming::fileName(path)), nullptr},
                                      Naming::folderOf(path), note);
    ::close(dirFd);
    if (outcome != Outcome::Read || note.unreadable)
        return std::nullopt;
    return note;
}

std::vector<std::optional<Note>> NoteLoader::readTexts(const QString& folder,
                                                       const QByteArrayList& names)
{
    std::vector<std::optional<Note>> read(size_t(names.size()));
    const int dirFd =
        ::open(Naming::pathBytes(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0)
        return read;
    const auto one = [&](size_t i) {
        Note note;
        if (readEntry(dirFd, {names.at(qsizetype(i)), nullptr}, folder, note) == Outcome::Read)
            read[i] = std::move(note);
    };
    std::vector<size_t> order(read.size());
    std::iota(order.begin(), order.end(), size_t(0));
    if (order.size() < 16) {
        for (const size_t i : order)
            one(i);
    } else {
        // Several reads in flight: a cold disk answers each file after a seek of its own.
        QThreadPool readers;
        readers.setMaxThreadCount(qBound(2, QThread::idealThreadCount(), 4));
        QtConcurrent::blockingMap(&readers, order, one);
    }
    ::close(dirFd);
    return read;
}
