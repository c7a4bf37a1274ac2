#pragma once

#include <QString>
#include <functional>

// The directory chooser. present() returns at once; done runs later, on the event loop, with
// the chosen folder or an empty string when the user cancelled.
class FolderPanel
{
public:
    virtual ~FolderPanel() = default;
    virtual void present(std::function<void(const QString& folder)> done) = 0;
};
