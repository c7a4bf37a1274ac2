#include "store/naming.h"
#include "store/note_list.h"
#include "store_fixture.h"

#include <QDir>
#include <QRegularExpression>
#include <QSignalSpy>

#include <sys/stat.h>

namespace {

const QDateTime monday(QDate(2026, 3, 2), QTime(9, 0));
const QDateTime tuesday(QDate(2026, 3, 3), QTime(9, 0));
const QDateTime wednesday(QDate(2026, 3, 4), QTime(9, 0));

} // namespace

class LoadingTest : public QObject
{
    Q_OBJECT

private slots:
    void onlyNoteFilesAreListed();
    void notesReadTheirFiles_data();
    void notesReadTheirFiles();
    void unreadableFilesAreListedEmptyAndMarked();
    void newestFirstWithStableTies();
    void selectionSurvivesReload();
    void reloadsReadOnlyWhatChanged_data();
    void reloadsReadOnlyWhatChanged();
    void listingFailureKeepsTheListAndTellsTheUser();
    void everyFolderAssignmentReloads();
    void search_data();
    void search();
    void searchIgnoresDrafts();
    void searchOverManyNotes();
};

void LoadingTest::onlyNoteFilesAreListed()
{
    StoreFixture f;
    TestFiles::write(f.path("Plan.MD"), "plan");
    TestFiles::write(f.path("plan.txt"), "no");
    TestFiles::write(f.path("plan"), "no");
    TestFiles::write(f.path(".plan.md"), "hidden");
    QDir().mkdir(f.path("Archive.md"));
    TestFiles::write(f.home.path() + "/elsewhere.txt", "linked");
    QVERIFY(QFile::link(f.home.path() + "/elsewhere.txt", f.path("Linked.md")));
    QVERIFY(QFile::link(f.home.path() + "/missing", f.path("Dangling.md")));
    QVERIFY(QFile::link(f.home.path(), f.path("FolderLink.md")));
    QCOMPARE(::mkfifo(QFile::encodeName(f.path("Pipe.md")).constData(), 0600), 0);
    // A save killed before its rename leaves a temporary file; an old one is ours to clear,
    // a young one may be another window's save in progress.
    const QDateTime now = QDateTime::currentDateTime();
    TestFiles::write(f.path(".quillbox-save-AbC123"), "torn", now.addSecs(-120));
    TestFiles::write(f.path(".quillbox-save-XyZ789"), "in progress", now.addSecs(-5));
    TestFiles::write(f.path(".syncthing.Plan.md.tmp"), "theirs", now.addSecs(-120));

    f.start();
    QCOMPARE(TestFiles::entries(f.folder).filter(QRegularExpression("^\\.")),
             QStringList({".plan.md", ".quillbox-save-XyZ789", ".syncthing.Plan.md.tmp"}));
    QStringList titles = f.titles();
    titles.sort();
    QCOMPARE(titles, QStringList({"Linked", "Plan"}));
    QCOMPARE(f.note("Linked.md").content, QStringLiteral("linked"));
    QVERIFY(f.alerts.shown.isEmpty());
}

void LoadingTest::notesReadTheirFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("content");
    QTest::addColumn<bool>("bom");
    QTest::addColumn<int>("ending");
    const auto lf = int(NoteText::LineEnding::Lf);
    QTest::newRow("UTF-8") << QByteArray("Café crème\n\nwith \xF0\x9F\x98\x80 and more")
                           << QString::fromUtf8("Café crème\n\nwith \U0001F600 and more") << false
                           << lf;
    QTest::newRow("byte-order mark")
        << QByteArray("\xEF\xBB\xBFTitle\nbody") << QStringLiteral("Title\nbody") << true << lf;
    QTest::newRow("CRLF") << QByteArray("a\r\nb\r\n") << QStringLiteral("a\r\nb\r\n") << false
                          << int(NoteText::LineEnding::CrLf);
    QTest::newRow("CR") << QByteArray("a\rb") << QStringLiteral("a\rb") << false
                        << int(NoteText::LineEnding::Cr);
    QTest::newRow("mixed: the first ending")
        << QByteArray("a\r\nb\nc\rd") << QStringLiteral("a\r\nb\nc\rd") << false
        << int(NoteText::LineEnding::CrLf);
    QTest::newRow("no-break space, separators, NUL")
        << QByteArray("a\xC2\xA0"
                      "b\xE2\x80\xA8"
                      "c\xE2\x80\xA9"
                      "d\0e",
                      14)
        << QString::fromUtf8("a\u00A0b\u2028c\u2029d") + QChar(0) + "e" << false << lf;
}

