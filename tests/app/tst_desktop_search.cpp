#include "app/desktop_search.h"
#include "app/launch_requests.h"
#include "app/quillbox_app.h"
#include "app/single_instance.h"
#include "folder/folder_access.h"
#include "store/notes_store.h"
#include "test_support.h"
#include "views/content_view.h"
#include "views/message_bar.h"
#include "views/row_text.h"

#include <QLineEdit>
#include <QProcess>
#include <QSignalSpy>

#include <memory>

namespace {

const QString appId = QStringLiteral(QUILLBOX_APP_ID);

// The application as the session bus started it for a search: its folder read, its window
// not shown, its searches and its name on a private bus.
struct Running
{
    explicit Running(const QString& address)
        : bus(QDBusConnection::connectToBus(address,
                                            QString::fromLatin1(QTest::currentTestFunction())))
    {
        folder = home.notesFolder();
        TestFiles::write(folder + QStringLiteral("/Trip.md"), "Trip\nPack the tent\n",
                         Day::tuesday);
        TestFiles::write(folder + QStringLiteral("/Groceries.md"), "Groceries\nmilk\n",
                         Day::monday);
        // Six more notes holding "milk", each a day newer than the one before.
        for (int i = 1; i <= 6; ++i)
            TestFiles::write(folder + QStringLiteral("/Milk %1.md").arg(i), "Milk\n",
                             Day::wednesday.addDays(i));
        FolderAccess::saveBookmark(folder);
        app = std::make_unique<QuillboxApp>();
        search = std::make_unique<DesktopSearch>(bus);
        search->serve(*app);
        instance = std::make_unique<SingleInstance>(bus);
        instance->claim();
        app->answerLaunches(*instance);
        CommandLine::Request started;
        started.service = true;
        LaunchRequests::start(*app, started);
        settle();
    }
    ~Running()
    {
        instance.reset();
        search.reset();
        app.reset();
        QDBusConnection::disconnectFromBus(bus.name());
    }
    QString path(const QString& name) const { return folder + QLatin1Char('/') + name; }
    QString selectedTitle() const
    {
        const std::optional<Note>& note = app->store().selectedNote();
        return note ? note->title : QString();
    }

    TestHome home;
    QString folder;
    QDBusConnection bus;
    std::unique_ptr<QuillboxApp> app;
    std::unique_ptr<DesktopSearch> search;
    std::unique_ptr<SingleInstance> instance;
};

} // namespace

// The desktop's searches asked as GNOME Shell and KRunner ask, with gdbus, and what the window
// shows when a note or the search is picked; later launches handing their request over.
class DesktopSearchTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void answers_data();
    void answers();
    void showsWhatWasPicked_data();
    void showsWhatWasPicked();
    void launchesHandOver();

private:
    // gdbus's printed answer, "" when the call failed.
    QString call(const QString& path, const QString& method, const QStringList& arguments);

    QProcess m_daemon;
    QString m_address;
};

void DesktopSearchTest::initTestCase()
{
    // A private bus: the session's own may hold a real Quillbox.
    m_daemon.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address=1"});
    QVERIFY(m_daemon.waitForReadyRead(5000));
    m_address = QString::fromUtf8(m_daemon.readLine().trimmed());
}

void DesktopSearchTest::cleanupTestCase()
{
    m_daemon.kill();
    m_daemon.waitForFinished();
}

QString DesktopSearchTest::call(const QString& path, const QString& method,
                                const QStringList& arguments)
{
    QProcess gdbus;
    gdbus.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    gdbus.start(QStringLiteral("gdbus"),
                QStringList{"call", "--address", m_address, "--dest", appId, "--object-path", path,
                            "--method", method} +
                    arguments);
    // The answer comes from this thread's event loop: it must run while gdbus waits.
    QSignalSpy finished(&gdbus, &QProcess::finished);
    if (!finished.wait(20000) || gdbus.exitCode() != 0)
        return {};
    return QString::fromUtf8(gdbus.readAllStandardOutput().trimmed());
}

namespace {
const QString shell = QStringLiteral("/io/github/quillbox/Quillbox/SearchProvider");
const QString krunner = QStringLiteral("/io/github/quillbox/Quillbox/KRunner");
const QString provider = QStringLiteral("org.gnome.Shell.SearchProvider2.");
// Paths in answers are written relative to the notes folder, as F/…
QString inFolder(QString text, const QString& folder)
{
    return text.replace(QStringLiteral("F/"), folder + QLatin1Char('/'));
}
} // namespace

