#include "views/content_view.h"
#include "views/empty_detail_view.h"
#include "views/message_bar.h"
#include "views/note_editor.h"
#include "views/notes_list_model.h"
#include "views/row_text.h"
#include "window_fixture.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QTimeZone>
#include <QToolBar>

#include <ctime>
#include <unistd.h>

namespace {

const QDateTime thursday(QDate(2026, 3, 5), QTime(9, 0));

// A store on three notes, and the window and its commands as the application builds them.
class ThreeNotes : public WindowFixture
{
public:
    ThreeNotes() { writeThreeNotes(); }
    QPlainTextEdit* editAtEnd() const
    {
        edit()->moveCursor(QTextCursor::End);
        return edit();
    }
};

} // namespace

class ContentViewTest : public QObject
{
    Q_OBJECT

private slots:
    void notesList();
    void rowDatesAreLocalTime();
    void selectionKeysAndCommands();
    void editorFollowsTheNote();
    void editorKeepsItsPlaceWhenTheFileChanges();
    void viewingNeverWrites();
    void historyTroubleIsSaidInTheBar();
};

// What a screen reader reads of a row; changes reach the list as the rows they touch.
void ContentViewTest::notesList()
{
    ThreeNotes w;
    const QString conflictName = "Plan.sync-conflict-20260303-101500-ABCDEFG";
    w.f.write(conflictName + ".md", "Plan from the phone", Day::tuesday.addSecs(60));
    ContentView& window = w.open();
    NotesListModel* model = window.notesModel();
    const auto spoken = [&](int row) {
        return model->index(row).data(Qt::AccessibleTextRole).toString();
    };
    QCOMPARE(spoken(0), "Ideas, " + RowText::date(Day::wednesday));
    QCOMPARE(spoken(1), conflictName + ", Conflict copy of “Plan”, " +
                            RowText::date(Day::tuesday.addSecs(60)));

    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QString log; // one letter a signal: removed, moved, inserted, changed; never a reset
    connect(model, &QAbstractItemModel::rowsRemoved, this, [&] { log += 'r'; });
    connect(model, &QAbstractItemModel::rowsMoved, this, [&] { log += 'm'; });
    connect(model, &QAbstractItemModel::rowsInserted, this, [&] { log += 'i'; });
    connect(model, &QAbstractItemModel::dataChanged, this, [&] { log += 'c'; });
    const auto told = [&] {
        settle();
        return std::exchange(log, {});
    };
    // Rewritten (now the newest), changed under the same date, deleted, added (the oldest). The
    // added file is given the deleted one's inode, as a disk may hand it on at once: that is
    // no rename.
    w.f.write("Groceries.md", "Groceries\nmilk, eggs", thursday);
    w.f.write("Trip.md", "Trip\ntrain at 7:30", Day::tuesday);
    QCOMPARE(::link(QFile::encodeName(w.f.path("Ideas.md")).constData(),
                    QFile::encodeName(w.f.path("Inbox.md")).constData()),
             0);
    QFile::remove(w.f.path("Ideas.md"));
    w.f.write("Inbox.md", "Inbox", Day::monday.addDays(-1));
    w.f.store().loadNotes();
    QCOMPARE(told(), "rmicc");
    window.searchField()->setText("milk");
    QCOMPARE(told(), "r");
    window.searchField()->clear();
    QCOMPARE(told(), "i");
    w.f.clock.current = thursday.addDays(2);
    w.f.type("Inbox.md", "Inbox\nsorted");
    w.f.store().saveDraftNow(w.f.path("Inbox.md"));
    QCOMPARE(told(), "mc");
    // Under a search, a note that starts to match comes in, and a save moves a row among the
    // rows shown.
    window.searchField()->setText("train");
    QCOMPARE(told(), "r");
    for (const auto& [name, text] : {std::pair("Groceries.md", "Groceries\ntrain"),
                                     std::pair("Trip.md", "Trip\ntrain at 7:45")}) {
        w.f.clock.current = w.f.clock.current.addSecs(60);
        w.f.type(name, text);
        w.f.store().saveDraftNow(w.f.path(name));
        QCOMPARE(told(), name == QLatin1String("Trip.md") ? "mc" : "i");
    }
    QCOMPARE(w.f.titles(), QStringList({"Trip", "Groceries"}));
    // Saved with a date older than a hidden note: among the rows shown it stays where it was.
    w.f.clock.current = w.f.clock.current.addSecs(-150);
    w.f.type("Groceries.md", "Groceries\ntrain tickets");
    w.f.store().saveDraftNow(w.f.path("Groceries.md"));
    QCOMPARE(told(), "c");
    // A note that arrives above them and is hidden by the search changes no row shown.
    w.f.write("Zebra.md", "Zebra", w.f.clock.current.addDays(1));
    w.f.reload();
    QCOMPARE(told(), "");
    QCOMPARE(model->rowCount(), w.f.titles().size());
    for (int row = 0; row < model->rowCount(); ++row)
        QCOMPARE(model->index(row).data().toString(), w.f.titles()[row]);
}

