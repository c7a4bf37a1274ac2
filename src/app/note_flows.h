#pragma once

#include "store/notes_store.h"
#include "views/alert_service.h"

#include <QObject>

class FolderChooser;
class FolderPreferences;
class SaveFailureNotices;
struct FileError;

// The operations that ask the user (creating, deleting, quitting) and what the user is told
// of the store's failures. The store takes each step and says how it went; this asks between
// the steps and holds the store's queued work while an alert is open.
class NoteFlows : public QObject
{
    Q_OBJECT

public:
    NoteFlows(NotesStore& store, AlertService& alerts, QObject* parent = nullptr);

    // A dated note in the folder, selected; without a usable folder, points to the
    // preferences.
    void createNote();
    // A link named a note that does not exist: asks, then creates it, selected.
    void offerNote(const QString& title);
    // The same for a note holding text, named after its first line.
    void createNoteFromText(const QString& text);
    // Asks, then moves the selected note to the Trash; when the Trash refuses, asks again and
    // deletes it for good.
    void deleteSelectedNote();
    // Brings the note last moved to the Trash back, selected; says why when it cannot.
    void undoDelete();
    // Saves everything; when something cannot be saved, asks whether to quit anyway and then
    // keeps that text in the recovery folder. True when the application may end.
    bool prepareToQuit();
    // Tells the user why a folder was refused or an action failed.
    void speakFor(FolderChooser& chooser);
    void speakFor(FolderPreferences& preferences);
    void showError(const FileError& error);

signals:
    // The user asked, from an alert, to open the preferences.
    void preferencesRequested();
    // A note's save failed again for the reason it was alerted for: to be said without
    // stopping the user.
    void saveStillFailing(const QString& url, const QString& message);

private:
    void reportCreation(const NotesStore::NewNote& created);
    void reportFolderProblem(const FileError& error);
    bool ask(const QString& message, const QString& informativeText, AlertService::Style style,
             const QStringList& buttons);

    NotesStore& m_store;
    AlertService& m_alerts;
    SaveFailureNotices* m_saveFailures;
};