void DesktopSearchTest::answers_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("method");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("answer");
    const QString tuesday = RowText::date(Day::tuesday);
    QTest::newRow("five at most, newest first")
        << shell << provider + "GetInitialResultSet" << QStringList{"['milk']"}
        << "(['F/Milk 6.md', 'F/Milk 5.md', 'F/Milk 4.md', 'F/Milk 3.md', 'F/Milk 2.md'],)";
    QTest::newRow("words searched as typed, case ignored")
        << shell << provider + "GetInitialResultSet" << QStringList{"['PACK', 'the']"}
        << "(['F/Trip.md'],)";
    QTest::newRow("nothing found")
        << shell << provider + "GetInitialResultSet" << QStringList{"['zebra']"} << "(@as [],)";
    QTest::newRow("narrowed") << shell << provider + "GetSubsearchResultSet"
                              << QStringList{"['F/Trip.md']", "['tent']"} << "(['F/Trip.md'],)";
    QTest::newRow("title and date; a gone note left out")
        << shell << provider + "GetResultMetas" << QStringList{"['F/Trip.md', 'F/Gone.md']"}
        << QStringLiteral("([{'description': <'%1'>, 'id': <'F/Trip.md'>, 'name': <'Trip'>}],)")
               .arg(tuesday);
    QTest::newRow("krunner")
        << krunner << "org.kde.krunner1.Match" << QStringList{"tent"}
        << QStringLiteral("([('F/Trip.md', 'Trip', '%1', 30, 1.0, {'subtext': <'%2'>})],)")
               .arg(appId, tuesday);
    QTest::newRow("krunner, five at most")
        << krunner << "org.kde.krunner1.Match" << QStringList{"milk"} << "5 matches";
}

void DesktopSearchTest::answers()
{
    QFETCH(QString, path);
    QFETCH(QString, method);
    QFETCH(QStringList, arguments);
    QFETCH(QString, answer);
    Running running(m_address);
    for (QString& argument : arguments)
        argument = inFolder(argument, running.folder);
    const QString said = call(path, method, arguments);
    if (answer.endsWith(QStringLiteral(" matches")))
        QCOMPARE(QString::number(said.count(QStringLiteral("'subtext'"))) + " matches", answer);
    else
        QCOMPARE(said, inFolder(answer, running.folder));
    // Answering never shows the window: the shell asks at every keystroke.
    QVERIFY(!running.app->window().isVisible());
}

void DesktopSearchTest::showsWhatWasPicked_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("method");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<QString>("searchField");
    QTest::newRow("shell result") << shell << provider + "ActivateResult"
                                  << QStringList{"F/Trip.md", "['tent']", "0"} << "Trip"
                                  << "";
    QTest::newRow("krunner match")
        << krunner << "org.kde.krunner1.Run" << QStringList{"F/Groceries.md", ""} << "Groceries"
        << "";
    QTest::newRow("shell search") << shell << provider + "LaunchSearch"
                                  << QStringList{"['pack', 'the']", "0"} << ""
                                  << "pack the";
}

void DesktopSearchTest::showsWhatWasPicked()
{
    QFETCH(QString, path);
    QFETCH(QString, method);
    QFETCH(QStringList, arguments);
    QFETCH(QString, selected);
    QFETCH(QString, searchField);
    Running running(m_address);
    for (QString& argument : arguments)
        argument = inFolder(argument, running.folder);
    QCOMPARE(call(path, method, arguments), QStringLiteral("()"));
    QTRY_VERIFY(running.app->window().isVisible());
    if (!selected.isEmpty())
        QCOMPARE(running.selectedTitle(), selected);
    QCOMPARE(running.app->window().searchField()->text(), searchField);
}

// A second launch's --new, --search and FILE reach the running window.
void DesktopSearchTest::launchesHandOver()
{
    Running running(m_address);
    const auto launch = [&](CommandLine::Request request) {
        SingleInstance later(QDBusConnection::connectToBus(m_address, QStringLiteral("later")));
        QCOMPARE(later.claim(request), SingleInstance::Role::AlreadyRunning);
        QDBusConnection::disconnectFromBus(QStringLiteral("later"));
        settle();
    };
    using Kind = CommandLine::Request::Kind;
    launch({Kind::NewNote, QStringLiteral("Call Ana\nabout the tent"), false, {}, false});
    QVERIFY(running.app->window().isVisible());
    QCOMPARE(running.selectedTitle(), QStringLiteral("Call Ana"));
    QCOMPARE(TestFiles::read(running.path(QStringLiteral("Call Ana.md"))),
             QByteArray("Call Ana\nabout the tent"));

    launch({Kind::Search, QStringLiteral("tent"), false, {}, false});
    QCOMPARE(running.app->window().searchField()->text(), QStringLiteral("tent"));

    launch(
        {Kind::Open, std::nullopt, false, {running.path(QStringLiteral("Groceries.md"))}, false});
    QCOMPARE(running.selectedTitle(), QStringLiteral("Groceries"));

    // A file elsewhere is not shown, and the window says why.
    const QString elsewhere = running.home.path() + QStringLiteral("/Groceries.md");
    TestFiles::write(elsewhere, "Groceries\n");
    launch({Kind::Open, std::nullopt, false, {elsewhere}, false});
    QCOMPARE(running.selectedTitle(), QStringLiteral("Groceries"));
    const auto* bar = running.app->window().messageBar();
    QVERIFY(bar->isVisible());
    QVERIFY2(bar->text().contains(QStringLiteral("is not a note of the notes folder")),
             qPrintable(bar->text()));

    // Without text, a dated note, as Ctrl+N makes it.
    const qsizetype before = running.app->store().notes().size();
    launch({Kind::NewNote, std::nullopt, false, {}, false});
    QCOMPARE(running.app->store().notes().size(), before + 1);
    QVERIFY(running.selectedTitle().startsWith(QStringLiteral("Daily Notes - ")));
}

QTEST_MAIN(DesktopSearchTest)
#include "tst_desktop_search.moc"
