#include "store/naming.h"
#include "store/note_file.h"
#include "store/recovery_folder.h"
#include "store_fixture.h"

#include <QDir>
#include <QSignalSpy>

#include <cerrno>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

const QDateTime monday(QDate(2026, 3, 2), QTime(9, 0));
const QDateTime tuesday(QDate(2026, 3, 3), QTime(9, 0));

// Writes past `bytes` fail with EFBIG for as long as it lives, as on a full disk.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        rlimit limited = m_saved;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_saved); }

private:
    rlimit m_saved{};
};

mode_t modeOf(const QString& path)
{
    struct stat st;
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_mode & 07777;
}

} // namespace

class SavingTest : public QObject
{
    Q_OBJECT

private slots:
    void typingSavesOnceAfterThePause();
    void theDebounceIsOneForAllNotes();
    void equalTextWritesNothing();
    void savesFollowTheTitle_data();
    void savesFollowTheTitle();
    void savedNoteIsFirstAndSelected();
    void longTitlesStillSave();
    void writesAreAtomicAndKeepTheFile();
    void renameFailureKeepsEverything();
    void renameNeverReplacesAnExistingFile();
    void writeFailureAfterRenameFollowsTheNewName();
    void writeFailures_data();
    void writeFailures();
    void commitsAndFlush();
    void saveAllDraftsWritesEverythingAtOnce();
    void changingFoldersSavesTheOldFolderFirst();
    void foreignChangesAreNeverOverwritten_data();
    void foreignChangesAreNeverOverwritten();
    void unreadableNotesAreNeverWritten();
    void unsavedTextOutlivesADeleteElsewhere_data();
    void unsavedTextOutlivesADeleteElsewhere();
    void unsavedTextIsKeptUntilItIsOnDisk_data();
    void unsavedTextIsKeptUntilItIsOnDisk();
    void deletedNoteIsNotWrittenBack();
    void savingWithoutAFolderUsesTheNotesOwnFolder();
};

void SavingTest::typingSavesOnceAfterThePause()
{
    StoreFixture f;
    TestFiles::write(f.path("Groceries.md"), "Groceries\nmilk", monday);
    NotesStore& store = f.start();
    QSignalSpy changes(&store, &NotesStore::notesChanged);

    const Note note = f.note("Groceries.md");
    // Keystrokes closer together than the pause: each one puts the save off again.
    store.setSaveDelay(150);
    for (const char* typed : {"Groceries\nmilk\ne", "Groceries\nmilk\neg"}) {
        store.updateDraft(note, typed);
        QTest::qWait(100);
    }
    store.updateDraft(note, "Groceries\nmilk\neggs");
    QCOMPARE(TestFiles::read(f.path("Groceries.md")), QByteArray("Groceries\nmilk"));
    QCOMPARE(store.drafts().value(note.url), QStringLiteral("Groceries\nmilk\neggs"));
    QCOMPARE(store.pendingNote()->content, QStringLiteral("Groceries\nmilk\neggs"));

    QTRY_COMPARE(TestFiles::read(f.path("Groceries.md")), QByteArray("Groceries\nmilk\neggs"));
    QCOMPARE(changes.size(), 1);
    QCOMPARE(f.note("Groceries.md").lastModified, f.clock.current);
    QVERIFY(f.alerts.shown.isEmpty());
}

void SavingTest::theDebounceIsOneForAllNotes()
{
    StoreFixture f;
    TestFiles::write(f.path("A.md"), "A", monday);
    TestFiles::write(f.path("B.md"), "B", monday);
    NotesStore& store = f.start();

    store.updateDraft(f.note("A.md"), "A\nfrom a");
    store.updateDraft(f.note("B.md"), "B\nfrom b");
    QTRY_COMPARE(TestFiles::read(f.path("B.md")), QByteArray("B\nfrom b"));
    QCOMPARE(TestFiles::read(f.path("A.md")), QByteArray("A"));
    QCOMPARE(store.drafts().value(f.path("A.md")), QStringLiteral("A\nfrom a"));

    store.commitDraft(f.path("A.md"));
    settle();
    QCOMPARE(TestFiles::read(f.path("A.md")), QByteArray("A\nfrom a"));
}

