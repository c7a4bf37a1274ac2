#include "store/history_store.h"
#include "test_support.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QTest>
#include <QThread>

#include <csignal>
#include <sqlite3.h>
#include <sys/stat.h>

using Kind = HistoryStore::Kind;

class HistoryTest : public QObject
{
    Q_OBJECT

private slots:
    void whatIsKept_data();
    void whatIsKept();
    void historyFollowsRenamesAndOutlivesItsName();
    void privateDurableAndStoredOnce();
    void pruneKeepsRecentEveryDayOldNone_data();
    void pruneKeepsRecentEveryDayOldNone();
    void pruneDropsTheOldestUntilTheTextsFit();
    void keptOncePerKey();
    void aDamagedDatabaseIsMovedAside_data();
    void aDamagedDatabaseIsMovedAside();
    void aFullDiskRefusesOneVersionNotTheNext();
    void killedAtAnyMomentTheHistoryStaysReadable();
};

namespace {

const QDateTime start(QDate(2026, 3, 2), QTime(9, 0));
const QString note = QStringLiteral("/Notes/Plan.md");

QString mode(const QString& path)
{
    struct stat info
    {};
    ::stat(QFile::encodeName(path).constData(), &info);
    return QString::number(info.st_mode & 0777, 8);
}

QString noise(int length)
{
    QString text;
    for (int i = 0; i < length; ++i)
        text += QChar(u'a' + QRandomGenerator::global()->bounded(26));
    return text;
}

// Every version's text, each note's newest first, the notes in path order.
QStringList keptTexts(const HistoryStore& history, const QStringList& notes)
{
    QStringList texts;
    for (const QString& path : notes) {
        for (const HistoryStore::Version& version : history.versions(path))
            texts.append(history.text(version.id).value_or("?"));
    }
    return texts;
}

QString integrity(const QString& path)
{
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    sqlite3_stmt* check = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &check, nullptr);
    QString said;
    while (sqlite3_step(check) == SQLITE_ROW)
        said += QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(check, 0)));
    sqlite3_finalize(check);
    sqlite3_close(db);
    return said;
}

} // namespace

// Events, each "<kind><seconds> <text>" with S a save, M the file before a merge, D before a
// delete; the versions kept, newest first.
void HistoryTest::whatIsKept_data()
{
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<QStringList>("kept");
    QTest::newRow("typing on: saves within two minutes are one version")
        << QStringList{"S0 a", "S60 ab", "S110 abc"} << QStringList{"abc"};
    QTest::newRow("two minutes after the version began, a new one")
        << QStringList{"S0 a", "S60 ab", "S130 abc"} << QStringList{"abc", "ab"};
    QTest::newRow("the same text is not kept twice")
        << QStringList{"S0 a", "M10 a", "S400 a"} << QStringList{"a"};
    QTest::newRow("other kinds are never joined, and end the typing")
        << QStringList{"S0 a", "M30 theirs", "S60 both", "D70 gone", "S80 back"}
        << QStringList{"back", "gone", "both", "theirs", "a"};
}

void HistoryTest::whatIsKept()
{
    QFETCH(QStringList, events);
    QFETCH(QStringList, kept);
    TestHome home;
    HistoryStore history(HistoryStore::pathFor(home.notesFolder()));
    QVERIFY2(history.isOpen(), qPrintable(history.error()));
    for (const QString& event : events) {
        const Kind kind = event[0] == 'S'   ? Kind::Saved
                          : event[0] == 'M' ? Kind::BeforeMerge
                                            : Kind::BeforeDelete;
        const int seconds = event.section(' ', 0, 0).mid(1).toInt();
        QVERIFY(history.keep(note, event.section(' ', 1), kind, start.addSecs(seconds)));
    }
    QStringList texts;
    for (const HistoryStore::Version& version : history.versions(note))
        texts.append(history.text(version.id).value_or("?"));
    QCOMPARE(texts, kept);
}

void HistoryTest::historyFollowsRenamesAndOutlivesItsName()
{
    TestHome home;
    HistoryStore history(HistoryStore::pathFor(home.notesFolder()));
    const QString renamed = QStringLiteral("/Notes/Plan for Monday.md");
    QVERIFY(history.keep(renamed, "an older note of that name", Kind::BeforeDelete, start));
    QVERIFY(history.keep(note, "Plan", Kind::Saved, start));
    QVERIFY(history.follow(note, renamed));
    QVERIFY(history.keep(renamed, "Plan for Monday", Kind::Saved, start.addSecs(600)));
    QCOMPARE(history.versions(note).size(), 0);
    const QList<HistoryStore::Version> versions = history.versions(renamed);
    QCOMPARE(versions.size(), 2);
    QCOMPARE(history.text(versions[1].id), QStringLiteral("Plan"));
    QCOMPARE(versions[0].size, qint64(QByteArray("Plan for Monday").size()));
}

