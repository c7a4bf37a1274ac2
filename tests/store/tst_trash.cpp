#include "store/freedesktop_trash.h"
#include "store_fixture.h"
#include "test_support.h"

#include <QDir>

#include <cerrno>
#include <unistd.h>

static QString trash()
{
    return qEnvironmentVariable("XDG_DATA_HOME") + "/Trash";
}

class TrashTest : public QObject
{
    Q_OBJECT

private slots:
    void movesIntoTheHomeTrashWithItsRecord();
    void refusals_data();
    void refusals();
    void otherMountsUseTheirOwnTrash_data();
    void otherMountsUseTheirOwnTrash();
    void undoPutsTheNoteBack_data();
    void undoPutsTheNoteBack();
    void undoEndsWithTheFolder();
};

void TrashTest::movesIntoTheHomeTrashWithItsRecord()
{
    TestHome home;
    // The data home does not exist yet: it is made, not the working folder used instead.
    const QString before = QDir::currentPath();
    QDir::setCurrent(home.makeFolder("work"));
    const QString folder = home.makeFolder("My Notes");
    // The longest name a note can have: ".trashinfo" would not fit after it.
    const QString longest = QString(252, u'n') + ".md";
    for (const QString& path : {folder + "/50% done.md", home.makeFolder("Other") + "/50% done.md",
                                folder + "/" + longest}) {
        TestFiles::write(path, path.toUtf8());
        QCOMPARE(FreedesktopTrash().moveToTrash(path).error, 0);
        QVERIFY(!QFile::exists(path));
    }
    QDir::setCurrent(before);
    QCOMPARE(TestFiles::entries(home.path() + "/work"), QStringList());

    const QStringList trashed = TestFiles::entries(trash() + "/files");
    QCOMPARE(trashed.mid(0, 2), QStringList({"50% done 2.md", "50% done.md"}));
    QCOMPARE(TestFiles::read(trash() + "/files/" + trashed[2]), (folder + "/" + longest).toUtf8());
    QVERIFY(trashed[2].endsWith(".md"));
    const QString info = trash() + "/info/";
    QVERIFY(TestFiles::read(info + trashed[2] + ".trashinfo").contains(longest.toUtf8() + "\n"));
    const QList<QByteArray> lines = TestFiles::read(info + "50% done.md.trashinfo").split('\n');
    QCOMPARE(
        lines.mid(0, 2),
        QByteArrayList({"[Trash Info]", "Path=" + QFile::encodeName(folder).replace(" ", "%20") +
                                            "/50%25%20done.md"}));
    const QDateTime deleted = QDateTime::fromString(QString::fromUtf8(lines.value(2)),
                                                    "'DeletionDate='yyyy-MM-dd'T'HH:mm:ss");
    QVERIFY(deleted.isValid() && qAbs(deleted.secsTo(QDateTime::currentDateTime())) < 60);
}

void TrashTest::refusals_data()
{
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<int>("error");
    row("files/ is a file", "Trash/files is a file", int(ENOTDIR));
    row("the trash is a file", "Trash is a file", int(ENOTDIR));
    row("info/ cannot take a file", "Trash/info is read-only", int(EACCES));
    row("note already gone", "Gone.md", int(ENOENT));
}

void TrashTest::refusals()
{
    QFETCH(QString, obstacle);
    QFETCH(int, error);
    TestHome home;
    const QString note = home.notesFolder() + "/Note.md";
    TestFiles::write(note, "keep me");
    QDir().mkpath(trash() + "/info");
    const QString at = qEnvironmentVariable("XDG_DATA_HOME") + "/" + obstacle.section(' ', 0, 0);
    if (obstacle.endsWith("a file")) {
        QDir(at).removeRecursively();
        TestFiles::write(at, "x");
    }
    if (obstacle.endsWith("read-only"))
        TestFiles::setReadOnly(at, true);
    QCOMPARE(FreedesktopTrash()
                 .moveToTrash(obstacle == "Gone.md" ? home.notesFolder() + "/Gone.md" : note)
                 .error,
             error);
    QCOMPARE(TestFiles::read(note), QByteArray("keep me"));
    QCOMPARE(TestFiles::entries(trash() + "/files"), QStringList());
}

void TrashTest::otherMountsUseTheirOwnTrash_data()
{
    QTest::addColumn<int>("sharedMode"); // of the mount's .Trash: -1 none, 0 a link to a sticky one
    QTest::addColumn<int>("userMode");   // of .Trash/$uid
    QTest::addColumn<bool>("usesShared");
    row("no shared trash", -1, 0, false);
    row("shared, sticky, ours private", 01777, 0700, true);
    row("shared, ours readable by others", 01777, 0755, false);
    row("shared, not sticky", 0777, 0700, false);
    row("shared is a link", 0, 0700, false);
}

