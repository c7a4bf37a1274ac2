#include "app_notifier.h"
#include "content_view.h"
#include "editor_font.h"
#include "empty_detail_view.h"
#include "message_bar.h"
#include "note_editor.h"
#include "note_row_delegate.h"
#include "notes_list_model.h"
#include "store_fixture.h"

#include <QAbstractItemModelTester>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QToolButton>

namespace {

const QDateTime monday(QDate(2026, 3, 2), QTime(9, 0));
const QDateTime tuesday(QDate(2026, 3, 3), QTime(9, 0));
const QDateTime wednesday(QDate(2026, 3, 4), QTime(9, 0));
const QDateTime thursday(QDate(2026, 3, 5), QTime(9, 0));

// What a view was told, one entry per signal: its kind and how many rows it covers.
class RowSignals
{
public:
    explicit RowSignals(QAbstractItemModel* model)
    {
        const auto rows = [this](const char* kind) {
            return [this, kind](const QModelIndex&, int first, int last) {
                m_log.append(QStringLiteral("%1 %2").arg(kind).arg(last - first + 1));
            };
        };
        QObject::connect(model, &QAbstractItemModel::rowsInserted, rows("insert"));
        QObject::connect(model, &QAbstractItemModel::rowsRemoved, rows("remove"));
        QObject::connect(model, &QAbstractItemModel::rowsMoved,
                         [this](const QModelIndex&, int first, int last) {
                             m_log.append(QStringLiteral("move %1").arg(last - first + 1));
                         });
        QObject::connect(model, &QAbstractItemModel::dataChanged,
                         [this](const QModelIndex& from, const QModelIndex& to) {
                             m_log.append(
                                 QStringLiteral("change %1").arg(to.row() - from.row() + 1));
                         });
        QObject::connect(model, &QAbstractItemModel::modelReset,
                         [this] { m_log.append(QStringLiteral("reset")); });
        QObject::connect(model, &QAbstractItemModel::layoutChanged,
                         [this] { m_log.append(QStringLiteral("layout")); });
    }
    QStringList take() { return std::exchange(m_log, {}); }

private:
    QStringList m_log;
};

// A store on a folder of three notes, and the real window over it.
class WindowFixture
{
public:
    WindowFixture()
    {
        TestFiles::write(f.path("Groceries.md"), "Groceries\nmilk", monday);
        TestFiles::write(f.path("Trip.md"), "Trip\ntrain at 6", tuesday);
        TestFiles::write(f.path("Ideas.md"), "Ideas\nplain text", wednesday);
    }
    ContentView& open()
    {
        f.start();
        window = std::make_unique<ContentView>(f.store(), notifier);
        window->show();
        settle();
        return *window;
    }
    void clickRow(const QString& title)
    {
        const QModelIndexList found = window->notesModel()->match(
            window->notesModel()->index(0), Qt::DisplayRole, title, 1, Qt::MatchExactly);
        QVERIFY2(!found.isEmpty(), qPrintable(title));
        QListView* list = window->notesList();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(found.first()).center());
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
    QString editorText() const { return window->editor()->textEdit()->toPlainText(); }

    StoreFixture f;
    AppNotifier notifier;
    std::unique_ptr<ContentView> window;
};

} // namespace

class ContentViewTest : public QObject
{
    Q_OBJECT

private slots:
    void windowLayout();
    void editorFontIsMonospaced_data();
    void editorFontIsMonospaced();
    void startSelectsTheNewestNote();
    void clickingARowOpensItsNote();
    void typingSavesAfterThePause();
    void switchingNotesSavesTheOneLeft();
    void deselectingShowsTheEmptyDetail();
    void searchNarrowsTheListOnly();
    void listReportsOnlyTheRowsThatChanged();
    void rowsHaveOneHeightAndStayInsideTheList();
    void newNoteIsSelectedAndFocused();
    void deleteNoteAsksAndSelectsTheNewest();
    void deleteButtonFollowsTheSelection();
    void deleteKeyInTheList();
    void renameKeepsTheEditor();
    void unreadableNoteIsReadOnly();
    void applicationStates();
    void changesFromOtherProgramsReachTheEditor();
    void viewingNeverWritesAndEditsKeepTheFormat_data();
    void viewingNeverWritesAndEditsKeepTheFormat();
    void focusSearchOnTheNextTurn();
    void keyboardOnly();
    void printNoteUsesTheEditorsText();
    void chooserOpensWithoutAFolder();
};

