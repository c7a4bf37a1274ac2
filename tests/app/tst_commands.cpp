#include "app/note_flows.h"
#include "app/notes_app_commands.h"
#include "app/quillbox_app.h"
#include "app/single_instance.h"
#include "folder/folder_access.h"
#include "preferences/preferences_dialog.h"
#include "preferences/preferences_view.h"
#include "store/recovery_folder.h"
#include "store_fixture.h"
#include "views/content_view.h"
#include "views/history_window.h"
#include "views/markdown_highlighter.h"
#include "views/message_bar.h"
#include "views/note_editor.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QListView>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QSplitter>
#include <QTimer>

#include <csignal>

namespace {

// The whole application, started on a remembered folder and shown.
std::unique_ptr<QuillboxApp> start(const QString& folder)
{
    FolderAccess::saveBookmark(folder);
    auto app = std::make_unique<QuillboxApp>();
    app->show();
    settle();
    return app;
}

bool activate(QWidget* window)
{
    QApplication::setActiveWindow(window);
    return QTest::qWaitForWindowActive(window);
}

// Answers the next message box from inside its own event loop: Enter, or the button named.
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
    void oneInstancePerSession();
    void startsAsItWasLeft();
    void undoDelete();
    void historyWindowRestores();
    void compareShowsWhatWentIntoTheCopy();
    void endedBySignal_data();
    void endedBySignal();
    // Last: quitting ends the application's event loop.
    void quitting_data();
    void quitting();
};

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
    daemon.kill();
    daemon.waitForFinished();
}