void LoadingTest::notesReadTheirFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, content);
    QFETCH(bool, bom);
    QFETCH(int, ending);
    StoreFixture f;
    TestFiles::write(f.path("Menu.md"), bytes, tuesday);
    NotesStore& store = f.start();

    QCOMPARE(store.notes().size(), 1);
    const Note note = store.notes().first();
    QCOMPARE(note.content, content);
    QCOMPARE(note.hasBom, bom);
    QCOMPARE(int(note.lineEnding), ending);
    // Written back unedited, the file would not change by a byte.
    QCOMPARE(note.fileBytes(), bytes);
    QCOMPARE(note.identity.size, bytes.size());
    QCOMPARE(note.title, QStringLiteral("Menu"));
    QCOMPARE(note.fallbackTitle, QStringLiteral("Menu"));
    QCOMPARE(note.lastModified, tuesday);
    QVERIFY(!note.unreadable);
    QVERIFY(!note.id.isNull());
    QCOMPARE(note.url, f.path("Menu.md"));
}

void LoadingTest::unreadableFilesAreListedEmptyAndMarked()
{
    StoreFixture f;
    const QByteArray latin1 = "Caf\xE9 au lait";
    TestFiles::write(f.path("Latin.md"), latin1, monday);
    TestFiles::write(f.path("Locked.md"), "secret", tuesday);
    TestFiles::setReadOnly(f.path("Locked.md"), true);
    QCOMPARE(::chmod(QFile::encodeName(f.path("Locked.md")).constData(), 0), 0);
    TestFiles::write(f.path("Fine.md"), "fine", wednesday);
    f.start();

    QCOMPARE(f.titles(), QStringList({"Fine", "Locked", "Latin"}));
    for (const QString& name : {QStringLiteral("Latin.md"), QStringLiteral("Locked.md")}) {
        const Note note = f.note(name);
        QVERIFY2(note.unreadable, qPrintable(name));
        QCOMPARE(note.content, QString());
    }
    QCOMPARE(f.note("Latin.md").lastModified, monday);
    QCOMPARE(f.note("Locked.md").lastModified, tuesday);
    QVERIFY(!f.note("Fine.md").unreadable);
}

void LoadingTest::newestFirstWithStableTies()
{
    StoreFixture f;
    TestFiles::write(f.path("Old.md"), "", monday);
    TestFiles::write(f.path("New.md"), "", wednesday);
    TestFiles::write(f.path("TieA.md"), "", tuesday);
    TestFiles::write(f.path("TieB.md"), "", tuesday);
    // Within one second, apart by milliseconds.
    TestFiles::write(f.path("Early.md"), "", monday.addMSecs(200));
    TestFiles::write(f.path("Late.md"), "", monday.addMSecs(700));
    NotesStore& store = f.start();
    QCOMPARE(f.note("Late.md").lastModified, monday.addMSecs(700));

    QStringList ties;
    for (const Note& n : store.notes()) {
        if (n.title.startsWith("Tie"))
            ties.append(n.title);
    }
    QCOMPARE(f.titles(), QStringList({"New"}) + ties + QStringList({"Late", "Early", "Old"}));
}

void LoadingTest::selectionSurvivesReload()
{
    StoreFixture f;
    TestFiles::write(f.path("A.md"), "a", monday);
    TestFiles::write(f.path("B.md"), "b", tuesday);
    NotesStore& store = f.start();
    // With nothing selected before, the newest note is selected.
    QCOMPARE(store.selectedNote()->title, QStringLiteral("B"));

    store.setSelectedNote(f.note("A.md"));
    const QUuid before = store.selectedNote()->id;
    TestFiles::write(f.path("A.md"), "a changed elsewhere", monday);
    store.loadNotes();
    settle();
    QCOMPARE(store.selectedNote()->url, f.path("A.md"));
    QCOMPARE(store.selectedNote()->content, QStringLiteral("a changed elsewhere"));
    // Still the same note to the list and the selection.
    QCOMPARE(store.selectedNote()->id, before);

    QFile::remove(f.path("A.md"));
    store.loadNotes();
    settle();
    QCOMPARE(store.selectedNote()->title, QStringLiteral("B"));

    QFile::remove(f.path("B.md"));
    store.loadNotes();
    settle();
    QVERIFY(!store.selectedNote());
    QVERIFY(store.notes().isEmpty());
}

