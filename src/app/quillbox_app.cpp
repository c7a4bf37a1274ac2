#include "quillbox_app.h"

#include "content_view.h"
#include "folder_preferences.h"
#include "message_bar.h"
#include "notes_app_commands.h"
#include "notes_store.h"
#include "preferences_view.h"
#include "recovery_folder.h"
#include "unix_signal_watcher.h"

#include <QApplication>
#include <QCloseEvent>
#include <QSessionManager>

QuillboxApp::QuillboxApp()
    : m_store(std::make_unique<NotesStore>(
          StoreServices{m_alerts, m_trash, m_clock, m_folderPanel, m_printer}))
{
    m_window = std::make_unique<ContentView>(*m_store, m_notifier);
    m_alerts.setParent(m_window.get());
    m_folderPanel.setWindow(m_window.get());
    m_printer.setWindow(m_window.get());
    m_commands = new NotesAppCommands(*m_store, m_notifier, *m_window);
    m_signals = new UnixSignalWatcher(this);

    connect(m_commands, &NotesAppCommands::quitRequested, this, &QuillboxApp::quit);
    connect(m_commands, &NotesAppCommands::preferencesRequested, this,
            &QuillboxApp::showPreferences);
    connect(m_store.get(), &NotesStore::preferencesRequested, this, &QuillboxApp::showPreferences);
    connect(m_signals, &UnixSignalWatcher::terminationRequested, this, &QuillboxApp::terminate);
    connect(qApp, &QGuiApplication::applicationStateChanged, m_window.get(),
            &ContentView::applicationStateChanged);
    // The last chance: the event loop has ended and nothing queued will run any more, and no
    // one may be asked anything.
    connect(qApp, &QCoreApplication::aboutToQuit, m_store.get(), &NotesStore::saveBeforeExit);
    connect(qApp, &QGuiApplication::commitDataRequest, m_store.get(),
            [this](QSessionManager&) { m_store->saveBeforeExit(); });
    m_window->installEventFilter(this);
    if (RecoveryFolder::hasFiles()) {
        m_window->messageBar()->showMessage(
            tr("Text that could not be saved earlier is kept in “%1”.").arg(RecoveryFolder::path()),
            tr("Show in File Manager"), [this] { m_fileManager.reveal(RecoveryFolder::path()); });
    }
}

QuillboxApp::~QuillboxApp()
{
    m_preferencesView.reset();
    m_window.reset();
}

void QuillboxApp::showPreferences()
{
    if (!m_preferencesView) {
        m_folderPreferences = std::make_unique<FolderPreferences>(
            *m_store, FolderPreferences::Services{m_clipboard, m_fileManager});
        m_preferencesView = std::make_unique<PreferencesView>(*m_folderPreferences);
        m_preferencesView->setWindowTitle(QStringLiteral("Quillbox Preferences"));
        m_preferencesView->setObjectName(QStringLiteral("preferences"));
    }
    m_preferencesView->show();
    m_preferencesView->raise();
    m_preferencesView->activateWindow();
}

void QuillboxApp::show()
{
    m_window->show();
}

void QuillboxApp::quit()
{
    // A save that failed was reported; staying open keeps the text on screen, where the user
    // can still fix the cause or copy it, unless they choose to quit anyway.
    if (m_store->prepareToQuit())
        QCoreApplication::quit();
}

void QuillboxApp::terminate()
{
    // The system wants us gone (a signal): save what can be saved, keep the rest, and go,
    // even from inside an open alert.
    m_store->saveBeforeExit();
    QCoreApplication::exit(0);
}

bool QuillboxApp::eventFilter(QObject* watched, QEvent* event)
{
    // Closing the main window ends the application, even with the preferences still open.
    if (watched == m_window.get() && event->type() == QEvent::Close) {
        if (!m_store->prepareToQuit()) {
            event->ignore();
            return true;
        }
        QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}
