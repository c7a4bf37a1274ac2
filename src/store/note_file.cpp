#include "store/note_file.h"

#include "store/naming.h"

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
    return Naming::pathBytes(path);
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

// A new hidden file next to the target (hidden, so a load never lists it), written and made
// durable. It stays open: renaming changes its change time, so what the note is known by is
// read from it only once it is in place.
class Temporary
{
public:
    Temporary() = default;
    Temporary(const Temporary&) = delete;
    Temporary& operator=(const Temporary&) = delete;
    ~Temporary()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }

    // 0, or the errno of the failed step; on failure nothing is left.
    int write(const QByteArray& folder, const QByteArray& bytes, mode_t mode)
    {
        QByteArray pattern = folder + '/' + NoteFile::temporaryPrefix + "XXXXXX";
        m_fd = ::mkostemp(pattern.data(), O_CLOEXEC);
        if (m_fd < 0)
            return errno;
        int err = ::fchmod(m_fd, mode) == 0 ? 0 : errno;
        if (!err)
            err = writeAll(m_fd, bytes);
        if (!err && ::fdatasync(m_fd) != 0)
            err = errno;
        if (err) {
            ::unlink(pattern.constData());
            return err;
        }
        m_path = pattern;
        return 0;
    }
    const QByteArray& path() const { return m_path; }
    // Where the file is now, after the renames that put it in place.
    FileIdentity identity() const
    {
        struct stat st;
        return m_fd >= 0 && ::fstat(m_fd, &st) == 0 ? FileIdentity::of(st) : FileIdentity{};
    }
    void discard() const { ::unlink(m_path.constData()); }

private:
    int m_fd = -1;
    QByteArray m_path;
};

QByteArray folderOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.left(slash);
}

// Without it a rename may not survive a power cut; a folder we cannot open for that is a
// failure to report, not a detail.
int syncFolderBytes(const QByteArray& folder)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const int err = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return err;
}

bool holdsBytes(const QByteArray& path, const QByteArray& expected)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return false;
    QByteArray actual(expected.size() + 1, Qt::Uninitialized);
    qsizetype filled = 0;
    while (filled < actual.size()) {
        const ssize_t got = ::read(fd, actual.data() + filled, size_t(actual.size() - filled));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        filled += got;
    }
    ::close(fd);
    return filled == expected.size() && QByteArrayView(actual).first(filled) == expected;
}

