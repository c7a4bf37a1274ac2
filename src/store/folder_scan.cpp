#include "store/folder_scan.h"

#include "store/folder_listing.h"
#include "store/naming.h"
#include "store/note_list.h"

#include <QThreadPool>
#include <QtConcurrent>

#include <fcntl.h>
#include <memory>
#include <numeric>
#include <sys/stat.h>

namespace {

struct DirCloser
{
    void operator()(DIR* dir) const { ::closedir(dir); }
};

// The record of one entry, or false when it is no note file (not named as one, not a regular
// file or a link to one, or gone since the listing).
bool recordOf(int dirFd, const QByteArray& bytes, const QString& folder, Note& note)
{
    const QString name = Naming::pathFromBytes(bytes);
    if (!Naming::isNoteFileName(name))
        return false;
    struct stat st;
    if (::fstatat(dirFd, bytes.constData(), &st, 0) != 0 || !S_ISREG(st.st_mode))
        return false;
    note.url = folder + QLatin1Char('/') + name;
    note.title = Naming::readableName(Naming::baseName(name));
    note.fallbackTitle = note.title;
    note.lastModified = FolderListing::modified(st);
    note.identity = FileIdentity::of(st);
    // A name that is not UTF-8 cannot be written back under any name we could make.
    note.unreadable = !Naming::isValidUtf8Name(name);
    note.textPending = true;
    note.id = NoteLoader::newId();
    note.prepareSearch();
    return true;
}

} // namespace

NoteLoader::Result FolderScan::scan(const QString& folder)
{
    NoteLoader::Result result;
    std::unique_ptr<DIR, DirCloser> dir(::opendir(Naming::pathBytes(folder).constData()));
    if (!dir) {
        result.error = FileError::folderNotOpened(folder, errno);
        return result;
    }
    const int dirFd = ::dirfd(dir.get());
    const std::vector<QByteArray> names = FolderListing::candidateNames(dir.get());
    std::vector<Note> notes(names.size());
    std::vector<char> isNote(names.size(), 0);
    std::vector<size_t> order(names.size());
    std::iota(order.begin(), order.end(), size_t(0));
    const auto one = [&](size_t i) { isNote[i] = recordOf(dirFd, names[i], folder, notes[i]); };
    if (names.size() < 1024) {
        for (const size_t i : order)
            one(i);
    } else {
        // Its own threads: a scan runs on the global pool, and waiting there for work queued
        // behind it would never end.
        QThreadPool workers;
        workers.setMaxThreadCount(qBound(1, QThread::idealThreadCount(), 4));
        QtConcurrent::blockingMap(&workers, order, one);
    }
    result.notes.reserve(qsizetype(names.size()));
    for (size_t i = 0; i < names.size(); ++i) {
        if (isNote[i])
            result.notes.append(std::move(notes[i]));
    }
    result.notes = NoteList::newestFirst(std::move(result.notes));
    struct stat st;
    if (::fstat(dirFd, &st) == 0)
        result.folder = FileIdentity::of(st);
    return result;
}
