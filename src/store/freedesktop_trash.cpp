#include "store/freedesktop_trash.h"

#include "store/naming.h"
#include "store/note_file.h"

#include <QDir>
#include <QStandardPaths>
#include <QUrl>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int maxNameAttempts = 1000;

constexpr char infoSuffix[] = ".trashinfo";

QByteArray encoded(const QString& path)
{
    return Naming::pathBytes(path);
}

// A real directory (not a link to one) that is ours alone, or that we could make. Another
// user's folder, or one others may read, would hand them the deleted notes.
int ensurePrivateFolder(const QString& path, bool onSharedMount)
{
    const QByteArray p = encoded(path);
    if (::mkdir(p.constData(), 0700) != 0 && errno != EEXIST)
        return errno;
    struct stat st;
    if (::lstat(p.constData(), &st) != 0)
        return errno;
    if (!S_ISDIR(st.st_mode))
        return ENOTDIR;
    if (onSharedMount && (st.st_uid != ::getuid() || (st.st_mode & 0777) != 0700))
        return EACCES;
    return 0;
}

// The name inside the trash need only be unique there; it must leave room for the info
// file's suffix, or a legal note name could never be trashed.
QString trashName(const QString& fileName, int attempt)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    const QString base = dot > 0 ? fileName.left(dot) : fileName;
    const QString extension = dot > 0 ? fileName.mid(dot) : QString();
    const QString suffix = attempt > 1 ? QStringLiteral(" %1").arg(attempt) : QString();
    const qsizetype room = Naming::maxFileNameBytes - qsizetype(sizeof infoSuffix - 1) -
                           Naming::pathBytes(suffix + extension).size();
    QString fitted = Naming::fitToBytes(base, room);
    // fitToBytes counts UTF-8; a name's stray bytes count once each, so cut further if needed.
    while (Naming::pathBytes(fitted).size() > room)
        fitted.chop(1);
    return fitted + suffix + extension;
}

int ensureTrashFolder(const QString& trash, bool onSharedMount)
{
    for (const QString& sub : {QString(), QStringLiteral("/files"), QStringLiteral("/info")}) {
        if (const int err = ensurePrivateFolder(trash + sub, onSharedMount && sub.isEmpty()))
            return err;
    }
    return 0;
}

quint64 deviceOf(const FreedesktopTrash::DeviceOf& map, const QString& path, const struct stat& st)
{
    return map ? map(path, quint64(st.st_dev)) : quint64(st.st_dev);
}

// The top directory of the mount that holds path: the highest ancestor on the same device.
QString mountTopOf(const QString& folder, quint64 device, const FreedesktopTrash::DeviceOf& map)
{
    QString top = folder;
    while (top != QLatin1String("/")) {
        const QString parent = Naming::folderOf(top);
        struct stat st;
        if (::stat(encoded(parent).constData(), &st) != 0 || deviceOf(map, parent, st) != device)
            break;
        top = parent;
    }
    return top;
}

QString joined(const QString& folder, const QString& name)
{
    return folder == QLatin1String("/") ? QLatin1Char('/') + name
                                        : folder + QLatin1Char('/') + name;
}

// A record is a few lines: its first 16 KiB hold any path it can name. Empty with errno set
// when it cannot be read.
QByteArray readSmallFile(const QString& path)
{
    errno = 0;
    const int fd = ::open(encoded(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    QByteArray bytes(16 * 1024, Qt::Uninitialized);
    qsizetype size = 0;
    ssize_t got = 0;
    while (size < bytes.size() &&
           (got = ::read(fd, bytes.data() + size, size_t(bytes.size() - size))) > 0)
        size += got;
    const int err = got < 0 ? errno : 0;
    ::close(fd);
    errno = err;
    if (err)
        return {};
    bytes.truncate(size);
    return bytes;
}

} // namespace

QString FreedesktopTrash::homeTrashPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Trash");
}

QByteArray FreedesktopTrash::trashInfo(const QString& originalPath, const QDateTime& deletionDate)
{
    return "[Trash Info]\nPath=" + Naming::pathBytes(originalPath).toPercentEncoding("/") +
           "\nDeletionDate=" +
           deletionDate.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")).toUtf8() + "\n";
}