void ContentViewTest::windowLayout()
{
    WindowFixture w;
    ContentView& window = w.open();
    QCOMPARE(window.windowTitle(), QStringLiteral("Quillbox"));

    QCOMPARE(window.notesList()->accessibleName(), QStringLiteral("Notes"));
    QCOMPARE(window.editor()->textEdit()->accessibleName(), QStringLiteral("Note"));
    QCOMPARE(window.searchField()->accessibleName(), QStringLiteral("Search"));
    QCOMPARE(window.searchField()->placeholderText(), QStringLiteral("Search"));
    QVERIFY(window.searchField()->isClearButtonEnabled());
    QCOMPARE(window.notesModel()->index(0).data(Qt::AccessibleTextRole).toString(),
             "Ideas, " + NotesListModel::dateText(wednesday));

    QCOMPARE(window.newNoteAction()->toolTip(), QStringLiteral("New Note (Ctrl+N)"));
    QCOMPARE(window.deleteNoteAction()->toolTip(),
             QStringLiteral("Delete Selected Note (Ctrl+Backspace)"));
    QVERIFY(!window.newNoteAction()->icon().isNull());
    QVERIFY(!window.deleteNoteAction()->icon().isNull());

    // Rows show the time without seconds, even in the C locale, whose short time has them.
    QCOMPARE(NotesListModel::dateText(QDateTime(QDate(2026, 3, 2), QTime(9, 5, 42))).count(u':'),
             1);

    // The editor uses the fixed-width system font.
    QVERIFY(QFontInfo(window.editor()->textEdit()->font()).fixedPitch());
}

void ContentViewTest::editorFontIsMonospaced_data()
{
    QTest::addColumn<QString>("fixedFont"); // what the desktop names its fixed font
    QTest::addColumn<QString>("family");
    QTest::newRow("fixed-pitch") << "DejaVu Sans Mono"
                                 << "DejaVu Sans Mono";
    QTest::newRow("proportional") << "DejaVu Sans"
                                  << "DejaVu Sans Mono";
}

void ContentViewTest::editorFontIsMonospaced()
{
    QFETCH(QString, fixedFont);
    QFETCH(QString, family);
    QFont candidate(fixedFont);
    candidate.setPointSizeF(11.5);
    const QFont font = EditorFont::monospaced(candidate);
    QVERIFY(QFontInfo(font).fixedPitch());
    QCOMPARE(QFontInfo(font).family(), family);
    QCOMPARE(font.pointSizeF(), 11.5);
}

void ContentViewTest::startSelectsTheNewestNote()
{
    WindowFixture w;
    ContentView& window = w.open();
    QCOMPARE(w.rows(), QStringList({"Ideas", "Trip", "Groceries"}));
    QCOMPARE(w.highlighted(), QStringLiteral("Ideas"));
    QVERIFY(window.showsEditor());
    QCOMPARE(w.editorText(), QStringLiteral("Ideas\nplain text"));
    QCOMPARE(window.notesModel()->index(0).data(NotesListModel::DateTextRole).toString(),
             NotesListModel::dateText(wednesday));
}

void ContentViewTest::clickingARowOpensItsNote()
{
    WindowFixture w;
    ContentView& window = w.open();
    w.clickRow("Trip");
    QCOMPARE(w.f.store().selectedNote()->url, w.f.path("Trip.md"));
    QCOMPARE(window.selectionID(), w.f.store().selectedNote()->id);
    QCOMPARE(w.editorText(), QStringLiteral("Trip\ntrain at 6"));
}

void ContentViewTest::typingSavesAfterThePause()
{
    WindowFixture w;
    ContentView& window = w.open();
    QPlainTextEdit* edit = window.editor()->textEdit();
    edit->moveCursor(QTextCursor::End);
    QTest::keyClicks(edit, "!");
    QCOMPARE(w.f.store().drafts().value(w.f.path("Ideas.md")),
             QStringLiteral("Ideas\nplain text!"));
    QTRY_COMPARE(TestFiles::read(w.f.path("Ideas.md")), QByteArray("Ideas\nplain text!"));
}

