#include "store/folder_watcher.h"
#include "test_support.h"

#include <QDir>
#include <QProcess>
#include <QSignalSpy>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// Another program changes the folder: a shell, so no event comes from this process.
void inFolder(const QString& folder, const QString& script)
{
    QCOMPARE(
        QProcess::execute(QStringLiteral("sh"),
                          {QStringLiteral("-ec"), QStringLiteral("cd \"$0\"; ") + script, folder}),
        0);
}

} // namespace

class FolderWatcherTest : public QObject
{
    Q_OBJECT

private slots:
    void reportsNoteFilesOthersTouched_data();
    void reportsNoteFilesOthersTouched();
    void aBurstIsOneReport();
    void aFolderThatNeverGoesQuietIsStillReported();
    void aDroppedQueueAsksForARescan();
    void aLostFolderIsReportedOnce_data();
    void aLostFolderIsReportedOnce();
    void aWatchThatCannotStartSaysWhy();
};

void FolderWatcherTest::reportsNoteFilesOthersTouched_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QByteArrayList>("names");

    // Every row starts from "Old.md" and "Other.md"; rows also touch files that are no notes,
    // which must not show up.
    row("created", "printf new > New.md; printf x > notes.txt; mkdir Dir.md",
        QByteArrayList{"New.md"});
    row("changed", "printf more >> Old.md; printf x > .hidden.md", QByteArrayList{"Old.md"});
    row("deleted", "rm Old.md; printf x > Old.md.tmp; rm Old.md.tmp", QByteArrayList{"Old.md"});
    row("renamed", "mv Old.md Renamed.MD", QByteArrayList{"Old.md", "Renamed.MD"});
    row("new version renamed into place",
        "printf v2 > .syncthing.Old.md.tmp; mv .syncthing.Old.md.tmp Old.md",
        QByteArrayList{"Old.md"});
    row("permissions", "chmod 600 Other.md", QByteArrayList{"Other.md"});
    row("name not UTF-8", "printf x > \"$(printf 'caf\\351.md')\"", QByteArrayList{"caf\xe9.md"});
}

void FolderWatcherTest::reportsNoteFilesOthersTouched()
{
    QFETCH(QString, script);
    QFETCH(QByteArrayList, names);
    TestHome home;
    const QString folder = home.notesFolder();
    TestFiles::write(folder + "/Old.md", "old");
    TestFiles::write(folder + "/Other.md", "other");
    FolderWatcher watcher;
    watcher.setQuietInterval(50);
    QVERIFY2(watcher.watch(folder), qPrintable(watcher.errorString()));
    QSignalSpy changed(&watcher, &FolderWatcher::notesChanged);

    inFolder(folder, script);
    QVERIFY(changed.wait());
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.first().first().value<QByteArrayList>(), names);
    inFolder(folder, "rm -rf -- *"); // QDir cannot remove a name it cannot decode
}

void FolderWatcherTest::aBurstIsOneReport()
{
    TestHome home;
    const QString folder = home.notesFolder();
    FolderWatcher watcher;
    QCOMPARE(watcher.quietInterval(), 200);
    QVERIFY(watcher.watch(folder));
    QSignalSpy changed(&watcher, &FolderWatcher::notesChanged);

    inFolder(folder, "i=0; while [ $i -lt 1000 ]; do i=$((i+1)); printf $i > n$i.md; done");
    QVERIFY(changed.wait());
    const auto names = changed.first().first().value<QByteArrayList>();
    QCOMPARE(names.size(), 1000);
    QVERIFY(names.contains("n1.md") && names.contains("n1000.md"));
    // One more change after the quiet interval is a report of its own, of that file alone.
    inFolder(folder, "printf again > n7.md");
    QVERIFY(changed.wait());
    QCOMPARE(changed.count(), 2);
    QCOMPARE(changed.last().first().value<QByteArrayList>(), QByteArrayList{"n7.md"});
}

