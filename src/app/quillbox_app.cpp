#include "app/quillbox_app.h"

#include "app/launch_requests.h"
#include "app/note_flows.h"
#include "app/notes_app_commands.h"
#include "app/single_instance.h"
#include "app/unix_signal_watcher.h"
#include "app/window_memory.h"
#include "folder/folder_chooser.h"
#include "folder/folder_preferences.h"
#include "preferences/history_preferences.h"
#include "preferences/preferences_dialog.h"
#include "preferences/preferences_view.h"
#include "store/notes_store.h"
#include "store/recovery_folder.h"
#include "views/content_view.h"
#include "views/history_window.h"
#include "views/message_bar.h"
#include "views/note_editor.h"
#include "views/note_links.h"
#include "views/note_row_menu.h"
#include "views/palette_colors.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QMessageBox>
#include <QSessionManager>
#include <QTabWidget>

#include <cstdio>

QuillboxApp::QuillboxApp()
    : m_store(std::make_unique<NotesStore>(StoreServices{m_trash, m_clock, m_folderAccess})),
      m_chooser(std::make_unique<FolderChooser>(*m_store, m_folderPanel))
{
    m_store->history().setLimits(HistoryPreferences::storedLimits());
    m_window = std::make_unique<ContentView>(*m_store, m_printer);
    m_alerts.setParent(m_window.get());
    m_folderPanel.setWindow(m_window.get());
    m_printer.setWindow(m_window.get());
    m_flows = new NoteFlows(*m_store, m_alerts, this);
    m_flows->speakFor(*m_chooser);
    m_commands = new NotesAppCommands(*m_store, *m_flows, *m_window);
    m_signals = new UnixSignalWatcher(this);
    connect(m_window.get(), &ContentView::folderNeeded, m_chooser.get(),
            &FolderChooser::chooseFolderIfNeeded);

    connect(m_commands, &NotesAppCommands::quitRequested, this, &QuillboxApp::quit);
    connect(m_commands, &NotesAppCommands::preferencesRequested, this,
            &QuillboxApp::showPreferences);
    connect(m_flows, &NoteFlows::preferencesRequested, this, &QuillboxApp::showPreferences);
    connect(m_commands, &NotesAppCommands::historyRequested, this, &QuillboxApp::showHistory);
    connect(m_window.get(), &ContentView::compareRequested, this, &QuillboxApp::compare);
    connect(m_signals, &UnixSignalWatcher::terminationRequested, this, &QuillboxApp::terminate);
    connect(qApp, &QGuiApplication::applicationStateChanged, m_window.get(),
            &ContentView::applicationStateChanged);
    // The last chance: the event loop has ended and nothing queued will run any more, and no
    // one may be asked anything.
    connect(qApp, &QCoreApplication::aboutToQuit, m_store.get(), &NotesStore::saveBeforeExit);
    connect(qApp, &QGuiApplication::commitDataRequest, m_store.get(),
            [this](QSessionManager&) { m_store->saveBeforeExit(); });
    m_window->installEventFilter(this);
    // Also where the last resorts put it, when the usual folder could not be made.
    if (const QString recovered = RecoveryFolder::placeWithFiles(); !recovered.isEmpty()) {
        m_window->messageBar()->showMessage(
            tr("Text that could not be saved earlier is kept in “%1”.").arg(recovered),
            tr("Show in File Manager"), [this, recovered] { m_fileManager.reveal(recovered); });
    }
    connectDesktop();
}