void ContentViewTest::switchingNotesSavesTheOneLeft()
{
    WindowFixture w;
    ContentView& window = w.open();
    w.f.store().setSaveDelay(60000);
    QPlainTextEdit* edit = window.editor()->textEdit();
    edit->moveCursor(QTextCursor::End);
    QTest::keyClicks(edit, " and more");
    // The note left is on disk before the next one is shown, with no turn of the event loop
    // in between: a crash while a large note loads cannot take the text with it.
    connect(&w.f.store(), &NotesStore::selectedNoteChanged, this, [&] {
        QCOMPARE(TestFiles::read(w.f.path("Ideas.md")), QByteArray("Ideas\nplain text and more"));
    });
    w.clickRow("Groceries");
    QCOMPARE(w.editorText(), QStringLiteral("Groceries\nmilk"));
    QCOMPARE(TestFiles::read(w.f.path("Ideas.md")), QByteArray("Ideas\nplain text and more"));
    QCOMPARE(TestFiles::read(w.f.path("Groceries.md")), QByteArray("Groceries\nmilk"));
}

void ContentViewTest::deselectingShowsTheEmptyDetail()
{
    WindowFixture w;
    ContentView& window = w.open();
    w.f.store().setSaveDelay(60000);
    QTest::keyClicks(window.editor()->textEdit(), "Top line");
    QTest::keyClick(window.editor()->textEdit(), Qt::Key_Return);
    QListView* list = window.notesList();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      list->visualRect(window.notesModel()->index(0)).center());
    settle();
    QVERIFY(!w.f.store().selectedNote());
    QVERIFY(!window.showsEditor());
    QLabel* empty = window.emptyDetail()->label();
    QVERIFY(empty->isVisible());
    QCOMPARE(empty->text(), QStringLiteral("No note selected"));
    QVERIFY(!window.emptyDetail()->chooseButton()->isVisible());
    // The editor committed what it showed when it went away.
    QCOMPARE(TestFiles::read(w.f.path("Top line.md")), QByteArray("Top line\nIdeas\nplain text"));
}

void ContentViewTest::searchNarrowsTheListOnly()
{
    WindowFixture w;
    ContentView& window = w.open();
    w.clickRow("Trip");
    QTest::keyClicks(window.searchField(), "MILK");
    QCOMPARE(w.f.store().searchText(), QStringLiteral("MILK"));
    QCOMPARE(w.rows(), QStringList({"Groceries"}));
    QCOMPARE(w.highlighted(), QString());
    QCOMPARE(w.f.store().selectedNote()->title, QStringLiteral("Trip"));
    QVERIFY(window.showsEditor());
    window.searchField()->clear();
    QCOMPARE(w.rows().size(), 3);
    QCOMPARE(w.highlighted(), QStringLiteral("Trip"));
}

