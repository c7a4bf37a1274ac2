#include "folder/folder_preferences.h"

#include "folder/clipboard_service.h"
#include "folder/file_manager_service.h"
#include "folder/folder_access.h"
#include "folder/folder_chooser.h"
#include "store/naming.h"
#include "store/notes_store.h"

#include <QDir>
#include <QTimer>

FolderPreferences::FolderPreferences(NotesStore& store, const Services& services, QObject* parent)
    : QObject(parent), m_store(store), m_services(services)
{
    connect(&m_store, &NotesStore::folderURLChanged, this, &FolderPreferences::checkFolder);
}

bool FolderPreferences::hasFolder() const
{
    return !m_store.folderURL().isEmpty();
}

QString FolderPreferences::statusText() const
{
    if (!hasFolder())
        return QStringLiteral("Not set");
    if (!m_folderUsable)
        return QStringLiteral("Checking…");
    return *m_folderUsable
               ? QStringLiteral("Writable")
               : QStringLiteral("No access to ") + Naming::fileName(m_store.folderURL());
}

FolderPreferences::StatusColor FolderPreferences::statusColor() const
{
    if (!hasFolder() || !m_folderUsable)
        return StatusColor::Secondary;
    return *m_folderUsable ? StatusColor::Green : StatusColor::Red;
}

QString FolderPreferences::displayPath() const
{
    if (!hasFolder())
        return QStringLiteral("No folder selected");
    return displayPath(m_store.folderURL(), QDir::homePath());
}

QString FolderPreferences::displayPath(const QString& path, const QString& home)
{
    if (home.isEmpty() || home == QLatin1String("/"))
        return path;
    if (path == home)
        return QStringLiteral("~");
    if (path.startsWith(home + QLatin1Char('/')))
        return QLatin1Char('~') + path.mid(home.size());
    return path;
}

void FolderPreferences::checkFolder()
{
    if (hasFolder())
        m_folderUsable = FolderAccess::canWrite(m_store.folderURL());
    else
        m_folderUsable.reset();
    emit changed();
}

void FolderPreferences::showMessage(const QString& text)
{
    m_message = text;
    const quint64 serial = ++m_messageSerial;
    emit changed();
    // Only this message's own timer may take it away: a later message gets its full time.
    QTimer::singleShot(messageDurationMs, this, [this, serial] {
        if (serial != m_messageSerial)
            return;
        m_message.reset();
        emit changed();
    });
}

void FolderPreferences::pickFolder()
{
    m_services.chooser.chooseFolder();
    QTimer::singleShot(recheckDelayMs, this, &FolderPreferences::checkFolder);
}

void FolderPreferences::revealFolder()
{
    if (hasFolder())
        m_services.fileManager.reveal(m_store.folderURL());
}

void FolderPreferences::copyPath()
{
    if (!hasFolder())
        return;
    m_services.clipboard.setText(m_store.folderURL());
    showMessage(QStringLiteral("Path copied to clipboard"));
}

void FolderPreferences::refreshPermissions()
{
    if (!hasFolder())
        return;
    if (const std::optional<FileError> error = FolderAccess::saveBookmark(m_store.folderURL())) {
        emit failed(*error);
        return;
    }
    m_store.loadNotes();
    checkFolder();
    showMessage(QStringLiteral("Permissions refreshed"));
}

void FolderPreferences::clearAndReselect()
{
    FolderAccess::clearBookmark();
    m_store.setFolderURL(QString());
    showMessage(QStringLiteral("Folder cleared — please choose a new folder"));
    pickFolder();
}

void FolderPreferences::useDefaultFolder()
{
    const QString folder = FolderAccess::defaultFolderURL();
    std::optional<FileError> error;
    if (const int code = FolderAccess::makeFolder(folder))
        error = FileError::folderNotCreated(folder, code);
    else
        error = FolderAccess::saveBookmark(folder);
    if (error) {
        emit failed(*error);
    } else {
        m_store.setFolderURL(folder);
        showMessage(QStringLiteral("Using ") + displayPath(folder, QDir::homePath()));
    }
    checkFolder();
}