void QuillboxApp::connectDesktop()
{
    m_folderPanel.setCurrentFolder([this] { return m_store->folderURL(); });
    const QPalette readable = PaletteColors::withReadablePlaceholder(QApplication::palette());
    if (readable != QApplication::palette()) {
        // Only that role is set: every other colour keeps following the desktop's theme.
        QPalette placeholder;
        placeholder.setResolveMask(0);
        for (const auto group : {QPalette::Active, QPalette::Inactive})
            placeholder.setColor(group, QPalette::PlaceholderText,
                                 readable.color(group, QPalette::PlaceholderText));
        QApplication::setPalette(placeholder);
    }
    connect(m_commands, &NotesAppCommands::zoomRequested, m_window->editor(), &NoteEditor::zoom);
    connect(m_commands, &NotesAppCommands::aboutRequested, this, &QuillboxApp::showAbout);
    m_links = new NoteLinks(*m_window->editor(), *m_store, m_urls);
    connect(m_links, &NoteLinks::missingNote, m_flows, &NoteFlows::offerNote);
    new NoteRowMenu(*m_window, *m_store, {m_fileManager, m_clipboard}, m_commands->history(),
                    m_commands->deleteNote());
    // However the application ends, after the windows have closed but still exist.
    connect(qApp, &QCoreApplication::aboutToQuit, this, &QuillboxApp::rememberWindows);
}

void QuillboxApp::rememberWindows()
{
    // Started for the desktop's search and never shown: the sizes remembered stay.
    if (!m_shown)
        return;
    WindowMemory::saveMain(*m_window, *m_window->splitter());
    if (m_preferencesDialog)
        WindowMemory::savePosition(*m_preferencesDialog, WindowMemory::preferencesKey);
}

void QuillboxApp::showAbout()
{
    auto* box = new QMessageBox(m_window.get());
    box->setObjectName(QStringLiteral("about"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowTitle(tr("About Quillbox"));
    box->setIconPixmap(m_window->windowIcon().pixmap(64));
    box->setTextFormat(Qt::RichText);
    box->setText(tr("<h3>Quillbox %1</h3>"
                    "<p>Plain-text notes that save themselves.</p>"
                    "<p>Free software under the MIT licence.</p>"
                    "<p><a href=\"%2\">%2</a></p>")
                     .arg(QCoreApplication::applicationVersion().toHtmlEscaped(),
                          QStringLiteral("https://github.com/quillbox/quillbox")));
    box->setTextInteractionFlags(Qt::TextBrowserInteraction);
    box->setStandardButtons(QMessageBox::Close);
    box->open();
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
            *m_store, FolderPreferences::Services{m_clipboard, m_fileManager, *m_chooser});
        m_flows->speakFor(*m_folderPreferences);
        m_preferencesView = std::make_unique<PreferencesView>(*m_folderPreferences);
        m_preferencesView->setObjectName(QStringLiteral("preferences"));
        m_preferencesDialog = new PreferencesDialog(
            *m_preferencesView, new HistoryPreferences(m_store->history(), m_alerts),
            m_window.get());
        // Where it was last time; else centred on the main window, as dialogs open.
        WindowMemory::restorePosition(*m_preferencesDialog, WindowMemory::preferencesKey);
    }
    m_preferencesDialog->show();
    m_preferencesDialog->raise();
    m_preferencesDialog->activateWindow();
}

void QuillboxApp::showHistory()
{
    showHistoryOf(m_store->selectedNote());
}

void QuillboxApp::compare(const QString& theirs, const QString& ours)
{
    const std::optional<Note> copy = m_store->note(ours);
    showHistoryOf(m_store->note(theirs));
    if (!copy)
        return;
    const QString text = m_store->textFor(*copy);
    History& history = m_store->history();
    const QList<HistoryStore::Version> versions = history.versions(theirs);
    for (qsizetype row = 0; row < versions.size(); ++row) {
        if (history.text(versions.at(row).id) == text) {
            m_historyWindow->versionsList()->setCurrentRow(int(row));
            return;
        }
    }
}

