#pragma once

#include <QByteArray>
#include <QString>

// File operations with the guarantees the notes need. Each returns 0 or the errno of the
// step that failed; nothing is left half done.
class NoteFile
{
public:
    // Replaces an existing note file: after a crash at any moment the path holds either the
    // complete old or the complete new text. Writes through a link to the file it names and
    // keeps its permission bits. Fails with ENOENT rather than bring back a deleted file, and
    // with EACCES when the file itself is read-only.
    static int writeAtomically(const QString& path, const QByteArray& bytes);
    // Same durability for a path that may not exist yet (replaced when it does).
    static int replaceFile(const QString& path, const QByteArray& bytes);
    // A new file that never replaces an existing one (EEXIST).
    static int createExclusively(const QString& path, const QByteArray& bytes);
    // Renames without ever replacing an existing entry at `to` (EEXIST).
    static int moveNoReplace(const QString& from, const QString& to);
    static int remove(const QString& path);
    static void syncFolder(const QString& folder);
};
