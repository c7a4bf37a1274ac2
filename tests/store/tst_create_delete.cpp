#include "folder/folder_access.h"
#include "store/naming.h"
#include "store_fixture.h"

#include <QSignalSpy>

#include <fcntl.h>
#include <unistd.h>

using namespace Day;

namespace {

QString trashFiles()
{
    return qEnvironmentVariable("XDG_DATA_HOME") + "/Trash/files";
}

} // namespace

class CreateDeleteTest : public QObject
{
    Q_OBJECT

private slots:
    void createWritesADatedNote();
    void createWithoutAUsableFolder();
    void deleteAsksThenTrashesTheLastText();
    void trashRefused();
    void unreadableNotesAreDeletedByTheirExactBytes();
};

void CreateDeleteTest::createWritesADatedNote()
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
    const Note created = store.notes().last();
    QCOMPARE(created.url, f.path(name + " (2).md"));
    QCOMPARE(created.title, name + " (2)");
    QCOMPARE(created.content(), name);
    QCOMPARE(created.lastModified, f.clock.current);
    QCOMPARE(store.selectedNote()->url, created.url);
    QVERIFY(f.alerts.shown.isEmpty());

    // A note that cannot be written is not listed.
    {
        ResourceLimit full(RLIMIT_FSIZE, 4);
        store.createNote();
    }
    QCOMPARE(f.alerts.shown.size(), 1);
    QCOMPARE(f.alerts.shown[0].message,
             QStringLiteral("The file “Daily Notes - 2026-03-14 092653 (3).md” couldn’t be "
                            "created in the folder “Notes”."));
    QCOMPARE(f.alerts.shown[0].informativeText, QStringLiteral("File too large"));
    QCOMPARE(store.notes().size(), 3);
    QCOMPARE(f.files().size(), 3);
}

void CreateDeleteTest::createWithoutAUsableFolder()
{
    StoreFixture f;
    NotesStore& store = f.start();
    store.setFolderURL(QString());
    settle();
    QSignalSpy preferences(&store, &NotesStore::preferencesRequested);
    QSignalSpy changes(&store, &NotesStore::notesChanged);
    // No folder at all, answered Cancel, then Open Preferences...
    store.createNote();
    f.alerts.answerNext(true);
    store.createNote();
    QVERIFY(TestFiles::settingsHold(FolderAccess::bookmarkKey));
    // ...and a folder we may not write, whose bookmark is dropped. A load queued meanwhile
    // waits until the alert is answered.
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
    QCOMPARE(notesWhileAsking, 0);
    settle();
    QCOMPARE(store.notes().size(), 1);
    QVERIFY(!TestFiles::settingsHold(FolderAccess::bookmarkKey));

    QCOMPARE(f.alerts.shown.size(), 3);
    for (int i = 0; i < 3; ++i)
        f.alerts.expect(i, "Select a notes folder",
                        "Open Preferences (Ctrl+,) and choose a writable folder, such as one in "
                        "your Documents.",
                        AlertService::Style::Informational, {"Open Preferences…", "Cancel"});
    QCOMPARE(preferences.size(), 1);
    QCOMPARE(changes.size(), 1); // the queued load; nothing was created
    QCOMPARE(f.files(), QStringList({"Queued.md"}));
}

void CreateDeleteTest::deleteAsksThenTrashesTheLastText()
{
    StoreFixture f;
    f.write("Old.md", "Old", monday);
    f.write("Middle.md", "Middle", tuesday);
    f.write("New.md", "New", wednesday);
    NotesStore& store = f.start();
    store.setSaveDelay(20);
    Note old = f.note("Old.md");
    old.title = QStringLiteral("He said \"hi\" “twice”");
    store.setSelectedNote(old);
    f.type("Old.md", "Old\ntyped");
    store.deleteSelectedNote(); // Cancel
    QCOMPARE(f.alerts.shown.size(), 1);
    f.alerts.expect(0, "Delete “He said \"hi\" “twice””?",
                    "This will move the file to the Trash. You can restore it until the Trash is "
                    "emptied.",
                    AlertService::Style::Warning, {"Move to Trash", "Cancel"});
    QCOMPARE(f.read("Old.md"), QByteArray("Old"));
    QCOMPARE(store.selectedNote()->url, old.url);

    f.alerts.answerNext(true);
    store.deleteSelectedNote();
    // The last typing went into the file before it went to the Trash, and is not written
    // back once the pause is over.
    QTest::qWait(2 * store.saveDelay());
    settle();
    QCOMPARE(f.files(), QStringList({"Middle.md", "New.md"}));
    QCOMPARE(TestFiles::entries(trashFiles()), QStringList({"Old.md"}));
    QCOMPARE(TestFiles::read(trashFiles() + "/Old.md"), QByteArray("Old\ntyped"));
    QVERIFY(store.drafts().isEmpty());
    QCOMPARE(f.titles(), QStringList({"New", "Middle"}));
    // The newest remaining note is selected, not a neighbour.
    QCOMPARE(store.selectedNote()->title, QStringLiteral("New"));

    store.setSelectedNote(f.note("Middle.md"));
    f.alerts.answerNext(true);
    store.deleteSelectedNote();
    QCOMPARE(store.selectedNote()->title, QStringLiteral("New"));
    f.alerts.answerNext(true);
    store.deleteSelectedNote();
    QVERIFY(!store.selectedNote() && store.notes().isEmpty());
    // Nothing selected: nothing asked, nothing done.
    store.deleteSelectedNote();
    QCOMPARE(f.alerts.shown.size(), 4);
}

