#include "store/drafts.h"
#include "store/folder_scan.h"
#include "store/search_key.h"
#include "store_fixture.h"

#include <QSignalSpy>

using namespace Day;

// The list is shown from the folder's names before any text is read; these are the states a
// note can be in meanwhile, and what each use of a note does about them.
class TextReadingTest : public QObject
{
    Q_OBJECT

private slots:
    void aScanListsWhatALoadLists();
    void everyUseReadsTheTextFirst_data();
    void everyUseReadsTheTextFirst();
    void aLateReadNeverUndoesASave();
    void filesChangedBeforeTheirRead_data();
    void filesChangedBeforeTheirRead();
    void aSearchGrowsToWhatAFreshSearchFinds_data();
    void aSearchGrowsToWhatAFreshSearchFinds();
    void aDraftIsNeverMergedIntoUnreadText();
};

namespace {

const QDateTime thursday = monday.addDays(3);
const QDateTime friday = monday.addDays(4);
const QDateTime saturday = monday.addDays(5);

void writeNotes(StoreFixture& f)
{
    f.write("Newest.md", "Newest\nan apple a day", friday);
    f.write("Old.md", "Old\nthe first line\nand more", monday);
    f.write("Apple pie.md", "Apple pie\nflour", tuesday);
    f.write("Crumble.md", "Crumble\nno fruit named", wednesday);
}

QStringList versionsOf(NotesStore& store, const QString& url)
{
    QStringList texts;
    for (const HistoryStore::Version& version : store.history().versions(url))
        texts.append(store.history().text(version.id).value_or(QString()));
    return texts;
}

} // namespace

void TextReadingTest::aScanListsWhatALoadLists()
{
    StoreFixture f;
    writeNotes(f);
    f.write("Caf\xE9.md", "a name that is not UTF-8", thursday);
    f.write("notes.txt", "not a note");
    const NoteLoader::Result scanned = FolderScan::scan(f.folder);
    const NoteLoader::Result loaded = NoteLoader::load(f.folder);
    QCOMPARE(scanned.notes.size(), 5);
    QCOMPARE(scanned.notes.size(), loaded.notes.size());
    for (qsizetype i = 0; i < scanned.notes.size(); ++i) {
        const Note& s = scanned.notes.at(i);
        const Note& l = loaded.notes.at(i);
        QCOMPARE(s.url, l.url);
        QCOMPARE(s.title, l.title);
        QCOMPARE(s.lastModified, l.lastModified);
        QCOMPARE(s.identity, l.identity);
        QCOMPARE(s.unreadable, l.unreadable);
        QVERIFY(s.textPending && s.contentUtf8().isEmpty());
        QVERIFY(!l.textPending);
    }
    QCOMPARE(scanned.folder, loaded.folder);
}

enum class Use
{
    Select,
    Save,
    Delete,
    ShowText,
};

void TextReadingTest::everyUseReadsTheTextFirst_data()
{
    QTest::addColumn<Use>("use");
    QTest::newRow("selected") << Use::Select;
    QTest::newRow("typed in and saved") << Use::Save;
    QTest::newRow("deleted") << Use::Delete;
    QTest::newRow("its text shown") << Use::ShowText;
}

void TextReadingTest::everyUseReadsTheTextFirst()
{
    QFETCH(Use, use);
    StoreFixture f;
    writeNotes(f);
    NotesStore& store = f.startListed();
    const QString old = f.path("Old.md");
    const QString text = "Old\nthe first line\nand more";
    QVERIFY(store.readingTexts());
    QVERIFY(f.note("Old.md").textPending);
    // The newest note is selected, with its text.
    QCOMPARE(store.selectedNote()->content(), "Newest\nan apple a day");

    switch (use) {
    case Use::Select:
        store.setSelectedNote(f.note("Old.md"));
        QCOMPARE(store.selectedNote()->content(), text);
        QVERIFY(!store.selectedNote()->textPending);
        break;
    case Use::Save:
        f.type("Old.md", text + "\nand a line of mine");
        QVERIFY(store.saveDraftNow(old));
        QCOMPARE(f.read("Old.md"), text.toUtf8() + "\nand a line of mine");
        QCOMPARE(f.files().size(), 4);
        break;
    case Use::Delete:
        QVERIFY(store.moveToTrash(old));
        QCOMPARE(versionsOf(store, old), QStringList{text});
        break;
    case Use::ShowText:
        QCOMPARE(store.textFor(f.note("Old.md")), text);
        break;
    }
    QVERIFY(f.failures.isEmpty());
    store.releaseQueue();
    f.readAll();
    QVERIFY(!store.readingTexts());
    for (const Note& note : store.notes())
        QVERIFY2(!note.textPending && !note.content().isEmpty(), qPrintable(note.url));
}

void TextReadingTest::aLateReadNeverUndoesASave()
{
    StoreFixture f;
    writeNotes(f);
    NotesStore& store = f.startListed();
    // The reader read "Old" before the user saved it; that reading arrives after the save.
    f.type("Old.md", "Old\nrewritten");
    QVERIFY(store.saveDraftNow(f.path("Old.md")));
    store.releaseQueue();
    f.readAll();
    QCOMPARE(f.note("Old.md").content(), "Old\nrewritten");
    // The next save is in place: the record still knows the file it wrote.
    f.type("Old.md", "Old\nrewritten twice");
    QVERIFY(store.saveDraftNow(f.path("Old.md")));
    QCOMPARE(f.read("Old.md"), "Old\nrewritten twice");
    QCOMPARE(f.files().size(), 4);
}

