#pragma once

#include "file_error.h"
#include "note.h"

#include <QList>
#include <optional>

// Reads a notes folder into records: its visible entries ending in ".md" that are regular
// files or links to them, in listing order, each read in full.
class NoteLoader
{
public:
    struct Result
    {
        QList<Note> notes;
        std::optional<FileError> error; // the folder itself could not be listed
    };

    static Result load(const QString& folder);
    static QUuid newId();
};
