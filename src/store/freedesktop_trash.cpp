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

int FreedesktopTrash::moveToTrash(const QString& path)
{
    const Location trash = locate(path, m_deviceOf);
    if (trash.error)
        return trash.error;
    QString recorded = path;
    if (!trash.mountTop.isEmpty() && trash.mountTop != QLatin1String("/"))
        recorded = path.mid(trash.mountTop.size() + 1);
    const QString base = Naming::fileName(path);
    for (int attempt = 1; attempt <= maxNameAttempts; ++attempt) {
        const QString name = trashName(base, attempt);
        const QByteArray infoPath =
            encoded(trash.folder + QStringLiteral("/info/") + name) + infoSuffix;
        // The info file is made first and exclusively: it reserves the name.
        const int fd = ::open(infoPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return errno;
        }
        const QByteArray info = trashInfo(recorded, QDateTime::currentDateTime());
        int err = ::write(fd, info.constData(), size_t(info.size())) == info.size() ? 0 : EIO;
        if (::close(fd) != 0 && !err)
            err = errno;
        if (!err)
            err = NoteFile::moveNoReplace(path, trash.folder + QStringLiteral("/files/") + name);
        if (!err)
            return 0;
        ::unlink(infoPath.constData());
        if (err != EEXIST)
            return err;
    }
    return EEXIST;
}
