#include "app_notifier.h"
#include "build_config.h"
#include "command_line.h"
#include "content_view.h"
#include "folder_access.h"
#include "message_bar.h"
#include "note_editor.h"
#include "notes_app_commands.h"
#include "preferences_dialog.h"
#include "quillbox_app.h"
#include "recovery_folder.h"
#include "single_instance.h"
#include "store_fixture.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QSplitter>
#include <QTimer>

namespace {

struct MenuItem
{
    QString text;
    QString shortcut;
};

QList<MenuItem> itemsOf(QMenu* menu)
{
    QList<MenuItem> items;
    for (QAction* action : menu->actions())
        items.append({action->isSeparator() ? QStringLiteral("---") : action->text(),
                      action->shortcut().toString()});
    return items;
}

// The store, the window and its menus, as the application puts them together.
struct MenuFixture
{
    explicit MenuFixture(const QStringList& notes = {})
    {
        for (const QString& name : notes)
            TestFiles::write(f.path(name + ".md"), name.toUtf8());
        f.start();
        window = std::make_unique<ContentView>(f.store(), notifier);
        commands = new NotesAppCommands(f.store(), notifier, *window);
    }

    StoreFixture f;
    AppNotifier notifier;
    std::unique_ptr<ContentView> window;
    NotesAppCommands* commands = nullptr; // owned by the window
};

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
    QPlainTextEdit* editorAtEnd() const
    {
        QPlainTextEdit* edit = app->window().editor()->textEdit();
        edit->moveCursor(QTextCursor::End);
        return edit;
    }

    std::unique_ptr<QuillboxApp> app;
};

} // namespace

class CommandsTest : public QObject
{
    Q_OBJECT

private slots:
    void menus();
    void notesMenuActs();
    void printFollowsTheSelection();
    void ctrlBackspaceInTextDeletesAWord();
    void quittingWhenTextCannotBeSaved_data();
    void quittingWhenTextCannotBeSaved();
    void recoveredTextIsOfferedAtStart();
    void oneInstancePerSession();
    void commandLine_data();
    void commandLine();
    void windowsAndZoomAreRemembered();
    void aboutQuillbox();
    // Last: it ends the application's event loop.
    void quitWritesWhatWasTyped();
};

void CommandsTest::menus()
{
    MenuFixture m;
    const QList<QAction*> menus = m.window->menuBar()->actions();
    // "&" marks the mnemonic: Alt+F, Alt+N, …
    QStringList titles;
    for (QAction* menu : menus)
        titles.append(menu->text());
    QCOMPARE(titles, QStringList({"&File", "&Notes", "&View", "&Help"}));

    const auto texts = [](QAction* menu) {
        QStringList all;
        for (const MenuItem& item : itemsOf(menu->menu()))
            all.append(item.shortcut.isEmpty() ? item.text : item.text + " " + item.shortcut);
        return all;
    };
    QCOMPARE(texts(menus[0]), QStringList({"&Preferences… Ctrl+,", "---", "&Quit Ctrl+Q"}));
    QCOMPARE(texts(menus[1]), QStringList({"&New Note Ctrl+N", "&Delete Note Ctrl+Backspace",
                                           "&Print… Ctrl+P", "---", "&Search Ctrl+L"}));
    QCOMPARE(m.commands->search()->shortcuts().last(), QKeySequence(QKeySequence::Find));
    QCOMPARE(texts(menus[2]),
             QStringList({"Zoom &In Ctrl+=", "Zoom &Out Ctrl+-", "&Actual Size Ctrl+0"}));
    QCOMPARE(texts(menus[3]), QStringList({"&About Quillbox"}));
}