enum class Change
{
    Rewritten,
    Removed,
    MadeUnreadable,
};

void TextReadingTest::filesChangedBeforeTheirRead_data()
{
    QTest::addColumn<Change>("change");
    QTest::newRow("rewritten") << Change::Rewritten;
    QTest::newRow("removed") << Change::Removed;
    QTest::newRow("made unreadable") << Change::MadeUnreadable;
}

void TextReadingTest::filesChangedBeforeTheirRead()
{
    QFETCH(Change, change);
    StoreFixture f;
    writeNotes(f);
    f.write("Later.md", "Later\nas listed", thursday);
    const auto makeChange = [&] {
        switch (change) {
        case Change::Rewritten:
            f.write("Later.md", "Later\nas another program wrote it", saturday);
            break;
        case Change::Removed:
            QVERIFY(QFile::remove(f.path("Later.md")));
            break;
        case Change::MadeUnreadable:
            TestFiles::setMode(f.path("Later.md"), 0);
            break;
        }
    };

    // A reload that reads a file changed since the scan displaced no text we knew.
    const NoteLoader::Result scanned = FolderScan::scan(f.folder);
    makeChange();
    const NoteLoader::Result reloaded = NoteLoader::load(f.folder, scanned.notes);
    QVERIFY(reloaded.displaced.isEmpty());
    if (change != Change::MadeUnreadable)
        TestFiles::write(f.path("Later.md"), "Later\nas listed", thursday);
    else
        TestFiles::setMode(f.path("Later.md"), 0600);

    // The store's own reading, when the change comes between the listing and the read.
    NotesStore* store = nullptr;
    QObject context;
    bool changed = false;
    f.startListedWith([&](NotesStore& s) {
        store = &s;
        QObject::connect(&s, &NotesStore::notesChanged, &context, [&] {
            if (!std::exchange(changed, true))
                makeChange();
        });
    });
    QVERIFY(changed);
    store->releaseQueue();
    f.readAll();
    const Note later = f.note("Later.md");

    switch (change) {
    case Change::Rewritten:
        QCOMPARE(later.content(), "Later\nas another program wrote it");
        QCOMPARE(f.titles().first(), "Later");
        break;
    case Change::Removed:
        QVERIFY(later.url.isEmpty());
        break;
    case Change::MadeUnreadable:
        QVERIFY(later.unreadable && !later.textPending);
        break;
    }
    for (const QString& version : versionsOf(*store, f.path("Later.md")))
        QVERIFY(!version.isEmpty());
}

void TextReadingTest::aSearchGrowsToWhatAFreshSearchFinds_data()
{
    QTest::addColumn<int>("others");
    QTest::newRow("a few notes") << 0;
    QTest::newRow("enough to search on another thread") << 4200;
}

void TextReadingTest::aSearchGrowsToWhatAFreshSearchFinds()
{
    QFETCH(int, others);
    StoreFixture f;
    writeNotes(f);
    for (int i = 0; i < others; ++i)
        f.write(QString("Note %1.md").arg(i), i % 7 ? "Note\nplain" : "Note\nan apple", monday);
    NotesStore& store = f.startListed();
    QSignalSpy grew(&store, &NotesStore::textsArrived);
    store.setSearchText("apple");
    settle();
    // Titles are known from the names at once; the newest note's text was read to show it.
    QCOMPARE(f.titles(), QStringList({"Newest", "Apple pie"}));
    store.releaseQueue();
    f.readAll();
    QVERIFY(!grew.isEmpty());
    const QStringList grown = f.titles();

    StoreFixture fresh;
    writeNotes(fresh);
    for (int i = 0; i < others; ++i)
        fresh.write(QString("Note %1.md").arg(i), i % 7 ? "Note\nplain" : "Note\nan apple", monday);
    NotesStore& all = fresh.start();
    all.setSearchText("apple");
    settle();
    QCOMPARE(grown, fresh.titles());
    QCOMPARE(grown.size(), 2 + (others + 6) / 7);
    // Typing on narrows what was found, read texts included.
    store.setSearchText("apple a");
    all.setSearchText("apple a");
    settle();
    QCOMPARE(f.titles(), fresh.titles());
}

void TextReadingTest::aDraftIsNeverMergedIntoUnreadText()
{
    Drafts drafts;
    Note base;
    base.url = "/notes/Plan.md";
    base.setContent("Plan\nours");
    base.identity.size = 9;
    drafts.edit(base.url, base, [] { return std::optional<QString>("Plan\nours, typed on"); });
    Note listed = base;
    listed.setContentUtf8({});
    listed.textPending = true;
    listed.identity.size = 20;
    QList<Note> fresh{listed};
    QStringList merged;
    const QStringList toSave =
        drafts.reconcile(fresh, "/notes", merged, [](const QString&) { return false; });
    QVERIFY(toSave.isEmpty() && merged.isEmpty());
    QCOMPARE(drafts.value(base.url)->text, "Plan\nours, typed on");
    QCOMPARE(drafts.value(base.url)->base.content(), "Plan\nours");
}

QUILLBOX_TEST_MAIN(TextReadingTest)
#include "tst_text_reading.moc"
