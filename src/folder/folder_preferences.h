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
// as the user reads it, the five folder actions and the short confirmations. The window only
// draws this and forwards clicks.
class FolderPreferences : public QObject
{
    Q_OBJECT

public:
    enum class StatusColor
    {
        Secondary,
        Green,
        Red
    };

    struct Services
    {
        ClipboardService& clipboard;
        FileManagerService& fileManager;
        FolderChooser& chooser;
    };

    FolderPreferences(NotesStore& store, const Services& services, QObject* parent = nullptr);

    QString statusText() const;
    StatusColor statusColor() const;
    QString displayPath() const;
    // The home folder becomes "~" only when the path is that folder or lies inside it.
    static QString displayPath(const QString& path, const QString& home);
    bool hasFolder() const;
    const std::optional<QString>& message() const { return m_message; }

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
    void showMessage(const QString& text);

    NotesStore& m_store;
    Services m_services;
    std::optional<bool> m_folderUsable;
    std::optional<QString> m_message;
    quint64 m_messageSerial = 0;
};
