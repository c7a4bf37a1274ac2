#include "app/note_flows.h"

#include "app/save_failure_notices.h"
#include "folder/folder_chooser.h"
#include "folder/folder_preferences.h"
#include "store/naming.h"
#include "store/notes_store.h"
#include "store/recovery_folder.h"
#include "views/file_error_text.h"

NoteFlows::NoteFlows(NotesStore& store, AlertService& alerts, QObject* parent)
    : QObject(parent), m_store(store), m_alerts(alerts),
      m_saveFailures(new SaveFailureNotices(
          store, [this](const FileError& error) { showError(error); }, this))
{
    connect(&m_store, &NotesStore::folderProblem, this, &NoteFlows::reportFolderProblem);
    connect(m_saveFailures, &SaveFailureNotices::stillFailing, this, &NoteFlows::saveStillFailing);
}

// A modal alert turns the event loop while it waits: the store's queued work must not run
// inside it, or the notes could change under the question.
void NoteFlows::showError(const FileError& error)
{
    m_store.holdQueue();
    m_alerts.showError(error);
    m_store.releaseQueue();
}

bool NoteFlows::ask(const QString& message, const QString& informativeText,
                    AlertService::Style style, const QStringList& buttons)
{
    m_store.holdQueue();
    const bool firstButton = m_alerts.showText(message, informativeText, style, buttons);
    m_store.releaseQueue();
    return firstButton;
}

void NoteFlows::reportFolderProblem(const FileError& error)
{
    // The way out is another folder, which the preferences choose.
    if (ask(FileErrorText::message(error), FileErrorText::reason(error),
            AlertService::Style::Warning, {tr("Open Preferences…"), tr("Cancel")}))
        emit preferencesRequested();
}

void NoteFlows::createNote()
{
    reportCreation(m_store.createDatedNote());
}

void NoteFlows::offerNote(const QString& title)
{
    if (ask(tr("Create a note named “%1”?").arg(title), tr("No note has this title yet."),
            AlertService::Style::Informational, {tr("Create Note"), tr("Cancel")}))
        reportCreation(m_store.createNote(title + u'\n'));
}

void NoteFlows::createNoteFromText(const QString& text)
{
    reportCreation(m_store.createNote(text));
}

void NoteFlows::reportCreation(const NotesStore::NewNote& created)
{
    if (created.outcome == NotesStore::NewNote::Outcome::NeedsFolder) {
        if (ask(tr("Select a notes folder"),
                tr("Open Preferences (Ctrl+,) and choose a writable folder, such as one in your "
                   "Documents."),
                AlertService::Style::Informational, {tr("Open Preferences…"), tr("Cancel")}))
            emit preferencesRequested();
    } else if (created.error) {
        showError(*created.error);
    }
}

void NoteFlows::deleteSelectedNote()
{
    if (!m_store.selectedNote())
        return;
    const Note note = *m_store.selectedNote();
    const bool confirmed = ask(
        tr("Delete “%1”?").arg(note.title),
        tr("This will move the file to the Trash. You can restore it until the Trash is emptied."),
        AlertService::Style::Warning, {tr("Move to Trash"), tr("Cancel")});
    if (!confirmed)
        return;
    const std::optional<QString> url = m_store.saveBeforeDelete(note.url);
    if (!url || m_store.moveToTrash(*url))
        return;
    const bool permanently =
        ask(tr("Can’t move to Trash"),
            tr("“%1” couldn’t be moved to the Trash. You can delete it permanently instead.")
                .arg(Naming::readableName(Naming::fileName(*url))),
            AlertService::Style::Warning, {tr("Delete Permanently"), tr("Cancel")});
    if (!permanently)
        return;
    if (const std::optional<FileError> error = m_store.removePermanently(*url))
        showError(*error);
}

void NoteFlows::undoDelete()
{
    if (const std::optional<FileError> error = m_store.undoDelete())
        showError(*error);
}

bool NoteFlows::prepareToQuit()
{
    // One question for every note that cannot be saved, not first an alert for each.
    m_saveFailures->setQuiet(true);
    const bool saved = m_store.saveAllDrafts();
    m_saveFailures->setQuiet(false);
    if (saved)
        return true;
    const bool stay = ask(tr("Some notes couldn’t be saved"),
                          tr("Their text is still here. If you quit anyway, it is kept in “%1”.")
                              .arg(RecoveryFolder::path()),
                          AlertService::Style::Warning, {tr("Don’t Quit"), tr("Quit Anyway")});
    if (stay)
        return false;
    const std::optional<FileError> error = m_store.recoverUnsaved();
    if (error)
        showError(*error);
    return !error;
}

void NoteFlows::speakFor(FolderChooser& chooser)
{
    connect(&chooser, &FolderChooser::folderRefused, this, [this](const QString& folder) {
        ask(tr("Cannot use this folder"),
            tr("Quillbox does not have permission to write to:\n%1\n\nChoose a different "
               "location (e.g., a folder under Documents).")
                .arg(folder),
            AlertService::Style::Warning, {tr("OK")});
    });
    connect(&chooser, &FolderChooser::folderNotRemembered, this, &NoteFlows::showError);
}

void NoteFlows::speakFor(FolderPreferences& preferences)
{
    connect(&preferences, &FolderPreferences::failed, this, &NoteFlows::showError);
}
