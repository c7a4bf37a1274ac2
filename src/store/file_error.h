#pragma once

#include <QString>

// A failed file operation as the user reads it: what failed and where, and the system's
// reason ("Permission denied").
struct FileError
{
    QString message;
    QString reason;
    int code = 0; // errno, for callers and tests that react to a specific cause

    static FileError folderNotOpened(const QString& folder, int code);
    static FileError fileNotSaved(const QString& path, int code);
    static FileError fileNotCreated(const QString& path, int code);
    static FileError fileNotRenamed(const QString& from, const QString& to, int code);
    static FileError fileNotRemoved(const QString& path, int code);
    static FileError folderNotCreated(const QString& folder, int code);
    static FileError textNotRecovered(const QString& folder, int code);
    // The notes folder's path now leads to another folder (it was moved, a link took its place).
    static FileError folderReplaced(const QString& folder);
    static QString reasonFor(int code);
};
