#include "store/note_list.h"
#include "store/search_key.h"
#include "store_fixture.h"

#include <QDir>
#include <QRegularExpression>
#include <QSignalSpy>

#include <fcntl.h>
#include <sys/stat.h>

using namespace Day;

class LoadingTest : public QObject
{
    Q_OBJECT

private slots:
    void listsNoteFilesNewestFirst();
    void notesReadTheirFiles_data();
    void notesReadTheirFiles();
    void reloadsKeepTheNoteAndItsSelection_data();
    void reloadsKeepTheNoteAndItsSelection();
    void aRewriteWithinTheSameSecondIsRead();
    void search_data();
    void search();
    void searchOverManyNotes();
    void typingOnFindsWhatAFreshSearchFinds();
    void everyRecordIsFoundWhereverChangesMoveIt();
};

void LoadingTest::listsNoteFilesNewestFirst()
{
    StoreFixture f;
    f.write("Plan.MD", "plan", wednesday);
    // Within one second, apart by milliseconds.
    f.write("Early.md", "", monday.addMSecs(200));
    f.write("Late.md", "", monday.addMSecs(700));
    f.write("Latin.md", "Caf\xE9 au lait", monday);
    f.write("Locked.md", "secret", monday.addSecs(-1));
    TestFiles::setMode(f.path("Locked.md"), 0);
    for (const char* other : {"plan.txt", "plan", "plan.md.txt", ".plan.md"})
        f.write(other, "no");
    QDir().mkdir(f.path("Archive.md"));
    TestFiles::write(f.home.path() + "/elsewhere.txt", "linked", monday.addSecs(-2));
    QVERIFY(QFile::link(f.home.path() + "/elsewhere.txt", f.path("Linked.md")) &&
            QFile::link(f.home.path() + "/missing", f.path("Dangling.md")) &&
            QFile::link(f.home.path(), f.path("FolderLink.md")));
    QCOMPARE(::mkfifo(QFile::encodeName(f.path("Pipe.md")).constData(), 0600), 0);
    // Temporary files of killed saves are cleared; a young one may be a save in progress.
    const QDateTime now = QDateTime::currentDateTime();
    f.write(".quillbox-save-AbC123", "torn", now.addSecs(-120));
    f.write(".quillbox-save-XyZ789", "in progress", now.addSecs(-5));
    f.write(".syncthing.Plan.md.tmp", "theirs", now.addSecs(-120));
    NotesStore& store = f.start();

    QCOMPARE(f.files().filter(QRegularExpression("^\\.")),
             QStringList({".plan.md", ".quillbox-save-XyZ789", ".syncthing.Plan.md.tmp"}));
    QCOMPARE(f.titles().join(','), "Plan,Late,Early,Latin,Locked,Linked");
    QCOMPARE(f.note("Late.md").lastModified, monday.addMSecs(700));
    // Notes we cannot read are listed, empty and marked, and keep their dates.
    QVERIFY(f.note("Latin.md").unreadable && f.note("Locked.md").unreadable);
    QCOMPARE(f.note("Latin.md").content() + f.note("Linked.md").content(), "linked");
    QCOMPARE(store.selectedNote()->title, QStringLiteral("Plan"));
    QVERIFY(f.alerts.shown.isEmpty());

    // Two assignments in a row, the last to the same folder: nothing the list shows changes.
    QSignalSpy loads(&store, &NotesStore::notesChanged);
    store.setFolderURL(f.home.makeFolder("Other"));
    store.setFolderURL(f.folder);
    settle();
    QCOMPARE(loads.size(), 0);
    // A listing that fails keeps the list; each reload fails alike, and that is told once.
    const QStringList listed = f.titles();
    TestFiles::setMode(f.folder, 0300);
    f.reload();
    f.reload();
    TestFiles::setMode(f.folder, 0700);
    QCOMPARE(f.titles(), listed);
    QCOMPARE(store.selectedNote()->title, QStringLiteral("Plan"));
    QCOMPARE(f.problems, QList<FileError>({FileError::folderNotOpened(f.folder, EACCES)}));
    // Assigning the same folder again reloads it.
    f.write("Later.md", "3");
    store.setFolderURL(f.folder);
    settle();
    QCOMPARE(loads.size(), 1);
    QCOMPARE(f.titles().size(), listed.size() + 1);
}

void LoadingTest::notesReadTheirFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("bom");
    QTest::addColumn<NoteText::LineEnding>("ending");
    using enum NoteText::LineEnding;
    row("UTF-8", QByteArray("Café crème\n\nwith \xF0\x9F\x98\x80 and more"), false, Lf);
    row("byte-order mark", QByteArray("\xEF\xBB\xBFTitle\nbody"), true, Lf);
    row("CRLF", QByteArray("a\r\nb\r\n"), false, CrLf);
    row("CR", QByteArray("a\rb"), false, Cr);
    row("mixed: the first ending", QByteArray("a\r\nb\nc\rd"), false, CrLf);
    row("no-break space, separators, NUL",
        QByteArray("a\302\240b\342\200\250c\342\200\251d\0e", 14), false, Lf);
}

