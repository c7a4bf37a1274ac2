#include "store/file_error.h"

#include "store/naming.h"

#include <cstring>

namespace {

QString quoted(const QString& name)
{
    return QStringLiteral("“%1”").arg(name);
}

FileError make(const QString& message, int code)
{
    return FileError{message, FileError::reasonFor(code), code};
}

// "The file “X.md” couldn’t be <verb> in the folder “Notes”."
FileError inFolder(const char* verb, const QString& path, int code)
{
    return make(QStringLiteral("The file %1 couldn’t be %2 in the folder %3.")
                    .arg(quoted(Naming::readableName(Naming::fileName(path))), QLatin1String(verb),
                         quoted(Naming::fileName(Naming::folderOf(path)))),
                code);
}

} // namespace

QString FileError::reasonFor(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

FileError FileError::folderNotOpened(const QString& folder, int code)
{
    return make(
        QStringLiteral("The folder %1 couldn’t be opened.").arg(quoted(Naming::fileName(folder))),
        code);
}

FileError FileError::fileNotSaved(const QString& path, int code)
{
    return inFolder("saved", path, code);
}

FileError FileError::fileNotCreated(const QString& path, int code)
{
    return inFolder("created", path, code);
}

FileError FileError::fileNotRenamed(const QString& from, const QString& to, int code)
{
    return make(QStringLiteral("The file %1 couldn’t be renamed to %2.")
                    .arg(quoted(Naming::fileName(from)), quoted(Naming::fileName(to))),
                code);
}

FileError FileError::fileNotRemoved(const QString& path, int code)
{
    return make(QStringLiteral("The file %1 couldn’t be deleted.")
                    .arg(quoted(Naming::readableName(Naming::fileName(path)))),
                code);
}

FileError FileError::folderNotCreated(const QString& folder, int code)
{
    return make(
        QStringLiteral("The folder %1 couldn’t be created.").arg(quoted(Naming::fileName(folder))),
        code);
}

FileError FileError::textNotRecovered(const QString& folder, int code)
{
    return make(
        QStringLiteral("The unsaved text couldn’t be kept in the folder %1.").arg(quoted(folder)),
        code);
}

FileError FileError::folderReplaced(const QString& folder)
{
    return FileError{
        QStringLiteral("The folder %1 was replaced by another folder.").arg(quoted(folder)),
        QStringLiteral("Nothing is read from it or saved into it until you choose it again in "
                       "Preferences. Unsaved text is kept."),
        0};
}
