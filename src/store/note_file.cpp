#include "note_file.h"

#include "naming.h"

#include <QFile>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray encoded(const QString& path)
{
    return QFile::encodeName(path);
}

int writeAll(int fd, const QByteArray& bytes)
{
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (written == 0)
            return ENOSPC;
        data += written;
        left -= written;
    }
    return 0;
}

// Writes bytes into a new hidden file next to the target (hidden, so a load never lists it)
// and makes it durable. On success tempPath names it; on failure nothing is left.
int writeTemporary(const QByteArray& folder, const QByteArray& bytes, mode_t mode,
                   QByteArray& tempPath)
{
    QByteArray pattern = folder + "/.quillbox-save-XXXXXX";
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0)
        return errno;
    int err = ::fchmod(fd, mode) == 0 ? 0 : errno;
    if (!err)
        err = writeAll(fd, bytes);
    if (!err && ::fdatasync(fd) != 0)
        err = errno;
    if (::close(fd) != 0 && !err)
        err = errno;
    if (err) {
        ::unlink(pattern.constData());
        return err;
    }
    tempPath = pattern;
    return 0;
}

QByteArray folderOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.left(slash);
}

void syncFolderBytes(const QByteArray& folder)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// What an ordinary new file gets: read-write for all, less the user's umask.
mode_t newFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// keepOwner: the file being replaced, whose owner the new one takes where we may say so.
int replaceWith(const QByteArray& target, const QByteArray& bytes, mode_t mode,
                const struct stat* keepOwner = nullptr)
{
    QByteArray temp;
    const QByteArray folder = folderOf(target);
    if (const int err = writeTemporary(folder, bytes, mode, temp))
        return err;
    // Only root may give a file away; anyone else's save leaves it theirs, as any editor's.
    if (keepOwner) {
        [[maybe_unused]] const int ignored =
            ::chown(temp.constData(), keepOwner->st_uid, keepOwner->st_gid);
    }
    if (::rename(temp.constData(), target.constData()) != 0) {
        const int err = errno;
        ::unlink(temp.constData());
        return err;
    }
    syncFolderBytes(folder);
    return 0;
}

} // namespace

int NoteFile::writeAtomically(const QString& path, const QByteArray& bytes)
{
    char resolved[PATH_MAX];
    if (!::realpath(encoded(path).constData(), resolved))
        return errno;
    struct stat st;
    if (::stat(resolved, &st) != 0)
        return errno;
    if (!S_ISREG(st.st_mode))
        return EISDIR;
    // Replacing through the folder would bypass a file the user made read-only.
    if (::faccessat(AT_FDCWD, resolved, W_OK, AT_EACCESS) != 0)
        return errno;
    return replaceWith(QByteArray(resolved), bytes, st.st_mode & 07777, &st);
}

int NoteFile::replaceFile(const QString& path, const QByteArray& bytes)
{
    return replaceWith(encoded(path), bytes, newFileMode());
}

int NoteFile::createExclusively(const QString& path, const QByteArray& bytes)
{
    const QByteArray target = encoded(path);
    QByteArray temp;
    if (const int err = writeTemporary(folderOf(target), bytes, newFileMode(), temp))
        return err;
    const int err = moveNoReplace(QFile::decodeName(temp), path);
    if (err)
        ::unlink(temp.constData());
    return err;
}

int NoteFile::moveNoReplace(const QString& from, const QString& to)
{
    const QByteArray source = encoded(from);
    const QByteArray target = encoded(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) !=
        0) {
        if (errno != EINVAL && errno != ENOSYS)
            return errno;
        // File systems without the flag: a hard link fails on an existing name just as well.
        if (::link(source.constData(), target.constData()) != 0)
            return errno;
        if (::unlink(source.constData()) != 0) {
            const int err = errno;
            ::unlink(target.constData());
            return err;
        }
    }
    syncFolderBytes(folderOf(target));
    if (folderOf(source) != folderOf(target))
        syncFolderBytes(folderOf(source));
    return 0;
}

int NoteFile::remove(const QString& path)
{
    const QByteArray target = encoded(path);
    if (::unlink(target.constData()) != 0)
        return errno;
    syncFolderBytes(folderOf(target));
    return 0;
}

void NoteFile::syncFolder(const QString& folder)
{
    syncFolderBytes(encoded(folder));
}