void CommandsTest::notesMenuActs()
{
    MenuFixture m;
    NotesStore& store = m.f.store();
    NotesAppCommands& commands = *m.commands;
    QSignalSpy posted(&m.notifier, &AppNotifier::posted);
    QSignalSpy preferences(&commands, &NotesAppCommands::preferencesRequested);

    commands.newNote()->trigger();
    QCOMPARE(store.notes().size(), 1);
    QCOMPARE(store.selectedNote()->title, QStringLiteral("Daily Notes - 2026-03-14 092653"));

    // Always enabled: with nothing selected the delete operation decides (it does nothing).
    store.setSelectedNote(std::nullopt);
    QVERIFY(commands.deleteNote()->isEnabled());
    commands.deleteNote()->trigger();
    QVERIFY(m.f.alerts.shown.isEmpty());

    commands.search()->trigger();
    QCOMPARE(posted.size(), 1);
    QCOMPARE(posted[0][0].toString(), QStringLiteral("FocusSearch"));

    commands.preferences()->trigger();
    QCOMPARE(preferences.size(), 1);
}

void CommandsTest::printFollowsTheSelection()
{
    MenuFixture m({"Plan"});
    NotesStore& store = m.f.store();
    NotesAppCommands& commands = *m.commands;
    QVERIFY(commands.print()->isEnabled());
    commands.print()->trigger();
    QCOMPARE(m.f.printer.printed.size(), 1);
    store.setSelectedNote(std::nullopt);
    QVERIFY(!commands.print()->isEnabled());
    store.setSelectedNote(store.notes().first());
    QVERIFY(commands.print()->isEnabled());
}

void CommandsTest::ctrlBackspaceInTextDeletesAWord()
{
    MenuFixture m({"Plan two words"});
    ContentView& window = *m.window;
    ScriptedAlerts& alerts = m.f.alerts;
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));

    QPlainTextEdit* edit = window.editor()->textEdit();
    edit->setFocus();
    edit->moveCursor(QTextCursor::End);
    QTest::keyClick(edit, Qt::Key_Backspace, Qt::ControlModifier);
    QCOMPARE(edit->toPlainText(), QStringLiteral("Plan two "));
    QVERIFY(alerts.shown.isEmpty());

    QLineEdit* search = window.searchField();
    search->setFocus();
    QTest::keyClicks(search, "milk eggs");
    QTest::keyClick(search, Qt::Key_Backspace, Qt::ControlModifier);
    QCOMPARE(search->text(), QStringLiteral("milk "));
    QVERIFY(alerts.shown.isEmpty());

    // Elsewhere in the window it deletes the note, after asking.
    window.notesList()->setFocus();
    QTest::keyClick(window.notesList(), Qt::Key_Backspace, Qt::ControlModifier);
    QCOMPARE(alerts.shown.size(), 1);
    QCOMPARE(alerts.shown[0].message, QStringLiteral("Delete “Plan two words”?"));
}

void CommandsTest::quittingWhenTextCannotBeSaved_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("quitAnyway");
    QTest::newRow("close the window, stay") << "close" << false;
    QTest::newRow("Ctrl+Q, stay") << "ctrl+q" << false;
    QTest::newRow("Ctrl+Q, quit anyway") << "ctrl+q" << true;
}

void CommandsTest::quittingWhenTextCannotBeSaved()
{
    QFETCH(QString, how);
    QFETCH(bool, quitAnyway);
    TestHome home;
    const QString folder = home.notesFolder();
    TestFiles::write(folder + "/Plan.md", "Plan");
    TestFiles::setReadOnly(folder + "/Plan.md", true);
    RunningApp running(folder);
    QuillboxApp& app = *running.app;
    QPlainTextEdit* edit = running.editorAtEnd();
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClicks(edit, "kept");
    // The failed save's alert, then the question whether to quit anyway.
    QStringList asked;
    const auto answer = [&](bool firstButton) {
        QTimer::singleShot(0, [&asked, firstButton] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            asked.append(box->text());
            if (firstButton)
                QTest::keyClick(box, Qt::Key_Return);
            for (QAbstractButton* button : box->buttons()) {
                if (!firstButton && button->text() == QStringLiteral("Quit Anyway"))
                    button->click();
            }
        });
    };
    QTimer::singleShot(0, [&] {
        answer(true);
        QTimer::singleShot(0, [&] { answer(!quitAnyway); });
    });
    if (how == "close")
        QVERIFY(!app.window().close());
    else
        app.commands().quit()->trigger();

    QCOMPARE(asked, QStringList({"The file “Plan.md” couldn’t be saved in the folder “Notes”.",
                                 "Some notes couldn’t be saved"}));
    QCOMPARE(TestFiles::read(folder + "/Plan.md"), QByteArray("Plan"));
    if (quitAnyway) {
        QCOMPARE(TestFiles::read(RecoveryFolder::path() + "/Plan.md"), QByteArray("Plan\nkept"));
        QVERIFY(app.store().drafts().isEmpty());
        return;
    }
    QVERIFY(app.window().isVisible());
    QCOMPARE(edit->toPlainText(), QStringLiteral("Plan\nkept"));
    QVERIFY(!RecoveryFolder::hasFiles());
}

