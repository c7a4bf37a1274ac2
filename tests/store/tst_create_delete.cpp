#include "folder/folder_access.h"
#include "store/naming.h"
#include "store_fixture.h"

#include <QSignalSpy>

#include <fcntl.h>
#include <unistd.h>

using namespace Day;

static QString trashFiles()
{
    return qEnvironmentVariable("XDG_DATA_HOME") + "/Trash/files";
}

class CreateDeleteTest : public QObject
{
    Q_OBJECT

private slots:
    void createWritesADatedNoteIntoAUsableFolder();
    void deleteAsksThenTrashesTheExactFileWithItsLastText();
};

void CreateDeleteTest::createWritesADatedNoteIntoAUsableFolder()
{
    StoreFixture f;
    f.write("Draft.md", "Draft");
    NotesStore& store = f.start();
    f.type("Draft.md", "Draft\nunsaved");
    // Twice in one second; the note being left is saved first.
    store.createNote();
    store.createNote();
    settle();

    const QString name = QStringLiteral("Daily Notes - 2026-03-14 092653");
    QCOMPARE(f.read("Draft.md"), QByteArray("Draft\nunsaved"));
    QCOMPARE(f.files(), QStringList({name + " (2).md", name + ".md", "Draft.md"}));
    QCOMPARE(f.read(name + ".md"), name.toUtf8());
    const Note created = *store.selectedNote();
    QCOMPARE(created.url, f.path(name + " (2).md"));
    QCOMPARE(created.title, name + " (2)");
    QCOMPARE(created.content(), name);

    // A note that cannot be written is not listed.
    {
        ResourceLimit full(RLIMIT_FSIZE, 4);
        store.createNote();
    }
    QCOMPARE(f.alerts.shown.size(), 1);
    QCOMPARE(f.alerts.shown[0].message,
             "The file “" + name + " (3).md” couldn’t be created in the folder “Notes”.");
    QCOMPARE(f.alerts.shown[0].informativeText, QStringLiteral("File too large"));
    QCOMPARE(store.notes().size() + f.files().size(), 6);

    // Without a usable folder. First none at all, answered Cancel, then Open Preferences...
    store.setFolderURL(QString());
    settle();
    QSignalSpy preferences(&store, &NotesStore::preferencesRequested);
    QSignalSpy changes(&store, &NotesStore::notesChanged);
    store.createNote();
    f.alerts.answerNext(true);
    store.createNote();
    QVERIFY(TestFiles::settingsHold(FolderAccess::bookmarkKey));
    // ...and a read-only folder, which stays remembered; a load waits until the alert is answered.
    store.setFolderURL(f.folder);
    settle();
    f.write("Queued.md", "Queued");
    store.loadNotes();
    qsizetype notesWhileAsking = -1;
    f.alerts.whileShown = [&] {
        settle();
        notesWhileAsking = store.notes().size();
    };
    TestFiles::setReadOnly(f.folder, true);
    store.createNote();
    TestFiles::setReadOnly(f.folder, false);
    f.alerts.whileShown = nullptr;
    QCOMPARE(notesWhileAsking, 3);
    settle();
    QCOMPARE(store.notes().size(), 4);
    QCOMPARE(FolderAccess::restoreFolder(), f.folder);

    QCOMPARE(f.alerts.shown.size(), 4);
    for (int i = 1; i < 4; ++i)
        f.alerts.expect(i, "Select a notes folder",
                        "Open Preferences (Ctrl+,) and choose a writable folder, such as one in "
                        "your Documents.",
                        AlertService::Style::Informational, {"Open Preferences…", "Cancel"});
    QCOMPARE(preferences.size(), 1);
    QCOMPARE(changes.size(), 2); // the folder and the queued load; nothing was created
    QCOMPARE(f.files().filter("Daily").size(), 2);
}

