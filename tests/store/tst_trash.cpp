#include "store/freedesktop_trash.h"
#include "store/naming.h"
#include "test_support.h"

#include <QDir>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString dataHome()
{
    return qEnvironmentVariable("XDG_DATA_HOME");
}

dev_t deviceOf(const QString& path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_dev : dev_t(0);
}

} // namespace

class TrashTest : public QObject
{
    Q_OBJECT

private slots:
    void movesIntoTheHomeTrashWithItsRecord();
    void keepsBothOfTwoSameNames();
    void makesTheDataFolderRatherThanUseTheWorkingFolder();
    void refusals_data();
    void refusals();
    void longNamesFitTheTrash();
    void otherMountsUseTheirOwnTrash_data();
    void otherMountsUseTheirOwnTrash();
};

void TrashTest::movesIntoTheHomeTrashWithItsRecord()
{
    TestHome home;
    const QString folder = home.makeFolder("My Notes");
    const QString note = folder + "/50% done.md";
    TestFiles::write(note, "text");
    FreedesktopTrash trash;
    QCOMPARE(trash.moveToTrash(note), 0);

    QVERIFY(!QFile::exists(note));
    const QString trashed = dataHome() + "/Trash";
    QCOMPARE(TestFiles::read(trashed + "/files/50% done.md"), QByteArray("text"));
    const QByteArray info = TestFiles::read(trashed + "/info/50% done.md.trashinfo");
    const QList<QByteArray> lines = info.split('\n');
    QCOMPARE(lines.value(0), QByteArray("[Trash Info]"));
    QCOMPARE(lines.value(1),
             "Path=" + QFile::encodeName(folder).replace(" ", "%20") + "/50%25%20done.md");
    const QDateTime deleted =
        QDateTime::fromString(QString::fromUtf8(lines.value(2).mid(13)), Qt::ISODate);
    QVERIFY(lines.value(2).startsWith("DeletionDate="));
    QVERIFY(qAbs(deleted.secsTo(QDateTime::currentDateTime())) < 60);
}

void TrashTest::keepsBothOfTwoSameNames()
{
    TestHome home;
    const QString a = home.makeFolder("a") + "/Plan.md";
    const QString b = home.makeFolder("b") + "/Plan.md";
    TestFiles::write(a, "first");
    TestFiles::write(b, "second");
    FreedesktopTrash trash;
    QCOMPARE(trash.moveToTrash(a), 0);
    QCOMPARE(trash.moveToTrash(b), 0);
    const QString files = dataHome() + "/Trash/files";
    QCOMPARE(TestFiles::entries(files), QStringList({"Plan 2.md", "Plan.md"}));
    QCOMPARE(TestFiles::read(files + "/Plan 2.md"), QByteArray("second"));
    QCOMPARE(TestFiles::entries(dataHome() + "/Trash/info"),
             QStringList({"Plan 2.md.trashinfo", "Plan.md.trashinfo"}));
}

void TrashTest::makesTheDataFolderRatherThanUseTheWorkingFolder()
{
    TestHome home;
    QVERIFY(!QFile::exists(dataHome()));
    const QString work = home.makeFolder("work");
    const QString before = QDir::currentPath();
    QDir::setCurrent(work);
    TestFiles::write(home.path() + "/Note.md", "x");
    FreedesktopTrash trash;
    const int result = trash.moveToTrash(home.path() + "/Note.md");
    QDir::setCurrent(before);

    QCOMPARE(result, 0);
    QCOMPARE(TestFiles::entries(work), QStringList());
    QCOMPARE(TestFiles::entries(dataHome() + "/Trash/files"), QStringList({"Note.md"}));
}

void TrashTest::refusals_data()
{
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<int>("error");
    QTest::newRow("a file where files/ should be") << "files-is-file" << int(ENOTDIR);
    QTest::newRow("a file where the trash should be") << "trash-is-file" << int(ENOTDIR);
    QTest::newRow("info/ cannot take a file") << "info-read-only" << int(EACCES);
    QTest::newRow("note already gone") << "gone" << int(ENOENT);
}

void TrashTest::refusals()
{
    QFETCH(QString, obstacle);
    QFETCH(int, error);
    TestHome home;
    const QString note = home.makeFolder("Notes") + "/Note.md";
    TestFiles::write(note, "keep me");
    const QString trashed = dataHome() + "/Trash";
    QDir().mkpath(trashed + "/info");
    if (obstacle == "files-is-file")
        TestFiles::write(trashed + "/files", "x");
    if (obstacle == "trash-is-file") {
        QDir(trashed).removeRecursively();
        TestFiles::write(trashed, "x");
    }
    if (obstacle == "info-read-only") {
        QDir().mkpath(trashed + "/files");
        TestFiles::setReadOnly(trashed + "/info", true);
    }
    if (obstacle == "gone")
        QFile::remove(note);

    FreedesktopTrash trash;
    QCOMPARE(trash.moveToTrash(note), error);
    if (obstacle != "gone")
        QCOMPARE(TestFiles::read(note), QByteArray("keep me"));
    if (obstacle == "info-read-only")
        QCOMPARE(TestFiles::entries(trashed + "/files"), QStringList());
}

