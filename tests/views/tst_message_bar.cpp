#include "views/message_bar.h"
#include "views/note_editor.h"
#include "views/notes_column.h"
#include "window_fixture.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>

namespace {

// The widget F6 or Shift+F6 moves the focus to.
QWidget* pressed(Qt::KeyboardModifiers modifiers = {})
{
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6, modifiers);
    return QApplication::focusWidget();
}

} // namespace

class MessageBarTest : public QObject
{
    Q_OBJECT

private slots:
    void readersHearItAndF6ReachesIt();
    void repeatedSaveFailureWaitsInTheBarForItsNote();
    void vanishedFolderIsSaidAboveTheList();
};

void MessageBarTest::readersHearItAndF6ReachesIt()
{
    WindowFixture w;
    w.writeThreeNotes();
    ContentView& window = w.open();
    MessageBar* bar = window.messageBar();
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(bar);
    QVERIFY(accessible);
    QCOMPARE(accessible->role(), QAccessible::AlertMessage);
    bar->showMessage("Saved elsewhere");
    QCOMPARE(accessible->text(QAccessible::Description), QStringLiteral("Saved elsewhere"));

    w.clickRow("Trip");
    QLineEdit* search = window.searchField();
    QWidget* list = window.notesList();
    QWidget* editor = w.edit();
    search->setFocus();
    QCOMPARE(pressed(), list);
    QCOMPARE(pressed(), editor);
    QCOMPARE(pressed(), bar->dismissButton());
    QCOMPARE(pressed(), search);
    QCOMPARE(pressed(Qt::ShiftModifier), bar->dismissButton());
    QCOMPARE(pressed(Qt::ShiftModifier), editor);
    // Hidden, the bar is passed over.
    QTest::mouseClick(bar->dismissButton(), Qt::LeftButton);
    editor->setFocus();
    QCOMPARE(pressed(), search);
    QCOMPARE(pressed(Qt::ShiftModifier), editor);
}

void MessageBarTest::repeatedSaveFailureWaitsInTheBarForItsNote()
{
    WindowFixture w;
    w.writeThreeNotes();
    ContentView& window = w.open();
    QSignalSpy preferences(w.commands, &NotesAppCommands::preferencesRequested);
    w.clickRow("Trip");
    TestFiles::setReadOnly(w.f.path("Trip.md"), true);
    w.edit()->moveCursor(QTextCursor::End);
    QTest::keyClicks(w.edit(), " by bus");
    w.f.commit("Trip.md");
    w.f.commit("Trip.md");
    QCOMPARE(w.f.alerts.shown.size(), 1);
    MessageBar* bar = window.messageBar();
    QVERIFY(bar->isVisible());
    QCOMPARE(bar->text(), QStringLiteral("“Trip” still can't be saved: Permission denied. Your "
                                         "text is kept."));
    QPushButton* action = nullptr;
    for (QPushButton* button : bar->findChildren<QPushButton*>()) {
        if (button->isVisible() && button->text() == "Open Preferences…")
            action = button;
    }
    QVERIFY(action);
    action->click();
    QCOMPARE(preferences.size(), 1);
    // Another note shown: the message goes (leaving Trip failed again, without an alert).
    w.clickRow("Ideas");
    QVERIFY(!bar->isVisible());
    QCOMPARE(w.f.alerts.shown.size(), 1);
    TestFiles::setReadOnly(w.f.path("Trip.md"), false);
}

void MessageBarTest::vanishedFolderIsSaidAboveTheList()
{
    WindowFixture w;
    w.writeThreeNotes();
    ContentView& window = w.open();
    QLabel* line = window.findChild<NotesColumn*>()->folderLine();
    QVERIFY(!line->isVisible());
    const QString away = w.f.folder + " away";
    QVERIFY(QDir().rename(w.f.folder, away));
    w.f.reload();
    QVERIFY(line->isVisible());
    QCOMPARE(line->text(), QStringLiteral("The notes folder “Notes” can’t be found. Reconnect it, "
                                          "or choose another folder in Preferences."));
    QVERIFY(QDir().rename(away, w.f.folder));
    w.f.reload();
    QVERIFY(!line->isVisible());
}

QUILLBOX_GUI_TEST_MAIN(MessageBarTest)
#include "tst_message_bar.moc"
