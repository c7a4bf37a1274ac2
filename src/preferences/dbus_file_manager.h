#pragma once

#include "folder/file_manager_service.h"

#include <QUrl>
#include <functional>

// Asks the desktop's file manager over D-Bus (org.freedesktop.FileManager1.ShowItems) to show
// the folder selected; when no file manager answers, opens the folder's parent instead.
class DbusFileManager final : public FileManagerService
{
public:
    using Opener = std::function<void(const QUrl&)>;
    static constexpr int timeoutMs = 2000;

    // opener: how the parent folder is opened when the call fails (the desktop's default
    // handler unless a test says otherwise).
    explicit DbusFileManager(Opener opener = {});
    void reveal(const QString& path) override;

private:
    Opener m_opener;
};
