#pragma once

#include <QString>

class TrashService
{
public:
    virtual ~TrashService() = default;
    // Moves the file into the desktop's Trash. 0, or the errno of the refusal.
    virtual int moveToTrash(const QString& path) = 0;
};
