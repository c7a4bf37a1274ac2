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
#include <QSignalSpy>
#include <QSplitter>
#include <QToolBar>

namespace {

const QDateTime thursday(QDate(2026, 3, 5), QTime(9, 0));

// A store on a folder of three notes, and the window with its commands, as the application
// builds them.
class WindowFixture
{
public:
    WindowFixture()
    {
        f.write("Groceries.md", "Groceries\nmilk", Day::monday);
        f.write("Trip.md", "Trip\ntrain at 6", Day::tuesday);
        f.write("Ideas.md", "Ideas\nplain text", Day::wednesday);
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
    void selectionKeysAndCommands();
    void editorFollowsTheNote();
    void viewingNeverWrites();
};

// What a screen reader reads of a row, rows that keep to their place at the narrowest, and
// changes told as the rows they touch.
void ContentViewTest::notesList()
{
    WindowFixture w;
    const QString conflictName = "Plan.sync-conflict-20260303-101500-ABCDEFG";
    w.f.write(conflictName + ".md", "Plan from the phone", Day::tuesday.addSecs(60));
    const QString longTitle = QString(80, QLatin1Char('W'));
    w.f.write(longTitle + ".md", longTitle.toUtf8(), Day::monday.addSecs(60));
    ContentView& window = w.open();
    QListView* list = window.notesList();
    NotesListModel* model = window.notesModel();
    const auto spoken = [&](const QString& title) {
        return model->index(w.rows().indexOf(title)).data(Qt::AccessibleTextRole).toString();
    };
    QCOMPARE(spoken("Ideas"), "Ideas, " + NotesListModel::dateText(Day::wednesday));
    QCOMPARE(spoken(conflictName), conflictName + ", Conflict copy of “Plan”, " +
                                       NotesListModel::dateText(Day::tuesday.addSecs(60)));
    // The time without seconds, even in the C locale, whose short time has them.
    QCOMPARE(NotesListModel::dateText(QDateTime(QDate(2026, 3, 2), QTime(9, 5, 42))).count(u':'),
             1);

    // Long titles are cut, never drawn past the row's right edge or over the next row.
    window.splitter()->setSizes({100, 500});
    settle();
    const QImage image = list->viewport()->grab().toImage();
    const auto pixel = [&](int x, int y) {
        return image.pixelColor(QPoint(x, y) * image.devicePixelRatio());
    };
    for (int row = 0; row < model->rowCount(); ++row) {
        const QRect rect = list->visualRect(model->index(row));
        QVERIFY(rect.right() < list->viewport()->width());
        for (int x = rect.right() + 1 - NoteRowDelegate::horizontalPadding; x <= rect.right(); ++x)
            for (int y = rect.top(); y <= rect.bottom(); ++y)
                QCOMPARE(pixel(x, y), pixel(rect.right(), rect.top()));
    }

    // Changes reach the list as the rows they touch, never as a new list.
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::QtTest);
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
    QSignalSpy resets(model, &QAbstractItemModel::modelReset);
    QSignalSpy layouts(model, &QAbstractItemModel::layoutChanged);
    const auto step = [&](const char* what, const QStringList& expected) {
        settle();
        QCOMPARE(w.rows(), w.f.titles());
        // The step's name leads both lists, so a failure says which step it was.
        QCOMPARE(QStringList(what) + std::exchange(told, {}), QStringList(what) + expected);
    };

