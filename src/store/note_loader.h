#pragma once

#include "store/file_error.h"
#include "store/note.h"

#include <QByteArrayList>
#include <QList>
#include <QPair>
#include <optional>
#include <vector>

// Reads a notes folder into records: its visible entries ending in ".md" that are regular
// files or links to them, in listing order, each read in full.
class NoteLoader
{
public:
    struct Result
    {
        QList<Note> notes;              // newest first
        std::optional<FileError> error; // the folder itself could not be listed
        // Files another program renamed since the previous load: (from, to).
        QList<QPair<QString, QString>> renamed;
        // The folder holds exactly the files of the previous records, each unchanged; notes
        // is then empty.
        bool unchanged = false;
        // The folder that was listed: the path may lead to another folder than before.
        FileIdentity folder;
        // Texts of earlier records that another program replaced or deleted since: the note's
        // path now, the text we had, and the text the file holds now (none when it is gone).
        struct Displaced
        {
            QString url;
            QByteArray before;
            std::optional<QByteArray> now;
        };
        QList<Displaced> displaced;
    };

    // previous: the records of the last load. Files whose identity is unchanged keep their
    // record without being read, and every file keeps its record's id.
    static Result load(const QString& folder, const QList<Note>& previous = {});
    // The same for the named files only (bytes as on disk), the rest keeping their records:
    // what the folder watch reports costs as much as it changed.
    static Result refresh(const QString& folder, const QByteArrayList& names,
                          const QList<Note>& previous);
    // The texts of notes a scan listed, read as a load reads them: one per name (bytes as on
    // disk), nothing where that name holds no note file now. Ids are left to the caller.
    static std::vector<std::optional<Note>> readTexts(const QString& folder,
                                                      const QByteArrayList& names);
    static QUuid newId();
    // One note file read as a load reads it; nothing when it is not a readable note.
    static std::optional<Note> readFile(const QString& path);
};
