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
    void refusals_data();
    void refusals();
    void otherMountsUseTheirOwnTrash_data();
    void otherMountsUseTheirOwnTrash();
};

void TrashTest::movesIntoTheHomeTrashWithItsRecord()
{
    TestHome home;
    // The data home does not exist yet: it is made, not the working folder used instead.
    QVERIFY(!QFile::exists(dataHome()));
    const QString work = home.makeFolder("work");
    const QString before = QDir::currentPath();
    QDir::setCurrent(work);
    const QString folder = home.makeFolder("My Notes");
    const QString other = home.makeFolder("Other");
    // The longest name a note can have: ".trashinfo" would not fit after it.
    const QString longest = QString(252, u'n') + ".md";
    for (const QString& path :
         {folder + "/50% done.md", other + "/50% done.md", folder + "/" + longest}) {
        TestFiles::write(path, path.toUtf8());
        QCOMPARE(FreedesktopTrash().moveToTrash(path), 0);
        QVERIFY(!QFile::exists(path));
    }
    QDir::setCurrent(before);
    QCOMPARE(TestFiles::entries(work), QStringList());

    const QString files = dataHome() + "/Trash/files/";
    const QStringList trashed = TestFiles::entries(files);
    QCOMPARE(trashed.mid(0, 2), QStringList({"50% done 2.md", "50% done.md"}));
    QCOMPARE(TestFiles::read(files + "50% done 2.md"), (other + "/50% done.md").toUtf8());
    QCOMPARE(TestFiles::read(files + trashed[2]), (folder + "/" + longest).toUtf8());
    QVERIFY(trashed[2].endsWith(".md"));
    const QString info = dataHome() + "/Trash/info/";
    QCOMPARE(TestFiles::entries(info),
             QStringList(
                 {"50% done 2.md.trashinfo", "50% done.md.trashinfo", trashed[2] + ".trashinfo"}));
    QVERIFY(TestFiles::read(info + trashed[2] + ".trashinfo").contains(longest.toUtf8() + "\n"));

    const QList<QByteArray> lines = TestFiles::read(info + "50% done.md.trashinfo").split('\n');
    QCOMPARE(lines.value(0), QByteArray("[Trash Info]"));
    QCOMPARE(lines.value(1),
             "Path=" + QFile::encodeName(folder).replace(" ", "%20") + "/50%25%20done.md");
    QVERIFY(lines.value(2).startsWith("DeletionDate="));
    const QDateTime deleted =
        QDateTime::fromString(QString::fromUtf8(lines.value(2).mid(13)), Qt::ISODate);
    QVERIFY(qAbs(deleted.secsTo(QDateTime::currentDateTime())) < 60);
}

void TrashTest::refusals_data()
{
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<int>("error");
    row("a file where files/ should be", "files-is-file", int(ENOTDIR));
    row("a file where the trash should be", "trash-is-file", int(ENOTDIR));
    row("info/ cannot take a file", "info-read-only", int(EACCES));
    row("note already gone", "gone", int(ENOENT));
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

    QCOMPARE(FreedesktopTrash().moveToTrash(note), error);
    if (obstacle != "gone")
        QCOMPARE(TestFiles::read(note), QByteArray("keep me"));
    if (obstacle == "info-read-only")
        QCOMPARE(TestFiles::entries(trashed + "/files"), QStringList());
}

void TrashTest::otherMountsUseTheirOwnTrash_data()
{
    QTest::addColumn<QString>("shared");
    QTest::addColumn<bool>("usesShared");
    row("no shared trash", "", false);
    row("shared, sticky, ours with 0700", "sticky", true);
    row("shared, but ours readable by others", "sticky, 0755", false);
    row("shared, not sticky", "plain", false);
    row("shared is a link", "link", false);
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
        TestFiles::setMode(folder.path() + "/sticky", 01777);
        QVERIFY(QFile::link(folder.path() + "/sticky", sharedTrash));
    } else if (!shared.isEmpty()) {
        QVERIFY(QDir().mkdir(sharedTrash));
        TestFiles::setMode(sharedTrash, shared == "plain" ? 0777 : 01777);
        QVERIFY(QDir().mkdir(sharedTrash + "/" + uid));
        TestFiles::setMode(sharedTrash + "/" + uid, shared.endsWith("0755") ? 0755 : 0700);
    }

    const int result = FreedesktopTrash().moveToTrash(note);
    const QString used = usesShared ? sharedTrash + "/" + uid : ownTrash;
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
    const QByteArray name = QFile::encodeName(Naming::fileName(folder.path()));
    QVERIFY2(info.contains("\nPath=" + name + "/Away.md\n"), info);
    QVERIFY(!QFile::exists(dataHome() + "/Trash/files/Away.md"));
}

QUILLBOX_TEST_MAIN(TrashTest)
#include "tst_trash.moc"
