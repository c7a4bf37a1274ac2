#include "store/history.h"
#include "test_support.h"
#include "views/history_window.h"
#include "views/palette_colors.h"
#include "views/version_diff_view.h"

#include <QApplication>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTextBlock>

using Kind = HistoryStore::Kind;
Q_DECLARE_METATYPE(Kind)

class HistoryWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
    void rowsSayWhatMadeEachVersion_data();
    void rowsSayWhatMadeEachVersion();
    void changesAreMarkedAndWashedReadably_data();
    void changesAreMarkedAndWashedReadably();
    void restoreSendsTheChosenVersionOnlyOnRequest();
    void deletedNotesListsOnlyNotesWhoseFileIsGone();
};

namespace {

// A history of the test's notes folder, versions kept a minute apart from 9:26.
class Histories
{
public:
    Histories() { history.setFolder(home.notesFolder()); }
    QString note(const QString& name) const { return home.notesFolder() + "/" + name; }
    void keep(const QString& name, const QString& text, Kind kind = Kind::Saved)
    {
        history.keep(note(name), text, kind);
        clock.current = clock.current.addSecs(60 * 5);
    }

    TestHome home;
    FakeClock clock;
    History history{clock};
};

QStringList rows(const QListWidget* list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts.append(list->item(i)->text());
    return texts;
}

QPalette palette(const char* base, const char* text)
{
    QPalette palette;
    palette.setColor(QPalette::Base, QColor(base));
    palette.setColor(QPalette::Window, QColor(base));
    palette.setColor(QPalette::Text, QColor(text));
    palette.setColor(QPalette::WindowText, QColor(text));
    return palette;
}

} // namespace

void HistoryWindowTest::rowsSayWhatMadeEachVersion_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("words");
    row("our save", Kind::Saved, QString("Saved"));
    row("before a rename", Kind::BeforeRename, QString("Saved"));
    row("joined", Kind::Merged, QString("Merged"));
    row("theirs", Kind::Theirs, QString("Another program's version"));
    row("before a conflict copy", Kind::BeforeConflictCopy, QString("Another program's version"));
    row("ours, replaced", Kind::Replaced, QString("Before another program's change"));
    row("before delete", Kind::BeforeDelete, QString("Before delete"));
    row("restored", Kind::Restored, QString("Restored"));
    row("recovered", Kind::Recovered, QString("Recovered"));
}

void HistoryWindowTest::rowsSayWhatMadeEachVersion()
{
    QFETCH(Kind, kind);
    QFETCH(QString, words);
    Histories h;
    h.keep("Plan.md", "older", Kind::Saved);
    h.keep("Plan.md", "Plan", kind);
    HistoryWindow window(h.history);
    window.showNote(h.note("Plan.md"), "Plan", "Plan");
    QCOMPARE(window.windowTitle(), "History — Plan");
    QCOMPARE(window.versionsList()->accessibleName(), "Versions");
    QCOMPARE(rows(window.versionsList()),
             QStringList({"14.03.26 09:31, " + words, "14.03.26 09:26, Saved"}));
}

void HistoryWindowTest::changesAreMarkedAndWashedReadably_data()
{
    QTest::addColumn<QPalette>("palette");
    row("light", palette("#ffffff", "#000000"));
    row("dark", palette("#1e1e1e", "#eeeeee"));
    row("light with soft text", palette("#ffffff", "#595959"));
}

// Before, the version chosen; after, the note's current text.
void HistoryWindowTest::changesAreMarkedAndWashedReadably()
{
    QFETCH(QPalette, palette);
    Histories h;
    h.keep("Groceries.md", "Groceries\nmilk\neggs");
    HistoryWindow window(h.history);
    window.showNote(h.note("Groceries.md"), "Groceries", "Groceries\nmilk\nbread");
    window.setPalette(palette); // as when the desktop turns dark with the window open

    QStringList lines;
    QList<QBrush> washes;
    for (QTextBlock block = window.diffView()->textView()->document()->begin(); block.isValid();
         block = block.next()) {
        lines.append(block.text());
        washes.append(block.blockFormat().background());
    }
    QCOMPARE(lines, QStringList({"  Groceries", "  milk", "− eggs", "+ bread"}));
    QCOMPARE(washes[0].style(), Qt::NoBrush);
    QCOMPARE(washes[1].style(), Qt::NoBrush);
    const QColor removed = washes[2].color();
    const QColor added = washes[3].color();
    const QColor base = palette.color(QPalette::Base);
    QVERIFY(removed != base && added != base && removed != added);
    for (const QColor& wash : {removed, added}) {
        const double contrast = PaletteColors::contrast(palette.color(QPalette::Text), wash);
        QVERIFY2(contrast >= PaletteColors::minimumContrast, qPrintable(wash.name()));
    }
    QVERIFY(window.diffView()->textView()->isReadOnly());
}

void HistoryWindowTest::restoreSendsTheChosenVersionOnlyOnRequest()
{
    Histories h;
    const QString older = "Trip\r\ntrain at 6\r\n";
    h.keep("Trip.md", older);
    h.keep("Trip.md", "Trip\ntrain at 7", Kind::Theirs);
    HistoryWindow window(h.history);
    QSignalSpy restored(&window, &HistoryWindow::restoreRequested);
    window.showNote(h.note("Trip.md"), "Trip", "Trip\ntrain at 7");
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QListWidget* list = window.versionsList();
    QCOMPARE(QApplication::focusWidget(), list);
    QCOMPARE(list->currentRow(), 0);
    QVERIFY2(!window.restoreButton()->isEnabled(), "the newest version is the current text");

    QTest::keyClick(list, Qt::Key_Down);
    QVERIFY(window.restoreButton()->isEnabled());
    QTest::keyClick(list, Qt::Key_Return);
    QTest::keyClick(list, Qt::Key_Enter);
    QCOMPARE(restored.size(), 0);
    window.restoreButton()->click();
    QCOMPARE(restored.size(), 1);
    QCOMPARE(restored[0], QVariantList({h.note("Trip.md"), older}));
    // Nothing written: the note's history is as it was.
    QCOMPARE(h.history.versions(h.note("Trip.md")).size(), 2);

    QTest::keyClick(list, Qt::Key_Escape);
    QVERIFY(!window.isVisible());
}

void HistoryWindowTest::deletedNotesListsOnlyNotesWhoseFileIsGone()
{
    Histories h;
    h.keep("Gone.md", "Gone\nfor good", Kind::BeforeDelete);
    h.keep("Here.md", "Here");
    h.keep("Old plan.v2.md", "Old plan", Kind::BeforeDelete);
    HistoryWindow window(h.history);
    QSignalSpy restored(&window, &HistoryWindow::restoreDeletedRequested);
    window.showDeleted([&](const QString& path) { return path == h.note("Here.md"); });
    QCOMPARE(window.tabs()->currentIndex(), 1);
    QCOMPARE(rows(window.deletedList()),
             QStringList({"Old plan.v2, 14.03.26 09:36", "Gone, 14.03.26 09:26"}));

    window.deletedList()->setCurrentRow(1);
    QCOMPARE(window.deletedText()->toPlainText(), "Gone\nfor good");
    window.restoreNoteButton()->click();
    QCOMPARE(restored.size(), 1);
    QCOMPARE(restored[0], QVariantList({h.note("Gone.md"), "Gone\nfor good"}));
}

QUILLBOX_GUI_TEST_MAIN(HistoryWindowTest)
#include "tst_history_window.moc"
