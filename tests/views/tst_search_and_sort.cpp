#include "app/sort_by_menu.h"
#include "views/content_view.h"
#include "views/note_editor.h"
#include "views/notes_list_model.h"
#include "window_fixture.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScopeGuard>

namespace {

const QDateTime thursday(QDate(2026, 3, 5), QTime(9, 0));

// Three notes in the window and its commands, as the application builds them.
class ThreeNotes : public WindowFixture
{
public:
    ThreeNotes() { writeThreeNotes(); }
};

} // namespace

class SearchAndSortTest : public QObject
{
    Q_OBJECT

private slots:
    void sortByTitle();
    void searchOrCreate();
    void enterSeesTheSearchTyped();
};

// By title the search narrows the rows in that order and a retitled note moves to its place;
// the order is remembered.
void SearchAndSortTest::sortByTitle()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const auto restore = qScopeGuard([] { QLocale::setDefault(QLocale::c()); });
    ThreeNotes w;
    w.f.write("Note 10.md", "Note 10\ntrain", thursday);
    w.f.write("Note 2.md", "Note 2\ntrain", Day::monday.addSecs(-60));
    ContentView& window = w.open();
    NotesListModel* model = window.notesModel();
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    const auto shown = [&] {
        QStringList titles;
        for (int row = 0; row < model->rowCount(); ++row)
            titles.append(model->index(row).data().toString());
        return titles.join(", ");
    };
    const auto rows = [&] {
        settle();
        return shown();
    };
    SortByMenu& sortBy = *w.commands->sortBy();
    QVERIFY(sortBy.byDate()->isChecked());
    QCOMPARE(rows(), "Note 10, Ideas, Trip, Groceries, Note 2");
    sortBy.byTitle()->trigger();
    QCOMPARE(rows(), "Groceries, Ideas, Note 2, Note 10, Trip");
    window.searchField()->setText("train");
    QCOMPARE(rows(), "Note 2, Note 10, Trip");
    w.f.store().setSelectedNote(w.f.note("Trip.md"));
    QPlainTextEdit* edit = window.editor()->textEdit();
    edit->moveCursor(QTextCursor::Start);
    QTest::keyClicks(edit, "A ");
    // Saved, it becomes the newest: while it moves to the top of the list, each row still
    // shows its own note.
    QString whenMoved;
    connect(&w.f.store().noteList(), &NoteList::rowMoved, this, [&] { whenMoved = shown(); });
    w.f.commit("Trip.md");
    QCOMPARE(whenMoved, "A Trip, Note 2, Note 10");
    QCOMPARE(rows(), "A Trip, Note 2, Note 10");
    QCOMPARE(w.highlighted(), "A Trip");
    window.searchField()->clear();
    QCOMPARE(rows(), "A Trip, Groceries, Ideas, Note 2, Note 10");

    w.f.store().setSortOrder(NotesStore::SortOrder::DateModified);
    QVERIFY(sortBy.byDate()->isChecked());
    QMenu view;
    SortByMenu again(view, w.f.store());
    QVERIFY(again.byTitle()->isChecked() && sortBy.byTitle()->isChecked());
    sortBy.byDate()->trigger();
    QCOMPARE(rows(), "A Trip, Note 10, Ideas, Groceries, Note 2");
}

// Enter in the search field opens the first note listed, or makes one of that title.
void SearchAndSortTest::searchOrCreate()
{
    ThreeNotes w;
    ContentView& window = w.open();
    QLineEdit* search = window.searchField();
    QPlainTextEdit* edit = window.editor()->textEdit();
    const auto enter = [&](const QString& text, Qt::KeyboardModifiers modifiers = {}) {
        search->setFocus();
        search->setText(text);
        QTest::keyClick(search, Qt::Key_Return, modifiers);
        settle();
    };
    enter("tr");
    QCOMPARE(w.f.store().selectedNote().value_or(Note()).title, "Trip");
    QVERIFY(edit->hasFocus());
    QCOMPARE(search->text(), "tr");
    QCOMPARE(window.notesModel()->rowCount(), 1);

    // Nothing listed: the note's first line is done, typing goes on below it.
    enter(" Packing list ");
    QCOMPARE(w.f.read("Packing list.md"), "Packing list\n");
    QCOMPARE(w.editorText(), "Packing list\n");
    QVERIFY(edit->hasFocus() && edit->textCursor().atEnd());
    QCOMPARE(w.highlighted(), "Packing list");
    // Ctrl+Enter makes one beside a note that matches.
    enter("Trip", Qt::ControlModifier);
    QCOMPARE(w.f.read("Trip (2).md"), "Trip\n");
    QCOMPARE(w.editorText(), "Trip\n");

    const QStringList files = w.f.files();
    enter(" ");
    enter(" ", Qt::ControlModifier);
    QCOMPARE(w.f.files(), files);
    QCOMPARE(w.f.alerts.shown.size(), 0);
    // Without a folder, as New Note does: the way to choose one.
    w.f.store().setFolderURL(QString());
    settle();
    enter("Later", Qt::ControlModifier);
    QCOMPARE(w.f.alerts.shown.value(0).message, "Select a notes folder");
}

// A large list follows the search from another thread: Enter acts on the text typed, not on
// the rows still shown for the text before.
void SearchAndSortTest::enterSeesTheSearchTyped()
{
    ThreeNotes w;
    for (int i = 0; i < NoteList::parallelSearchThreshold; ++i)
        w.f.write(QStringLiteral("Filler %1.md").arg(i), "Filler\nbeans", Day::monday);
    ContentView& window = w.open();
    QLineEdit* search = window.searchField();
    search->setFocus();
    search->setText("nothing like this");
    settle();
    QCOMPARE(window.notesModel()->rowCount(), 0);
    const int count = w.f.files().size();
    search->setText("Trip");
    QTest::keyClick(search, Qt::Key_Return);
    QTRY_COMPARE(w.f.store().selectedNote().value_or(Note()).title, "Trip");
    settle();
    QCOMPARE(w.f.files().size(), count);
    QCOMPARE(window.notesModel()->rowCount(), 1);
}

QUILLBOX_GUI_TEST_MAIN(SearchAndSortTest)
#include "tst_search_and_sort.moc"