void TrashTest::longNamesFitTheTrash()
{
    TestHome home;
    // The longest name a note can have: ".trashinfo" would not fit after it.
    const QString note = home.makeFolder("Notes") + "/" + QString(252, u'n') + ".md";
    TestFiles::write(note, "long");
    FreedesktopTrash trash;
    QCOMPARE(trash.moveToTrash(note), 0);
    const QStringList files = TestFiles::entries(dataHome() + "/Trash/files");
    QCOMPARE(files.size(), 1);
    QVERIFY(files[0].endsWith(".md"));
    QCOMPARE(TestFiles::read(dataHome() + "/Trash/files/" + files[0]), QByteArray("long"));
    QCOMPARE(TestFiles::entries(dataHome() + "/Trash/info"),
             QStringList({files[0] + ".trashinfo"}));
    QVERIFY(TestFiles::read(dataHome() + "/Trash/info/" + files[0] + ".trashinfo")
                .contains(QString(252, u'n').toUtf8() + ".md\n"));
}

void TrashTest::otherMountsUseTheirOwnTrash_data()
{
    QTest::addColumn<QString>("shared");
    QTest::addColumn<bool>("usesShared");
    QTest::newRow("no shared trash") << "" << false;
    QTest::newRow("shared, sticky, ours with 0700") << "sticky" << true;
    QTest::newRow("shared, but ours readable by others") << "sticky, 0755" << false;
    QTest::newRow("shared, not sticky") << "plain" << false;
    QTest::newRow("shared is a link") << "link" << false;
}

void TrashTest::otherMountsUseTheirOwnTrash()
{
    QFETCH(QString, shared);
    QFETCH(bool, usesShared);
    TestHome home;
    const QString mount = QStringLiteral("/dev/shm");
    QDir().mkpath(dataHome());
    if (!QFileInfo(mount).isDir() || !QFileInfo(mount).isWritable() ||
        deviceOf(mount) == deviceOf(dataHome()) || QFileInfo::exists(mount + "/.Trash"))
        QSKIP("no second writable mount of our own to move a note from");
    QTemporaryDir folder(mount + "/quillbox-test-XXXXXX");
    const QString note = folder.path() + "/Away.md";
    TestFiles::write(note, "away");
    const QString uid = QString::number(::getuid());
    const QString sharedTrash = mount + "/.Trash";
    const QString ownTrash = mount + "/.Trash-" + uid;
    const bool existed = QFileInfo::exists(ownTrash);
    if (shared == "link") {
        QVERIFY(QDir().mkdir(folder.path() + "/sticky"));
        ::chmod(QFile::encodeName(folder.path() + "/sticky"), 01777);
        QVERIFY(QFile::link(folder.path() + "/sticky", sharedTrash));
    } else if (!shared.isEmpty()) {
        QVERIFY(QDir().mkdir(sharedTrash));
        ::chmod(QFile::encodeName(sharedTrash), shared == "plain" ? 0777 : 01777);
        QVERIFY(QDir().mkdir(sharedTrash + "/" + uid));
        ::chmod(QFile::encodeName(sharedTrash + "/" + uid), shared.endsWith("0755") ? 0755 : 0700);
    }

    FreedesktopTrash trash;
    const int result = trash.moveToTrash(note);
    const QString used = usesShared ? sharedTrash + "/" + uid : ownTrash;
    const QString name = Naming::fileName(folder.path());
    const QByteArray info = TestFiles::read(used + "/info/Away.md.trashinfo");
    const QByteArray moved = TestFiles::read(used + "/files/Away.md");
    QFile::remove(sharedTrash);
    QDir(sharedTrash).removeRecursively();
    QFile::remove(ownTrash + "/info/Away.md.trashinfo");
    QFile::remove(ownTrash + "/files/Away.md");
    if (!existed)
        QDir(ownTrash).removeRecursively();

    QCOMPARE(result, 0);
    QCOMPARE(moved, QByteArray("away"));
    // Recorded relative to the top of its mount.
    QVERIFY2(info.contains("\nPath=" + QFile::encodeName(name) + "/Away.md\n"), info);
    QVERIFY(!QFile::exists(dataHome() + "/Trash/files/Away.md"));
}

QUILLBOX_TEST_MAIN(TrashTest)
#include "tst_trash.moc"