void SavingTest::equalTextWritesNothing()
{
    StoreFixture f;
    TestFiles::write(f.path("Old.md"), "Old", monday);
    TestFiles::write(f.path("New.md"), "New", tuesday);
    NotesStore& store = f.start();
    QSignalSpy changes(&store, &NotesStore::notesChanged);
    QSignalSpy selection(&store, &NotesStore::selectedNoteChanged);

    // The same text, once decomposed: canonically equal, so nothing to write.
    QVERIFY(store.saveNote(f.note("Old.md")));
    TestFiles::write(f.path("Cafe.md"), QString::fromUtf8("Café").toUtf8(), monday);
    store.loadNotes();
    settle();
    changes.clear();
    selection.clear();
    Note cafe = f.note("Cafe.md");
    cafe.content = QStringLiteral("Cafe\u0301");
    QVERIFY(store.saveNote(cafe));

    QCOMPARE(changes.size(), 0);
    QCOMPARE(selection.size(), 0);
    QCOMPARE(TestFiles::read(f.path("Cafe.md")), QString::fromUtf8("Café").toUtf8());
    QCOMPARE(f.note("Old.md").lastModified, monday);
}

void SavingTest::savesFollowTheTitle_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QStringList>("taken");
    QTest::addColumn<QString>("savedAs");
    QTest::addColumn<QString>("title");

    QTest::newRow("new first line renames")
        << "Groceries.md"
        << "Groceries\nmilk"
        << "Groceries for Sunday\nmilk" << QStringList() << "Groceries for Sunday.md"
        << "Groceries for Sunday";
    QTest::newRow("edit below the title writes in place")
        << "Groceries.md"
        << "Groceries\nmilk"
        << "Groceries\nmilk\neggs" << QStringList() << "Groceries.md"
        << "Groceries";
    QTest::newRow("first save renames to the first line")
        << "Meeting.md"
        << "Agenda\n- budget"
        << "Agenda\n- budget\n- hires" << QStringList() << "Agenda.md"
        << "Agenda";
    QTest::newRow("cleared text goes back to the fallback name") << "Plan.md"
                                                                 << "Ideas"
                                                                 << "" << QStringList() << "Plan.md"
                                                                 << "Plan";
    QTest::newRow("taken name gets a number")
        << "Draft.md"
        << "Draft"
        << "Report\ntext" << QStringList({"Report.md"}) << "Report (2).md"
        << "Report";
    QTest::newRow("unsafe title") << "Q.md"
                                  << "Q"
                                  << "Why? a/b\n"
                                  << QStringList() << "Why- a-b.md"
                                  << "Why? a/b";
    QTest::newRow("hidden name avoided") << "Plan.md"
                                         << "Plan"
                                         << ".plan\nsecret" << QStringList() << "-plan.md"
                                         << ".plan";
}

void SavingTest::savesFollowTheTitle()
{
    QFETCH(QString, file);
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(QStringList, taken);
    QFETCH(QString, savedAs);
    QFETCH(QString, title);
    StoreFixture f;
    TestFiles::write(f.path(file), before.toUtf8(), monday);
    for (const QString& name : taken)
        TestFiles::write(f.path(name), "someone else", monday);
    NotesStore& store = f.start();

    store.updateDraft(f.note(file), after);
    store.commitDraft(f.path(file));
    settle();

    QCOMPARE(TestFiles::read(f.path(savedAs)), after.toUtf8());
    if (savedAs != file)
        QVERIFY(!QFile::exists(f.path(file)));
    QCOMPARE(f.note(savedAs).title, title);
    QCOMPARE(f.note(savedAs).fallbackTitle, Naming::baseName(file));
    // Saved text is no draft any more.
    QVERIFY(store.drafts().isEmpty());
    for (const QString& name : taken)
        QCOMPARE(TestFiles::read(f.path(name)), QByteArray("someone else"));
    // After a reload the note is found under its new name.
    store.loadNotes();
    settle();
    QCOMPARE(f.note(savedAs).content, after);
}