void ContentViewTest::listReportsOnlyTheRowsThatChanged()
{
    WindowFixture w;
    ContentView& window = w.open();
    QAbstractItemModelTester tester(window.notesModel(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    RowSignals told(window.notesModel());
    auto step = [&](const char* what, const QStringList& expected) {
        settle();
        QCOMPARE(w.rows(), w.f.titles());
        // The step's name leads both lists, so a failure says which step it was.
        QCOMPARE(QStringList(what) + told.take(), QStringList(what) + expected);
    };

    // A reload makes new records of the same files: nothing moves, nothing is redrawn.
    w.f.store().loadNotes();
    step("reload, nothing changed", {});

    // Other programs: Groceries rewritten (now the newest), Trip's text changed under the same
    // date, Ideas deleted, Inbox added (the oldest).
    TestFiles::write(w.f.path("Groceries.md"), "Groceries\nmilk, eggs", thursday);
    TestFiles::write(w.f.path("Trip.md"), "Trip\ntrain at 7:30", tuesday);
    QFile::remove(w.f.path("Ideas.md"));
    TestFiles::write(w.f.path("Inbox.md"), "Inbox", monday.addDays(-1));
    w.f.store().loadNotes();
    step("reload after other programs", {"remove 1", "move 1", "insert 1", "change 2"});
    QCOMPARE(w.rows(), QStringList({"Groceries", "Trip", "Inbox"}));

    window.searchField()->setText("milk");
    step("search narrows", {"remove 2"});
    QCOMPARE(w.rows(), QStringList({"Groceries"}));
    window.searchField()->clear();
    step("search widens", {"insert 2"});

    w.f.clock.current = thursday.addDays(1);
    w.f.store().createNote();
    step("new note", {"insert 1"});

    w.f.clock.current = thursday.addDays(2);
    w.f.store().commitText("Inbox\nsorted", w.f.note("Inbox.md"));
    step("an old note saved moves to the top", {"move 1", "change 1"});
    QCOMPARE(w.rows().first(), QStringLiteral("Inbox"));

    w.f.store().setSelectedNote(w.f.note("Trip.md"));
    w.f.alerts.answerNext(true);
    w.f.store().deleteSelectedNote();
    step("delete", {"remove 1"});
    QCOMPARE(w.rows().size(), 3);
}

void ContentViewTest::rowsHaveOneHeightAndStayInsideTheList()
{
    WindowFixture w;
    TestFiles::write(w.f.path("Plan.sync-conflict-20260303-101500-ABCDEFG.md"),
                     "Plan from the phone", tuesday.addSecs(60));
    const QString longTitle = QString(80, QLatin1Char('W'));
    TestFiles::write(w.f.path(longTitle + ".md"), longTitle.toUtf8(), monday.addSecs(60));
    ContentView& window = w.open();
    QListView* list = window.notesList();
    NotesListModel* model = window.notesModel();

    const int conflictRow = w.rows().indexOf("Plan.sync-conflict-20260303-101500-ABCDEFG");
    const QModelIndex conflict = model->index(conflictRow);
    QCOMPARE(conflict.data(NotesListModel::ConflictOfRole).toString(), QStringLiteral("Plan"));
    QCOMPARE(conflict.data(Qt::AccessibleTextRole).toString(),
             "Plan.sync-conflict-20260303-101500-ABCDEFG, Conflict copy of “Plan”, " +
                 NotesListModel::dateText(tuesday.addSecs(60)));
    QCOMPARE(model->index(0).data(NotesListModel::ConflictOfRole).toString(), QString());

    // The list at its narrowest: long titles are cut, never drawn past the row's right edge
    // or over the next row.
    window.splitter()->setSizes({100, 500});
    settle();
    QCOMPARE(list->width(), 200);
    const int height = list->visualRect(model->index(0)).height();
    for (int row = 0; row < model->rowCount(); ++row) {
        const QRect rect = list->visualRect(model->index(row));
        QCOMPARE(rect.height(), height);
        QVERIFY(rect.right() < list->viewport()->width());
    }
    const QImage image = list->viewport()->grab().toImage();
    const qreal ratio = image.devicePixelRatio();
    for (const int row : {int(w.rows().indexOf(longTitle)), conflictRow}) {
        const QRect rect = list->visualRect(model->index(row));
        const QColor background = image.pixelColor(QPoint(rect.right(), rect.top()) * ratio);
        const int edge = rect.right() + 1 - NoteRowDelegate::horizontalPadding;
        for (int x = edge; x <= rect.right(); ++x) {
            for (int y = rect.top(); y <= rect.bottom(); ++y)
                QCOMPARE(image.pixelColor(QPoint(x, y) * ratio), background);
        }
    }
}

void ContentViewTest::newNoteIsSelectedAndFocused()
{
    WindowFixture w;
    ContentView& window = w.open();
    QApplication::setActiveWindow(&window);
    window.newNoteAction()->trigger();
    settle();
    const QString name = QStringLiteral("Daily Notes - 2026-03-14 092653");
    QCOMPARE(w.highlighted(), name);
    QCOMPARE(w.editorText(), name);
    QPlainTextEdit* edit = window.editor()->textEdit();
    QVERIFY(edit->hasFocus());
    QCOMPARE(edit->textCursor().position(), name.size());
}

void ContentViewTest::deleteNoteAsksAndSelectsTheNewest()
{
    WindowFixture w;
    ContentView& window = w.open();
    w.clickRow("Trip");
    w.f.alerts.answerNext(true);
    window.deleteNoteAction()->trigger();
    settle();
    QCOMPARE(w.f.alerts.shown.size(), 1);
    QCOMPARE(w.f.alerts.shown[0].message, QStringLiteral("Delete “Trip”?"));
    QCOMPARE(w.rows(), QStringList({"Ideas", "Groceries"}));
    QCOMPARE(w.highlighted(), QStringLiteral("Ideas"));
    QCOMPARE(w.editorText(), QStringLiteral("Ideas\nplain text"));
    QVERIFY(!QFile::exists(w.f.path("Trip.md")));
}

void ContentViewTest::deleteButtonFollowsTheSelection()
{
    WindowFixture w;
    ContentView& window = w.open();
    QVERIFY(window.deleteNoteAction()->isEnabled());
    w.f.store().setSelectedNote(std::nullopt);
    QVERIFY(!window.deleteNoteAction()->isEnabled());
    w.clickRow("Trip");
    QVERIFY(window.deleteNoteAction()->isEnabled());
}

void ContentViewTest::deleteKeyInTheList()
{
    WindowFixture w;
    ContentView& window = w.open();
    QApplication::setActiveWindow(&window);
    window.notesList()->setFocus();
    w.f.alerts.answerNext(false);
    QTest::keyClick(window.notesList(), Qt::Key_Delete);
    QCOMPARE(w.f.alerts.shown.size(), 1);
    QCOMPARE(w.f.alerts.shown[0].message, QStringLiteral("Delete “Ideas”?"));
}

void ContentViewTest::renameKeepsTheEditor()
{
    WindowFixture w;
    ContentView& window = w.open();
    QPlainTextEdit* edit = window.editor()->textEdit();
    edit->selectAll();
    QTest::keyClicks(edit, "Brainstorm");
    QTRY_VERIFY(QFile::exists(w.f.path("Brainstorm.md")));
    QCOMPARE(w.editorText(), QStringLiteral("Brainstorm"));
    QCOMPARE(window.editor()->note().url, w.f.path("Brainstorm.md"));
    QCOMPARE(w.highlighted(), QStringLiteral("Brainstorm"));
    QCOMPARE(w.rows().first(), QStringLiteral("Brainstorm"));
    // Typing goes on into the renamed file.
    edit->moveCursor(QTextCursor::End);
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClicks(edit, "more");
    QTRY_COMPARE(TestFiles::read(w.f.path("Brainstorm.md")), QByteArray("Brainstorm\nmore"));
}

void ContentViewTest::unreadableNoteIsReadOnly()
{
    WindowFixture w;
    TestFiles::write(w.f.path("Latin.md"), "Caf\xE9", QDateTime(QDate(2026, 3, 5), QTime(9, 0)));
    ContentView& window = w.open();
    QCOMPARE(w.highlighted(), QStringLiteral("Latin"));
    QPlainTextEdit* edit = window.editor()->textEdit();
    QVERIFY(edit->isReadOnly());
    const auto* notice = window.editor()->findChild<QLabel*>();
    QVERIFY(notice && notice->isVisible());
    QVERIFY(notice->text().contains("read-only"));
    QTest::keyClicks(edit, "typed");
    QVERIFY(w.f.store().drafts().isEmpty());
    // Leaving it writes nothing either.
    w.clickRow("Trip");
    QVERIFY(!edit->isReadOnly());
    QVERIFY(!notice->isVisible());
    QCOMPARE(TestFiles::read(w.f.path("Latin.md")), QByteArray("Caf\xE9"));
}

void ContentViewTest::applicationStates()
{
    WindowFixture w;
    ContentView& window = w.open();
    w.f.store().setSaveDelay(60000);
    window.editor()->textEdit()->moveCursor(QTextCursor::End);
    QTest::keyClicks(window.editor()->textEdit(), "!");
    window.applicationStateChanged(Qt::ApplicationInactive);
    settle();
    QCOMPARE(TestFiles::read(w.f.path("Ideas.md")), QByteArray("Ideas\nplain text!"));

    TestFiles::write(w.f.path("From sync.md"), "From sync");
    window.applicationStateChanged(Qt::ApplicationActive);
    settle();
    QVERIFY(w.rows().contains(QStringLiteral("From sync")));
    // The selection stays on the note being edited.
    QCOMPARE(w.highlighted(), QStringLiteral("Ideas"));
    QCOMPARE(w.editorText(), QStringLiteral("Ideas\nplain text!"));
}

void ContentViewTest::changesFromOtherProgramsReachTheEditor()
{
    WindowFixture w;
    ContentView& window = w.open();
    w.clickRow("Trip");
    const int scrolled = window.notesList()->verticalScrollBar()->value();

    // Shown, not edited: the editor follows the file.
    TestFiles::write(w.f.path("Trip.md"), "Trip\ntrain at 7 (from the laptop)", tuesday);
    window.applicationStateChanged(Qt::ApplicationActive);
    settle();
    QCOMPARE(w.editorText(), QStringLiteral("Trip\ntrain at 7 (from the laptop)"));
    QCOMPARE(w.highlighted(), QStringLiteral("Trip"));
    QCOMPARE(window.notesList()->verticalScrollBar()->value(), scrolled);

    // Edited here: both texts are kept, the user's in front, and the window says where.
    window.editor()->textEdit()->moveCursor(QTextCursor::End);
    QTest::keyClicks(window.editor()->textEdit(), "!");
    TestFiles::write(w.f.path("Trip.md"), "Trip\nchanged again elsewhere", tuesday);
    window.applicationStateChanged(Qt::ApplicationActive);
    settle();
    QCOMPARE(w.editorText(), QStringLiteral("Trip\ntrain at 7 (from the laptop)!"));
    QCOMPARE(w.highlighted(), QStringLiteral("Trip (conflict 2026-03-14 092653)"));
    QCOMPARE(TestFiles::read(w.f.path("Trip.md")), QByteArray("Trip\nchanged again elsewhere"));
    QVERIFY(window.messageBar()->isVisible());
    QCOMPARE(window.messageBar()->text(),
             QStringLiteral("Another program changed “Trip.md” while you were editing it. Your "
                            "text was saved as “Trip (conflict 2026-03-14 092653).md”; the other "
                            "version was kept as it is."));
    QTest::mouseClick(window.messageBar()->dismissButton(), Qt::LeftButton);
    QVERIFY(!window.messageBar()->isVisible());
}

void ContentViewTest::viewingNeverWritesAndEditsKeepTheFormat_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("savedAs");
    QTest::addColumn<QByteArray>("edited"); // after Return and "x" at the end
    QTest::newRow("CRLF") << QByteArray("Note\r\nline\r\n") << "Note.md"
                          << QByteArray("Note\r\nline\r\n\r\nx");
    QTest::newRow("CR") << QByteArray("Note\rline") << "Note.md" << QByteArray("Note\rline\rx");
    QTest::newRow("mixed: the first ending") << QByteArray("Note\r\nline\nmore\rend") << "Note.md"
                                             << QByteArray("Note\r\nline\r\nmore\r\nend\r\nx");
    QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBFNote\nline") << "Note.md"
                                     << QByteArray("\xEF\xBB\xBFNote\nline\nx");
    QTest::newRow("no-break space, line separator") << QByteArray("Note\xC2\xA0"
                                                                  "A\xE2\x80\xA8"
                                                                  "B")
                                                    << "Note A.md"
                                                    << QByteArray("Note\xC2\xA0"
                                                                  "A\xE2\x80\xA8"
                                                                  "B\nx");
    QTest::newRow("first line is not the name")
        << QByteArray("Agenda\nitems") << "Agenda.md" << QByteArray("Agenda\nitems\nx");
}

void ContentViewTest::viewingNeverWritesAndEditsKeepTheFormat()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, savedAs);
    QFETCH(QByteArray, edited);
    WindowFixture w;
    TestFiles::write(w.f.path("Note.md"), bytes, QDateTime(QDate(2026, 3, 5), QTime(9, 0)));
    ContentView& window = w.open();
    const QStringList files = TestFiles::entries(w.f.folder);
    QCOMPARE(w.f.store().selectedNote()->url, w.f.path("Note.md"));

    // Shown, left, shown again, the application left: nothing was typed, nothing is written.
    w.clickRow("Trip");
    w.clickRow("Note");
    window.applicationStateChanged(Qt::ApplicationInactive);
    QTest::qWait(3 * w.f.store().saveDelay());
    settle();
    QVERIFY(w.f.store().drafts().isEmpty());
    QCOMPARE(TestFiles::entries(w.f.folder), files);
    QCOMPARE(TestFiles::read(w.f.path("Note.md")), bytes);

    QPlainTextEdit* edit = window.editor()->textEdit();
    edit->moveCursor(QTextCursor::End);
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClicks(edit, "x");
    window.applicationStateChanged(Qt::ApplicationInactive);
    settle();
    QCOMPARE(TestFiles::read(w.f.path(savedAs)), edited);
}

