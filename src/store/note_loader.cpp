#include "note_loader.h"

#include "naming.h"

#include <QFile>
#include <QRandomGenerator>
#include <QStringDecoder>
#include <QTimeZone>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

struct DirCloser
{
    void operator()(DIR* dir) const { ::closedir(dir); }
};

QDateTime modificationDate(const struct stat& st)
{
    const qint64 ms = qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000;
    return QDateTime::fromMSecsSinceEpoch(ms, QTimeZone::utc());
}

bool isAscii(const QByteArray& bytes)
{
    unsigned char seen = 0;
    for (const char c : bytes)
        seen |= static_cast<unsigned char>(c);
    return seen < 0x80;
}

// Reads the whole file, or returns false. The file may grow while it is read.
bool readAll(int fd, qsizetype sizeHint, QByteArray& out)
{
    out.resize(qMax<qsizetype>(sizeHint, 0) + 1);
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

std::optional<QString> decodeStrict(const QByteArray& bytes)
{
    if (isAscii(bytes))
        return QString::fromLatin1(bytes);
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = decoder(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
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
};

// Reads one listed entry into a record; false when it is not a note (not a regular file
// or a link to one, or gone since the listing).
bool readEntry(int dirFd, const Entry& entry, const QString& folder, Note& note)
{
    struct stat st;
    QByteArray bytes;
    // Non-blocking, so that a pipe that happens to carry the extension cannot stall us.
    const int fd =
        ::openat(dirFd, entry.name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        // Listed, but unreadable: the user should see the note exists.
        if (::fstatat(dirFd, entry.name.constData(), &st, 0) != 0 || !S_ISREG(st.st_mode))
            return false;
        note.unreadable = true;
    } else {
        const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
        const bool read = regular && readAll(fd, st.st_size, bytes);
        ::close(fd);
        if (!regular)
            return false;
        std::optional<QString> text = read ? decodeStrict(bytes) : std::nullopt;
        if (text)
            note.content = std::move(*text);
        else
            note.unreadable = true;
    }
    const QString name = QFile::decodeName(entry.name);
    note.url = folder + QLatin1Char('/') + name;
    note.title = Naming::baseName(name);
    note.fallbackTitle = note.title;
    note.lastModified = modificationDate(st);
    note.prepareSearch();
    return true;
}

} // namespace

NoteLoader::Result NoteLoader::load(const QString& folder)
{
    Result result;
    std::unique_ptr<DIR, DirCloser> dir(::opendir(QFile::encodeName(folder).constData()));
    if (!dir) {
        result.error = FileError::folderNotOpened(folder, errno);
        return result;
    }
    std::vector<Entry> entries;
    while (const dirent* entry = ::readdir(dir.get())) {
        if (entry->d_name[0] == '.')
            continue;
        if (entry->d_type != DT_REG && entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
            continue;
        QByteArray name(entry->d_name);
        if (Naming::isNoteFileName(QFile::decodeName(name)))
            entries.push_back({std::move(name)});
    }

    // Reading and decoding thousands of files is the whole cost of a load; the cores share it
    // and the records keep listing order.
    const int dirFd = ::dirfd(dir.get());
    std::vector<Note> notes(entries.size());
    std::vector<char> isNote(entries.size(), 0);
    const auto readRange = [&](size_t begin, size_t step) {
        for (size_t i = begin; i < entries.size(); i += step)
            isNote[i] = readEntry(dirFd, entries[i], folder, notes[i]);
    };
    const size_t workers =
        entries.size() < 64 ? 1 : qBound(1u, std::thread::hardware_concurrency(), 4u);
    std::vector<std::thread> threads;
    for (size_t w = 1; w < workers; ++w)
        threads.emplace_back(readRange, w, workers);
    readRange(0, workers);
    for (std::thread& thread : threads)
        thread.join();

    result.notes.reserve(qsizetype(entries.size()));
    for (size_t i = 0; i < entries.size(); ++i) {
        if (!isNote[i])
            continue;
        notes[i].id = newId();
        result.notes.append(std::move(notes[i]));
    }
    notes.clear();
#ifdef __GLIBC__
    // The readers' buffers were freed in their threads' heaps; hand those pages back, or a
    // large folder leaves tens of megabytes resident for nothing.
    ::malloc_trim(0);
#endif
    return result;
}