// The texts are the user's notes: private to the user, there after the process ends, and a
// text many versions share is stored once.
void HistoryTest::privateDurableAndStoredOnce()
{
    TestHome home;
    const QString path = HistoryStore::pathFor(home.notesFolder());
    QVERIFY(path.startsWith(home.path() + "/.local/state/quillbox/history/"));
    QVERIFY(!path.startsWith(home.notesFolder()));
    QString noise;
    for (int i = 0; i < 100 * 1024; ++i)
        noise += QChar(u'a' + QRandomGenerator::global()->bounded(26));
    {
        HistoryStore history(path);
        for (int i = 0; i < 20; ++i)
            QVERIFY(history.keep(QStringLiteral("/Notes/Copy %1.md").arg(i), noise, Kind::Saved,
                                 start));
    }
    QCOMPARE(mode(QFileInfo(path).absolutePath()), "700");
    QCOMPARE(mode(path), "600");
    const qint64 stored = QFileInfo(path).size() + QFileInfo(path + "-wal").size();
    QVERIFY2(stored < 4 * 100 * 1024, qPrintable(QString::number(stored)));
    HistoryStore reopened(path);
    QCOMPARE(reopened.versions("/Notes/Copy 7.md").size(), 1);
    QCOMPARE(reopened.text(reopened.versions("/Notes/Copy 7.md")[0].id), noise);
    // A folder that was there before is not made private: it may be anyone's.
    TestFiles::setMode(home.path(), 0755);
    QVERIFY(HistoryStore(home.path() + "/elsewhere/history.sqlite").isOpen());
    QCOMPARE(mode(home.path()), "755");
}

// Versions "<note> <days ago> <hour>", their text the same words; which of them a prune at
// noon keeps.
void HistoryTest::pruneKeepsRecentEveryDayOldNone_data()
{
    QTest::addColumn<QStringList>("versions");
    QTest::addColumn<QStringList>("kept");
    row("the last 30 days keep every version", QStringList{"A 1 9", "A 1 10", "A 29 9", "A 29 10"},
        QStringList{"A 29 10", "A 29 9", "A 1 10", "A 1 9"}); // each note's newest kept first
    row("older, the newest of each note's day",
        QStringList{"A 41 9", "A 40 9", "B 40 10", "A 40 18"},
        QStringList{"A 40 18", "A 41 9", "B 40 10"});
    row("past a year, none", QStringList{"A 366 9", "B 366 23", "A 364 9"}, QStringList{"A 364 9"});
}

void HistoryTest::pruneKeepsRecentEveryDayOldNone()
{
    QFETCH(QStringList, versions);
    QFETCH(QStringList, kept);
    TestHome home;
    HistoryStore history(HistoryStore::pathFor(home.notesFolder()));
    const QDateTime now(QDate(2026, 3, 14), QTime(12, 0));
    for (const QString& version : versions) {
        const QStringList parts = version.split(' ');
        const QDateTime at(now.date().addDays(-parts[1].toInt()), QTime(parts[2].toInt(), 0));
        QVERIFY(history.keep(parts[0], version, Kind::BeforeMerge, at));
    }
    QVERIFY2(history.prune(now, {}), qPrintable(history.error()));
    QCOMPARE(keptTexts(history, {"A", "B"}), kept);
}

void HistoryTest::pruneDropsTheOldestUntilTheTextsFit()
{
    TestHome home;
    const QString path = HistoryStore::pathFor(home.notesFolder());
    HistoryStore history(path);
    const QString shared = noise(1000);
    const QStringList texts = {noise(1000), shared, shared, noise(1000)};
    const QStringList notes = {"A", "B", "A", "B"};
    for (int i = 0; i < 4; ++i)
        QVERIFY(history.keep(notes[i], texts[i], Kind::BeforeMerge, start.addSecs(i * 600)));
    const auto fitTo = [&](qint64 maxBytes) { return history.prune(start, {30, 365, maxBytes}); };
    QVERIFY(fitTo(history.storedBytes() - 1));
    QCOMPARE(keptTexts(history, {"A", "B"}), QStringList({shared, texts[3], shared}));
    // The oldest shares its text with a newer version: dropping it alone frees nothing.
    QVERIFY(fitTo(history.storedBytes() - 1));
    QCOMPARE(keptTexts(history, {"A", "B"}), QStringList({texts[3]}));

    // What was dropped goes back to the system.
    for (int i = 0; i < 100; ++i)
        QVERIFY(history.keep("C", noise(20000), Kind::BeforeMerge, start.addSecs(i)));
    const auto bytesOnDisk = [&] {
        return QFileInfo(path).size() + QFileInfo(path + "-wal").size();
    };
    const qint64 full = bytesOnDisk();
    QVERIFY(fitTo(0));
    QVERIFY(history.notes().isEmpty());
    QVERIFY2(bytesOnDisk() < full / 4, qPrintable(QString::number(bytesOnDisk())));

    // Opening the folder prunes once a day: the pass over every version is paid once.
    const HistoryStore::Limits none{30, 365, 0};
    QVERIFY(history.pruneDaily(start, none));
    QVERIFY(history.keep("D", "kept until tomorrow", Kind::BeforeMerge, start));
    QVERIFY(history.pruneDaily(start.addSecs(3600), none));
    QCOMPARE(history.notes().size(), 1);
    QVERIFY(history.pruneDaily(start.addDays(1), none));
    QVERIFY(history.notes().isEmpty());
}