void LoadingTest::notesReadTheirFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, bom);
    QFETCH(NoteText::LineEnding, ending);
    const std::optional<NoteText::Decoded> decoded = NoteText::decode(bytes);
    QVERIFY(decoded);
    QCOMPARE(decoded->hasBom, bom);
    QCOMPARE(decoded->lineEnding, ending);
    // Written back unedited, the file would not change by a byte.
    QCOMPARE(NoteText::encode(QString::fromUtf8(decoded->utf8), decoded->hasBom), bytes);
}

void LoadingTest::reloadsKeepTheNoteAndItsSelection_data()
{
    QTest::addColumn<bool>("watched");
    QTest::newRow("reload") << false;
    // The watch reads only the files it names.
    QTest::newRow("folder watch") << true;
}

void LoadingTest::reloadsKeepTheNoteAndItsSelection()
{
    QFETCH(bool, watched);
    StoreFixture f;
    f.write("Kept.md", "kept", monday);
    f.write("Draft.md", "draft", tuesday);
    f.write("B.md", "b", wednesday);
    NotesStore& store = f.start();
    store.setSelectedNote(f.note("Draft.md"));
    f.type("Draft.md", "draft\ntyped");
    const QUuid draftId = f.note("Draft.md").id;
    // The typing stays a draft while the watch's events are waited for.
    store.setSaveDelay(60000);
    store.setWatching(watched);

    // Unchanged files are not read again: one that has become unreadable keeps its record.
    TestFiles::setMode(f.path("Kept.md"), 0);
    f.write("B.md", "b changed elsewhere", wednesday);
    // Another program renames the note being edited: selection and text follow it.
    QVERIFY(QFile::rename(f.path("Draft.md"), f.path("Renamed.md")));
    if (!watched)
        f.reload();
    QTRY_COMPARE(f.note("B.md").content(), QStringLiteral("b changed elsewhere"));
    QTRY_COMPARE(store.selectedNote()->url, f.path("Renamed.md"));
    QCOMPARE(f.note("Kept.md").content(), QStringLiteral("kept"));
    QCOMPARE(store.selectedNote()->id, draftId);
    QCOMPARE(store.unsavedTexts(),
             (QHash<QString, QString>{{f.path("Renamed.md"), "draft\ntyped"}}));
    QVERIFY(store.saveAllDrafts());
    QCOMPARE(f.files(), QStringList({"B.md", "Kept.md", "draft.md"}));
    QCOMPARE(f.read("draft.md"), QByteArray("draft\ntyped"));

    // The selected note gone: the newest is selected.
    QFile::remove(f.path("draft.md"));
    f.reload();
    QCOMPARE(store.selectedNote()->title, QStringLiteral("B"));

    // Coming back to the window reads the folder again only when no watch sees every change.
    QSignalSpy loads(&store, &NotesStore::loadFinished);
    store.refreshOnActivation();
    settle();
    QCOMPARE(loads.size(), watched ? 0 : 1);
}

// Another program rewrote the note with as many bytes and set its time within the second of
// our last read: only the nanoseconds tell.
void LoadingTest::aRewriteWithinTheSameSecondIsRead()
{
    StoreFixture f;
    f.start();
    const auto writeAt = [&](const QString& name, const QByteArray& bytes, long nanoseconds) {
        f.write(name, bytes);
        const timespec times[2] = {{monday.toSecsSinceEpoch(), nanoseconds},
                                   {monday.toSecsSinceEpoch(), nanoseconds}};
        return ::utimensat(AT_FDCWD, QFile::encodeName(f.path(name)).constData(), times, 0) == 0;
    };
    // The kernel sets the change time: when a second ends between the two writes, that alone
    // would tell, so the rewrite is tried again.
    for (int attempt = 0; attempt < 5; ++attempt) {
        const QString name = QStringLiteral("Note %1.md").arg(attempt);
        QVERIFY(writeAt(name, "mine", 100));
        f.reload();
        const FileIdentity read = f.note(name).identity;
        QVERIFY(writeAt(name, "them", 200));
        if (FileIdentity::ofPath(QFile::encodeName(f.path(name))).changedSeconds !=
            read.changedSeconds)
            continue;
        f.reload();
        QCOMPARE(f.note(name).content(), QStringLiteral("them"));
        return;
    }
    QFAIL("every rewrite fell in another second");
}

void LoadingTest::search_data()
{
    QTest::addColumn<QString>("before"); // searched for just before
    QTest::addColumn<QString>("query");
    QTest::addColumn<QStringList>("found");
    const QString none;
    row("empty", none, QString(), QStringList{"Groceries", "Trip", "Ideas"});
    row("case-insensitive, trimmed", none, "\t Milk \n", QStringList{"Groceries"});
    row("title only in the file name", none, "idea", QStringList{"Ideas"});
    row("accents count", none, "cafe", QStringList());
    row("accented, other case", none, QString::fromUtf8("CAFÉ"), QStringList{"Trip"});
    row("decomposed query", none, "cafe\u0301", QStringList{"Trip"});
    row("German sharp s folds", none, "STRASSE", QStringList{"Trip"});
    row("only in unsaved text", none, "honey", QStringList());
    row("one digit", none, "7", QStringList{"Trip"});
    row("shorter after longer", "here", "he", QStringList{"Trip", "Ideas"});
}

