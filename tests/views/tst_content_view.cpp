#include "app_notifier.h"
#include "content_view.h"
#include "editor_font.h"
#include "empty_detail_view.h"
#include "note_editor.h"
#include "notes_list_model.h"
#include "store_fixture.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>

namespace {

const QDateTime monday(QDate(2026, 3, 2), QTime(9, 0));
const QDateTime tuesday(QDate(2026, 3, 3), QTime(9, 0));
const QDateTime wednesday(QDate(2026, 3, 4), QTime(9, 0));

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
    void newNoteIsSelectedAndFocused();
    void deleteNoteAsksAndSelectsTheNewest();
    void deleteButtonFollowsTheSelection();
    void deleteKeyInTheList();
    void renameKeepsTheEditor();
    void unreadableNoteIsReadOnly();
    void applicationStates();
    void changesFromOtherProgramsReachTheEditor();
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
    QCOMPARE(window.size(), QSize(600, 400));
    QCOMPARE(window.minimumSize(), QSize(500, 300));
    QCOMPARE(window.notesList()->minimumWidth(), 200);
    QCOMPARE(window.notesList()->maximumWidth(), 400);
    QCOMPARE(window.splitter()->sizes().first(), 300);

    QCOMPARE(window.notesList()->accessibleName(), QStringLiteral("Notes"));
    QCOMPARE(window.editor()->textEdit()->accessibleName(), QStringLiteral("Note"));
    QCOMPARE(window.searchField()->accessibleName(), QStringLiteral("Search"));
    QCOMPARE(window.searchField()->placeholderText(), QStringLiteral("Search"));
    QVERIFY(window.searchField()->isClearButtonEnabled());
    QCOMPARE(window.notesModel()->index(0).data(Qt::AccessibleTextRole).toString(),
             QStringLiteral("Ideas"));

    // Toolbar: space, New Note, space, Delete Note, then the search field.
    auto* toolbar = window.findChild<QToolBar*>(QStringLiteral("mainToolbar"));
    const QList<QAction*> actions = toolbar->actions();
    QCOMPARE(actions.size(), 5);
    QCOMPARE(actions[1], window.newNoteAction());
    QCOMPARE(actions[3], window.deleteNoteAction());
    QCOMPARE(toolbar->widgetForAction(actions[4]), window.searchField());
    QCOMPARE(window.newNoteAction()->toolTip(), QStringLiteral("New Note (Ctrl+N)"));
    QCOMPARE(window.deleteNoteAction()->toolTip(),
             QStringLiteral("Delete Selected Note (Ctrl+Backspace)"));
    QVERIFY(!window.newNoteAction()->icon().isNull());
    QVERIFY(!window.deleteNoteAction()->icon().isNull());

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

    // Edited here: the user's text stays, and is what gets saved.
    window.editor()->textEdit()->moveCursor(QTextCursor::End);
    QTest::keyClicks(window.editor()->textEdit(), "!");
    TestFiles::write(w.f.path("Trip.md"), "Trip\nchanged again elsewhere", tuesday);
    window.applicationStateChanged(Qt::ApplicationActive);
    settle();
    QCOMPARE(w.editorText(), QStringLiteral("Trip\ntrain at 7 (from the laptop)!"));
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