void LoadingTest::reloadsReadOnlyWhatChanged_data()
{
    QTest::addColumn<bool>("watched");
    QTest::newRow("reload") << false;
    // The watch reads only the files it names.
    QTest::newRow("folder watch") << true;
}

void LoadingTest::reloadsReadOnlyWhatChanged()
{
    QFETCH(bool, watched);
    StoreFixture f;
    TestFiles::write(f.path("Kept.md"), "kept", monday);
    TestFiles::write(f.path("Draft.md"), "draft", tuesday);
    NotesStore& store = f.start();
    store.setWatching(watched);
    store.setSaveDelay(60000);
    store.setSelectedNote(f.note("Draft.md"));
    store.updateDraft(f.note("Draft.md"), "draft\ntyped");
    const QUuid draftId = f.note("Draft.md").id;

    // Unchanged files are not read again: one that has become unreadable keeps its record.
    QCOMPARE(::chmod(QFile::encodeName(f.path("Kept.md")).constData(), 0), 0);
    // Another program renames the note being edited and adds one: selection and text follow.
    QVERIFY(QFile::rename(f.path("Draft.md"), f.path("Renamed.md")));
    TestFiles::write(f.path("New.md"), "new", monday);
    if (!watched)
        store.loadNotes();
    QTRY_COMPARE(store.notes().size(), 3);
    settle();

    QCOMPARE(f.note("New.md").content, QStringLiteral("new"));
    QCOMPARE(f.note("Kept.md").content, QStringLiteral("kept"));
    QCOMPARE(store.selectedNote()->url, f.path("Renamed.md"));
    QCOMPARE(store.selectedNote()->id, draftId);
    QCOMPARE(store.drafts(), (QHash<QString, QString>{{f.path("Renamed.md"), "draft\ntyped"}}));
    QVERIFY(store.saveAllDrafts());
    QCOMPARE(TestFiles::read(f.path("draft.md")), QByteArray("draft\ntyped"));
    QCOMPARE(TestFiles::entries(f.folder), QStringList({"Kept.md", "New.md", "draft.md"}));
}

void LoadingTest::listingFailureKeepsTheListAndTellsTheUser()
{
    StoreFixture f;
    TestFiles::write(f.path("Kept.md"), "kept");
    NotesStore& store = f.start();
    QCOMPARE(store.notes().size(), 1);

    QSignalSpy preferences(&store, &NotesStore::preferencesRequested);
    QCOMPARE(::chmod(QFile::encodeName(f.folder).constData(), 0300), 0);
    f.alerts.answerNext(true);
    store.loadNotes();
    settle();
    // Every activation reloads; the same failure is told once, not at each of them.
    store.loadNotes();
    settle();
    QCOMPARE(::chmod(QFile::encodeName(f.folder).constData(), 0700), 0);

    QCOMPARE(store.notes().size(), 1);
    QCOMPARE(store.selectedNote()->title, QStringLiteral("Kept"));
    QCOMPARE(f.alerts.shown.size(), 1);
    f.alerts.expect(0, "The folder “Notes” couldn’t be opened.", "Permission denied",
                    AlertService::Style::Warning, {"Open Preferences…", "Cancel"});
    QCOMPARE(preferences.size(), 1);
}

void LoadingTest::everyFolderAssignmentReloads()
{
    StoreFixture f;
    TestFiles::write(f.path("First.md"), "1");
    const QString other = f.home.makeFolder("Other");
    TestFiles::write(other + "/Second.md", "2");
    NotesStore& store = f.start();
    QSignalSpy loads(&store, &NotesStore::notesChanged);

    // Two assignments in a row: the list ends in the state of the last, which holds the very
    // files it held before, so nothing the list shows changes.
    store.setFolderURL(other);
    store.setFolderURL(f.folder);
    settle();
    QCOMPARE(loads.size(), 0);
    QCOMPARE(f.titles(), QStringList({"First"}));

    // Assigning the same folder again reloads it.
    TestFiles::write(f.path("Later.md"), "3");
    store.setFolderURL(f.folder);
    settle();
    QCOMPARE(loads.size(), 1);
    QCOMPARE(store.notes().size(), 2);

    store.setFolderURL(QString());
    settle();
    QVERIFY(store.notes().isEmpty());
    QVERIFY(!store.selectedNote());
}