void CommandsTest::recoveredTextIsOfferedAtStart()
{
    TestHome home;
    const QString folder = home.notesFolder();
    QVERIFY(RecoveryFolder::keep(folder + "/Lost.md", "Lost\ntext", false) == 0);
    RunningApp running(folder);
    MessageBar* bar = running.app->window().messageBar();
    QVERIFY(bar->isVisible());
    QVERIFY(bar->text().contains(RecoveryFolder::path()));
    QCOMPARE(bar->actionButton()->text(), QStringLiteral("Show in File Manager"));
}

void CommandsTest::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("answer"); // its first line; empty: the application starts
    QTest::newRow("--help") << QStringList{"/usr/bin/quillbox", "--help"}
                            << "Usage: quillbox [options]";
    QTest::newRow("-h") << QStringList{"quillbox", "-h"} << "Usage: quillbox [options]";
    QTest::newRow("-v") << QStringList{"./quillbox", "-v"} << "quillbox 1.2.3";
    QTest::newRow("toolkit option")
        << QStringList{"quillbox", "-stylesheet", "small.qss"} << QString();
    QTest::newRow("none") << QStringList{"quillbox"} << QString();
}

void CommandsTest::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, answer);
    const std::optional<CommandLine::Answer> given =
        CommandLine::answer(arguments, QStringLiteral("1.2.3"));
    QCOMPARE(given.has_value(), !answer.isEmpty());
    if (given) {
        QCOMPARE(given->text.section('\n', 0, 0), answer);
        QCOMPARE(given->exitCode, 0);
    }
}

void CommandsTest::windowsAndZoomAreRemembered()
{
    TestHome home;
    const QString folder = home.notesFolder();
    TestFiles::write(folder + "/Plan.md", "Plan");
    const qreal desktopSize = QApplication::font().pointSizeF();
    {
        RunningApp running(folder);
        ContentView& window = running.app->window();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QCOMPARE(window.size(), QSize(600, 400)); // first start
        window.setGeometry(40, 60, 720, 480);
        window.splitter()->setSizes({250, 470});
        // Ctrl+F is a second way into the search field.
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
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
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
    QCOMPARE(about->windowTitle(), QStringLiteral("About Quillbox"));
    for (const char* part : {"Quillbox " QUILLBOX_VERSION, "MIT", "href=\"https://"})
        QVERIFY2(about->text().contains(QLatin1String(part)), part);
    // The link opens in the browser.
    QVERIFY(about->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))->openExternalLinks());
    about->close();
}

void CommandsTest::quitWritesWhatWasTyped()
{
    TestHome home;
    const QString folder = home.notesFolder();
    TestFiles::write(folder + "/Plan.md", "Plan");
    RunningApp running(folder);
    QTest::keyClicks(running.editorAtEnd(), " for Monday");
    running.app->commands().quit()->trigger();
    QCOMPARE(TestFiles::read(folder + "/Plan for Monday.md"), QByteArray("Plan for Monday"));
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
    // Once the first has gone, the next launch runs.
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

QUILLBOX_GUI_TEST_MAIN(CommandsTest)
#include "tst_commands.moc"
