#pragma once

#include "store/file_error.h"

#include <QObject>
#include <QString>
#include <optional>

class ClipboardService;
class FileManagerService;
class FolderChooser;
class NotesStore;

// What the preferences window shows and does about the notes folder: its status, its path
// as the user reads it, the five folder actions and the short confirmations. The window
// words and draws this and forwards clicks.
class FolderPreferences : public QObject
{
    Q_OBJECT

public:
    enum class Status
    {
        NotSet,
        Checking, // a folder, not looked at yet
        Writable,
        NoAccess,
    };

    enum class StatusColor
    {
        Secondary,
        Green,
        Red
    };

    // A short confirmation of an action that worked, shown for messageDurationMs.
    struct Confirmation
    {
        enum class Kind
        {
            PathCopied,
            PermissionsRefreshed,
            FolderCleared,
            UsingFolder,
        };
        Kind kind;
        QString folder; // the folder now in use, for UsingFolder

        bool operator==(const Confirmation&) const = default;
    };

    struct Services
    {
        ClipboardService& clipboard;
        FileManagerService& fileManager;
        FolderChooser& chooser;
    };

    FolderPreferences(NotesStore& store, const Services& services, QObject* parent = nullptr);

    // The notes folder's full path; empty when there is none.
    QString folder() const;
    Status status() const;
    StatusColor statusColor() const;
    // Empty when there is no folder.
    QString displayPath() const;
    // The home folder becomes "~" only when the path is that folder or lies inside it.
    static QString displayPath(const QString& path, const QString& home);
    bool hasFolder() const;
    const std::optional<Confirmation>& message() const { return m_message; }

    void checkFolder();
    void pickFolder();
    void revealFolder();
    void copyPath();
    void refreshPermissions();
    void clearAndReselect();
    void useDefaultFolder();

    // Tests shorten these; the window uses the defaults.
    int messageDurationMs = 2000;
    int recheckDelayMs = 250;

signals:
    // Status, path or message changed: redraw.
    void changed();
    // An action failed; nothing changed.
    void failed(const FileError& error);

private:
    void showMessage(const Confirmation& confirmation);

    NotesStore& m_store;
    Services m_services;
    std::optional<bool> m_folderUsable;
    std::optional<Confirmation> m_message;
    quint64 m_messageSerial = 0;
};