void HistoryTest::keptOncePerKey()
{
    TestHome home;
    const QString path = HistoryStore::pathFor(home.notesFolder());
    {
        HistoryStore history(path);
        QVERIFY(history.keepOnce("recovered/Plan.md", note, "first", Kind::Recovered, start));
        QVERIFY(!history.keepOnce("recovered/Plan.md", note, "again", Kind::Recovered, start));
        QCOMPARE(history.error(), QString());
    }
    HistoryStore reopened(path);
    QVERIFY(!reopened.keepOnce("recovered/Plan.md", note, "later", Kind::Recovered, start));
    QVERIFY(reopened.keepOnce("recovered/Plan (2).md", note, "second", Kind::Recovered, start));
    QCOMPARE(keptTexts(reopened, {note}), QStringList({"second", "first"}));
}

void HistoryTest::aDamagedDatabaseIsMovedAside_data()
{
    QTest::addColumn<QString>("damage");
    for (const char* damage : {"not a database", "damaged pages"})
        QTest::newRow(damage) << QString(damage);
}

void HistoryTest::aDamagedDatabaseIsMovedAside()
{
    QFETCH(QString, damage);
    TestHome home;
    const QString path = HistoryStore::pathFor(home.notesFolder());
    QDir().mkpath(QFileInfo(path).absolutePath());
    QByteArray bytes = noise(8192).toUtf8();
    if (damage == "damaged pages") {
        {
            HistoryStore history(path);
            for (int i = 0; i < 20; ++i)
                QVERIFY(history.keep(QString::number(i), noise(3000), Kind::Saved, start));
        }
        // The first page, which says what the tables are, stays whole.
        bytes = TestFiles::read(path);
        QVERIFY(bytes.size() > 16 * 4096);
        bytes.replace(4 * 4096, 8 * 4096, QByteArray(8 * 4096, '\x55'));
    } else {
        TestFiles::write(path + "-wal", "a journal of the damaged file");
    }
    TestFiles::write(path, bytes);

    HistoryStore history(path);
    QVERIFY2(history.isOpen(), qPrintable(history.error()));
    QVERIFY2(history.movedAside().startsWith(path + ".damaged-20"),
             qPrintable(history.movedAside()));
    QCOMPARE(TestFiles::read(history.movedAside()), bytes);
    QCOMPARE(QFileInfo::exists(history.movedAside() + "-wal"), damage == "not a database");
    QVERIFY(history.notes().isEmpty());
    QVERIFY(history.keep(note, "kept again", Kind::Saved, start));
    QCOMPARE(keptTexts(HistoryStore(path), {note}), QStringList({"kept again"}));
}

void HistoryTest::aFullDiskRefusesOneVersionNotTheNext()
{
    TestHome home;
    const QString path = HistoryStore::pathFor(home.notesFolder());
    HistoryStore history(path);
    QVERIFY(history.keep(note, "before", Kind::Saved, start));
    {
        const ResourceLimit full(RLIMIT_FSIZE, rlim_t(std::max(QFileInfo(path).size(),
                                                               QFileInfo(path + "-wal").size())));
        QVERIFY(!history.keep(note, noise(300000), Kind::BeforeMerge, start.addSecs(600)));
        QVERIFY(!history.error().isEmpty());
    }
    QVERIFY2(history.keep(note, "after", Kind::Saved, start.addSecs(1200)),
             qPrintable(history.error()));
    QCOMPARE(keptTexts(history, {note}), QStringList({"after", "before"}));
}

// A writer killed mid-write, mid-prune or mid-vacuum: every time the database reads whole and
// every version it lists has its text.
void HistoryTest::killedAtAnyMomentTheHistoryStaysReadable()
{
    TestHome home;
    const QString path = HistoryStore::pathFor(home.notesFolder());
    const QString writer = QCoreApplication::applicationDirPath() + "/history_writer";
    qsizetype versions = 0;
    for (int round = 0; round < 6; ++round) {
        QProcess child;
        child.start(writer, {path});
        QVERIFY(child.waitForReadyRead(10000));
        QCOMPARE(child.readLine(), QByteArray("ready\n"));
        QThread::msleep(QRandomGenerator::global()->bounded(10, 300));
        ::kill(pid_t(child.processId()), SIGKILL);
        QVERIFY(child.waitForFinished(10000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);

        QCOMPARE(integrity(path), QStringLiteral("ok"));
        HistoryStore history(path);
        QCOMPARE(history.movedAside(), QString());
        for (const HistoryStore::NoteHistory& kept : history.notes()) {
            for (const HistoryStore::Version& version : history.versions(kept.note)) {
                QVERIFY(history.text(version.id).value_or(QString()).startsWith("Note "));
                ++versions;
            }
        }
    }
    QVERIFY(versions > 6);
}

QUILLBOX_TEST_MAIN(HistoryTest)
#include "tst_history.moc"
