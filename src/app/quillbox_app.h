#pragma once

#include "app_notifier.h"
#include "clock.h"
#include "dialog_folder_panel.h"
#include "dialog_printer.h"
#include "freedesktop_trash.h"
#include "message_box_alerts.h"

#include <QObject>
#include <memory>

class ContentView;
class NotesAppCommands;
class NotesStore;
class UnixSignalWatcher;

// The application root: the one store, the desktop services it speaks through, the main
// window and its menus. Quitting, however it is asked for, saves every unsaved draft first.
class QuillboxApp : public QObject
{
    Q_OBJECT

public:
    QuillboxApp();
    ~QuillboxApp() override;

    NotesStore& store() { return *m_store; }
    ContentView& window() { return *m_window; }
    NotesAppCommands& commands() { return *m_commands; }
    void show();
    // Saves what is unsaved while alerts can still be shown, then ends the event loop.
    void quit();

signals:
    void preferencesRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    MessageBoxAlerts m_alerts;
    FreedesktopTrash m_trash;
    SystemClock m_clock;
    DialogFolderPanel m_folderPanel;
    DialogPrinter m_printer;
    AppNotifier m_notifier;
    std::unique_ptr<NotesStore> m_store;
    std::unique_ptr<ContentView> m_window;
    NotesAppCommands* m_commands = nullptr;
    UnixSignalWatcher* m_signals = nullptr;
};