// Files carry their times in UTC; the list shows the user's own clock.
void ContentViewTest::rowDatesAreLocalTime()
{
    const QByteArray zone = qgetenv("TZ");
    const auto restore = qScopeGuard([&] {
        zone.isNull() ? qunsetenv("TZ") : qputenv("TZ", zone);
        ::tzset();
    });
    qputenv("TZ", "Pacific/Auckland");
    ::tzset();
    // Noon in UTC is one in the morning of the next day in Auckland's summer.
    QCOMPARE(RowText::date(QDateTime(QDate(2026, 3, 2), QTime(12, 0), QTimeZone::utc())),
             QStringLiteral("3 Mar 2026 01:00"));
}

// Search, list and editor without the mouse; the list shows the store's selection and hands
// the user's choices to it; each command, in the menu and the toolbar, acts on the selection.
void ContentViewTest::selectionKeysAndCommands()
{
    ThreeNotes w;
    ContentView& window = w.open();
    NotesAppCommands& commands = *w.commands;
    QLineEdit* search = window.searchField();
    QListView* list = window.notesList();
    QPlainTextEdit* edit = window.editor()->textEdit();
    edit->setFocus();
    commands.search()->trigger();
    QVERIFY(!search->hasFocus()); // not inside the menu's own event
    QTRY_VERIFY(search->hasFocus());
    QTest::keyClicks(search, "nothing like this");
    QVERIFY(window.noMatchesLabel()->isVisible());
    QTest::keyClick(search, Qt::Key_Escape);
    QVERIFY(search->text().isEmpty() && !window.noMatchesLabel()->isVisible());
    QTest::keyClick(search, Qt::Key_Down);
    QVERIFY(list->hasFocus());
    QTest::keyClick(list, Qt::Key_Return);
    QVERIFY(edit->hasFocus());

    // Delete and Ctrl+Backspace edit text, and in the list ask to delete the note (cancelled).
    const QKeySequence ctrlBackspace(Qt::CTRL | Qt::Key_Backspace);
    w.f.store().setSaveDelay(60000);
    QTest::keyClicks(w.editAtEnd(), " and more");
    for (const QKeySequence& keys : {QKeySequence(Qt::Key_Delete), ctrlBackspace})
        QTest::keySequence(edit, keys);
    QCOMPARE(w.editorText(), QStringLiteral("Ideas\nplain text and "));
    search->setText("milk eggs");
    search->setFocus();
    QTest::keySequence(search, ctrlBackspace);
    QCOMPARE(search->text(), QStringLiteral("milk "));
    search->clear();
    QCOMPARE(w.f.alerts.shown.size(), 0);
    list->setFocus();
    for (const QKeySequence& keys : {QKeySequence(Qt::Key_Delete), ctrlBackspace})
        QTest::keySequence(list, keys);
    QCOMPARE(w.f.alerts.shown.size(), 2);

    // Print takes the editor's text, saved or not.
    commands.print()->trigger();
    QCOMPARE(w.f.printer.printed.value(0).title + ": " + w.f.printer.printed.value(0).body,
             QStringLiteral("Ideas: Ideas\nplain text and "));
    // The note left is on disk before the next one shows: a crash while it loads loses nothing.
    QByteArray onDiskWhenShown;
    const auto connection = connect(&w.f.store(), &NotesStore::selectedNoteChanged, this,
                                    [&] { onDiskWhenShown = w.f.read("Ideas.md"); });
    w.clickRow("Trip");
    disconnect(connection);
    QCOMPARE(onDiskWhenShown, QByteArray("Ideas\nplain text and "));
    QCOMPARE(w.editorText(), QStringLiteral("Trip\ntrain at 6"));

    // A search that hides the selected note leaves it selected and shown.
    QTest::keyClicks(search, "MILK");
    QCOMPARE(w.highlighted(), QString());
    QCOMPARE(w.f.store().selectedNote().value_or(Note()).title, QStringLiteral("Trip"));
    QVERIFY(window.showsEditor());
    search->clear();
    QCOMPARE(w.highlighted(), QStringLiteral("Trip"));
    // A selection the store makes shows in the list; print and the toolbar's delete follow it,
    // the menu's Delete Note stays (and without a selection does nothing).
    for (const QString& name : {QString(), QStringLiteral("Groceries"), QStringLiteral("Trip")}) {
        w.f.store().setSelectedNote(name.isEmpty() ? std::optional<Note>()
                                                   : w.f.note(name + ".md"));
        QCOMPARE(w.highlighted(), name);
        QVERIFY(commands.deleteNote()->isEnabled());
        QCOMPARE(commands.deleteButton()->isEnabled(), !name.isEmpty());
        QCOMPARE(commands.print()->isEnabled(), !name.isEmpty());
        if (name.isEmpty()) {
            commands.deleteNote()->trigger();
            QCOMPARE(w.f.alerts.shown.size(), 2);
        }
    }

    QToolBar* toolbar = window.findChild<QToolBar*>();
    QWidget* deleteButton = toolbar->widgetForAction(commands.deleteButton());
    QWidget* newButton = toolbar->widgetForAction(commands.newNote());
    QVERIFY(deleteButton && newButton);
    w.f.alerts.answerNext(true);
    QTest::mouseClick(deleteButton, Qt::LeftButton);
    settle();
    QCOMPARE(w.highlighted(), QStringLiteral("Ideas"));
    // Deselected: the editor commits what it showed and makes way for the empty detail.
    QTest::keyClicks(w.editAtEnd(), "!");
    w.clickRow("Ideas", Qt::ControlModifier);
    QVERIFY(window.emptyDetail()->label()->isVisible());
    QCOMPARE(w.f.read("Ideas.md"), QByteArray("Ideas\nplain text and !"));
    // However a note is made, typing goes into it at once; a dated name is typed over.
    QTest::mouseClick(newButton, Qt::LeftButton);
    QCOMPARE(w.editorText(), w.highlighted());
    QVERIFY(!w.highlighted().isEmpty() && edit->hasFocus());
    QCOMPARE(edit->textCursor().selectedText(), w.highlighted());
}