void SavingTest::savedNoteIsFirstAndSelected()
{
    StoreFixture f;
    TestFiles::write(f.path("Old.md"), "Old", monday);
    TestFiles::write(f.path("New.md"), "New", tuesday);
    NotesStore& store = f.start();
    QCOMPARE(store.selectedNote()->title, QStringLiteral("New"));

    // Saving the note the user left: it moves to the top, the selection stays where it is.
    Note old = f.note("Old.md");
    old.content = "Old\nedited";
    QVERIFY(store.saveNote(old));
    QCOMPARE(store.notes().first().url, f.path("Old.md"));
    QCOMPARE(f.titles(), QStringList({"Old", "New"}));
    QCOMPARE(store.selectedNote()->url, f.path("New.md"));

    // Saving the selected note refreshes the selection with the saved record.
    Note fresh = f.note("New.md");
    fresh.content = "New\nedited";
    QVERIFY(store.saveNote(fresh));
    QCOMPARE(store.selectedNote()->content, QStringLiteral("New\nedited"));
    QCOMPARE(store.selectedNote()->lastModified, f.clock.current);
}

void SavingTest::longTitlesStillSave()
{
    StoreFixture f;
    TestFiles::write(f.path("Short.md"), "Short", monday);
    NotesStore& store = f.start();
    // 130 emoji are 520 bytes of UTF-8: twice what a file name may hold.
    const QString title = QString::fromUtf8("\U0001F600").repeated(130);
    Note note = f.note("Short.md");
    note.content = title + "\nbody";
    QVERIFY(store.saveNote(note));
    QVERIFY(f.alerts.shown.isEmpty());
    const Note saved = store.notes().first();
    QCOMPARE(TestFiles::read(saved.url), note.content.toUtf8());
    QVERIFY(Naming::fileName(saved.url).toUtf8().size() <= 255);
    QVERIFY(title.startsWith(Naming::baseName(saved.url)));
}

void SavingTest::writesAreAtomicAndKeepTheFile()
{
    StoreFixture f;
    TestFiles::write(f.home.path() + "/real.txt", "Linked", monday);
    QVERIFY(QFile::link(f.home.path() + "/real.txt", f.path("Linked.md")));
    TestFiles::write(f.path("Private.md"), "Private", monday);
    QCOMPARE(::chmod(QFile::encodeName(f.path("Private.md")).constData(), 0640), 0);
    NotesStore& store = f.start();

    Note linked = f.note("Linked.md");
    linked.content = "Linked\nthrough the link";
    QVERIFY(store.saveNote(linked));
    QVERIFY(QFileInfo(f.path("Linked.md")).isSymLink());
    QCOMPARE(TestFiles::read(f.home.path() + "/real.txt"), QByteArray("Linked\nthrough the link"));

    Note secret = f.note("Private.md");
    secret.content = "Private\nstill private";
    QVERIFY(store.saveNote(secret));
    QCOMPARE(modeOf(f.path("Private.md")), mode_t(0640));
    QCOMPARE(TestFiles::entries(f.folder), QStringList({"Linked.md", "Private.md"}));
}

void SavingTest::renameFailureKeepsEverything()
{
    StoreFixture f;
    TestFiles::write(f.path("Groceries.md"), "Groceries", monday);
    NotesStore& store = f.start();
    const Note note = f.note("Groceries.md");
    store.updateDraft(note, "Shopping\nmilk");

    TestFiles::setReadOnly(f.folder, true);
    store.commitDraft(note.url);
    settle();
    TestFiles::setReadOnly(f.folder, false);

    QCOMPARE(f.alerts.shown.size(), 1);
    QCOMPARE(f.alerts.shown[0].message,
             QStringLiteral("The file “Groceries.md” couldn’t be renamed to “Shopping.md”."));
    QCOMPARE(f.alerts.shown[0].informativeText, QStringLiteral("Permission denied"));
    QCOMPARE(TestFiles::entries(f.folder), QStringList({"Groceries.md"}));
    QCOMPARE(TestFiles::read(f.path("Groceries.md")), QByteArray("Groceries"));
    QCOMPARE(f.note("Groceries.md").content, QStringLiteral("Groceries"));
    QCOMPARE(store.drafts().value(note.url), QStringLiteral("Shopping\nmilk"));

    // The next save tries the rename again.
    store.flushPendingSave();
    settle();
    QCOMPARE(TestFiles::read(f.path("Shopping.md")), QByteArray("Shopping\nmilk"));
    QCOMPARE(TestFiles::entries(f.folder), QStringList({"Shopping.md"}));
}

