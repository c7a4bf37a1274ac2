#pragma once

#include "folder/folder_panel.h"

#include <QPointer>
#include <QWidget>

class QFileDialog;

// The directory chooser as a window-modal file dialog over the active window (the given
// window when none is active; a dialog of its own when there is none either).
class DialogFolderPanel final : public FolderPanel
{
public:
    explicit DialogFolderPanel(QWidget* window = nullptr) : m_window(window) {}
    void setWindow(QWidget* window) { m_window = window; }
    // The folder in use, where the chooser opens; none at first start.
    void setCurrentFolder(std::function<QString()> current) { m_current = std::move(current); }
    void present(std::function<void(const QString& folder)> done) override;

private:
    QPointer<QWidget> m_window;
    std::function<QString()> m_current;
};
