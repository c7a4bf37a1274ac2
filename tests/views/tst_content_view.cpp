#include "app/notes_app_commands.h"
#include "store_fixture.h"
#include "views/content_view.h"
#include "views/empty_detail_view.h"
#include "views/message_bar.h"
#include "views/note_editor.h"
#include "views/note_row_delegate.h"
#include "views/notes_list_model.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>

namespace {

const QDateTime monday(QDate(2026, 3, 2), QTime(9, 0));
const QDateTime tuesday(QDate(2026, 3, 3), QTime(9, 0));
const QDateTime wednesday(QDate(2026, 3, 4), QTime(9, 0));
const QDateTime thursday(QDate(2026, 3, 5), QTime(9, 0));

// A store on a folder of three notes, and the window with its commands, as the application
// builds them.
class WindowFixture
{
public:
    WindowFixture()
    {
        TestFiles::write(f.path("Groceries.md"), "Groceries\nmilk", monday);
        TestFiles::write(f.path("Trip.md"), "Trip\ntrain at 6", tuesday);
        TestFiles::write(f.path("Ideas.md"), "Ideas\nplain text", wednesday);
    }
    ContentView& open(bool withFolder = true)
    {
        f.start();
        if (!withFolder) {
            f.store().setFolderURL(QString());
            settle();
        }
        window = std::make_unique<ContentView>(f.store(), f.printer);
        commands = new NotesAppCommands(f.store(), *window);
        QObject::connect(window.get(), &ContentView::folderNeeded, &f.chooser(),
                         &FolderChooser::chooseFolderIfNeeded);
        window->show();
        QApplication::setActiveWindow(window.get());
        if (!QTest::qWaitForWindowActive(window.get()))
            qWarning("The window is not active: keys typed into it go nowhere");
        settle();
        return *window;
    }
    void clickRow(const QString& title, Qt::KeyboardModifiers modifiers = {})
    {
        const int row = rows().indexOf(title);
        QVERIFY2(row >= 0, qPrintable(title));
        QListView* list = window->notesList();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers,
                          list->visualRect(window->notesModel()->index(row)).center());
        settle();
    }
    QStringList rows() const
    {
        QStringList titles;
        for (int row = 0; row < window->notesModel()->rowCount(); ++row)
            titles.append(window->notesModel()->index(row).data().toString());
        return titles;
    }
    QString highlighted() const
    {
        const QModelIndexList selected = window->notesList()->selectionModel()->selectedRows();
        return selected.isEmpty() ? QString() : selected.first().data().toString();
    }
    QPlainTextEdit* editAtEnd() const
    {
        window->editor()->textEdit()->moveCursor(QTextCursor::End);
        return window->editor()->textEdit();
    }
    QString editorText() const { return window->editor()->textEdit()->toPlainText(); }
    QString selectedTitle() { return f.store().selectedNote().value_or(Note()).title; }

    StoreFixture f;
    std::unique_ptr<ContentView> window;
    NotesAppCommands* commands = nullptr; // owned by the window
};

} // namespace

class ContentViewTest : public QObject
{
    Q_OBJECT

private slots:
    void notesList();
    void selectionLivesInTheStore();
    void keysAndCommands();
    void deleteKeys_data();
    void deleteKeys();
    void editorFollowsTheNote();
    void viewingNeverWrites_data();
    void viewingNeverWrites();
};