// Without a folder the chooser opens once the window shows, and is offered again when cancelled.
// The editor shows what the store holds of its note: unreadable, changed elsewhere, renamed.
void ContentViewTest::editorFollowsTheNote()
{
    ThreeNotes w;
    w.f.write("Latin.md", "Caf\xE9", thursday);
    ContentView& window = w.open(false);
    QCOMPARE(w.f.panel.presented, 0);
    QTRY_COMPARE(w.f.panel.presented, 1);
    w.f.panel.answer(QString());
    settle();
    QVERIFY(window.emptyDetail()->welcome()->isVisible());
    QVERIFY(window.emptyDetail()->welcome()->text().contains("~/Documents/Notes"));
    QTest::mouseClick(window.emptyDetail()->chooseButton(), Qt::LeftButton);
    QCOMPARE(w.f.panel.presented, 2);
    w.f.panel.answer(w.f.folder);
    settle();

    QPlainTextEdit* edit = window.editor()->textEdit();
    const auto* notice = window.editor()->findChild<QLabel*>();
    QVERIFY(window.showsEditor() && edit->isReadOnly() && notice->isVisible());
    w.clickRow("Trip");
    QVERIFY(!edit->isReadOnly() && !notice->isVisible());
    // Shown, not edited: the editor follows the file.
    w.f.write("Trip.md", "Trip\ntrain at 7:30", Day::tuesday);
    window.applicationStateChanged(Qt::ApplicationActive);
    settle();
    QCOMPARE(w.editorText(), QStringLiteral("Trip\ntrain at 7:30"));
    // Renamed by its first line: the same editor goes on writing into the new file.
    edit->selectAll();
    QTest::keyClicks(edit, "Journey");
    QTRY_COMPARE(w.f.read("Journey.md"), QByteArray("Journey"));
    QTest::keyClick(w.editAtEnd(), Qt::Key_Return);
    QTest::keyClicks(edit, "more");
    QTRY_COMPARE(w.f.read("Journey.md"), QByteArray("Journey\nmore"));

    // Another program changed the line being typed on: the window says where the user's text
    // went, and keeps saying it when the copy is named anew by its first line.
    QTest::keyClicks(edit, " and tea");
    w.f.write("Journey.md", "Journey\nless", Day::wednesday);
    w.f.commit("Journey.md");
    QVERIFY(window.messageBar()->text().contains("“Journey (conflict 2026-03-14 092653).md”"));
    QTest::keyClick(edit, Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClicks(edit, "My ");
    QTRY_VERIFY(window.messageBar()->text().contains("“My Journey.md”"));
    QTest::mouseClick(window.messageBar()->dismissButton(), Qt::LeftButton);
    QVERIFY(!window.messageBar()->isVisible());
}

// Another program added a line above the one being read: the cursor stays on that line, the
// view where it was.
void ContentViewTest::editorKeepsItsPlaceWhenTheFileChanges()
{
    StoreFixture f;
    QString text;
    for (int line = 1; line <= 200; ++line)
        text += QStringLiteral("line %1\n").arg(line);
    f.write("Long.md", text.toUtf8());
    f.start();
    NoteEditor editor(f.store());
    editor.resize(300, 200);
    editor.show();
    editor.setNote(f.note("Long.md"));
    QPlainTextEdit* edit = editor.textEdit();
    edit->verticalScrollBar()->setValue(120);
    QTextCursor cursor = edit->textCursor();
    cursor.setPosition(int(text.indexOf("line 125\n")));
    edit->setTextCursor(cursor);
    QCOMPARE(edit->verticalScrollBar()->value(), 120);

    const QString changed = "added\n" + text;
    f.write("Long.md", changed.toUtf8(), Day::tuesday);
    f.reload();
    editor.setNote(f.note("Long.md"));
    QCOMPARE(editor.text(), changed);
    QCOMPARE(edit->textCursor().position(), changed.indexOf("line 125\n"));
    QCOMPARE(edit->verticalScrollBar()->value(), 120);
}

// Shown, left, the application left: nothing is written. An edit keeps the file's line endings
// and the characters the editor's plain text would turn into a space and a line feed.
void ContentViewTest::viewingNeverWrites()
{
    ThreeNotes w;
    const QByteArray spaces("Spaces\xC2\xA0"
                            "A\xE2\x80\xA8"
                            "B");
    // Name and bytes, before and after Return and "x"; mixed endings are made one by an edit.
    const QList<std::array<QByteArray, 4>> notes{
        {"CRLF.md", "CRLF\r\nline\r\n", "CRLF.md", "CRLF\r\nline\r\n\r\nx"},
        {"CR.md", "CR\rline", "CR.md", "CR\rline\rx"},
        {"Mixed.md", "Mixed\r\nline\nmore\rend", "Mixed.md", "Mixed\r\nline\r\nmore\r\nend\r\nx"},
        {"Spaces.md", spaces, "Spaces A.md", spaces + "\nx"}};
    for (const auto& note : notes)
        w.f.write(QString::fromUtf8(note[0]), note[1], thursday.addSecs(note[1].size()));
    ContentView& window = w.open();
    const QStringList files = w.f.files();
    for (const auto& note : notes)
        w.clickRow(QString::fromUtf8(note[0]).chopped(3));
    w.clickRow("Trip");
    window.applicationStateChanged(Qt::ApplicationInactive);
    QTest::qWait(3 * w.f.store().saveDelay());
    settle();
    QVERIFY(w.f.store().unsavedTexts().isEmpty());
    QCOMPARE(w.f.files(), files);
    for (const auto& note : notes)
        QCOMPARE(w.f.read(QString::fromUtf8(note[0])), note[1]);

    // Each edited, left for the next; the last written when the application is left.
    for (const auto& note : notes) {
        w.clickRow(QString::fromUtf8(note[0]).chopped(3));
        QPlainTextEdit* edit = w.editAtEnd();
        QTest::keyClick(edit, Qt::Key_Return);
        QTest::keyClicks(edit, "x");
    }
    window.applicationStateChanged(Qt::ApplicationInactive);
    settle();
    for (const auto& note : notes)
        QCOMPARE(w.f.read(QString::fromUtf8(note[2])), note[3]);
}

// Said at the start, whenever the window was made; the notes are saved all the same.
void ContentViewTest::historyTroubleIsSaidInTheBar()
{
    ThreeNotes w;
    w.f.home.makeFolder(".local/state");
    TestFiles::write(w.f.home.path() + "/.local/state/quillbox", "a file where the folder is");
    ContentView& window = w.open();
    QTRY_VERIFY(window.messageBar()->isVisible());
    QVERIFY2(
        window.messageBar()->text().startsWith("Earlier versions of your notes can’t be kept: "),
        qPrintable(window.messageBar()->text()));
    // A window made after it was said says it too.
    ContentView later(w.f.store(), w.f.printer);
    QVERIFY(!later.messageBar()->isHidden());
    QCOMPARE(later.messageBar()->text(), window.messageBar()->text());
}

QUILLBOX_GUI_TEST_MAIN(ContentViewTest)
#include "tst_content_view.moc"
