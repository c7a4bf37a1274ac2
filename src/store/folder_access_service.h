#pragma once

#include <QString>

// The remembered notes folder and its usability test, as the store needs them at start-up
// and before it creates a note. The store never forgets the folder: only the user does.
class FolderAccessService
{
public:
    virtual ~FolderAccessService() = default;
    // The folder remembered from the last run, or an empty string.
    virtual QString restoreFolder() = 0;
    // Whether notes can be written there; shows nothing.
    virtual bool canWrite(const QString& folder) = 0;
};