FreedesktopTrash::Location FreedesktopTrash::locate(const QString& path, const DeviceOf& map)
{
    struct stat file;
    if (::lstat(encoded(path).constData(), &file) != 0)
        return {{}, {}, errno};
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    // Without the data home the trash cannot exist; making it here keeps the trash where the
    // desktop looks for it rather than wherever the process happens to run.
    struct stat home;
    if (!QDir().mkpath(dataHome) || ::stat(encoded(dataHome).constData(), &home) != 0)
        return {{}, {}, EACCES};
    const quint64 device = deviceOf(map, path, file);
    if (deviceOf(map, dataHome, home) == device) {
        const QString trash = homeTrashPath();
        return {trash, {}, ensureTrashFolder(trash, false)};
    }

    const QString top = mountTopOf(Naming::folderOf(path), device, map);
    const QString uid = QString::number(::getuid());
    // $top/.Trash/$uid, only when .Trash is a real, sticky directory (never a link), and
    // $uid is ours with mode 0700.
    struct stat shared;
    const QString sharedTrash = joined(top, QStringLiteral(".Trash"));
    if (::lstat(encoded(sharedTrash).constData(), &shared) == 0 && S_ISDIR(shared.st_mode) &&
        !S_ISLNK(shared.st_mode) && (shared.st_mode & S_ISVTX)) {
        const QString trash = sharedTrash + QLatin1Char('/') + uid;
        if (ensureTrashFolder(trash, true) == 0)
            return {trash, top, 0};
    }
    const QString trash = joined(top, QStringLiteral(".Trash-") + uid);
    return {trash, top, ensureTrashFolder(trash, true)};
}

TrashService::Moved FreedesktopTrash::moveToTrash(const QString& path)
{
    const Location trash = locate(path, m_deviceOf);
    if (trash.error)
        return {{}, trash.error};
    QString recorded = path;
    if (!trash.mountTop.isEmpty() && trash.mountTop != QLatin1String("/"))
        recorded = path.mid(trash.mountTop.size() + 1);
    const QString base = Naming::fileName(path);
    for (int attempt = 1; attempt <= maxNameAttempts; ++attempt) {
        const QString name = trashName(base, attempt);
        const QString infoFile = trash.folder + QStringLiteral("/info/") + name + infoSuffix;
        const QByteArray infoPath = encoded(infoFile);
        // The info file is made first and exclusively: it reserves the name.
        const int fd = ::open(infoPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return {{}, errno};
        }
        const QByteArray info = trashInfo(recorded, QDateTime::currentDateTime());
        int err = ::write(fd, info.constData(), size_t(info.size())) == info.size() ? 0 : EIO;
        if (::close(fd) != 0 && !err)
            err = errno;
        const QString file = trash.folder + QStringLiteral("/files/") + name;
        if (!err)
            err = NoteFile::moveNoReplace(path, file);
        if (!err)
            return {{file, infoFile}, 0};
        ::unlink(infoPath.constData());
        if (err != EEXIST)
            return {{}, err};
    }
    return {{}, EEXIST};
}

TrashService::Origin FreedesktopTrash::originOf(const Entry& entry)
{
    // A record without its file (the Trash emptied by a program that left records behind)
    // brings nothing back.
    struct stat st;
    if (::lstat(encoded(entry.file).constData(), &st) != 0)
        return {{}, errno};
    const QByteArray text = readSmallFile(entry.info);
    if (text.isEmpty())
        return {{}, errno ? errno : EINVAL};
    const qsizetype at = text.indexOf("\nPath=");
    if (!text.startsWith("[Trash Info]") || at < 0)
        return {{}, EINVAL};
    const qsizetype from = at + 6;
    const qsizetype end = text.indexOf('\n', from);
    const QByteArray value = text.mid(from, end < 0 ? -1 : end - from).trimmed();
    const QString recorded = Naming::pathFromBytes(QByteArray::fromPercentEncoding(value));
    if (recorded.isEmpty())
        return {{}, EINVAL};
    if (recorded.startsWith(QLatin1Char('/')))
        return {recorded, 0};
    // A mount's trash records paths from the mount's top: the folder that holds .Trash-$uid,
    // or .Trash/$uid.
    const QString trash = Naming::folderOf(Naming::folderOf(entry.info));
    QString top = Naming::folderOf(trash);
    if (!Naming::fileName(trash).startsWith(QStringLiteral(".Trash-")))
        top = Naming::folderOf(top);
    return {joined(top, recorded), 0};
}

int FreedesktopTrash::restore(const Entry& entry, const QString& to)
{
    if (const int err = NoteFile::moveNoReplace(entry.file, to))
        return err;
    // The file is back whatever happens to its record; a record left behind names nothing a
    // trash viewer can show, and they drop such records.
    ::unlink(encoded(entry.info).constData());
    return 0;
}
