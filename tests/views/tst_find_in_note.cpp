#include "views/content_view.h"
#include "views/editor_matches.h"
#include "views/find_bar.h"
#include "views/note_editor.h"
#include "views/notes_list_model.h"
#include "window_fixture.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>

namespace {

// The window and its commands as the application builds them, on a few notes.
class FindFixture : public WindowFixture
{
public:
    FindFixture()
    {
        f.write("Groceries.md", "Groceries\nmilk, Milk and MILK", Day::monday);
        f.write("Trip.md", "Trip\ntrain at 6\nmilk on the way\nmilk", Day::tuesday);
        open();
    }
    FindBar* bar() const { return window->editor()->findBar(); }
    QString count() const { return bar()->countLabel()->text(); }
};

} // namespace

class FindInNoteTest : public QObject
{
    Q_OBJECT

private slots:
    void findSteps();
    void replaceAllIsOneUndo();
    void searchHitsShown();
};

void FindInNoteTest::findSteps()
{
    FindFixture w;
    w.clickRow("Groceries");
    w.edit()->setFocus();
    // Ctrl+F finds in the note; the notes search is Ctrl+L.
    QTest::keySequence(w.window.get(), QKeySequence(Qt::CTRL | Qt::Key_F));
    QLineEdit* field = w.bar()->findField();
    QVERIFY(w.bar()->isVisible());
    QTRY_VERIFY(field->hasFocus());
    QVERIFY(!w.window->searchField()->hasFocus());
    QCOMPARE(field->accessibleName(), "Find in Note");

    QTest::keyClicks(field, "milk");
    QCOMPARE(w.count(), "1 of 3");
    // What a screen reader in the field hears.
    QCOMPARE(w.bar()->findField()->accessibleDescription(), "1 of 3");
    QCOMPARE(w.edit()->textCursor().selectedText(), "milk");
    QStringList seen;
    for (int i = 0; i < 3; ++i) {
        QTest::keyClick(field, Qt::Key_Return);
        seen << w.count() + ": " + w.edit()->textCursor().selectedText();
    }
    QCOMPARE(seen, QStringList({"2 of 3: Milk", "3 of 3: MILK", "1 of 3: milk"}));
    QTest::keyClick(field, Qt::Key_Return, Qt::ShiftModifier);
    QCOMPARE(w.count(), "3 of 3");
    // Closed, F3 goes on with the last query.
    QTest::keyClick(field, Qt::Key_Escape);
    QVERIFY(!w.bar()->isVisible());
    QVERIFY(w.edit()->hasFocus());
    QTest::keyClick(w.edit(), Qt::Key_F3);
    QCOMPARE(w.count(), "1 of 3");
    QTest::keyClick(w.edit(), Qt::Key_F3, Qt::ShiftModifier);
    QCOMPARE(w.count(), "3 of 3");

    field->selectAll();
    QTest::keyClicks(field, "cheese");
    QCOMPARE(w.count(), "No matches");
}

void FindInNoteTest::replaceAllIsOneUndo()
{
    FindFixture w;
    w.f.store().setSaveDelay(60000);
    w.clickRow("Groceries");
    const QString before = w.edit()->toPlainText();
    QTest::keySequence(w.window.get(), QKeySequence(Qt::CTRL | Qt::Key_H));
    QVERIFY(w.bar()->replaceField()->isVisible());
    QTest::keyClicks(w.bar()->findField(), "milk");
    QTest::keyClicks(w.bar()->replaceField(), "tea");
    for (QPushButton* button : w.bar()->findChildren<QPushButton*>()) {
        if (button->text() == "Replace All")
            button->click();
    }
    QCOMPARE(w.edit()->toPlainText(), "Groceries\ntea, tea and tea");
    QTRY_COMPARE(w.count(), "No matches");
    // Saved as typing is.
    w.f.store().saveDraftNow(w.f.path("Groceries.md"));
    QCOMPARE(w.f.read("Groceries.md"), "Groceries\ntea, tea and tea");
    w.edit()->undo();
    QCOMPARE(w.edit()->toPlainText(), before);
}

void FindInNoteTest::searchHitsShown()
{
    FindFixture w;
    // A search typed over the note already open marks its matches there.
    QSignalSpy rested(&EditorMatches::of(w.edit()), &EditorMatches::settled);
    w.clickRow("Trip");
    QVERIFY(rested.wait());
    w.window->searchField()->setText("MILK");
    QTRY_COMPARE(w.edit()->extraSelections().size(), 2);
    w.clickRow("Groceries");
    w.clickRow("Trip");
    const QTextCursor cursor = w.edit()->textCursor();
    QCOMPARE(cursor.selectedText(), "milk");
    QCOMPARE(cursor.selectionStart(), w.edit()->toPlainText().indexOf("milk"));
    QCOMPARE(w.edit()->extraSelections().size(), 2);
    for (const QTextEdit::ExtraSelection& mark : w.edit()->extraSelections())
        QCOMPARE(mark.cursor.selectedText(), "milk");
    // Typing goes on as ever, and the marks follow the text.
    w.edit()->moveCursor(QTextCursor::End);
    QTest::keyClicks(w.edit(), " milk");
    QTRY_COMPARE(w.edit()->extraSelections().size(), 3);
    w.window->searchField()->clear();
    settle();
    QVERIFY(w.edit()->extraSelections().isEmpty());
}

QTEST_MAIN(FindInNoteTest)
#include "tst_find_in_note.moc"