void CreateDeleteTest::deleteAsksThenTrashesTheExactFileWithItsLastText()
{
    StoreFixture f;
    f.write("Old.md", "Old", monday);
    f.write("Middle.md", "Middle", tuesday);
    f.write("New.md", "New", wednesday);
    NotesStore& store = f.start();
    Note old = f.note("Old.md");
    old.title = QStringLiteral("He said \"hi\" “twice”");
    store.setSelectedNote(old);
    // Typed on the first line just before the delete: the save renames the file first.
    f.type("Old.md", "Retitled\ntyped");
    store.deleteSelectedNote(); // Cancel
    f.alerts.expect(0, "Delete “He said \"hi\" “twice””?",
                    "This will move the file to the Trash. You can restore it until the Trash is "
                    "emptied.",
                    AlertService::Style::Warning, {"Move to Trash", "Cancel"});
    QCOMPARE(f.read("Old.md"), QByteArray("Old"));
    QCOMPARE(store.selectedNote()->url, old.url);

    f.alerts.answerNext(true);
    store.deleteSelectedNote();
    // The last typing goes to the Trash with the file under its new name, and is not written
    // back after the pause.
    QTest::qWait(2 * store.saveDelay());
    settle();
    QCOMPARE(f.alerts.shown.size(), 2);
    QCOMPARE(f.files(), QStringList({"Middle.md", "New.md"}));
    QCOMPARE(TestFiles::entries(trashFiles()), QStringList({"Retitled.md"}));
    QCOMPARE(TestFiles::read(trashFiles() + "/Retitled.md"), QByteArray("Retitled\ntyped"));
    QVERIFY(store.drafts().isEmpty());
    QCOMPARE(f.titles(), QStringList({"New", "Middle"}));
    // The newest remaining note is selected, not a neighbour.
    QCOMPARE(store.selectedNote()->title, QStringLiteral("New"));

    // The Trash refuses: deleted permanently only when the user says so, the typing saved first.
    TestFiles::setReadOnly(trashFiles(), true);
    f.type("New.md", "New\ntyped");
    f.alerts.answerNext(true);
    store.deleteSelectedNote();
    QCOMPARE(f.read("New.md"), QByteArray("New\ntyped"));
    QCOMPARE(store.selectedNote()->title, QStringLiteral("New"));
    // Deleting permanently, which a read-only folder refuses too.
    f.alerts.answerNext(true);
    f.alerts.answerNext(true);
    TestFiles::setReadOnly(f.folder, true);
    store.deleteSelectedNote();
    TestFiles::setReadOnly(f.folder, false);
    QCOMPARE(f.alerts.shown.size(), 7);
    QCOMPARE(f.alerts.shown[6].message, QStringLiteral("The file “New.md” couldn’t be deleted."));
    QCOMPARE(f.alerts.shown[6].informativeText, QStringLiteral("Permission denied"));
    for (const QString name : {"New", "Middle"}) {
        f.alerts.answerNext(true);
        f.alerts.answerNext(true);
        store.deleteSelectedNote();
        f.alerts.expect(f.alerts.shown.size() - 1, "Can’t move to Trash",
                        "“" + name +
                            ".md” couldn’t be moved to the Trash. You can delete it "
                            "permanently instead.",
                        AlertService::Style::Warning, {"Delete Permanently", "Cancel"});
    }
    QVERIFY(f.files().isEmpty() && store.notes().isEmpty() && !store.selectedNote());
    QCOMPARE(TestFiles::entries(trashFiles()), QStringList({"Retitled.md"}));
    // Nothing selected: nothing asked, nothing done.
    store.deleteSelectedNote();
    QCOMPARE(f.alerts.shown.size(), 11);

    // Unreadable notes go by their exact bytes, beside the name a lossy decoding would give.
    TestFiles::setReadOnly(trashFiles(), false);
    f.write("Latin.md", "Caf\xE9");
    const QByteArray rawName = QFile::encodeName(f.folder) + "/caf\xE9.md";
    const int fd = ::open(rawName.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    QVERIFY(fd >= 0 && ::close(fd) == 0);
    f.write("caf\uFFFD.md", "valid", tuesday);
    f.reload();
    const QString raw = Naming::fileName(Naming::pathFromBytes(rawName));
    QVERIFY(f.note(raw).unreadable && !f.note("caf\uFFFD.md").unreadable);
    QCOMPARE(f.note(raw).title, QStringLiteral("caf\uFFFD"));
    for (const QString& name : {raw, QStringLiteral("Latin.md")}) {
        store.setSelectedNote(f.note(name));
        f.alerts.answerNext(true);
        store.deleteSelectedNote();
    }
    QCOMPARE(f.titles(), QStringList({"caf\uFFFD"}));
    QCOMPARE(f.read("caf\uFFFD.md"), QByteArray("valid"));
    QCOMPARE(TestFiles::read(trashFiles() + "/Latin.md"), QByteArray("Caf\xE9"));
    QCOMPARE(::access((QFile::encodeName(trashFiles()) + "/caf\xE9.md").constData(), F_OK), 0);
}

QUILLBOX_TEST_MAIN(CreateDeleteTest)
#include "tst_create_delete.moc"