void CreateDeleteTest::trashRefused()
{
    StoreFixture f;
    f.write("Stuck.md", "Stuck", tuesday);
    f.write("Other.md", "Other", monday);
    // A file where the trash folder should be.
    QDir().mkpath(qEnvironmentVariable("XDG_DATA_HOME") + "/Trash");
    TestFiles::write(trashFiles(), "not a folder");
    NotesStore& store = f.start();
    // Not deleted permanently: still listed and selected, the typing saved before the Trash
    // was tried.
    f.type("Stuck.md", "Stuck\ntyped");
    f.alerts.answerNext(true);
    store.deleteSelectedNote();
    QCOMPARE(f.read("Stuck.md"), QByteArray("Stuck\ntyped"));
    QCOMPARE(store.selectedNote()->title, QStringLiteral("Stuck"));
    // Deleting permanently, which a read-only folder refuses too.
    f.alerts.answerNext(true);
    f.alerts.answerNext(true);
    TestFiles::setReadOnly(f.folder, true);
    store.deleteSelectedNote();
    TestFiles::setReadOnly(f.folder, false);
    QCOMPARE(f.alerts.shown.size(), 5);
    QCOMPARE(f.alerts.shown[4].message, QStringLiteral("The file “Stuck.md” couldn’t be deleted."));
    QCOMPARE(f.alerts.shown[4].informativeText, QStringLiteral("Permission denied"));
    QCOMPARE(f.read("Stuck.md"), QByteArray("Stuck\ntyped"));
    // Deleting permanently.
    f.type("Stuck.md", "Stuck\nagain");
    f.alerts.answerNext(true);
    f.alerts.answerNext(true);
    store.deleteSelectedNote();
    settle();
    QCOMPARE(f.alerts.shown.size(), 7);
    for (int i : {1, 3, 6})
        f.alerts.expect(i, "Can’t move to Trash",
                        "“Stuck.md” couldn’t be moved to the Trash. You can delete it permanently "
                        "instead.",
                        AlertService::Style::Warning, {"Delete Permanently", "Cancel"});
    QCOMPARE(TestFiles::read(trashFiles()), QByteArray("not a folder"));
    QCOMPARE(f.files(), QStringList({"Other.md"}));
    QCOMPARE(f.titles(), QStringList({"Other"}));
    QCOMPARE(store.selectedNote()->title, QStringLiteral("Other"));
    QVERIFY(store.drafts().isEmpty());
}

void CreateDeleteTest::unreadableNotesAreDeletedByTheirExactBytes()
{
    StoreFixture f;
    f.write("Latin.md", "Caf\xE9");
    // Two names that a lossy decoding would make one: "caf\xE9.md" and "caf\uFFFD.md".
    const QByteArray rawName = QFile::encodeName(f.folder) + "/caf\xE9.md";
    const int fd = ::open(rawName.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    QVERIFY(fd >= 0 && ::write(fd, "raw", 3) == 3 && ::close(fd) == 0);
    f.write("caf\uFFFD.md", "valid", tuesday);
    NotesStore& store = f.start();
    const QString raw = Naming::pathFromBytes(rawName);
    QVERIFY(f.note(Naming::fileName(raw)).unreadable);
    QCOMPARE(f.note(Naming::fileName(raw)).title, QStringLiteral("caf\uFFFD"));
    QVERIFY(!f.note("caf\uFFFD.md").unreadable);

    for (const QString& name : {Naming::fileName(raw), QStringLiteral("Latin.md")}) {
        store.setSelectedNote(f.note(name));
        f.alerts.answerNext(true);
        store.deleteSelectedNote();
    }
    QCOMPARE(f.titles(), QStringList({"caf\uFFFD"}));
    QCOMPARE(f.read("caf\uFFFD.md"), QByteArray("valid"));
    QCOMPARE(TestFiles::read(trashFiles() + "/Latin.md"), QByteArray("Caf\xE9"));
    char trashed[8] = {};
    const int in = ::open((QFile::encodeName(trashFiles()) + "/caf\xE9.md").constData(), O_RDONLY);
    QVERIFY(in >= 0 && ::read(in, trashed, sizeof trashed) == 3 && ::close(in) == 0);
    QCOMPARE(QByteArray(trashed), QByteArray("raw"));
}

QUILLBOX_TEST_MAIN(CreateDeleteTest)
#include "tst_create_delete.moc"