void SavingTest::renameNeverReplacesAnExistingFile()
{
    TestHome home;
    const QString folder = home.notesFolder();
    TestFiles::write(folder + "/A.md", "a");
    TestFiles::write(folder + "/B.md", "b");
    QCOMPARE(NoteFile::moveNoReplace(folder + "/A.md", folder + "/B.md"), EEXIST);
    QCOMPARE(TestFiles::read(folder + "/A.md"), QByteArray("a"));
    QCOMPARE(TestFiles::read(folder + "/B.md"), QByteArray("b"));
    QCOMPARE(NoteFile::createExclusively(folder + "/B.md", "new").error, EEXIST);
    QCOMPARE(TestFiles::read(folder + "/B.md"), QByteArray("b"));

    // A version another program landed after the save looked: the swap puts it straight back.
    const NoteFile::Checked seen = NoteFile::check(folder + "/B.md", {}, "b");
    TestFiles::write(folder + "/.landing", "b from the phone");
    QVERIFY(QFile::rename(folder + "/B.md", folder + "/.gone") &&
            QFile::rename(folder + "/.landing", folder + "/B.md") &&
            QFile::remove(folder + "/.gone"));
    const NoteFile::Written written =
        NoteFile::writeAtomically(folder + "/B.md", "mine", NoteFile::Expected{seen.identity, "b"});
    QVERIFY(written.changedElsewhere);
    QCOMPARE(TestFiles::read(folder + "/B.md"), QByteArray("b from the phone"));
    QCOMPARE(TestFiles::entries(folder), QStringList({"A.md", "B.md"}));
}

void SavingTest::writeFailureAfterRenameFollowsTheNewName()
{
    StoreFixture f;
    TestFiles::write(f.path("Groceries.md"), "Groceries", monday);
    TestFiles::setReadOnly(f.path("Groceries.md"), true);
    NotesStore& store = f.start();
    const Note note = f.note("Groceries.md");
    store.setSelectedNote(note);
    store.updateDraft(note, "Shopping\nmilk");
    store.commitDraft(note.url);
    settle();

    // Renamed, but the read-only file refused the new text.
    QCOMPARE(f.alerts.shown.size(), 1);
    QCOMPARE(f.alerts.shown[0].message,
             QStringLiteral("The file “Shopping.md” couldn’t be saved in the folder “Notes”."));
    QCOMPARE(TestFiles::entries(f.folder), QStringList({"Shopping.md"}));
    QCOMPARE(TestFiles::read(f.path("Shopping.md")), QByteArray("Groceries"));
    // Everything follows the file to its new name, so no later save looks for the old one.
    QCOMPARE(f.note("Shopping.md").content, QStringLiteral("Groceries"));
    QCOMPARE(f.note("Shopping.md").title, QStringLiteral("Shopping"));
    QCOMPARE(store.selectedNote()->url, f.path("Shopping.md"));
    QCOMPARE(store.drafts().value(f.path("Shopping.md")), QStringLiteral("Shopping\nmilk"));
    QVERIFY(!store.drafts().contains(note.url));
    QCOMPARE(store.pendingNote()->url, f.path("Shopping.md"));

    TestFiles::setReadOnly(f.path("Shopping.md"), false);
    store.flushPendingSave();
    settle();
    QCOMPARE(TestFiles::read(f.path("Shopping.md")), QByteArray("Shopping\nmilk"));
}

void SavingTest::writeFailures_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("reason");
    QTest::newRow("read-only file") << "read-only"
                                    << "Permission denied";
    QTest::newRow("full disk") << "full"
                               << "File too large";
    QTest::newRow("folder vanished") << "vanished"
                                     << "No such file or directory";
}

