#include "store/history_store.h"
#include "test_support.h"

#include <QRandomGenerator>
#include <QTest>

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
}

QUILLBOX_TEST_MAIN(HistoryTest)
#include "tst_history.moc"
