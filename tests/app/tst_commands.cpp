#include "app/command_line.h"
#include "app/notes_app_commands.h"
#include "app/quillbox_app.h"
#include "app/single_instance.h"
#include "build_config.h"
#include "folder/folder_access.h"
#include "preferences/preferences_dialog.h"
#include "store/recovery_folder.h"
#include "store_fixture.h"
#include "views/content_view.h"
#include "views/message_bar.h"
#include "views/note_editor.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QSplitter>
#include <QTimer>

namespace {

// The whole application, started on a remembered folder and shown.
struct RunningApp
{
    explicit RunningApp(const QString& folder)
    {
        FolderAccess::saveBookmark(folder);
        app = std::make_unique<QuillboxApp>();
        app->show();
        settle();
    }
    bool activate() const
    {
        QApplication::setActiveWindow(&app->window());
        return QTest::qWaitForWindowActive(&app->window());
    }

    std::unique_ptr<QuillboxApp> app;
};

// Answers the next message box from inside its own event loop: its first button, or the one
// named.
void answerNextBox(QStringList& asked, const QString& button = {})
{
    QTimer::singleShot(0, [&asked, button] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        asked.append(box->text());
        for (QAbstractButton* each : box->buttons()) {
            if (each->text() == button)
                each->click();
        }
        if (button.isEmpty())
            QTest::keyClick(box, Qt::Key_Return);
    });
}

} // namespace

class CommandsTest : public QObject
{
    Q_OBJECT

private slots:
    void recoveredTextIsOfferedAtStart();
    void oneInstancePerSession();
    void commandLine_data();
    void commandLine();
    void windowsAndZoomAreRemembered();
    void aboutQuillbox();
    // Last: quitting ends the application's event loop.
    void quitting_data();
    void quitting();
};

void CommandsTest::recoveredTextIsOfferedAtStart()
{
    TestHome home;
    const QString folder = home.notesFolder();
    QCOMPARE(RecoveryFolder::keep(folder + "/Lost.md", "Lost\ntext", false), 0);
    RunningApp running(folder);
    MessageBar* bar = running.app->window().messageBar();
    QVERIFY(bar->isVisible());
    QVERIFY(bar->text().contains(RecoveryFolder::path()));
    QCOMPARE(bar->actionButton()->text(), QStringLiteral("Show in File Manager"));
}

void CommandsTest::oneInstancePerSession()
{
    // A private bus: the session's own may hold a real Quillbox.
    QProcess daemon;
    daemon.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address=1"});
    QVERIFY(daemon.waitForReadyRead(5000));
    const QString address = QString::fromUtf8(daemon.readLine().trimmed());
    const auto launch = [&](const QString& name, const QString& bus = QString()) {
        return std::make_unique<SingleInstance>(
            QDBusConnection::connectToBus(bus.isEmpty() ? address : bus, name));
    };
    auto first = launch("first");
    QSignalSpy raised(first.get(), &SingleInstance::activationRequested);
    QCOMPARE(first->claim(), SingleInstance::Role::First);
    qputenv("XDG_ACTIVATION_TOKEN", "token-of-the-second-launch");
    QCOMPARE(launch("second")->claim(), SingleInstance::Role::AlreadyRunning);
    qunsetenv("XDG_ACTIVATION_TOKEN");
    // The first has come forward by the time the second launch ends, with the focus token.
    QCOMPARE(raised.size(), 1);
    QCOMPARE(raised[0][0].toString(), QStringLiteral("token-of-the-second-launch"));
    first.reset();
    QDBusConnection::disconnectFromBus("first");
    QTRY_COMPARE(launch("third")->claim(), SingleInstance::Role::First);
    // No session bus at all: it runs.
    QCOMPARE(launch("none", "unix:path=/nonexistent")->claim(), SingleInstance::Role::First);
    for (const char* name : {"second", "third", "none"})
        QDBusConnection::disconnectFromBus(QString::fromLatin1(name));
    daemon.kill();
    daemon.waitForFinished();

    StoreFixture f;
    RunningApp running(f.folder);
    running.app->window().showMinimized();
    running.app->raiseWindow();
    QVERIFY(!running.app->window().isMinimized());
    QVERIFY(running.app->window().isVisible());
}

void CommandsTest::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("answer"); // its first line; empty: the application starts
    QTest::newRow("--help") << QStringList{"/usr/bin/quillbox", "--help"}
                            << "Usage: quillbox [options]";
    QTest::newRow("-v") << QStringList{"./quillbox", "-v"} << "quillbox 1.2.3";
    QTest::newRow("toolkit option") << QStringList{"quillbox", "-stylesheet", "a.qss"} << QString();
    QTest::newRow("none") << QStringList{"quillbox"} << QString();
}

void CommandsTest::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, answer);
    const std::optional<CommandLine::Answer> given =
        CommandLine::answer(arguments, QStringLiteral("1.2.3"));
    QCOMPARE(given ? given->text.section('\n', 0, 0) : QString(), answer);
    QCOMPARE(given ? given->exitCode : 0, 0);
}

