#include "folder/folder_access.h"
#include "store/naming.h"
#include "store_fixture.h"

#include <fcntl.h>
#include <unistd.h>

using namespace Day;
using Outcome = NotesStore::NewNote::Outcome;

static QString trashFiles()
{
    return qEnvironmentVariable("XDG_DATA_HOME") + "/Trash/files";
}

class CreateDeleteTest : public QObject
{
    Q_OBJECT

private slots:
    void createWritesADatedNoteIntoAUsableFolder();
    void deleteTrashesTheExactFileWithItsLastText();
};

void CreateDeleteTest::createWritesADatedNoteIntoAUsableFolder()
{
    StoreFixture f;
    f.write("Draft.md", "Draft");
    NotesStore& store = f.start();
    f.type("Draft.md", "Draft\nunsaved");
    // Twice in one second; the note being left is saved first.
    QCOMPARE(store.createDatedNote().outcome, Outcome::Created);
    QCOMPARE(store.createDatedNote().outcome, Outcome::Created);
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
        const NotesStore::NewNote failed = store.createDatedNote();
        QCOMPARE(failed.outcome, Outcome::Failed);
        QCOMPARE(failed.error.value_or(FileError()),
                 FileError::fileNotCreated(f.path(name + " (3).md"), EFBIG));
    }
    QCOMPARE(store.notes().size() + f.files().size(), 6);

    // Without a usable folder: none at all, then a read-only one, which stays remembered.
    store.setFolderURL(QString());
    settle();
    QCOMPARE(store.createDatedNote().outcome, Outcome::NeedsFolder);
    store.setFolderURL(f.folder);
    settle();
    TestFiles::setReadOnly(f.folder, true);
    QCOMPARE(store.createDatedNote().outcome, Outcome::NeedsFolder);
    TestFiles::setReadOnly(f.folder, false);
    QCOMPARE(FolderAccess::restoreFolder(), f.folder);
    QCOMPARE(store.notes().size(), 3);
    QCOMPARE(f.files().filter("Daily").size(), 2);
}

void CreateDeleteTest::deleteTrashesTheExactFileWithItsLastText()
{
    StoreFixture f;
    f.write("Old.md", "Old", monday);
    f.write("Middle.md", "Middle", tuesday);
    f.write("New.md", "New", wednesday);
    NotesStore& store = f.start();
    store.setSelectedNote(f.note("Old.md"));
    // Typed on the first line just before the delete: the save renames the file first.
    f.type("Old.md", "Retitled\ntyped");
    const std::optional<QString> saved = store.saveBeforeDelete(f.path("Old.md"));
    QCOMPARE(saved, std::optional<QString>(f.path("Retitled.md")));
    QVERIFY(store.moveToTrash(*saved));
    // The last typing goes to the Trash with the file under its new name, and is not written
    // back after the pause.
    QTest::qWait(2 * store.saveDelay());
    settle();
    QCOMPARE(f.files(), QStringList({"Middle.md", "New.md"}));
    QCOMPARE(TestFiles::entries(trashFiles()), QStringList({"Retitled.md"}));
    QCOMPARE(TestFiles::read(trashFiles() + "/Retitled.md"), QByteArray("Retitled\ntyped"));
    QVERIFY(store.unsavedTexts().isEmpty());
    QCOMPARE(f.titles(), QStringList({"New", "Middle"}));
    // The newest remaining note is selected, not a neighbour.
    QCOMPARE(store.selectedNote()->title, QStringLiteral("New"));

    // The Trash refuses: nothing changes until the file is removed for good, which a read-only
    // folder refuses too.
    TestFiles::setReadOnly(trashFiles(), true);
    const QString newer = f.path("New.md");
    f.type("New.md", "New\ntyped");
    QCOMPARE(store.saveBeforeDelete(newer), std::optional<QString>(newer));
    QCOMPARE(f.read("New.md"), QByteArray("New\ntyped"));
    QVERIFY(!store.moveToTrash(newer));
    TestFiles::setReadOnly(f.folder, true);
    QCOMPARE(store.removePermanently(newer).value_or(FileError()),
             FileError::fileNotRemoved(newer, EACCES));
    TestFiles::setReadOnly(f.folder, false);
    QCOMPARE(f.titles(), QStringList({"New", "Middle"}));
    QCOMPARE(store.selectedNote()->title, QStringLiteral("New"));
    for (const QString name : {"New.md", "Middle.md"}) {
        QVERIFY(!store.moveToTrash(f.path(name)));
        QVERIFY(!store.removePermanently(f.path(name)));
    }
    QVERIFY(f.files().isEmpty() && store.notes().isEmpty() && !store.selectedNote());
    QCOMPARE(TestFiles::entries(trashFiles()), QStringList({"Retitled.md"}));

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
        const std::optional<QString> url = store.saveBeforeDelete(f.note(name).url);
        QVERIFY(url && store.moveToTrash(*url));
    }
    QCOMPARE(f.titles(), QStringList({"caf\uFFFD"}));
    QCOMPARE(f.read("caf\uFFFD.md"), QByteArray("valid"));
    QCOMPARE(TestFiles::read(trashFiles() + "/Latin.md"), QByteArray("Caf\xE9"));
    QCOMPARE(::access((QFile::encodeName(trashFiles()) + "/caf\xE9.md").constData(), F_OK), 0);
}

QUILLBOX_TEST_MAIN(CreateDeleteTest)
#include "tst_create_delete.moc"
