#pragma once

#include "store/draft.h"
#include "store/file_error.h"
#include "store/trash_service.h"

#include <optional>

class Clock;

// Writes, creates and removes note files with the checks that keep other programs' changes.
// Returns what happened and shows nothing: the store decides what the user sees.
class NoteFiles
{
public:
    NoteFiles(const Clock& clock, TrashService& trash) : m_clock(clock), m_trash(trash) {}

    struct Saved
    {
        enum class Kind
        {
            InPlace,
            AsConflictCopy, // another program changed the file: the text went to note.url
            Failed,
            // Not written yet: another program is still writing the file in place.
            Postponed,
        };
        Kind kind = Kind::Failed;
        // The record now on disk: the saved note, or the conflict copy.
        Note note;
        // The file was renamed to follow its title, even when a later step failed.
        QString movedTo;
        QString movedTitle;
        // Another program changed the file since base was read, on other lines: what was
        // written holds both sides, not the draft's text alone.
        bool merged = false;
        // The other program's version the user's lines were joined into, as it was on disk.
        QByteArray theirs;
        std::optional<FileError> error;
    };
    // Writes a draft that holds unsaved text into its note's own folder, renaming the file
    // after the title. Never over a file another program changed since base was read: the
    // user's lines are joined into that version, or go beside it as a conflict copy.
    Saved save(const QString& url, const Draft& draft) const;
    // The user's text as a new note beside the other program's version of url.
    Saved keepAsConflictCopy(const QString& url, const Draft& draft) const;

    struct Created
    {
        Note note;
        std::optional<FileError> error;
    };
    // A new note named and filled with the date and time.
    Created createDated(const QString& folder) const;
    // A new note holding text, named after its title (else after formerUrl's name), with a
    // number when that name is taken: it never replaces a file.
    Created createWithText(const QString& folder, const QString& formerUrl,
                           const QString& text) const;

    TrashService::Moved moveToTrash(const QString& url) const;
    struct Restored
    {
        QString url;
        std::optional<FileError> error;
    };
    // Puts a note moved to the Trash from url back where its Trash record says it was,
    // numbered when that name is taken now; never over another file.
    Restored restoreFromTrash(const QString& url, const TrashService::Entry& entry) const;

private:
    Created create(const QString& folder, const QString& base, const QString& text,
                   const QString& fallbackTitle) const;
    Note recordFor(const Note& base, const QString& url, const QString& title,
                   const QByteArray& utf8, const FileIdentity& identity) const;

    const Clock& m_clock;
    TrashService& m_trash;
};
