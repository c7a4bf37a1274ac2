#pragma once

#include "store/trash_service.h"

#include <QDateTime>
#include <QString>

// The freedesktop.org Trash: the home trash under the data home for files on its mount, the
// mount's own trash for files elsewhere. It never copies across mounts, never falls back to
// another place, and gives up after a bounded number of name attempts.
class FreedesktopTrash final : public TrashService
{
public:
    int moveToTrash(const QString& path) override;

    struct Location
    {
        QString folder;   // the trash folder, holding files/ and info/
        QString mountTop; // empty for the home trash; else paths are recorded relative to it
        int error = 0;
    };
    // Where a file would go, with the trash folders created as needed.
    static Location locate(const QString& path);
    static QString homeTrashPath();
    static QByteArray trashInfo(const QString& recordedPath, const QDateTime& deletionDate);
};
