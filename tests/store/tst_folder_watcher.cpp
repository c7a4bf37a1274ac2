#include "store/folder_watcher.h"
#include "test_support.h"

#include <QDir>
#include <QProcess>
#include <QSignalSpy>

#include <cerrno>
#include <cstring>

namespace {

// Another program changes the folder: a shell, so no event comes from this process.
void inFolder(const QString& folder, const QString& script)
{
    QCOMPARE(
        QProcess::execute(QStringLiteral("sh"),
                          {QStringLiteral("-ec"), QStringLiteral("cd \"$0\"; ") + script, folder}),
        0);
}

QByteArrayList names(const QSignalSpy& spy, qsizetype report)
{
    return spy.at(report).first().value<QByteArrayList>();
}

// A watch on a fresh notes folder holding a.md and b.md.
struct Watched
{
    explicit Watched(int quietMs)
    {
        TestFiles::write(folder + "/a.md", "a");
        TestFiles::write(folder + "/b.md", "b");
        if (quietMs)
            watcher.setQuietInterval(quietMs);
        QVERIFY2(watcher.watch(folder), strerror(watcher.error()));
    }
    TestHome home;
    QString folder = home.notesFolder();
    FolderWatcher watcher;
    QSignalSpy changed{&watcher, &FolderWatcher::notesChanged};
};

} // namespace

class FolderWatcherTest : public QObject
{
    Q_OBJECT

private slots:
    void reportsNoteFilesOthersTouched_data();
    void reportsNoteFilesOthersTouched();
    void burstsAreOneReportAndABusyFolderIsStillReported();
    void aFileStillBeingWrittenIsReportedWhenDone();
    void aWatchInTroubleSaysSo();
};

void FolderWatcherTest::reportsNoteFilesOthersTouched_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QByteArrayList>("names");
    // Rows also touch files that are no notes, which must not show up.
    row("created", "printf new > New.md; printf x > notes.txt; mkdir Dir.md",
        QByteArrayList{"New.md"});
    row("changed", "printf more >> a.md; printf x > .hidden.md", QByteArrayList{"a.md"});
    row("deleted", "rm a.md; printf x > a.md.tmp; rm a.md.tmp", QByteArrayList{"a.md"});
    row("renamed", "mv a.md Renamed.MD", QByteArrayList{"Renamed.MD", "a.md"});
    row("new version renamed into place",
        "printf v2 > .syncthing.a.md.tmp; mv .syncthing.a.md.tmp a.md", QByteArrayList{"a.md"});
    row("permissions", "chmod 600 b.md", QByteArrayList{"b.md"});
    row("name not UTF-8", "printf x > \"$(printf 'caf\\351.md')\"", QByteArrayList{"caf\xe9.md"});
}

void FolderWatcherTest::reportsNoteFilesOthersTouched()
{
    QFETCH(QString, script);
    QFETCH(QByteArrayList, names);
    Watched w(50);
    inFolder(w.folder, script);
    QVERIFY(w.changed.wait());
    QCOMPARE(w.changed.count(), 1);
    QCOMPARE(::names(w.changed, 0), names);
    inFolder(w.folder, "rm -rf -- *"); // QDir cannot remove a name it cannot decode
}

void FolderWatcherTest::burstsAreOneReportAndABusyFolderIsStillReported()
{
    Watched w(0); // the default quiet interval
    inFolder(w.folder, "i=0; while [ $i -lt 1000 ]; do i=$((i+1)); printf $i > n$i.md; done");
    QVERIFY(w.changed.wait());
    QCOMPARE(names(w.changed, 0).size(), 1000);
    // One more change after the quiet interval is a report of its own, of that file alone.
    inFolder(w.folder, "printf again > n7.md");
    QVERIFY(w.changed.wait());
    QCOMPARE(w.changed.count(), 2);
    QCOMPARE(names(w.changed, 1), QByteArrayList{"n7.md"});

    // A sync tool writing a file every 50 ms for seconds: the folder never goes quiet.
    QProcess writer;
    writer.setWorkingDirectory(w.folder);
    writer.start("sh", {"-c", "for i in $(seq 100); do printf $i > busy.md; sleep 0.05; done"});
    QVERIFY(writer.waitForStarted() && w.changed.wait(2000));
    QCOMPARE(writer.state(), QProcess::Running);
    QCOMPARE(names(w.changed, 2), QByteArrayList{"busy.md"});
    writer.kill();
    writer.waitForFinished();
}

void FolderWatcherTest::aFileStillBeingWrittenIsReportedWhenDone()
{
    Watched w(20);
    w.watcher.setWritingQuietInterval(300);
    QFile writer(w.folder + "/a.md");
    for (int round = 0; round < 2; ++round) {
        QVERIFY(writer.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QVERIFY(writer.write("half") > 0 && writer.flush());
        QVERIFY(w.watcher.isBeingWritten("a.md") && !w.watcher.isBeingWritten("b.md"));
        QTest::qWait(150); // many times the quiet interval
        QVERIFY(w.changed.isEmpty());
        // Closed, or quiet for the longer interval without a close (a writer that crashed
        // keeps the file open no longer than it lives, but one may hang).
        if (round == 0)
            writer.close();
        QVERIFY(w.changed.wait());
        QCOMPARE(names(w.changed, 0), QByteArrayList{"a.md"});
        QVERIFY(!w.watcher.isBeingWritten("a.md"));
        w.changed.clear();
    }
}

void FolderWatcherTest::aWatchInTroubleSaysSo()
{
    Watched w(50);
    FolderWatcher starved;
    {
        // No descriptor left to open, as when the per-user inotify limits are reached.
        const ResourceLimit none(RLIMIT_NOFILE, 0);
        QVERIFY(!starved.watch(w.folder));
    }
    QCOMPARE(starved.error(), EMFILE);
    // The folder renamed, then deleted: each reported once; a new folder can be watched again.
    QSignalSpy lost(&w.watcher, &FolderWatcher::folderLost);
    for (const char* script : {"mv Notes Moved; printf x > Moved/late.md", "rm -r Notes"}) {
        inFolder(w.home.path(), script);
        QVERIFY(lost.wait());
        QCoreApplication::processEvents();
        QVERIFY(w.changed.isEmpty() && !w.watcher.isWatching());
        QVERIFY(!w.watcher.watch(w.folder) && w.watcher.error() == ENOENT);
        QDir().mkpath(w.folder);
        QVERIFY(w.watcher.watch(w.folder));
    }
    QCOMPARE(lost.count(), 2);
    // Events the kernel dropped ask for a rescan; alternating names keep them from merging.
    QFile limit("/proc/sys/fs/inotify/max_queued_events");
    const int queued = limit.open(QIODevice::ReadOnly) ? limit.readAll().trimmed().toInt() : 0;
    if (queued > 200000)
        QSKIP("The inotify queue is too long to overflow quickly here.");
    QSignalSpy rescan(&w.watcher, &FolderWatcher::rescanNeeded);
    inFolder(w.folder, QStringLiteral("yes 'a.md b.md' | head -n %1 | xargs touch").arg(queued));
    QVERIFY(rescan.wait());
    QCOMPARE(rescan.count(), 1);
    QVERIFY(w.changed.isEmpty() && w.watcher.isWatching());
}

QUILLBOX_TEST_MAIN(FolderWatcherTest)
#include "tst_folder_watcher.moc"
