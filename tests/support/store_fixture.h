#pragma once

#include "folder/bookmarked_folder_access.h"
#include "folder/folder_chooser.h"
#include "store/freedesktop_trash.h"
#include "store/notes_store.h"
#include "test_support.h"

#include <functional>
#include <memory>

// A store started as the application starts it, with scripted alerts and a clock the test sets.
class StoreFixture
{
public:
    StoreFixture();
    // Remembers folder (the home's Notes unless given) and starts a store on it.
    NotesStore& start(const QString& folder = {});
    // The same, stopped where the notes are listed by name: their texts are read, but wait to
    // be taken in until the store's queue is released.
    // before: called with the store as soon as it exists, before it lists anything.
    NotesStore& startListed();
    NotesStore& startListedWith(const std::function<void(NotesStore&)>& before);
    NotesStore& store() { return *m_store; }
    StoreServices services() { return {trash, clock, folders}; }
    FolderChooser& chooser();
    QString path(const QString& fileName) const { return folder + QLatin1Char('/') + fileName; }
    Note note(const QString& fileName) const; // empty when not listed
    QStringList titles() const;               // filteredNotes, in order

    // Files in the notes folder, by name; what the editor does to a note.
    void write(const QString& name, const QByteArray& bytes, const QDateTime& at = Day::monday)
    {
        TestFiles::write(path(name), bytes, at);
    }
    QByteArray read(const QString& name) const { return TestFiles::read(path(name)); }
    QStringList files() const { return TestFiles::entries(folder); }
    // The editor: it shows one note's text, and tells the store of each change as the
    // window's editor does. Showing another note takes the text it held first.
    void type(const QString& name, const QString& text);
    void commit(const QString& name)
    {
        m_store->saveDraft(path(name));
        settle();
    }
    // Settles until every listed note's text is read.
    void readAll()
    {
        do
            settle();
        while (m_store->readingTexts());
    }
    void reload()
    {
        m_store->loadNotes();
        settle();
    }

    TestHome home;
    ScriptedAlerts alerts;
    FreedesktopTrash trash;
    FakeClock clock;
    BookmarkedFolderAccess folders;
    ScriptedFolderPanel panel;
    RecordingPrinter printer;
    QString folder;
    QList<FileError> problems; // the store's folderProblem signals
    QList<FileError> failures; // its saveFailed signals

private:
    void make();

    std::unique_ptr<NotesStore> m_store;
    std::unique_ptr<FolderChooser> m_chooser;
    QString m_editorNote;
    QString m_editorText;
};