void TrashTest::otherMountsUseTheirOwnTrash()
{
    QFETCH(int, sharedMode);
    QFETCH(int, userMode);
    QFETCH(bool, usesShared);
    TestHome home;
    // A folder of the test's home stands in for a second disk.
    const QString top = home.makeFolder("Disk"), shared = top + "/.Trash";
    const QString uid = QString::number(::getuid()), own = top + "/.Trash-" + uid;
    FreedesktopTrash trash([top](const QString& path, quint64 device) {
        return path == top || path.startsWith(top + '/') ? device + 1 : device;
    });
    const QString sticky = sharedMode ? shared : top + "/sticky";
    if (sharedMode >= 0) {
        QVERIFY(QDir().mkpath(sticky + "/" + uid) && (sharedMode || QFile::link(sticky, shared)));
        TestFiles::setMode(sticky, sharedMode ? sharedMode : 01777);
        TestFiles::setMode(sticky + "/" + uid, userMode);
    }
    const QString note = home.makeFolder("Disk/Notes") + "/Away.md";
    TestFiles::write(note, "away");
    const TrashService::Moved moved = trash.moveToTrash(note);
    QCOMPARE(moved.error, 0);
    const QString used = usesShared ? shared + "/" + uid : own;
    QCOMPARE(moved.entry.file, used + "/files/Away.md");
    QCOMPARE(TestFiles::read(used + "/files/Away.md"), QByteArray("away"));
    // Recorded relative to the top of its mount, and found there again.
    QVERIFY(TestFiles::read(used + "/info/Away.md.trashinfo").contains("\nPath=Notes/Away.md\n"));
    QCOMPARE(trash.originOf(moved.entry).path, note);
    QCOMPARE(trash.restore(moved.entry, note), 0);
    QCOMPARE(TestFiles::read(note), QByteArray("away"));
    QCOMPARE(TestFiles::entries(used + "/info"), QStringList());
}

void TrashTest::undoPutsTheNoteBack_data()
{
    QTest::addColumn<QString>("meanwhile");
    QTest::addColumn<QStringList>("files"); // in the notes folder afterwards
    QTest::addColumn<QString>("selected");
    row("its name is free", QString(), QStringList({"Older.md", "Plan.md"}), "Plan.md");
    row("its name is taken now", "taken", QStringList({"Older.md", "Plan (2).md", "Plan.md"}),
        "Plan (2).md");
    row("the Trash was emptied", "emptied", QStringList({"Older.md"}), "Older.md");
    // Its record says it came from elsewhere now: it still comes back where it was deleted.
    row("its record was changed", "moved", QStringList({"Older.md", "Plan.md"}), "Plan.md");
}

void TrashTest::undoPutsTheNoteBack()
{
    QFETCH(QString, meanwhile);
    QFETCH(QStringList, files);
    QFETCH(QString, selected);
    StoreFixture f;
    f.write("Older.md", "Older", Day::monday);
    f.write("Plan.md", "Plan\nmine", Day::tuesday);
    NotesStore& store = f.start();
    QVERIFY(store.moveToTrash(f.path("Plan.md")));
    QCOMPARE(store.trashedNote().value_or(Note()).title, QStringLiteral("Plan"));
    if (meanwhile == "taken")
        f.write("Plan.md", "theirs");
    if (meanwhile == "emptied")
        QVERIFY(QDir(trash()).removeRecursively());
    if (meanwhile == "moved") {
        const QString info = trash() + "/info/Plan.md.trashinfo";
        TestFiles::write(info, TestFiles::read(info).replace(QFile::encodeName(f.folder),
                                                             QFile::encodeName(f.home.path())));
    }

    const std::optional<FileError> error = store.undoDelete();
    QCOMPARE(error.has_value(), meanwhile == "emptied");
    if (error)
        QCOMPARE(*error, FileError::notInTrash(f.path("Plan.md")));
    QCOMPARE(f.files(), files);
    QCOMPARE(store.selectedNote().value_or(Note()).url, f.path(selected));
    QCOMPARE(f.note(selected).url, f.path(selected));
    QVERIFY(!store.trashedNote());
    if (meanwhile == "taken")
        QCOMPARE(f.read("Plan.md"), QByteArray("theirs"));
    if (meanwhile != "emptied") {
        QCOMPARE(f.read(selected), QByteArray("Plan\nmine"));
        QCOMPARE(TestFiles::entries(trash() + "/info"), QStringList());
    }
}

// Undo after choosing another folder would bring a note back where the window does not look.
void TrashTest::undoEndsWithTheFolder()
{
    StoreFixture f;
    f.write("Plan.md", "Plan");
    NotesStore& store = f.start();
    QVERIFY(store.moveToTrash(f.path("Plan.md")));
    store.setFolderURL(f.home.makeFolder("Other"));
    settle();
    QVERIFY(!store.trashedNote());
    QVERIFY(!store.undoDelete() && f.files().isEmpty() && store.notes().isEmpty());
}

QUILLBOX_TEST_MAIN(TrashTest)
#include "tst_trash.moc"
