#include "app/note_results.h"
#include "store_fixture.h"

using namespace Day;

// What the desktop's search answers while the folder's texts are still being read.
class NoteResultsTest : public QObject
{
    Q_OBJECT

private slots:
    void answersOnlyWhatTheTextsReadSoFarDecide();
};

void NoteResultsTest::answersOnlyWhatTheTextsReadSoFarDecide()
{
    StoreFixture f;
    for (int i = 1; i <= 6; ++i)
        f.write(QString("Tent %1.md").arg(i), "Tent\nfor the trip", wednesday.addSecs(i));
    f.write("Packing.md", "Packing\nthe tent, the stove", tuesday);
    f.write("Stove.md", "Stove\nfuel", monday);
    NotesStore& store = f.startListed();
    NoteResults results;
    results.attach(store, true);

    // The five newest notes are named for it: no text still to come can come before them.
    QVERIFY(results.canAnswer({"tent"}));
    QCOMPARE(results.find({"tent"}).size(), NoteResults::limit);
    // Only texts say which notes hold "stove": the answer waits for them.
    QVERIFY(!results.canAnswer({"stove"}));
    QStringList answered;
    results.whenAnswerable({"stove"}, [&] {
        for (const Note& note : results.find({"stove"}))
            answered.append(note.title);
    });
    QVERIFY(answered.isEmpty());
    store.releaseQueue();
    f.readAll();
    QCOMPARE(answered, QStringList({"Packing", "Stove"}));
}

QUILLBOX_GUI_TEST_MAIN(NoteResultsTest)
#include "tst_note_results.moc"