// What a screen reader reads of a row, rows that keep to their place at the narrowest, and
// changes told as the rows they touch.
void ContentViewTest::notesList()
{
    WindowFixture w;
    const QString conflictName = "Plan.sync-conflict-20260303-101500-ABCDEFG";
    TestFiles::write(w.f.path(conflictName + ".md"), "Plan from the phone", tuesday.addSecs(60));
    const QString longTitle = QString(80, QLatin1Char('W'));
    TestFiles::write(w.f.path(longTitle + ".md"), longTitle.toUtf8(), monday.addSecs(60));
    ContentView& window = w.open();
    QVERIFY(QFontInfo(window.editor()->textEdit()->font()).fixedPitch());
    QListView* list = window.notesList();
    NotesListModel* model = window.notesModel();
    QCOMPARE(model->index(0).data(Qt::AccessibleTextRole).toString(),
             "Ideas, " + NotesListModel::dateText(wednesday));
    const int conflictRow = w.rows().indexOf(conflictName);
    QCOMPARE(model->index(conflictRow).data(Qt::AccessibleTextRole).toString(),
             conflictName + ", Conflict copy of “Plan”, " +
                 NotesListModel::dateText(tuesday.addSecs(60)));
    // The time without seconds, even in the C locale, whose short time has them.
    QCOMPARE(NotesListModel::dateText(QDateTime(QDate(2026, 3, 2), QTime(9, 5, 42))).count(u':'),
             1);

    // Long titles are cut, never drawn past the row's right edge or over the next row.
    window.splitter()->setSizes({100, 500});
    settle();
    const QImage image = list->viewport()->grab().toImage();
    const qreal ratio = image.devicePixelRatio();
    for (int row = 0; row < model->rowCount(); ++row) {
        const QRect rect = list->visualRect(model->index(row));
        QVERIFY(rect.right() < list->viewport()->width());
        const QColor background = image.pixelColor(QPoint(rect.right(), rect.top()) * ratio);
        for (int x = rect.right() + 1 - NoteRowDelegate::horizontalPadding; x <= rect.right(); ++x)
            for (int y = rect.top(); y <= rect.bottom(); ++y)
                QCOMPARE(image.pixelColor(QPoint(x, y) * ratio), background);
    }

    // Changes reach the list as the rows they touch, never as a new list.
    QAbstractItemModelTester tester(window.notesModel(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    QStringList told;
    const auto log = [&told](const char* kind) {
        return [&told, kind](const QModelIndex&, int first, int last) {
            told.append(QStringLiteral("%1 %2").arg(kind).arg(last - first + 1));
        };
    };
    connect(model, &QAbstractItemModel::rowsInserted, this, log("insert"));
    connect(model, &QAbstractItemModel::rowsRemoved, this, log("remove"));
    connect(model, &QAbstractItemModel::rowsMoved, this, log("move"));
    connect(model, &QAbstractItemModel::dataChanged, this,
            [change = log("change")](const QModelIndex& from, const QModelIndex& to) {
                change({}, from.row(), to.row());
            });
    connect(model, &QAbstractItemModel::modelReset, this, [&] { told.append("reset"); });
    connect(model, &QAbstractItemModel::layoutChanged, this, [&] { told.append("layout"); });
    const auto step = [&](const char* what, const QStringList& expected) {
        settle();
        QCOMPARE(w.rows(), w.f.titles());
        // The step's name leads both lists, so a failure says which step it was.
        QCOMPARE(QStringList(what) + std::exchange(told, {}), QStringList(what) + expected);
    };

    // Groceries rewritten (now the newest) and Trip's text changed under the same date, the
    // conflict copy between them; Ideas deleted, Inbox added (the oldest).
    TestFiles::write(w.f.path("Groceries.md"), "Groceries\nmilk, eggs", thursday);
    TestFiles::write(w.f.path("Trip.md"), "Trip\ntrain at 7:30", tuesday);
    QFile::remove(w.f.path("Ideas.md"));
    TestFiles::write(w.f.path("Inbox.md"), "Inbox", monday.addDays(-1));
    w.f.store().loadNotes();
    step("reload after other programs", {"remove 1", "move 1", "insert 1", "change 1", "change 1"});
    window.searchField()->setText("milk");
    step("search narrows", {"remove 4"});
    window.searchField()->clear();
    step("search widens", {"insert 4"});
    w.f.clock.current = thursday.addDays(2);
    w.f.store().commitText("Inbox\nsorted", w.f.note("Inbox.md"));
    step("an old note saved moves to the top", {"move 1", "change 1"});
}

// The list shows the store's selection and hands the user's choices to it.
void ContentViewTest::selectionLivesInTheStore()
{
    WindowFixture w;
    ContentView& window = w.open();
    QCOMPARE(w.highlighted(), QStringLiteral("Ideas"));
    QCOMPARE(w.editorText(), QStringLiteral("Ideas\nplain text"));
    w.f.store().setSaveDelay(60000);
    QTest::keyClicks(w.editAtEnd(), " and more");
    // The note left is on disk before the next one is shown, with no turn of the event loop
    // in between: a crash while a large note loads cannot take the text with it.
    QByteArray onDiskWhenShown;
    const auto connection = connect(&w.f.store(), &NotesStore::selectedNoteChanged, this, [&] {
        onDiskWhenShown = TestFiles::read(w.f.path("Ideas.md"));
    });
    w.clickRow("Trip");
    disconnect(connection);
    QCOMPARE(onDiskWhenShown, QByteArray("Ideas\nplain text and more"));
    QCOMPARE(w.selectedTitle(), QStringLiteral("Trip"));
    QCOMPARE(w.editorText(), QStringLiteral("Trip\ntrain at 6"));

    // A search that hides the selected note leaves it selected and shown.
    QTest::keyClicks(window.searchField(), "MILK");
    QCOMPARE(w.rows(), QStringList({"Groceries"}));
    QCOMPARE(w.highlighted(), QString());
    QCOMPARE(w.selectedTitle(), QStringLiteral("Trip"));
    QVERIFY(window.showsEditor());
    window.searchField()->clear();
    QCOMPARE(w.highlighted(), QStringLiteral("Trip"));

    // A selection the store makes shows in the list.
    w.f.store().setSelectedNote(w.f.note("Groceries.md"));
    QCOMPARE(w.highlighted(), QStringLiteral("Groceries"));
    QCOMPARE(w.editorText(), QStringLiteral("Groceries\nmilk"));

    // Deselected: the editor commits what it showed and makes way for the empty detail.
    QTest::keyClicks(w.editAtEnd(), ", eggs");
    w.clickRow("Groceries", Qt::ControlModifier);
    QCOMPARE(w.selectedTitle(), QString());
    QVERIFY(window.emptyDetail()->label()->isVisible());
    QVERIFY(!window.emptyDetail()->chooseButton()->isVisible());
    QCOMPARE(TestFiles::read(w.f.path("Groceries.md")), QByteArray("Groceries\nmilk, eggs"));
}

// Search, list and editor without the mouse; New Note, Delete Note and Print…, one action each,
// in the menu and the toolbar.
void ContentViewTest::keysAndCommands()
{
    WindowFixture w;
    ContentView& window = w.open();
    NotesAppCommands& commands = *w.commands;
    QLineEdit* search = window.searchField();
    QListView* list = window.notesList();
    window.editor()->textEdit()->setFocus();
    commands.search()->trigger();
    QVERIFY(!search->hasFocus()); // not inside the menu's own event
    QTRY_VERIFY(search->hasFocus());
    QTest::keyClicks(search, "nothing like this");
    QVERIFY(window.noMatchesLabel()->isVisible());
    QTest::keyClick(search, Qt::Key_Escape);
    QCOMPARE(search->text(), QString());
    QVERIFY(!window.noMatchesLabel()->isVisible());
    QTest::keyClick(search, Qt::Key_Down);
    QVERIFY(list->hasFocus());
    QStringList visited;
    for (const Qt::Key key : {Qt::Key_Down, Qt::Key_End, Qt::Key_Up, Qt::Key_Home}) {
        QTest::keyClick(list, key);
        visited.append(w.selectedTitle());
    }
    QCOMPARE(visited, QStringList({"Trip", "Groceries", "Trip", "Ideas"}));
    QTest::keyClick(list, Qt::Key_Return);
    QVERIFY(window.editor()->textEdit()->hasFocus());
    auto* more = window.findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button"));
    QVERIFY(more && !more->accessibleName().isEmpty());
    for (QToolButton* button : search->findChildren<QToolButton*>())
        QCOMPARE(button->accessibleName(), QStringLiteral("Clear Search"));

    w.f.store().setSaveDelay(60000);
    QTest::keyClicks(w.editAtEnd(), " (draft)");
    commands.print()->trigger();
    QCOMPARE(w.f.printer.printed.size(), 1);
    QCOMPARE(w.f.printer.printed[0].title, QStringLiteral("Ideas"));
    QCOMPARE(w.f.printer.printed[0].body, QStringLiteral("Ideas\nplain text (draft)"));
    for (const bool selected : {false, true}) {
        w.f.store().setSelectedNote(selected ? w.f.note("Trip.md") : std::optional<Note>());
        QCOMPARE(commands.deleteNote()->isEnabled(), selected);
        QCOMPARE(commands.print()->isEnabled(), selected);
    }
    const auto click = [&](QAction* action) {
        QWidget* button = window.findChild<QToolBar*>()->widgetForAction(action);
        QVERIFY(button);
        QTest::mouseClick(button, Qt::LeftButton);
        settle();
    };
    w.f.alerts.answerNext(true);
    click(commands.deleteNote());
    QCOMPARE(w.f.alerts.shown.size(), 1);
    QCOMPARE(w.rows(), QStringList({"Ideas", "Groceries"}));
    QCOMPARE(w.highlighted(), QStringLiteral("Ideas"));
    // However a note is made, typing goes into it at once.
    click(commands.newNote());
    const QString name = QStringLiteral("Daily Notes - 2026-03-14 092653");
    QCOMPARE(w.highlighted(), name);
    QCOMPARE(w.editorText(), name);
    QVERIFY(window.editor()->textEdit()->hasFocus());
    QCOMPARE(window.editor()->textEdit()->textCursor().position(), name.size());
}

void ContentViewTest::deleteKeys_data()
{
    QTest::addColumn<QString>("where");
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<QString>("textAfter"); // empty: the note is deleted, after asking
    const QKeySequence ctrlBackspace(Qt::CTRL | Qt::Key_Backspace);
    QTest::newRow("Delete in the list") << "list" << QKeySequence(Qt::Key_Delete) << QString();
    QTest::newRow("Ctrl+Backspace in the list") << "list" << ctrlBackspace << QString();
    QTest::newRow("Delete in the editor")
        << "editor" << QKeySequence(Qt::Key_Delete) << "Ideas\nplain text";
    QTest::newRow("Ctrl+Backspace in the editor") << "editor" << ctrlBackspace << "Ideas\nplain ";
    QTest::newRow("Ctrl+Backspace in the search") << "search" << ctrlBackspace << "milk ";
}

void ContentViewTest::deleteKeys()
{
    QFETCH(QString, where);
    QFETCH(QKeySequence, keys);
    QFETCH(QString, textAfter);
    WindowFixture w;
    ContentView& window = w.open();
    window.searchField()->setText(where == "search" ? "milk eggs" : "");
    QWidget* target = where == "list"     ? window.notesList()
                      : where == "editor" ? static_cast<QWidget*>(w.editAtEnd())
                                          : window.searchField();
    target->setFocus();
    QTest::keySequence(target, keys);
    QCOMPARE(w.f.alerts.shown.size(), textAfter.isEmpty() ? 1 : 0); // the question to delete
    if (!textAfter.isEmpty())
        QCOMPARE(where == "search" ? window.searchField()->text() : w.editorText(), textAfter);
}

// Without a folder the chooser opens, and is offered again when cancelled. The editor shows what
// the store holds of its note: unreadable, changed elsewhere, renamed.
void ContentViewTest::editorFollowsTheNote()
{
    WindowFixture w;
    TestFiles::write(w.f.path("Latin.md"), "Caf\xE9", thursday);
    ContentView& window = w.open(false);
    QCOMPARE(w.f.panel.presented, 0);
    QVERIFY(!window.showsEditor());
    QTRY_COMPARE(w.f.panel.presented, 1);
    w.f.panel.answer(QString());
    settle();
    QVERIFY(window.emptyDetail()->label()->text().startsWith("No notes folder is chosen yet."));
    QTest::mouseClick(window.emptyDetail()->chooseButton(), Qt::LeftButton);
    QCOMPARE(w.f.panel.presented, 2);
    w.f.panel.answer(w.f.folder);
    settle();
    QVERIFY(!window.emptyDetail()->chooseButton()->isVisible());

    QPlainTextEdit* edit = window.editor()->textEdit();
    const auto* notice = window.editor()->findChild<QLabel*>();
    QCOMPARE(w.highlighted(), QStringLiteral("Latin"));
    QVERIFY(window.showsEditor() && edit->isReadOnly() && notice->isVisible());
    w.clickRow("Trip");
    QVERIFY(!edit->isReadOnly() && !notice->isVisible());

    // Shown, not edited: the editor follows the file.
    TestFiles::write(w.f.path("Trip.md"), "Trip\ntrain at 7:30", tuesday);
    window.applicationStateChanged(Qt::ApplicationActive);
    settle();
    QCOMPARE(w.editorText(), QStringLiteral("Trip\ntrain at 7:30"));
    // Renamed by its first line: the same editor goes on writing into the new file.
    edit->selectAll();
    QTest::keyClicks(edit, "Journey");
    QTRY_COMPARE(TestFiles::read(w.f.path("Journey.md")), QByteArray("Journey"));
    QCOMPARE(w.highlighted(), QStringLiteral("Journey"));
    QTest::keyClick(w.editAtEnd(), Qt::Key_Return);
    QTest::keyClicks(edit, "more");
    QTRY_COMPARE(TestFiles::read(w.f.path("Journey.md")), QByteArray("Journey\nmore"));

    // A conflict copy: the window says where the user's text went.
    emit w.f.store().conflictCopySaved(w.f.path("Journey.md"), w.f.path("Journey (conflict).md"));
    QVERIFY(window.messageBar()->isVisible());
    QVERIFY(window.messageBar()->text().contains(QStringLiteral("“Journey (conflict).md”")));
    QTest::mouseClick(window.messageBar()->dismissButton(), Qt::LeftButton);
    QVERIFY(!window.messageBar()->isVisible());
}

void ContentViewTest::viewingNeverWrites_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("savedAs");
    QTest::addColumn<QByteArray>("edited"); // after Return and "x" at the end
    QTest::newRow("CRLF") << QByteArray("Note\r\nline\r\n") << "Note.md"
                          << QByteArray("Note\r\nline\r\n\r\nx");
    QTest::newRow("CR") << QByteArray("Note\rline") << "Note.md" << QByteArray("Note\rline\rx");
    // Shown in the editor, it differs from its file: only an edit may write it.
    QTest::newRow("mixed: the first ending") << QByteArray("Note\r\nline\nmore\rend") << "Note.md"
                                             << QByteArray("Note\r\nline\r\nmore\r\nend\r\nx");
    // Characters the editor's plain text would turn into a space and a line feed.
    const QByteArray spaces("Note\xC2\xA0"
                            "A\xE2\x80\xA8"
                            "B");
    QTest::newRow("no-break space, line separator") << spaces << "Note A.md" << spaces + "\nx";
}

// Shown, left, shown again, the application left: nothing was typed, nothing is written.
void ContentViewTest::viewingNeverWrites()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, savedAs);
    QFETCH(QByteArray, edited);
    WindowFixture w;
    TestFiles::write(w.f.path("Note.md"), bytes, thursday);
    ContentView& window = w.open();
    const QStringList files = TestFiles::entries(w.f.folder);
    QCOMPARE(w.f.store().selectedNote()->url, w.f.path("Note.md"));
    w.clickRow("Trip");
    w.clickRow("Note");
    window.applicationStateChanged(Qt::ApplicationInactive);
    QTest::qWait(3 * w.f.store().saveDelay());
    settle();
    QVERIFY(w.f.store().drafts().isEmpty());
    QCOMPARE(TestFiles::entries(w.f.folder), files);
    QCOMPARE(TestFiles::read(w.f.path("Note.md")), bytes);

    QPlainTextEdit* edit = w.editAtEnd();
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClicks(edit, "x");
    window.applicationStateChanged(Qt::ApplicationInactive);
    settle();
    QCOMPARE(TestFiles::read(w.f.path(savedAs)), edited);
}

QUILLBOX_GUI_TEST_MAIN(ContentViewTest)
#include "tst_content_view.moc"
