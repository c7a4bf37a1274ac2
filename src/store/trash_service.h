#pragma once

#include <QString>

class TrashService
{
public:
    // Where a file went in the Trash: the file itself and the record of where it came from.
    struct Entry
    {
        QString file;
        QString info;
    };
    struct Moved
    {
        Entry entry;
        int error = 0; // errno of the refusal; entry is empty then
    };
    struct Origin
    {
        QString path; // where the file was when it was trashed
        int error = 0;
    };

    virtual ~TrashService() = default;
    // Moves the file into the desktop's Trash.
    virtual Moved moveToTrash(const QString& path) = 0;
    // Where the entry's record says the file came from: ENOENT once the Trash was emptied or
    // the file was put back by other means.
    virtual Origin originOf(const Entry& entry) = 0;
    // Moves the trashed file to `to`, never over anything there (EEXIST), and drops its
    // record. 0, or the errno of the refusal; ENOENT when the file is no longer in the Trash.
    virtual int restore(const Entry& entry, const QString& to) = 0;
};