void QuillboxApp::showHistoryOf(const std::optional<Note>& note)
{
    if (!m_historyWindow) {
        m_historyWindow = new HistoryWindow(m_store->history(), m_window.get());
        // Both select the note they wrote, and the window follows the selection.
        connect(m_historyWindow, &HistoryWindow::restoreRequested, this,
                [this](const QString& url, const QString& text) {
                    // A failed save is told as every failed save is; the text stays a draft.
                    m_store->restoreVersion(url, text);
                });
        connect(m_historyWindow, &HistoryWindow::restoreDeletedRequested, this,
                [this](const QString& formerUrl, const QString& text) {
                    const NotesStore::Restored restored = m_store->restoreDeleted(formerUrl, text);
                    if (restored.error)
                        m_flows->showError(*restored.error);
                    else if (!restored.url)
                        showPreferences();
                });
        connect(m_store.get(), &NotesStore::selectedNoteChanged, m_historyWindow, [this] {
            if (m_historyWindow->isVisible())
                fillHistory(m_store->selectedNote());
        });
    }
    fillHistory(note);
    m_historyWindow->show();
    m_historyWindow->raise();
    m_historyWindow->activateWindow();
}

void QuillboxApp::fillHistory(const std::optional<Note>& note)
{
    m_historyWindow->showDeleted([this](const QString& path) { return m_store->contains(path); });
    if (note) {
        m_historyWindow->showNote(note->url, note->title, m_store->textFor(*note));
        m_historyWindow->tabs()->setCurrentIndex(0);
    }
}

void QuillboxApp::show()
{
    WindowMemory::restoreMain(*m_window, *m_window->splitter());
    m_window->show();
    m_shown = true;
}

void QuillboxApp::raiseWindow(const QString& activationToken)
{
    // Wayland gives the focus only with the token of the launch the user made; Qt's Wayland
    // plugin takes it from the environment when the window asks to be activated.
    if (!activationToken.isEmpty())
        qputenv("XDG_ACTIVATION_TOKEN", activationToken.toUtf8());
    if (!m_shown)
        show();
    m_window->setWindowState(m_window->windowState() & ~Qt::WindowMinimized);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void QuillboxApp::answerLaunches(const SingleInstance& instance)
{
    connect(&instance, &SingleInstance::activationRequested, this, &QuillboxApp::raiseWindow);
    connect(
        &instance, &SingleInstance::launchRequested, this,
        [this](const CommandLine::Request& request) { LaunchRequests::perform(*this, request); });
}

void QuillboxApp::openNoteFile(const QString& path)
{
    raiseWindow();
    const QString folder = m_store->folderURL();
    std::optional<Note> note = m_store->note(QDir::cleanPath(path));
    const QFileInfo file(path);
    // The same file by another path, through a link to the folder, say.
    if (!note && !folder.isEmpty() && file.canonicalPath() == QFileInfo(folder).canonicalFilePath())
        note = m_store->note(folder + QLatin1Char('/') + file.fileName());
    if (!note) {
        const QString said = folder.isEmpty()
                                 ? tr("“%1” cannot be shown: no notes folder is chosen.").arg(path)
                                 : tr("“%1” is not a note of the notes folder “%2”.")
                                       .arg(path, QDir::toNativeSeparators(folder));
        std::fprintf(stderr, "%s\n", qPrintable(said));
        m_window->messageBar()->showMessage(said);
        return;
    }
    const std::optional<Note>& leaving = m_store->selectedNote();
    m_store->saveDraftNow(leaving ? leaving->url : QString());
    m_store->setSelectedNote(note);
}

void QuillboxApp::showSearch(const QString& query)
{
    raiseWindow();
    m_store->setSearchText(query);
    m_window->focusSearch();
}

void QuillboxApp::newNote(const std::optional<QString>& text)
{
    raiseWindow();
    if (text && !text->trimmed().isEmpty())
        m_flows->createNoteFromText(*text);
    else
        m_flows->createNote();
}

void QuillboxApp::quit()
{
    // A save that failed was reported; staying open keeps the text on screen, where the user
    // can still fix the cause or copy it, unless they choose to quit anyway.
    if (m_flows->prepareToQuit())
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
        if (!m_flows->prepareToQuit()) {
            event->ignore();
            return true;
        }
        QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}