void SavingTest::writeFailures()
{
    QFETCH(QString, failure);
    QFETCH(QString, reason);
    StoreFixture f;
    TestFiles::write(f.path("Diary.md"), "Diary\nday one", monday);
    NotesStore& store = f.start();
    const Note note = f.note("Diary.md");
    const QString typed = "Diary\nday one\nday two, with a long entry that does not fit";
    store.updateDraft(note, typed);

    const QString moved = f.home.path() + "/Moved";
    {
        std::optional<FileSizeLimit> limit;
        if (failure == "read-only")
            TestFiles::setReadOnly(f.path("Diary.md"), true);
        if (failure == "full")
            limit.emplace(16);
        if (failure == "vanished")
            QVERIFY(QDir().rename(f.folder, moved));
        store.commitDraft(note.url);
        settle();
    }

    QCOMPARE(f.alerts.shown.size(), 1);
    QCOMPARE(f.alerts.shown[0].message,
             QStringLiteral("The file “Diary.md” couldn’t be saved in the folder “Notes”."));
    QCOMPARE(f.alerts.shown[0].informativeText, reason);
    QCOMPARE(store.drafts().value(note.url), typed);
    QCOMPARE(f.note("Diary.md").content, QStringLiteral("Diary\nday one"));

    // Once the cause is gone the next save writes what was typed, and nothing else was left.
    if (failure == "read-only")
        TestFiles::setReadOnly(f.path("Diary.md"), false);
    if (failure == "vanished")
        QVERIFY(QDir().rename(moved, f.folder));
    // A failed save never marked the text saved, so a plain commit still finds it unsaved.
    store.commitDraft(note.url);
    settle();
    QCOMPARE(TestFiles::read(f.path("Diary.md")), typed.toUtf8());
    QCOMPARE(f.note("Diary.md").content, typed);
    QVERIFY(!store.pendingNote());
    QCOMPARE(TestFiles::entries(f.folder), QStringList({"Diary.md"}));
}

void SavingTest::commitsAndFlush()
{
    StoreFixture f;
    TestFiles::write(f.path("A.md"), "A", monday);
    NotesStore& store = f.start();
    store.setSaveDelay(60000);
    QSignalSpy changes(&store, &NotesStore::notesChanged);

    // Nothing to commit or flush.
    store.commitDraft(f.path("A.md"));
    store.commitDraft(QString());
    store.flushPendingSave();
    settle();
    QCOMPARE(changes.size(), 0);

    // commitText saves the text it is given and leaves the drafts alone.
    store.commitText("A\ngiven", f.note("A.md"));
    settle();
    QCOMPARE(TestFiles::read(f.path("A.md")), QByteArray("A\ngiven"));
    QVERIFY(store.drafts().isEmpty());

    // A flush saves the pending note and clears it, even when there was nothing to write.
    store.updateDraft(f.note("A.md"), "A\npending");
    store.flushPendingSave();
    settle();
    QCOMPARE(TestFiles::read(f.path("A.md")), QByteArray("A\npending"));
    QVERIFY(!store.pendingNote());
    store.updateDraft(f.note("A.md"), "A\npending");
    store.flushPendingSave();
    settle();
    QVERIFY(!store.pendingNote());
}

void SavingTest::saveAllDraftsWritesEverythingAtOnce()
{
    StoreFixture f;
    TestFiles::write(f.path("A.md"), "A", monday);
    TestFiles::write(f.path("B.md"), "B", monday);
    TestFiles::write(f.path("C.md"), "C", monday);
    NotesStore& store = f.start();
    store.setSaveDelay(60000);
    store.updateDraft(f.note("A.md"), "A\nlast words");
    store.updateDraft(f.note("B.md"), "Renamed B\ntoo");
    store.updateDraft(f.note("C.md"), "C");

    // No event loop runs: this is what quitting relies on.
    QVERIFY(store.saveAllDrafts());
    QCOMPARE(TestFiles::read(f.path("A.md")), QByteArray("A\nlast words"));
    QCOMPARE(TestFiles::read(f.path("Renamed B.md")), QByteArray("Renamed B\ntoo"));
    QCOMPARE(TestFiles::entries(f.folder), QStringList({"A.md", "C.md", "Renamed B.md"}));
    QCOMPARE(f.note("C.md").lastModified, monday);
}

