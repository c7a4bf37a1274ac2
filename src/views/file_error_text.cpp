#include "views/file_error_text.h"

#include "store/naming.h"

#include <cstring>

namespace {

QString quoted(const QString& name)
{
    return FileErrorText::tr("“%1”").arg(name);
}

// A name that is not valid UTF-8 is shown as readably as it can be.
QString readableFile(const QString& path)
{
    return quoted(Naming::readableName(Naming::fileName(path)));
}

QString folderName(const QString& folder)
{
    return quoted(Naming::fileName(folder));
}

} // namespace

QString FileErrorText::message(const FileError& error)
{
    using Kind = FileError::Kind;
    switch (error.kind) {
    case Kind::FolderNotOpened:
        return tr("The folder %1 couldn’t be opened.").arg(folderName(error.path));
    case Kind::FileNotSaved:
        return tr("The file %1 couldn’t be saved in the folder %2.")
            .arg(readableFile(error.path), folderName(Naming::folderOf(error.path)));
    case Kind::FileNotCreated:
        return tr("The file %1 couldn’t be created in the folder %2.")
            .arg(readableFile(error.path), folderName(Naming::folderOf(error.path)));
    case Kind::FileNotRenamed:
        return tr("The file %1 couldn’t be renamed to %2.")
            .arg(quoted(Naming::fileName(error.path)), quoted(Naming::fileName(error.target)));
    case Kind::FileNotRemoved:
        return tr("The file %1 couldn’t be deleted.").arg(readableFile(error.path));
    case Kind::FileNotRestored:
        return tr("The file %1 couldn’t be put back from the Trash.").arg(readableFile(error.path));
    case Kind::NotInTrash:
        return tr("The file %1 couldn’t be put back: it is no longer in the Trash.")
            .arg(readableFile(error.path));
    case Kind::FolderNotCreated:
        return tr("The folder %1 couldn’t be created.").arg(folderName(error.path));
    case Kind::FolderNotRemembered:
        return tr("The notes folder couldn’t be remembered.");
    case Kind::TextNotRecovered:
        return tr("The unsaved text couldn’t be kept in the folder %1.").arg(quoted(error.path));
    case Kind::FolderReplaced:
        return tr("The folder %1 was replaced by another folder.").arg(quoted(error.path));
    }
    return {};
}

QString FileErrorText::reason(const FileError& error)
{
    if (error.kind == FileError::Kind::FolderReplaced)
        return tr("Nothing is read from it or saved into it until you choose it again in "
                  "Preferences. Unsaved text is kept.");
    if (error.kind == FileError::Kind::NotInTrash)
        return tr("The Trash was emptied, or the file was taken out of it.");
    return QString::fromLocal8Bit(std::strerror(error.code));
}
