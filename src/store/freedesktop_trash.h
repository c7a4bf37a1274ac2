#pragma once

#include "store/trash_service.h"

#include <QDateTime>
#include <QString>

#include <functional>

// The freedesktop.org Trash: the home trash under the data home for files on its mount, the
// mount's own trash for files elsewhere. It never copies across mounts, never falls back to
// another place, and gives up after a bounded number of name attempts.
class FreedesktopTrash final : public TrashService
{
public:
    // Which disk a path is on, given the device its stat reported: a test stands in a second
    // disk with it, as no machine is sure to have one.
    using DeviceOf = std::function<quint64(const QString& path, quint64 device)>;

    explicit FreedesktopTrash(DeviceOf deviceOf = {}) : m_deviceOf(std::move(deviceOf)) {}
    Moved moveToTrash(const QString& path) override;
    Origin originOf(const Entry& entry) override;
    int restore(const Entry& entry, const QString& to) override;

    struct Location
    {
        QString folder;   // the trash folder, holding files/ and info/
        QString mountTop; // empty for the home trash; else paths are recorded relative to it
        int error = 0;
    };
    // Where a file would go, with the trash folders created as needed.
    static Location locate(const QString& path, const DeviceOf& deviceOf = {});
    static QString homeTrashPath();
    static QByteArray trashInfo(const QString& recordedPath, const QDateTime& deletionDate);

private:
    DeviceOf m_deviceOf;
};
