#pragma once

#include <QString>

// The desktop's file manager, showing one folder selected in its parent.
class FileManagerService
{
public:
    virtual ~FileManagerService() = default;
    virtual void reveal(const QString& path) = 0;
};