void LoadingTest::search_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<QStringList>("found");

    QTest::newRow("empty") << "" << QStringList({"Groceries", "Trip", "Ideas"});
    QTest::newRow("only spaces") << "   " << QStringList({"Groceries", "Trip", "Ideas"});
    QTest::newRow("case-insensitive") << "Milk" << QStringList({"Groceries"});
    QTest::newRow("trimmed") << "\t milk \n" << QStringList({"Groceries"});
    QTest::newRow("title only in the file name") << "idea" << QStringList({"Ideas"});
    QTest::newRow("accents count") << "cafe" << QStringList();
    QTest::newRow("accented, other case") << QString::fromUtf8("CAFÉ") << QStringList({"Trip"});
    QTest::newRow("decomposed query") << QStringLiteral("cafe\u0301") << QStringList({"Trip"});
    QTest::newRow("German sharp s folds") << "STRASSE" << QStringList({"Trip"});
    QTest::newRow("nowhere") << "zebra" << QStringList();
}

void LoadingTest::search()
{
    QFETCH(QString, query);
    QFETCH(QStringList, found);
    StoreFixture f;
    TestFiles::write(f.path("Groceries.md"), "milk\neggs", wednesday);
    TestFiles::write(f.path("Trip.md"), QString::fromUtf8("Café on the Straße").toUtf8(), tuesday);
    TestFiles::write(f.path("Ideas.md"), "nothing here", monday);
    NotesStore& store = f.start();

    store.setSearchText(query);
    QCOMPARE(f.titles(), found);
}

void LoadingTest::searchIgnoresDrafts()
{
    StoreFixture f;
    TestFiles::write(f.path("Groceries.md"), "milk");
    NotesStore& store = f.start();
    store.setSaveDelay(60000);
    store.updateDraft(f.note("Groceries.md"), "milk and honey");
    store.setSearchText("honey");
    QCOMPARE(f.titles(), QStringList());
}

void LoadingTest::searchOverManyNotes()
{
    // Enough notes for the search to share the work between threads.
    StoreFixture f;
    const int count = int(NoteList::parallelSearchThreshold) + 101;
    QStringList expected;
    for (int i = 0; i < count; ++i) {
        const bool hit = i % 97 == 0 || i == count - 1;
        const QString name = QStringLiteral("Note %1").arg(i, 5, 10, QLatin1Char('0'));
        TestFiles::write(f.path(name + ".md"), hit ? "has the Needle" : "nothing",
                         monday.addSecs(i));
        if (hit)
            expected.prepend(name);
    }
    NotesStore& store = f.start();
    // Typed faster than the scans run: the list follows the last text, and only once.
    QSignalSpy finished(&store, &NotesStore::searchFinished);
    for (const char* typed : {"n", "ne", "nee", "need", "needl", "needle"})
        store.setSearchText(typed);
    QTRY_COMPARE(finished.size(), 1);
    QCOMPARE(f.titles(), expected);
    // Typed letter by letter, with a slip and its correction: each step narrows or widens
    // from remembered results, and must equal a search from scratch.
    for (const char* typed : {"n", "ne", "nee", "neex", "nee", "needle"}) {
        store.setSearchText(typed);
        const qsizetype matches = store.filteredNotes().size();
        const QString now = QString::fromLatin1(typed);
        QCOMPARE(matches, now == "n" ? count : now == "neex" ? 0 : expected.size());
    }
    QCOMPARE(f.titles(), expected);
    // A saved note is a new list: remembered results are not reused for it.
    Note last = f.note("Note 00001.md");
    last.content = "a needle too";
    QVERIFY(store.saveNote(last));
    QCOMPARE(f.titles().first(), QStringLiteral("a needle too"));
    QCOMPARE(f.titles().size(), expected.size() + 1);
    store.setSearchText(QString());
    QCOMPARE(store.filteredNotes().size(), count);
}

QUILLBOX_TEST_MAIN(LoadingTest)
#include "tst_loading.moc"
