#include "folder/folder_chooser.h"

#include "folder/folder_access.h"
#include "folder/folder_panel.h"
#include "store/notes_store.h"

#include <QPointer>

FolderChooser::FolderChooser(NotesStore& store, FolderPanel& panel, QObject* parent)
    : QObject(parent), m_store(store), m_panel(panel)
{}

void FolderChooser::chooseFolderIfNeeded()
{
    if (m_store.folderURL().isEmpty())
        chooseFolder();
}

void FolderChooser::chooseFolder()
{
    m_panel.present([chooser = QPointer<FolderChooser>(this)](const QString& folder) {
        if (chooser && !folder.isEmpty())
            chooser->folderChosen(folder);
    });
}

void FolderChooser::folderChosen(const QString& folder)
{
    if (!FolderAccess::canWrite(folder)) {
        emit folderRefused(folder);
        QMetaObject::invokeMethod(this, &FolderChooser::chooseFolder, Qt::QueuedConnection);
        return;
    }
    if (const std::optional<FileError> error = FolderAccess::saveBookmark(folder)) {
        FolderAccess::clearBookmark();
        emit folderNotRemembered(*error);
        QMetaObject::invokeMethod(this, &FolderChooser::chooseFolder, Qt::QueuedConnection);
        return;
    }
    m_store.setFolderURL(folder);
}