void SavingTest::changingFoldersSavesTheOldFolderFirst()
{
    StoreFixture f;
    TestFiles::write(f.path("A.md"), "A", monday);
    const QString other = f.home.makeFolder("Other");
    NotesStore& store = f.start();
    store.setSaveDelay(60000);
    store.updateDraft(f.note("A.md"), "A\nunsaved");

    store.setFolderURL(other);
    settle();
    QCOMPARE(TestFiles::read(f.path("A.md")), QByteArray("A\nunsaved"));
    QVERIFY(store.notes().isEmpty());
}

void SavingTest::foreignChangesAreNeverOverwritten_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("conflict");
    QTest::newRow("replaced by a rename (sync tool)") << "rename" << true;
    QTest::newRow("rewritten in place") << "rewrite" << true;
    QTest::newRow("link pointed elsewhere") << "link" << true;
    QTest::newRow("made non-UTF-8") << "latin1" << true;
    QTest::newRow("replaced by a folder") << "folder" << true;
    QTest::newRow("saved by a second window") << "window" << true;
    QTest::newRow("noticed by a reload") << "reload" << true;
    QTest::newRow("touched, same text") << "touch" << false;
    QTest::newRow("other lines, merged") << "merge" << false;
    QTest::newRow("noticed by the folder watch") << "watch" << true;
}

void SavingTest::foreignChangesAreNeverOverwritten()
{
    QFETCH(QString, change);
    QFETCH(bool, conflict);
    StoreFixture f;
    const QString outside = f.home.makeFolder("Outside");
    if (change == "link") {
        TestFiles::write(outside + "/a.md", "Note\nv1", monday);
        TestFiles::write(outside + "/b.md", "Note\nb's own text", monday);
        QVERIFY(QFile::link(outside + "/a.md", f.path("Note.md")));
    } else {
        TestFiles::write(f.path("Note.md"), change == "merge" ? "Note\nv1\nv2\nv3\n" : "Note\nv1",
                         monday);
    }
    NotesStore& store = f.start();
    store.setSaveDelay(60000);
    QSignalSpy conflicts(&store, &NotesStore::conflictCopySaved);
    const QString url = f.path("Note.md");
    store.setSelectedNote(f.note("Note.md"));
    store.updateDraft(f.note("Note.md"), "Note\nmy typing");

    QByteArray theirs = "Note\nv2 from another device";
    if (change == "rename" || change == "reload") {
        TestFiles::write(f.path(".incoming"), theirs);
        QVERIFY(::rename(QFile::encodeName(f.path(".incoming")), QFile::encodeName(url)) == 0);
    } else if (change == "rewrite") {
        QFile file(url);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(theirs);
    } else if (change == "link") {
        theirs = "Note\nb's own text";
        QVERIFY(QFile::remove(url));
        QVERIFY(QFile::link(outside + "/b.md", url));
    } else if (change == "latin1") {
        theirs = "Note\ncaf\xE9";
        TestFiles::write(url, theirs, tuesday);
    } else if (change == "folder") {
        QVERIFY(QFile::remove(url));
        QVERIFY(QDir().mkdir(url));
    } else if (change == "window") {
        theirs = "Note\nfrom the other window";
        NotesStore other(f.services());
        settle();
        Note there = other.notes().first();
        there.content = theirs;
        QVERIFY(other.saveNote(there));
    } else if (change == "touch") {
        theirs = "Note\nmy typing";
        TestFiles::write(url, "Note\nv1", tuesday);
    } else if (change == "merge") {
        store.updateDraft(f.note("Note.md"), "Note\nv1\nv2\nv3\nmy typing\n");
        TestFiles::write(url, "Note\nv1 from the phone\nv2\nv3\n", tuesday);
        theirs = "Note\nv1 from the phone\nv2\nv3\nmy typing\n";
    } else if (change == "watch") {
        store.setWatching(true);
        TestFiles::write(url, theirs, tuesday);
        QTRY_COMPARE(conflicts.size(), 1);
    }
    QSignalSpy merges(&store, &NotesStore::draftMerged);
    if (change == "reload" || change == "merge")
        store.loadNotes();
    else if (change != "watch")
        store.commitDraft(url);
    settle();

    QVERIFY(f.alerts.shown.isEmpty());
    QVERIFY(store.drafts().isEmpty());
    const QString copy = f.path("Note (conflict 2026-03-14 092653).md");
    if (!conflict) {
        QCOMPARE(TestFiles::read(url), theirs);
        QVERIFY(!QFile::exists(copy));
        QCOMPARE(merges.size(), change == "merge" ? 1 : 0);
        return;
    }
    // Both versions are on disk, and the user's own is the one in front of them.
    QCOMPARE(TestFiles::read(copy), QByteArray("Note\nmy typing"));
    if (change == "folder")
        QVERIFY(QFileInfo(url).isDir());
    else
        QCOMPARE(TestFiles::read(url), theirs);
    if (change == "link")
        QCOMPARE(TestFiles::read(outside + "/a.md"), QByteArray("Note\nv1"));
    QCOMPARE(store.selectedNote()->url, copy);
    QCOMPARE(conflicts.size(), 1);
    QCOMPARE(conflicts[0], QVariantList({url, copy}));
    if (change != "folder")
        QCOMPARE(f.note("Note.md").content.toUtf8(), change == "latin1" ? "" : theirs);
}