void ContentViewTest::focusSearchOnTheNextTurn()
{
    WindowFixture w;
    ContentView& window = w.open();
    QApplication::setActiveWindow(&window);
    window.editor()->textEdit()->setFocus();
    w.notifier.post(AppNotifier::focusSearch);
    QVERIFY(!window.searchField()->hasFocus());
    QTRY_VERIFY(window.searchField()->hasFocus());
}

// Search, list and editor without the mouse, and what a screen reader is told on the way.
void ContentViewTest::keyboardOnly()
{
    WindowFixture w;
    ContentView& window = w.open();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QLineEdit* search = window.searchField();
    QListView* list = window.notesList();
    search->setFocus();

    QTest::keyClicks(search, "nothing like this");
    QVERIFY(window.noMatchesLabel()->isVisible());
    QCOMPARE(window.noMatchesLabel()->text(), QStringLiteral("No notes match"));
    QTest::keyClick(search, Qt::Key_Escape);
    QCOMPARE(search->text(), QString());
    QCOMPARE(w.rows().size(), 3);
    QVERIFY(!window.noMatchesLabel()->isVisible());

    QTest::keyClick(search, Qt::Key_Down);
    QVERIFY(list->hasFocus());
    QCOMPARE(w.highlighted(), QStringLiteral("Ideas"));
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(w.highlighted(), QStringLiteral("Trip"));
    QTest::keyClick(list, Qt::Key_End);
    QCOMPARE(w.highlighted(), QStringLiteral("Groceries"));
    QTest::keyClick(list, Qt::Key_Up);
    QCOMPARE(w.highlighted(), QStringLiteral("Trip"));
    QTest::keyClick(list, Qt::Key_Home);
    QCOMPARE(w.highlighted(), QStringLiteral("Ideas"));
    QCOMPARE(w.f.store().selectedNote()->title, QStringLiteral("Ideas"));
    QTest::keyClick(list, Qt::Key_Return);
    QVERIFY(window.editor()->textEdit()->hasFocus());
    QCOMPARE(w.editorText(), QStringLiteral("Ideas\nplain text"));

    // Controls a reader would otherwise call "button".
    QCOMPARE(window.splitter()->handle(1)->accessibleName(), QStringLiteral("Notes list width"));
    auto* more = window.findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button"));
    QVERIFY(more && !more->accessibleName().isEmpty());
    const QList<QToolButton*> clear = search->findChildren<QToolButton*>();
    QVERIFY(!clear.isEmpty());
    for (QToolButton* button : clear)
        QCOMPARE(button->accessibleName(), QStringLiteral("Clear Search"));
}