void FolderWatcherTest::aFolderThatNeverGoesQuietIsStillReported()
{
    TestHome home;
    const QString folder = home.notesFolder();
    FolderWatcher watcher;
    watcher.setQuietInterval(100);
    QVERIFY(watcher.watch(folder));
    QSignalSpy changed(&watcher, &FolderWatcher::notesChanged);

    // A sync tool writing a file every 50 ms for several seconds.
    QProcess writer;
    writer.setWorkingDirectory(folder);
    writer.start(QStringLiteral("sh"),
                 {QStringLiteral("-c"),
                  QStringLiteral("i=0; while [ $i -lt 100 ]; do i=$((i+1)); printf $i > busy.md; "
                                 "sleep 0.05; done")});
    QVERIFY(writer.waitForStarted());
    QVERIFY(changed.wait(2000));
    QCOMPARE(writer.state(), QProcess::Running);
    QCOMPARE(changed.first().first().value<QByteArrayList>(), QByteArrayList{"busy.md"});
    writer.kill();
    writer.waitForFinished();
}

void FolderWatcherTest::aDroppedQueueAsksForARescan()
{
    TestHome home;
    const QString folder = home.notesFolder();
    QFile limit(QStringLiteral("/proc/sys/fs/inotify/max_queued_events"));
    QVERIFY(limit.open(QIODevice::ReadOnly));
    const int queued = limit.readAll().trimmed().toInt();
    if (queued > 200000)
        QSKIP("The inotify queue is too long to overflow quickly here.");
    TestFiles::write(folder + "/a.md", "a");
    TestFiles::write(folder + "/b.md", "b");
    FolderWatcher watcher;
    watcher.setQuietInterval(50);
    QVERIFY(watcher.watch(folder));
    QSignalSpy changed(&watcher, &FolderWatcher::notesChanged);
    QSignalSpy rescan(&watcher, &FolderWatcher::rescanNeeded);

    // Alternating names keep the kernel from merging the events into one.
    inFolder(folder, QStringLiteral("yes 'a.md b.md' | head -n %1 | xargs touch").arg(queued));
    QVERIFY(rescan.wait());
    QCOMPARE(rescan.count(), 1);
    QCOMPARE(changed.count(), 0);
    QVERIFY(watcher.isWatching());
}

void FolderWatcherTest::aLostFolderIsReportedOnce_data()
{
    QTest::addColumn<QString>("script");
    row("deleted", "rm -r Notes");
    row("renamed", "mv Notes Moved; printf x > Moved/late.md");
}

void FolderWatcherTest::aLostFolderIsReportedOnce()
{
    QFETCH(QString, script);
    TestHome home;
    const QString folder = home.notesFolder();
    TestFiles::write(folder + "/a.md", "a");
    FolderWatcher watcher;
    watcher.setQuietInterval(50);
    QVERIFY(watcher.watch(folder));
    QSignalSpy lost(&watcher, &FolderWatcher::folderLost);
    QSignalSpy changed(&watcher, &FolderWatcher::notesChanged);

    inFolder(home.path(), script);
    QVERIFY(lost.wait());
    QVERIFY(!watcher.isWatching());
    QCoreApplication::processEvents();
    QCOMPARE(lost.count(), 1);
    QCOMPARE(changed.count(), 0);
    // Watching again is possible once a folder is there.
    QVERIFY(!watcher.watch(folder));
    QVERIFY(!watcher.errorString().isEmpty());
    QDir().mkpath(folder);
    QVERIFY(watcher.watch(folder));
}

void FolderWatcherTest::aWatchThatCannotStartSaysWhy()
{
    TestHome home;
    const QString folder = home.notesFolder();
    FolderWatcher watcher;
    // Every descriptor this process may open is taken, as when the inotify limits are reached.
    rlimit saved{};
    QCOMPARE(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit low = saved;
    low.rlim_cur = 256;
    QCOMPARE(::setrlimit(RLIMIT_NOFILE, &low), 0);
    QList<int> taken;
    for (int fd; (fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;)
        taken.append(fd);
    const bool watching = watcher.watch(folder);
    const QString why = watcher.errorString();
    for (const int fd : taken)
        ::close(fd);
    QCOMPARE(::setrlimit(RLIMIT_NOFILE, &saved), 0);
    QVERIFY(!watching);
    QVERIFY(!watcher.isWatching());
    QVERIFY2(why.contains("inotify"), qPrintable(why));
    QVERIFY(watcher.watch(folder));
}

QUILLBOX_TEST_MAIN(FolderWatcherTest)
#include "tst_folder_watcher.moc"
