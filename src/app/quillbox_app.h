#pragma once

#include "folder/bookmarked_folder_access.h"
#include "preferences/dbus_file_manager.h"
#include "preferences/desktop_url_service.h"
#include "preferences/qt_clipboard.h"
#include "store/clock.h"
#include "store/freedesktop_trash.h"
#include "store/note.h"
#include "views/dialog_folder_panel.h"
#include "views/dialog_printer.h"
#include "views/message_box_alerts.h"

#include <QObject>
#include <memory>

class ContentView;
class FolderChooser;
class HistoryWindow;
class FolderPreferences;
class PreferencesDialog;
class PreferencesView;
class NoteFlows;
class SingleInstance;
class NotesAppCommands;
class NoteLinks;
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
    NoteFlows& flows() { return *m_flows; }
    NoteLinks& links() { return *m_links; }
    void show();
    // Another launch asked for us: the main window comes to the front, restored if minimised.
    void raiseWindow(const QString& activationToken = QString());
    // Later launches in the session reach us through instance; each brings the window forward.
    void answerLaunches(const SingleInstance& instance);
    // What a launch, the desktop's search or its launcher asked for, each shown in the window.
    // A path that is no note of the folder is said so, in the window and on standard error.
    void openNoteFile(const QString& path);
    void showSearch(const QString& query);
    // A note of text (a dated, empty one without), made as the window makes it.
    void newNote(const std::optional<QString>& text);
    // The one preferences window, brought to the front.
    void showPreferences();
    PreferencesView* preferencesView() const { return m_preferencesView.get(); }
    PreferencesDialog* preferencesDialog() const { return m_preferencesDialog; }
    // The selected note's versions, or the deleted notes when none is selected.
    void showHistory();
    // The history of theirs, with the version that went into the copy ours chosen.
    void compare(const QString& theirs, const QString& ours);
    HistoryWindow* historyWindow() const { return m_historyWindow; }
    // Version, licence and where to read more, over the main window.
    void showAbout();
    // Window sizes and places for the next launch; runs as the application ends.
    void rememberWindows();
    // Saves what is unsaved while alerts can still be shown, then ends the event loop; stays
    // open when something could not be saved.
    void quit();
    // For SIGTERM, SIGINT and SIGHUP: saves what it can and ends in any case.
    void terminate();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectDesktop();
    void showHistoryOf(const std::optional<Note>& note);
    void fillHistory(const std::optional<Note>& note);

    MessageBoxAlerts m_alerts;
    FreedesktopTrash m_trash;
    SystemClock m_clock;
    DialogFolderPanel m_folderPanel;
    BookmarkedFolderAccess m_folderAccess;
    DialogPrinter m_printer;
    QtClipboard m_clipboard;
    DbusFileManager m_fileManager;
    DesktopUrlService m_urls;
    std::unique_ptr<NotesStore> m_store;
    NoteFlows* m_flows = nullptr;
    std::unique_ptr<FolderChooser> m_chooser;
    std::unique_ptr<ContentView> m_window;
    std::unique_ptr<FolderPreferences> m_folderPreferences;
    std::unique_ptr<PreferencesView> m_preferencesView;
    PreferencesDialog* m_preferencesDialog = nullptr; // a child of the main window
    HistoryWindow* m_historyWindow = nullptr;         // a child of the main window
    NotesAppCommands* m_commands = nullptr;
    UnixSignalWatcher* m_signals = nullptr;
    NoteLinks* m_links = nullptr; // a child of the editor
    bool m_shown = false;         // started hidden for the desktop's search until asked
};