void ContentViewTest::printNoteUsesTheEditorsText()
{
    WindowFixture w;
    ContentView& window = w.open();
    w.f.store().setSaveDelay(60000);
    window.editor()->textEdit()->moveCursor(QTextCursor::End);
    QTest::keyClicks(window.editor()->textEdit(), " (draft)");
    w.notifier.post(AppNotifier::printNote);
    QCOMPARE(w.f.printer.printed.size(), 1);
    QCOMPARE(w.f.printer.printed[0].title, QStringLiteral("Ideas"));
    QCOMPARE(w.f.printer.printed[0].body, QStringLiteral("Ideas\nplain text (draft)"));
}

void ContentViewTest::chooserOpensWithoutAFolder()
{
    WindowFixture w;
    w.f.start();
    w.f.store().setFolderURL(QString());
    settle();
    w.window = std::make_unique<ContentView>(w.f.store(), w.notifier);
    ContentView& window = *w.window;
    QObject::connect(&window, &ContentView::folderNeeded, &w.f.chooser(),
                     &FolderChooser::chooseFolderIfNeeded);
    window.show();
    QCOMPARE(w.f.panel.presented, 0);
    QVERIFY(!window.showsEditor());
    QTRY_COMPARE(w.f.panel.presented, 1);

    // Cancelled: the window says what is missing and offers the chooser again.
    w.f.panel.answer(QString());
    settle();
    QVERIFY(window.emptyDetail()->label()->text().startsWith("No notes folder is chosen yet."));
    QPushButton* choose = window.emptyDetail()->chooseButton();
    QVERIFY(choose->isVisible());
    QTest::mouseClick(choose, Qt::LeftButton);
    QCOMPARE(w.f.panel.presented, 2);
    w.f.panel.answer(w.f.folder);
    settle();
    QCOMPARE(w.rows().size(), 3);
    QVERIFY(window.showsEditor());
    QVERIFY(!window.emptyDetail()->chooseButton()->isVisible());
}

QUILLBOX_GUI_TEST_MAIN(ContentViewTest)
#include "tst_content_view.moc"
