#include "folder/folder_access.h"

#include "folder/app_settings.h"
#include "store/note_file.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

bool FolderAccess::isSandboxed(const QString& marker)
{
    return QFileInfo::exists(marker);
}

bool FolderAccess::canWrite(const QString& folder, RemoveFile removeProbe, bool sandboxed)
{
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return false;
    if (!sandboxed)
        return ::access(QFile::encodeName(folder).constData(), W_OK) == 0;
    const QString probe = folder + QLatin1Char('/') + probeFileName;
    if (NoteFile::replaceFile(probe, QByteArrayLiteral("ok")) != 0)
        return false;
    return (removeProbe ? removeProbe : &NoteFile::remove)(probe) == 0;
}

std::optional<FileError> FolderAccess::saveBookmark(const QString& folder)
{
    const QFileInfo info(folder);
    if (!info.isAbsolute() || !info.isDir())
        return FileError::folderNotOpened(folder, info.exists() ? ENOTDIR : ENOENT);
    const int code =
        AppSettings::setValue(bookmarkKey, QFile::encodeName(info.canonicalFilePath()));
    if (code == 0)
        return std::nullopt;
    return FileError::folderNotRemembered(folder, code);
}

void FolderAccess::clearBookmark()
{
    AppSettings::remove(bookmarkKey);
}

QString FolderAccess::restoreFolder()
{
    const QVariant value = AppSettings::value(bookmarkKey);
    if (value.typeId() != QMetaType::QByteArray)
        return {};
    const QString path = QFile::decodeName(value.toByteArray());
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isAbsolute()) {
        clearBookmark();
        return {};
    }
    // A folder that is missing now (a drive not mounted yet, a share offline) is still the
    // user's folder: the load says it cannot be opened, and it comes back with the drive.
    if (!info.isDir())
        return QDir::cleanPath(path);
    // Renewed as the real path when reached through a link. When that cannot be stored, the
    // stored path still leads here next time.
    const QString canonical = info.canonicalFilePath();
    if (canonical != path)
        (void)saveBookmark(canonical);
    return canonical;
}

QString FolderAccess::defaultFolderURL()
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) +
           QStringLiteral("/Notes");
}

QString FolderAccess::chooserStartFolder(const QString& current)
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    for (const QString& folder : {current, defaultFolderURL(), documents}) {
        if (!folder.isEmpty() && QFileInfo(folder).isDir())
            return folder;
    }
    return QDir::homePath();
}

// QDir::mkpath only says that it failed; the user is told the system's reason.
int FolderAccess::makeFolder(const QString& folder)
{
    const QByteArray path = QFile::encodeName(QDir::cleanPath(folder));
    for (qsizetype end = path.indexOf('/', 1);; end = path.indexOf('/', end + 1)) {
        const QByteArray step = end < 0 ? path : path.left(end);
        if (::mkdir(step.constData(), 0777) != 0 && errno != EEXIST)
            return errno;
        if (end < 0)
            break;
    }
    return QFileInfo(folder).isDir() ? 0 : EEXIST;
}
