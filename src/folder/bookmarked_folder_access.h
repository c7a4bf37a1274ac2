#pragma once

#include "folder/folder_access.h"
#include "store/folder_access_service.h"

// The store's view of the folder remembered in the settings.
class BookmarkedFolderAccess final : public FolderAccessService
{
public:
    QString restoreFolder() override { return FolderAccess::restoreFolder(); }
    bool canWrite(const QString& folder) override { return FolderAccess::canWrite(folder); }
};