// Text an earlier run kept is offered; keys reach the zoom and the preferences; the zoom stays.
void CommandsTest::startsAsItWasLeft()
{
    TestHome home;
    const QString folder = home.notesFolder();
    TestFiles::write(folder + "/Plan.md", "Plan");
    QCOMPARE(RecoveryFolder::keep(folder + "/Lost.md", "Lost\ntext", false).error, 0);
    const qreal desktopSize = QApplication::font().pointSizeF();
    const auto zoom = [](ContentView& window, std::initializer_list<Qt::Key> keys) {
        for (const Qt::Key key : keys)
            QTest::keyClick(&window, key, Qt::ControlModifier);
        return window.editor()->textEdit()->font().pointSizeF();
    };
    {
        const auto app = start(folder);
        ContentView& window = app->window();
        QVERIFY(window.messageBar()->isVisible() &&
                window.messageBar()->text().contains(RecoveryFolder::path()));
        QVERIFY(activate(&window));
        QCOMPARE(zoom(window, {Qt::Key_Equal, Qt::Key_Equal, Qt::Key_Equal, Qt::Key_Minus}),
                 desktopSize + 2);
        window.resize(820, 560);
        window.splitter()->setSizes({220, 600});
        QVERIFY(app->commands().markdownHighlighting()->isChecked());
        app->commands().markdownHighlighting()->trigger();
        // One preferences window, from the menu and from the "Select a notes folder" alert.
        app->commands().preferences()->trigger();
        PreferencesView* first = app->preferencesView();
        QVERIFY(first && first->isVisible());
        emit app->flows().preferencesRequested();
        QCOMPARE(app->preferencesView(), first);
        app->rememberWindows();
    }
    const auto app = start(folder);
    ContentView& window = app->window();
    QCOMPARE(window.size(), QSize(820, 560));
    QCOMPARE(window.splitter()->sizes().value(0), 220);
    QCOMPARE(window.editor()->textEdit()->font().pointSizeF(), desktopSize + 2);
    QVERIFY(!app->commands().markdownHighlighting()->isChecked());
    QVERIFY(!window.editor()->highlighter()->isEnabled());
    // Typing is saved after a pause of three seconds.
    QCOMPARE(app->store().saveDelay(), 3000);
    app->showPreferences();
    QVERIFY(activate(app->preferencesDialog()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_W, Qt::ControlModifier);
    QVERIFY(!app->preferencesDialog()->isVisible());
    QVERIFY(activate(&window));
    QCOMPARE(zoom(window, {Qt::Key_0}), desktopSize);
    // Brought forward by a second launch.
    SingleInstance instance(QDBusConnection(QStringLiteral("no bus")));
    app->answerLaunches(instance);
    window.showMinimized();
    emit instance.activationRequested(QString());
    QVERIFY(!window.isMinimized() && window.isVisible());
}

// The bar offers Undo after a delete, and Ctrl+Z in the list does the same; in the editor Ctrl+Z
// stays the text's own.
void CommandsTest::historyWindowRestores()
{
    TestHome home;
    const QString folder = home.notesFolder();
    TestFiles::write(folder + "/Older.md", "Older", Day::monday);
    TestFiles::write(folder + "/Plan.md", "Plan\nfirst", Day::tuesday);
    const auto app = start(folder);
    NotesStore& store = app->store();
    store.setSelectedNote(store.notes().value(0));
    app->window().editor()->textEdit()->setPlainText("Plan\nsecond");
    QVERIFY(store.saveDraftNow(folder + "/Plan.md"));

    app->commands().history()->trigger();
    HistoryWindow* history = app->historyWindow();
    QVERIFY(history && history->isVisible());
    QCOMPARE(history->windowTitle(), QStringLiteral("History — Plan"));
    QListWidget* versions = history->versionsList();
    QCOMPARE(versions->count(), 2);
    QVERIFY(versions->item(1)->text().endsWith(", Saved"));
    versions->setCurrentRow(1);
    history->restoreButton()->click();
    QCOMPARE(TestFiles::read(folder + "/Plan.md"), QByteArray("Plan\nfirst"));
    QCOMPARE(app->window().editor()->textEdit()->toPlainText(), QStringLiteral("Plan\nfirst"));
    // The text it replaced was the newest version already.
    QCOMPARE(versions->count(), 3);
    QVERIFY(versions->item(0)->text().endsWith(", Restored"));
    // The window follows the note the user turns to.
    store.setSelectedNote(store.note(folder + "/Older.md"));
    QCOMPARE(history->windowTitle(), QStringLiteral("History — Older"));
}

// From the conflict message: the note's history, on the version that went into the copy, which
// can be made the note's text from there.
void CommandsTest::compareShowsWhatWentIntoTheCopy()
{
    TestHome home;
    const QString folder = home.notesFolder();
    TestFiles::write(folder + "/Plan.md", "Plan\nfirst", Day::monday);
    const auto app = start(folder);
    NotesStore& store = app->store();
    store.setSelectedNote(store.notes().value(0));
    app->window().editor()->textEdit()->setPlainText("Plan\nmine");
    TestFiles::write(folder + "/Plan.md", "Plan\ntheirs", Day::tuesday);
    QVERIFY(store.saveDraftNow(folder + "/Plan.md"));
    settle();
    QPushButton* compare = nullptr;
    for (QPushButton* button : app->window().messageBar()->findChildren<QPushButton*>()) {
        if (button->text() == "Compare…" && button->isVisible())
            compare = button;
    }
    QVERIFY(compare);
    compare->click();
    HistoryWindow* history = app->historyWindow();
    QVERIFY(history && history->isVisible());
    QCOMPARE(history->windowTitle(), QStringLiteral("History — Plan"));
    history->restoreButton()->click();
    QCOMPARE(TestFiles::read(folder + "/Plan.md"), QByteArray("Plan\nmine"));
}

void CommandsTest::undoDelete()
{
    TestHome home;
    const QString folder = home.notesFolder();
    TestFiles::write(folder + "/Older.md", "Older", Day::monday);
    TestFiles::write(folder + "/Plan.md", "Plan", Day::tuesday);
    const auto app = start(folder);
    ContentView& window = app->window();
    QVERIFY(activate(&window));
    QStringList menus;
    for (const QAction* menu : window.menuBar()->actions())
        menus.append(menu->text());
    QCOMPARE(menus, QStringList({"&File", "&Edit", "&Notes", "&View", "&Help"}));
    QAction* undo = app->commands().undoDelete();
    QVERIFY(!undo->isEnabled());
    QStringList asked;
    const auto deletePlan = [&] {
        app->store().setSelectedNote(app->store().notes().value(0));
        answerNextBox(asked, QStringLiteral("Move to Trash"));
        app->commands().deleteNote()->trigger();
        return TestFiles::entries(folder) == QStringList({"Older.md"}) && undo->isEnabled();
    };
    const auto planIsBack = [&] {
        return TestFiles::entries(folder) == QStringList({"Older.md", "Plan.md"}) &&
               app->store().selectedNote().value_or(Note()).title == "Plan" && !undo->isEnabled() &&
               !window.messageBar()->isVisible();
    };

    QVERIFY(deletePlan());
    QVERIFY(window.messageBar()->isVisible());
    QCOMPARE(window.messageBar()->text(), QStringLiteral("“Plan” was moved to the Trash"));
    QPushButton* undoButton = nullptr;
    for (QPushButton* button : window.messageBar()->findChildren<QPushButton*>()) {
        if (button->text() == "Undo" && button->isVisible())
            undoButton = button;
    }
    QVERIFY(undoButton);
    undoButton->click();
    QVERIFY(planIsBack());

    QVERIFY(deletePlan());
    QVERIFY(activate(&window));
    window.notesList()->setFocus();
    QTest::keyClick(window.notesList(), Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(planIsBack());

    QVERIFY(deletePlan());
    QVERIFY(activate(&window));
    QPlainTextEdit* edit = window.editor()->textEdit();
    edit->setFocus();
    edit->moveCursor(QTextCursor::End);
    QTest::keyClicks(edit, "x");
    QTest::keyClick(edit, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(edit->toPlainText(), QStringLiteral("Older"));
    // Nor anywhere else outside the list.
    window.messageBar()->dismissButton()->setFocus();
    QTest::keyClick(window.messageBar()->dismissButton(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(TestFiles::entries(folder), QStringList({"Older.md"}));
    QVERIFY(undo->isEnabled());
}

void CommandsTest::endedBySignal_data()
{
    QTest::addColumn<int>("sent");
    row("SIGTERM", SIGTERM);
    row("SIGINT", SIGINT);
    row("SIGHUP", SIGHUP);
}

// The system ends the application: what can be written is written, the rest is kept aside.
void CommandsTest::endedBySignal()
{
    QFETCH(int, sent);
    TestHome home;
    const QString folder = home.notesFolder();
    TestFiles::write(folder + "/Plan.md", "Plan");
    TestFiles::write(folder + "/Locked.md", "Locked");
    TestFiles::setReadOnly(folder + "/Locked.md", true);
    const auto app = start(folder);
    for (const Note& note : app->store().notes()) {
        const QString typed = note.content() + "\ntyped";
        app->store().editDraft(note, [typed]() -> std::optional<QString> { return typed; });
    }
    QTimer::singleShot(0, [sent] { ::raise(sent); });
    QTimer unanswered;
    connect(&unanswered, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    unanswered.start(10000);
    // As the application runs: in its own event loop, until the signal ends it.
    QCOMPARE(QApplication::exec(), 0);
    QCOMPARE(TestFiles::read(folder + "/Plan.md"), QByteArray("Plan\ntyped"));
    QCOMPARE(TestFiles::read(folder + "/Locked.md"), QByteArray("Locked"));
    QCOMPARE(TestFiles::entries(RecoveryFolder::path()),
             QStringList({"Locked.md", "Locked.md.origin"}));
    QCOMPARE(TestFiles::read(RecoveryFolder::path() + "/Locked.md"), QByteArray("Locked\ntyped"));
}

void CommandsTest::quitting_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("writable");
    QTest::addColumn<bool>("quitAnyway");
    row("close the window, cannot save, stay", "close", false, false);
    row("Ctrl+Q, cannot save, stay", "ctrl+q", false, false);
    row("Ctrl+Q, cannot save, quit anyway", "ctrl+q", false, true);
    row("Ctrl+Q writes what was typed", "ctrl+q", true, true);
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
    const auto app = start(folder);
    QPlainTextEdit* edit = app->window().editor()->textEdit();
    edit->moveCursor(QTextCursor::End);
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClicks(edit, "kept");
    QStringList asked;
    if (!writable)
        answerNextBox(asked, quitAnyway ? QStringLiteral("Quit Anyway") : QString());
    if (how == "close")
        QCOMPARE(app->window().close(), quitAnyway);
    else
        app->commands().quit()->trigger();
    // Whether to quit anyway, asked at once: no alert of the failed save before it.
    QCOMPARE(asked, writable ? QStringList() : QStringList({"Some notes couldn’t be saved"}));
    QCOMPARE(TestFiles::read(folder + "/Plan.md"), QByteArray(writable ? "Plan\nkept" : "Plan"));
    if (quitAnyway) {
        if (!writable)
            QCOMPARE(TestFiles::read(RecoveryFolder::path() + "/Plan.md"),
                     QByteArray("Plan\nkept"));
        QVERIFY(app->store().unsavedTexts().isEmpty());
        return;
    }
    QVERIFY(app->window().isVisible());
    QCOMPARE(edit->toPlainText(), QStringLiteral("Plan\nkept"));
    QVERIFY(TestFiles::entries(RecoveryFolder::path()).isEmpty());
}

QUILLBOX_GUI_TEST_MAIN(CommandsTest)
#include "tst_commands.moc"
