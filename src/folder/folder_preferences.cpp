#include "folder/folder_preferences.h"

#include "folder/clipboard_service.h"
#include "folder/file_manager_service.h"
#include "folder/folder_access.h"
#include "folder/folder_chooser.h"
#include "store/notes_store.h"

#include <QDir>
#include <QTimer>

FolderPreferences::FolderPreferences(NotesStore& store, const Services& services, QObject* parent)
    : QObject(parent), m_store(store), m_services(services)
{
    connect(&m_store, &NotesStore::folderURLChanged, this, &FolderPreferences::checkFolder);
}

QString FolderPreferences::folder() const
{
    return m_store.folderURL();
}

bool FolderPreferences::hasFolder() const
{
    return !folder().isEmpty();
}

FolderPreferences::Status FolderPreferences::status() const
{
    if (!hasFolder())
        return Status::NotSet;
    if (!m_folderUsable)
        return Status::Checking;
    return *m_folderUsable ? Status::Writable : Status::NoAccess;
}

FolderPreferences::StatusColor FolderPreferences::statusColor() const
{
    switch (status()) {
    case Status::Writable:
        return StatusColor::Green;
    case Status::NoAccess:
        return StatusColor::Red;
    case Status::NotSet:
    case Status::Checking:
        break;
    }
    return StatusColor::Secondary;
}

QString FolderPreferences::displayPath() const
{
    return hasFolder() ? displayPath(m_store.folderURL(), QDir::homePath()) : QString();
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

void FolderPreferences::showMessage(const Confirmation& confirmation)
{
    m_message = confirmation;
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
    showMessage({Confirmation::Kind::PathCopied, {}});
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
    showMessage({Confirmation::Kind::PermissionsRefreshed, {}});
}

void FolderPreferences::clearAndReselect()
{
    FolderAccess::clearBookmark();
    m_store.setFolderURL(QString());
    showMessage({Confirmation::Kind::FolderCleared, {}});
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
        showMessage({Confirmation::Kind::UsingFolder, folder});
    }
    checkFolder();
}