// The keys reach the editor's zoom and the search field; sizes and places come back.
void CommandsTest::windowsAndZoomAreRemembered()
{
    TestHome home;
    const QString folder = home.notesFolder();
    TestFiles::write(folder + "/Plan.md", "Plan");
    const qreal desktopSize = QApplication::font().pointSizeF();
    {
        RunningApp running(folder);
        ContentView& window = running.app->window();
        QVERIFY(running.activate());
        window.setGeometry(40, 60, 720, 480);
        window.splitter()->setSizes({250, 470});
        QTest::keyClick(&window, Qt::Key_F, Qt::ControlModifier);
        QTRY_VERIFY(window.searchField()->hasFocus());
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(&window, Qt::Key_Equal, Qt::ControlModifier);
        QTest::keyClick(&window, Qt::Key_Minus, Qt::ControlModifier);
        QCOMPARE(window.editor()->textEdit()->font().pointSizeF(), desktopSize + 2);
        running.app->showPreferences();
        running.app->preferencesDialog()->move(90, 120);
        running.app->rememberWindows();
    }
    RunningApp again(folder);
    ContentView& window = again.app->window();
    QCOMPARE(window.geometry(), QRect(40, 60, 720, 480));
    QCOMPARE(window.splitter()->sizes().first(), 250);
    QCOMPARE(window.editor()->textEdit()->font().pointSizeF(), desktopSize + 2);
    again.app->showPreferences();
    QCOMPARE(again.app->preferencesDialog()->pos(), QPoint(90, 120));
    QVERIFY(again.activate());
    QTest::keyClick(&window, Qt::Key_0, Qt::ControlModifier);
    QCOMPARE(window.editor()->textEdit()->font().pointSizeF(), desktopSize);
}

void CommandsTest::aboutQuillbox()
{
    TestHome home;
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLBOX_VERSION));
    RunningApp running(home.notesFolder());
    running.app->commands().about()->trigger();
    auto* about = running.app->window().findChild<QMessageBox*>(QStringLiteral("about"));
    QVERIFY(about && about->isVisible());
    QVERIFY(about->text().contains(QLatin1String("Quillbox " QUILLBOX_VERSION)));
    // The link opens in the browser.
    QVERIFY(about->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))->openExternalLinks());
    about->close();
}

void CommandsTest::quitting_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("writable");
    QTest::addColumn<bool>("quitAnyway");
    QTest::newRow("close the window, cannot save, stay") << "close" << false << false;
    QTest::newRow("Ctrl+Q, cannot save, stay") << "ctrl+q" << false << false;
    QTest::newRow("Ctrl+Q, cannot save, quit anyway") << "ctrl+q" << false << true;
    QTest::newRow("Ctrl+Q writes what was typed") << "ctrl+q" << true << true;
}

void CommandsTest::quitting()
{
    QFETCH(QString, how);
    QFETCH(bool, writable);
    QFETCH(bool, quitAnyway);
    TestHome home;
    const QString folder = home.notesFolder();
    TestFiles::write(folder + "/Plan.md", "Plan");
    TestFiles::setReadOnly(folder + "/Plan.md", !writable);
    RunningApp running(folder);
    QuillboxApp& app = *running.app;
    QPlainTextEdit* edit = app.window().editor()->textEdit();
    edit->moveCursor(QTextCursor::End);
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClicks(edit, "kept");
    // The failed save's alert, then the question whether to quit anyway.
    QStringList asked;
    if (!writable) {
        QTimer::singleShot(0, [&] {
            answerNextBox(asked);
            QTimer::singleShot(0, [&] {
                answerNextBox(asked, quitAnyway ? QStringLiteral("Quit Anyway") : QString());
            });
        });
        if (how == "close")
            QVERIFY(!app.window().close());
        else
            app.commands().quit()->trigger();
        QCOMPARE(asked, QStringList({"The file “Plan.md” couldn’t be saved in the folder “Notes”.",
                                     "Some notes couldn’t be saved"}));
    } else {
        app.commands().quit()->trigger();
        QVERIFY(asked.isEmpty());
    }
    QCOMPARE(TestFiles::read(folder + "/Plan.md"), QByteArray(writable ? "Plan\nkept" : "Plan"));
    if (quitAnyway) {
        if (!writable)
            QCOMPARE(TestFiles::read(RecoveryFolder::path() + "/Plan.md"),
                     QByteArray("Plan\nkept"));
        QVERIFY(app.store().drafts().isEmpty());
        return;
    }
    QVERIFY(app.window().isVisible());
    QCOMPARE(edit->toPlainText(), QStringLiteral("Plan\nkept"));
    QVERIFY(!RecoveryFolder::hasFiles());
}

QUILLBOX_GUI_TEST_MAIN(CommandsTest)
#include "tst_commands.moc"