// What an ordinary new file gets: read-write for all, less the user's umask.
mode_t newFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// keepOwner: the file being replaced, whose owner the new one takes where we may say so.
// What we last read or wrote is still there: the same file, or the very same bytes.
bool holdsExpected(const QByteArray& path, const NoteFile::Expected& expected)
{
    struct stat st;
    if (::stat(path.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    if (FileIdentity::of(st) == expected.identity)
        return true;
    return st.st_size == expected.bytes.size() && holdsBytes(path, expected.bytes);
}

bool isFile(const QByteArray& path, const FileIdentity& file)
{
    struct stat st;
    return ::lstat(path.constData(), &st) == 0 && quint64(st.st_dev) == file.device &&
           quint64(st.st_ino) == file.inode;
}

// Our swap displaced another program's file into temp: it goes back to target, and what it
// comes back from is removed. That is ours, unless yet another version landed in between (and
// took ours away): then that newer one goes back instead, and the version it superseded is
// dropped, as that program's rename would have dropped it had we not been there.
void putBack(const QByteArray& target, const QByteArray& temp, FileIdentity atTarget)
{
    for (int swap = 0; swap < 8; ++swap) {
        const FileIdentity displaced = FileIdentity::ofPath(temp);
        if (::renameat2(AT_FDCWD, temp.constData(), AT_FDCWD, target.constData(),
                        RENAME_EXCHANGE) != 0)
            return;
        if (isFile(temp, atTarget)) {
            ::unlink(temp.constData());
            return;
        }
        atTarget = displaced;
    }
}

NoteFile::Written replaceWith(const QByteArray& target, const QByteArray& bytes, mode_t mode,
                              const struct stat* keepOwner = nullptr,
                              const NoteFile::Expected* expected = nullptr)
{
    const QByteArray folder = folderOf(target);
    Temporary temporary;
    if (const int err = temporary.write(folder, bytes, mode))
        return {err, {}};
    const QByteArray& temp = temporary.path();
    // Only root may give a file away; anyone else's save leaves it theirs, as any editor's.
    if (keepOwner) {
        [[maybe_unused]] const int ignored =
            ::chown(temp.constData(), keepOwner->st_uid, keepOwner->st_gid);
    }
    if (expected) {
        // Writing the temporary file and syncing it takes a while, during which a sync tool
        // may land its own version. The new text is swapped in, and what it displaced is
        // checked: another program's file goes straight back, so it is never lost.
        if (::renameat2(AT_FDCWD, temp.constData(), AT_FDCWD, target.constData(),
                        RENAME_EXCHANGE) == 0) {
            if (holdsExpected(temp, *expected)) {
                ::unlink(temp.constData());
                return {syncFolderBytes(folder), temporary.identity()};
            }
            putBack(target, temp, temporary.identity());
            return {syncFolderBytes(folder), {}, true};
        }
        if (errno != EINVAL && errno != ENOSYS) {
            const int err = errno;
            temporary.discard();
            return {err, {}};
        }
        // File systems that cannot swap: the check comes as close to the rename as it can.
        if (!holdsExpected(target, *expected)) {
            temporary.discard();
            return {0, {}, true};
        }
    }
    if (::rename(temp.constData(), target.constData()) != 0) {
        const int err = errno;
        temporary.discard();
        return {err, {}};
    }
    return {syncFolderBytes(folder), temporary.identity()};
}

} // namespace

NoteFile::Checked NoteFile::check(const QString& path, const FileIdentity& expected,
                                  const QByteArray& expectedBytes)
{
    const QByteArray p = encoded(path);
    struct stat st;
    if (::stat(p.constData(), &st) != 0) {
        if (errno == ENOENT)
            return {State::Missing, 0, {}};
        return {State::Failed, errno, {}};
    }
    if (!S_ISREG(st.st_mode))
        return {State::Changed, 0, {}};
    const FileIdentity now = FileIdentity::of(st);
    if (now == expected)
        return {State::Unchanged, 0, now};
    // Touched, or rewritten with the same text (a sync tool does that): nothing is lost by
    // writing over it.
    if (now.size == expectedBytes.size() && holdsBytes(p, expectedBytes))
        return {State::Unchanged, 0, now};
    return {State::Changed, 0, now};
}

NoteFile::Written NoteFile::writeAtomically(const QString& path, const QByteArray& bytes,
                                            const std::optional<Expected>& expected)
{
    char resolved[PATH_MAX];
    if (!::realpath(encoded(path).constData(), resolved))
        return {errno, {}};
    struct stat st;
    if (::stat(resolved, &st) != 0)
        return {errno, {}};
    if (!S_ISREG(st.st_mode))
        return {EISDIR, {}};
    // Replacing through the folder would bypass a file the user made read-only.
    if (::faccessat(AT_FDCWD, resolved, W_OK, AT_EACCESS) != 0)
        return {errno, {}};
    return replaceWith(QByteArray(resolved), bytes, st.st_mode & 07777, &st,
                       expected ? &*expected : nullptr);
}

int NoteFile::replaceFile(const QString& path, const QByteArray& bytes)
{
    return replaceWith(encoded(path), bytes, newFileMode()).error;
}

NoteFile::Written NoteFile::createExclusively(const QString& path, const QByteArray& bytes)
{
    const QByteArray target = encoded(path);
    Temporary temporary;
    if (const int err = temporary.write(folderOf(target), bytes, newFileMode()))
        return {err, {}};
    if (const int err = moveNoReplace(Naming::pathFromBytes(temporary.path()), path)) {
        temporary.discard();
        return {err, {}};
    }
    return {syncFolderBytes(folderOf(target)), temporary.identity()};
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
    // Best effort: the callers that need the new name to be durable sync the folder again
    // and report what that says.
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
    return syncFolderBytes(folderOf(target));
}
