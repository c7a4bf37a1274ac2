#pragma once

#include <QByteArray>
#include <QtGlobal>

struct stat;

// Which file a path named when we last read or wrote it. Another program that replaces the
// note (a sync tool renames a new file over it) changes the inode; one that rewrites it in
// place changes the size or the modification time, which are kept to the nanosecond, and
// always the change time: a program can set the modification time back (rsync does, and so
// does anything that restores the time it found), but nothing can set the change time.
struct FileIdentity
{
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = -1;
    qint64 modifiedSeconds = 0;
    qint64 modifiedNanoseconds = 0;
    qint64 changedSeconds = 0;
    qint64 changedNanoseconds = 0;

    bool isValid() const { return size >= 0; }
    // The same file with the same data: renaming it, or changing its owner or permissions,
    // changes its change time and nothing else.
    bool sameDataAs(const FileIdentity& other) const
    {
        return device == other.device && inode == other.inode && size == other.size &&
               modifiedSeconds == other.modifiedSeconds &&
               modifiedNanoseconds == other.modifiedNanoseconds;
    }
    static FileIdentity of(const struct stat& st);
    // Follows links, as reading and writing the note do. errno is left set on failure.
    static FileIdentity ofPath(const QByteArray& path);

    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};