void LoadingTest::search()
{
    QFETCH(QString, before);
    QFETCH(QString, query);
    QFETCH(QStringList, found);
    StoreFixture f;
    f.write("Groceries.md", "milk\n6 eggs", wednesday);
    f.write("Trip.md", QString::fromUtf8("Café on the Straße 7").toUtf8(), tuesday);
    f.write("Ideas.md", "nothing here", monday);
    NotesStore& store = f.start();
    f.type("Ideas.md", "nothing here\nhoney");
    if (!before.isEmpty()) {
        store.setSearchText(before);
        QVERIFY(f.titles().size() < found.size());
    }
    store.setSearchText(query);
    QCOMPARE(f.titles(), found);
}

void LoadingTest::searchOverManyNotes()
{
    static_assert(97 * 42 >= NoteList::parallelSearchThreshold, "the scan runs on another thread");
    StoreFixture f;
    QStringList expected; // the oldest and the newest among them
    for (int i = 0; i <= 97 * 42; ++i) {
        f.write(QStringLiteral("Note %1.md").arg(i), i % 97 ? "no" : "the Needle",
                monday.addSecs(i));
        if (i % 97 == 0)
            expected.prepend(QStringLiteral("Note %1").arg(i));
    }
    NotesStore& store = f.start();
    // Typed faster than the scans run, with a slip: the list follows the last text, once.
    QSignalSpy finished(&store, &NotesStore::searchFinished);
    for (const char* typed : {"n", "ne", "nee", "neex", "nee", "needle"})
        store.setSearchText(typed);
    QTRY_COMPARE(finished.size(), 1);
    QCOMPARE(f.titles(), expected);
    // A saved note is a new list: remembered results are not reused for it.
    f.type("Note 1.md", "a needle too");
    f.commit("Note 1.md");
    QTRY_COMPARE(f.titles(), QStringList({"a needle too"}) + expected);
}

// Typing on narrows the last results from where the shorter query occurred: that must find
// what a search from scratch finds.
void LoadingTest::typingOnFindsWhatAFreshSearchFinds()
{
    const QStringList texts = {"ga x gar",  "xgar",      "ar, then gar", "G",
                               "a, GARDEN", "ga\u00E9r", "gaga gar"};
    QList<Note> notes;
    for (qsizetype i = 0; i < texts.size(); ++i) {
        Note note;
        note.url = QStringLiteral("/n/%1.md").arg(i);
        note.title = i == 3 ? QStringLiteral("Garage") : QStringLiteral("Untitled");
        note.setContent(texts.at(i));
        note.prepareSearch();
        notes.append(note);
    }
    for (const QStringList& typed : {QStringList{"g", "ga", "gar", "gard"},
                                     QStringList{"ar", "gar"}, QStringList{"a", "ga", "gag"}}) {
        NoteList list;
        list.replace(notes);
        for (const QString& letters : typed) {
            NoteList fresh;
            fresh.replace(notes);
            const QByteArray query = SearchKey::fold(letters);
            QCOMPARE(list.matching(query), fresh.matching(query));
        }
    }
}

void LoadingTest::everyRecordIsFoundWhereverChangesMoveIt()
{
    const auto note = [](const QString& name, const QDateTime& modified) {
        Note n;
        n.url = "/Notes/" + name + ".md";
        n.lastModified = modified;
        return n;
    };
    NoteList list;
    QList<Note> notes;
    for (int i = 0; i < 6; ++i)
        notes.append(note(QString::number(i), monday.addSecs(-i)));
    list.replace(notes);
    const auto urls = [&] {
        QStringList all;
        for (const Note& n : list.notes()) {
            if (list.indexOf(n.url) != all.size())
                return QStringList{n.url + " is not found where it is"};
            all.append(n.url.mid(7).chopped(3));
        }
        return all;
    };
    QCOMPARE(urls(), QStringList({"0", "1", "2", "3", "4", "5"}));
    // Saved and renamed: first by its new date; an older one's save moves it past others.
    list.putSaved("/Notes/3.md", note("three", tuesday));
    list.putSaved("/Notes/0.md", note("0", monday.addSecs(-30)));
    QCOMPARE(urls(), QStringList({"three", "1", "2", "4", "5", "0"}));
    QCOMPARE(list.indexOf("/Notes/3.md"), -1);
    list.rename("/Notes/2.md", "/Notes/two.md", {});
    list.add(note("new", wednesday));
    list.remove("/Notes/1.md");
    QCOMPARE(urls(), QStringList({"new", "three", "two", "4", "5", "0"}));
    QCOMPARE(list.indexOf("/Notes/1.md") + list.indexOf("/Notes/2.md"), -2);
}

QUILLBOX_TEST_MAIN(LoadingTest)
#include "tst_loading.moc"