void SavingTest::unreadableNotesAreNeverWritten()
{
    StoreFixture f;
    const QByteArray latin1 = "Caf\xE9\nbytes that are not UTF-8";
    TestFiles::write(f.path("Latin.md"), latin1, monday);
    NotesStore& store = f.start();
    const Note note = f.note("Latin.md");
    QVERIFY(note.unreadable);

    Note edited = note;
    edited.content = "Replaced\ntext";
    QVERIFY(!store.saveNote(edited));
    store.updateDraft(note, "Replaced\ntext");
    store.commitDraft(note.url);
    store.commitText("Replaced\ntext", note);
    store.flushPendingSave();
    settle();
    store.saveAllDrafts();
    QTest::qWait(2 * store.saveDelay());

    QCOMPARE(TestFiles::entries(f.folder), QStringList({"Latin.md"}));
    QCOMPARE(TestFiles::read(f.path("Latin.md")), latin1);
}

void SavingTest::unsavedTextOutlivesADeleteElsewhere_data()
{
    QTest::addColumn<bool>("reload");
    QTest::newRow("the next save makes the file again") << false;
    QTest::newRow("a reload keeps the note and saves it") << true;
}

void SavingTest::unsavedTextOutlivesADeleteElsewhere()
{
    QFETCH(bool, reload);
    StoreFixture f;
    TestFiles::write(f.path("Draft.md"), "Draft", monday);
    TestFiles::write(f.path("Clean.md"), "Clean", monday);
    NotesStore& store = f.start();
    store.setSaveDelay(60000);
    store.setSelectedNote(f.note("Draft.md"));
    store.updateDraft(f.note("Draft.md"), "Draft\nhalf a thought");
    store.updateDraft(f.note("Clean.md"), "Clean"); // typed and undone: nothing unsaved

    // A sync tool removes both files.
    QFile::remove(f.path("Draft.md"));
    QFile::remove(f.path("Clean.md"));
    if (reload)
        store.loadNotes();
    else
        QVERIFY(store.saveAllDrafts());
    settle();

    QCOMPARE(TestFiles::entries(f.folder), QStringList({"Draft.md"}));
    QCOMPARE(TestFiles::read(f.path("Draft.md")), QByteArray("Draft\nhalf a thought"));
    QCOMPARE(store.selectedNote()->url, f.path("Draft.md"));
    QVERIFY(f.alerts.shown.isEmpty());
}

void SavingTest::unsavedTextIsKeptUntilItIsOnDisk_data()
{
    QTest::addColumn<QString>("ending");
    QTest::newRow("quit anyway") << "quit anyway";
    QTest::newRow("don't quit") << "stay";
    QTest::newRow("signal") << "signal";
}

