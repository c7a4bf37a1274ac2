#pragma once

#include "store/file_identity.h"

#include <QByteArray>
#include <QString>
#include <optional>

// File operations with the guarantees the notes need. Each returns 0 or the errno of the
// step that failed; nothing is left half done.
class NoteFile
{
public:
    // Every temporary file of ours starts with this: hidden, so no listing shows it.
    static constexpr const char* temporaryPrefix = ".quillbox-save-";

    struct Written
    {
        int error = 0;
        FileIdentity identity; // of the file now at the path
        // Another program's file was there instead of the expected one: it is left in place
        // and nothing was written.
        bool changedElsewhere = false;
    };

    // What a save expects to replace: the file as last read or written.
    struct Expected
    {
        FileIdentity identity;
        QByteArray bytes;
    };

    enum class State
    {
        Unchanged, // the file we last read or wrote, or one with the very same bytes
        Missing,
        Changed, // another program's file, a folder, or other bytes
        Failed,  // could not be looked at; see error
    };
    struct Checked
    {
        State state = State::Failed;
        int error = 0;
        FileIdentity identity;
    };
    // Whether path still holds what we last read or wrote there. One stat when nothing
    // changed; the bytes are compared only when the stat differs.
    static Checked check(const QString& path, const FileIdentity& expected,
                         const QByteArray& expectedBytes);

    // Replaces an existing note file: after a crash at any moment the path holds either the
    // complete old or the complete new text. Writes through a link to the file it names and
    // keeps its permission bits. Fails with ENOENT rather than bring back a deleted file, and
    // with EACCES when the file itself is read-only.
    // With expected, replaces only that file, checked at the moment of the swap.
    static Written writeAtomically(const QString& path, const QByteArray& bytes,
                                   const std::optional<Expected>& expected = std::nullopt);
    // Same durability for a path that may not exist yet (replaced when it does).
    static int replaceFile(const QString& path, const QByteArray& bytes);
    // A new file that never replaces an existing one (EEXIST).
    static Written createExclusively(const QString& path, const QByteArray& bytes);
    // Renames without ever replacing an existing entry at `to` (EEXIST).
    static int moveNoReplace(const QString& from, const QString& to);
    static int remove(const QString& path);
};
