#pragma once

#include <QMetaType>
#include <QString>

#include <cerrno>

// A failed file operation: what failed, on which paths, and the system's errno. The core
// keeps no words for it; the alert that reports it makes the sentence.
struct FileError
{
    enum class Kind
    {
        FolderNotOpened,
        FileNotSaved,
        FileNotCreated,
        FileNotRenamed,
        FileNotRemoved,
        // Not put back from the Trash; NotInTrash: it is no longer there to put back.
        FileNotRestored,
        NotInTrash,
        FolderNotCreated,
        FolderNotRemembered,
        TextNotRecovered,
        // The notes folder's path now leads to another folder (moved, a link in its place).
        FolderReplaced,
    };

    Kind kind = Kind::FileNotSaved;
    QString path;
    QString target; // the name a rename was to give
    int code = 0;   // errno

    bool operator==(const FileError&) const = default;

    static FileError folderNotOpened(const QString& folder, int code)
    {
        return {Kind::FolderNotOpened, folder, {}, code};
    }
    static FileError fileNotSaved(const QString& path, int code)
    {
        return {Kind::FileNotSaved, path, {}, code};
    }
    static FileError fileNotCreated(const QString& path, int code)
    {
        return {Kind::FileNotCreated, path, {}, code};
    }
    static FileError fileNotRenamed(const QString& from, const QString& to, int code)
    {
        return {Kind::FileNotRenamed, from, to, code};
    }
    static FileError fileNotRemoved(const QString& path, int code)
    {
        return {Kind::FileNotRemoved, path, {}, code};
    }
    static FileError fileNotRestored(const QString& path, int code)
    {
        return {Kind::FileNotRestored, path, {}, code};
    }
    static FileError notInTrash(const QString& path)
    {
        return {Kind::NotInTrash, path, {}, ENOENT};
    }
    static FileError folderNotCreated(const QString& folder, int code)
    {
        return {Kind::FolderNotCreated, folder, {}, code};
    }
    static FileError folderNotRemembered(const QString& folder, int code)
    {
        return {Kind::FolderNotRemembered, folder, {}, code};
    }
    static FileError textNotRecovered(const QString& folder, int code)
    {
        return {Kind::TextNotRecovered, folder, {}, code};
    }
    static FileError folderReplaced(const QString& folder)
    {
        return {Kind::FolderReplaced, folder, {}, 0};
    }
};

Q_DECLARE_METATYPE(FileError)