void SavingTest::unsavedTextIsKeptUntilItIsOnDisk()
{
    QFETCH(QString, ending);
    StoreFixture f;
    TestFiles::write(f.path("Locked.md"), "Locked", monday);
    TestFiles::write(f.path("Open.md"), "Open", monday);
    const QString other = f.home.makeFolder("Other");
    NotesStore& store = f.start();
    store.setSaveDelay(60000);
    store.updateDraft(f.note("Locked.md"), "Locked\nkeep me");
    store.updateDraft(f.note("Open.md"), "Open\nsaved");
    TestFiles::setReadOnly(f.path("Locked.md"), true);

    // One failure does not stop the others.
    QVERIFY(!store.saveAllDrafts());
    QCOMPARE(TestFiles::read(f.path("Open.md")), QByteArray("Open\nsaved"));
    // Neither another folder nor a reload drops the text; it never lands in the new folder.
    store.setFolderURL(other);
    settle();
    QVERIFY(store.notes().isEmpty());
    QCOMPARE(store.drafts().keys(), QStringList({f.path("Locked.md")}));
    QCOMPARE(TestFiles::entries(other), QStringList());
    f.alerts.shown.clear();

    if (ending == "signal") {
        store.saveBeforeExit();
        QVERIFY(f.alerts.shown.isEmpty());
    } else {
        f.alerts.answerNext(ending == "stay");
        QCOMPARE(store.prepareToQuit(), ending != "stay");
        QCOMPARE(f.alerts.shown.size(), 2);
        QCOMPARE(f.alerts.shown[0].informativeText, QStringLiteral("Permission denied"));
        f.alerts.expect(1, "Some notes couldn’t be saved",
                        "Their text is still here. If you quit anyway, it is kept in “" +
                            RecoveryFolder::path() + "”.",
                        AlertService::Style::Warning, {"Don’t Quit", "Quit Anyway"});
    }
    QCOMPARE(TestFiles::read(f.path("Locked.md")), QByteArray("Locked"));
    if (ending == "stay") {
        QCOMPARE(store.drafts().value(f.path("Locked.md")), QStringLiteral("Locked\nkeep me"));
        QVERIFY(!RecoveryFolder::hasFiles());
        return;
    }
    QVERIFY(store.drafts().isEmpty());
    const QString recovered = RecoveryFolder::path();
    QCOMPARE(recovered, f.home.path() + "/.local/state/quillbox/recovered");
    QCOMPARE(TestFiles::entries(recovered), QStringList({"Locked.md", "Locked.md.origin"}));
    QCOMPARE(TestFiles::read(recovered + "/Locked.md"), QByteArray("Locked\nkeep me"));
    QCOMPARE(TestFiles::read(recovered + "/Locked.md.origin"),
             QFile::encodeName(f.folder) + "\nLocked.md\n");
}

void SavingTest::deletedNoteIsNotWrittenBack()
{
    StoreFixture f;
    TestFiles::write(f.path("Gone.md"), "Gone", monday);
    TestFiles::write(f.path("Other.md"), "Other", monday);
    NotesStore& store = f.start();
    store.setSelectedNote(f.note("Gone.md"));
    store.updateDraft(f.note("Gone.md"), "Gone\ntyped");
    f.alerts.answerNext(true);
    store.deleteSelectedNote();
    QTest::qWait(2 * store.saveDelay());
    settle();

    QCOMPARE(TestFiles::entries(f.folder), QStringList({"Other.md"}));
    QCOMPARE(f.alerts.shown.size(), 1);
}

void SavingTest::savingWithoutAFolderUsesTheNotesOwnFolder()
{
    StoreFixture f;
    TestFiles::write(f.path("A.md"), "A", monday);
    NotesStore& store = f.start();
    Note note = f.note("A.md");
    store.setFolderURL(QString()); // the reload that empties the list has not run yet
    note.content = "Now B\ntext";
    QVERIFY(store.saveNote(note));
    QCOMPARE(TestFiles::read(f.path("Now B.md")), QByteArray("Now B\ntext"));
}

QUILLBOX_TEST_MAIN(SavingTest)
#include "tst_saving.moc"