    // Groceries rewritten (now the newest) and Trip's text changed under the same date, the
    // conflict copy between them; Ideas deleted, Inbox added (the oldest).
    w.f.write("Groceries.md", "Groceries\nmilk, eggs", thursday);
    w.f.write("Trip.md", "Trip\ntrain at 7:30", Day::tuesday);
    QFile::remove(w.f.path("Ideas.md"));
    w.f.write("Inbox.md", "Inbox", Day::monday.addDays(-1));
    w.f.store().loadNotes();
    step("reload after other programs", {"remove 1", "move 1", "insert 1", "change 1", "change 1"});
    window.searchField()->setText("milk");
    step("search narrows", {"remove 4"});
    window.searchField()->clear();
    step("search widens", {"insert 4"});
    w.f.clock.current = thursday.addDays(2);
    w.f.store().commitText("Inbox\nsorted", w.f.note("Inbox.md"));
    step("an old note saved moves to the top", {"move 1", "change 1"});
    QCOMPARE(resets.size() + layouts.size(), 0);
}

// Search, list and editor without the mouse; the list shows the store's selection and hands
// the user's choices to it; each command, in the menu and the toolbar, acts on the selection.
void ContentViewTest::selectionKeysAndCommands()
{
    WindowFixture w;
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
    QVERIFY(edit->hasFocus());

    // Delete and Ctrl+Backspace ask to delete the note in the list (cancelled here), and
    // edit text in the editor and the search field.
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
    for (const QKeySequence& keys : {QKeySequence(Qt::Key_Delete), ctrlBackspace}) {
        QTest::keySequence(list, keys);
        QCOMPARE(w.f.alerts.shown.size(), keys == ctrlBackspace ? 2 : 1);
    }

    // Print takes the editor's text, saved or not.
    commands.print()->trigger();
    QCOMPARE(w.f.printer.printed.size(), 1);
    QCOMPARE(w.f.printer.printed[0].title, QStringLiteral("Ideas"));
    QCOMPARE(w.f.printer.printed[0].body, QStringLiteral("Ideas\nplain text and "));
    // The note left is on disk before the next one is shown, with no turn of the event loop
    // in between: a crash while a large note loads cannot take the text with it.
    QByteArray onDiskWhenShown;
    const auto connection = connect(&w.f.store(), &NotesStore::selectedNoteChanged, this,
                                    [&] { onDiskWhenShown = w.f.read("Ideas.md"); });
    w.clickRow("Trip");
    disconnect(connection);
    QCOMPARE(onDiskWhenShown, QByteArray("Ideas\nplain text and "));
    QCOMPARE(w.selectedTitle(), QStringLiteral("Trip"));
    QCOMPARE(w.editorText(), QStringLiteral("Trip\ntrain at 6"));

    // A search that hides the selected note leaves it selected and shown.
    QTest::keyClicks(search, "MILK");
    QCOMPARE(w.rows(), QStringList({"Groceries"}));
    QCOMPARE(w.highlighted(), QString());
    QCOMPARE(w.selectedTitle(), QStringLiteral("Trip"));
    QVERIFY(window.showsEditor());
    search->clear();
    QCOMPARE(w.highlighted(), QStringLiteral("Trip"));
    // A selection the store makes shows in the list; the commands follow it.
    for (const QString& name : {QString(), QStringLiteral("Groceries"), QStringLiteral("Trip")}) {
        w.f.store().setSelectedNote(name.isEmpty() ? std::optional<Note>()
                                                   : w.f.note(name + ".md"));
        QCOMPARE(w.highlighted(), name);
        QCOMPARE(commands.deleteNote()->isEnabled(), !name.isEmpty());
        QCOMPARE(commands.print()->isEnabled(), !name.isEmpty());
    }
    QCOMPARE(w.editorText(), QStringLiteral("Trip\ntrain at 6"));

    const auto click = [&](QAction* action) {
        QWidget* button = window.findChild<QToolBar*>()->widgetForAction(action);
        QVERIFY(button);
        QTest::mouseClick(button, Qt::LeftButton);
        settle();
    };
    w.f.alerts.answerNext(true);
    click(commands.deleteNote());
    QCOMPARE(w.f.alerts.shown.size(), 3);
    QCOMPARE(w.rows(), QStringList({"Ideas", "Groceries"}));
    QCOMPARE(w.highlighted(), QStringLiteral("Ideas"));
    // Deselected: the editor commits what it showed and makes way for the empty detail.
    QTest::keyClicks(w.editAtEnd(), "!");
    w.clickRow("Ideas", Qt::ControlModifier);
    QCOMPARE(w.selectedTitle(), QString());
    QVERIFY(window.emptyDetail()->label()->isVisible());
    QVERIFY(!window.emptyDetail()->chooseButton()->isVisible());
    QCOMPARE(w.f.read("Ideas.md"), QByteArray("Ideas\nplain text and !"));
    // However a note is made, typing goes into it at once.
    click(commands.newNote());
    const QString name = QStringLiteral("Daily Notes - 2026-03-14 092653");
    QCOMPARE(w.highlighted(), name);
    QCOMPARE(w.editorText(), name);
    QVERIFY(edit->hasFocus());
    QCOMPARE(edit->textCursor().position(), name.size());
}

// Without a folder the chooser opens, and is offered again when cancelled. The editor shows what
// the store holds of its note: unreadable, changed elsewhere, renamed.
void ContentViewTest::editorFollowsTheNote()
{
    WindowFixture w;
    w.f.write("Latin.md", "Caf\xE9", thursday);
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
    w.f.write("Trip.md", "Trip\ntrain at 7:30", Day::tuesday);
    window.applicationStateChanged(Qt::ApplicationActive);
    settle();
    QCOMPARE(w.editorText(), QStringLiteral("Trip\ntrain at 7:30"));
    // Renamed by its first line: the same editor goes on writing into the new file.
    edit->selectAll();
    QTest::keyClicks(edit, "Journey");
    QTRY_COMPARE(w.f.read("Journey.md"), QByteArray("Journey"));
    QCOMPARE(w.highlighted(), QStringLiteral("Journey"));
    QTest::keyClick(w.editAtEnd(), Qt::Key_Return);
    QTest::keyClicks(edit, "more");
    QTRY_COMPARE(w.f.read("Journey.md"), QByteArray("Journey\nmore"));

    // A conflict copy: the window says where the user's text went.
    emit w.f.store().conflictCopySaved(w.f.path("Journey.md"), w.f.path("Journey (conflict).md"));
    QVERIFY(window.messageBar()->isVisible());
    QVERIFY(window.messageBar()->text().contains(QStringLiteral("“Journey (conflict).md”")));
    QTest::mouseClick(window.messageBar()->dismissButton(), Qt::LeftButton);
    QVERIFY(!window.messageBar()->isVisible());
}

// Shown, left, shown again, the application left: nothing was typed, nothing is written. An
// edit keeps the file's own line endings and the characters the editor's plain text would turn
// into a space and a line feed.
void ContentViewTest::viewingNeverWrites()
{
    WindowFixture w;
    const QByteArray spaces("Spaces\xC2\xA0"
                            "A\xE2\x80\xA8"
                            "B");
    // Name, bytes, the name and bytes after Return and "x" at the end. Mixed endings differ
    // from the file once shown in the editor: only an edit may write them.
    const QList<std::array<QByteArray, 4>> notes{
        {"CRLF.md", "CRLF\r\nline\r\n", "CRLF.md", "CRLF\r\nline\r\n\r\nx"},
        {"CR.md", "CR\rline", "CR.md", "CR\rline\rx"},
        {"Mixed.md", "Mixed\r\nline\nmore\rend", "Mixed.md", "Mixed\r\nline\r\nmore\r\nend\r\nx"},
        {"Spaces.md", spaces, "Spaces A.md", spaces + "\nx"}};
    for (const auto& note : notes)
        w.f.write(QString::fromUtf8(note[0]), note[1], thursday.addSecs(note[1].size()));
    ContentView& window = w.open();
    const QStringList files = w.f.files();
    QCOMPARE(w.selectedTitle(), QStringLiteral("Mixed")); // the longest, so the newest
    for (const auto& note : notes)
        w.clickRow(QString::fromUtf8(note[0]).chopped(3));
    w.clickRow("Trip");
    window.applicationStateChanged(Qt::ApplicationInactive);
    QTest::qWait(3 * w.f.store().saveDelay());
    settle();
    QVERIFY(w.f.store().drafts().isEmpty());
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

QUILLBOX_GUI_TEST_MAIN(ContentViewTest)
#include "tst_content_view.moc"
