#include "store/naming.h"
#include "store/note_file.h"
#include "store/recovery_folder.h"
#include "store_fixture.h"

#include <QDir>
#include <QProcessEnvironment>
#include <QScopeGuard>
#include <QSignalSpy>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

using namespace Day;

class SavingTest : public QObject
{
    Q_OBJECT

private slots:
    void noteFilesAreReplacedWholeAndNeverClobbered();
    void savesComeAfterThePauseOrWhenAsked();
    void textWhoseFileVanishedIsWrittenAgain();
    void unreadableNotesAreNeverWritten();
    void thePauseFollowsARenameElsewhere();
    void savesFollowTheTitle_data();
    void savesFollowTheTitle();
    void failedSavesKeepTheText_data();
    void failedSavesKeepTheText();
    void foreignChangesAreNeverOverwritten_data();
    void foreignChangesAreNeverOverwritten();
    void unsavedTextIsKeptUntilItIsOnDisk_data();
    void unsavedTextIsKeptUntilItIsOnDisk();
    void aNoteBeingWrittenElsewhereWaitsForItsWriter();
    void aFolderSwappedForALinkIsNeverWrittenThrough();
    void textWithNowhereToGoIsNeverLost_data();
    void textWithNowhereToGoIsNeverLost();
    void recoveredTextsComeBackToTheirNotes_data();
    void recoveredTextsComeBackToTheirNotes();
};

namespace {

// What run writes on standard error.
QByteArray standardErrorOf(const QString& file, const std::function<void()>& run)
{
    const int saved = ::dup(STDERR_FILENO);
    const int fd = ::open(QFile::encodeName(file).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(fd, STDERR_FILENO);
    ::close(fd);
    run();
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    return TestFiles::read(file);
}

mode_t modeOf(const QString& path)
{
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

} // namespace

void SavingTest::noteFilesAreReplacedWholeAndNeverClobbered()
{
    TestHome home;
    const QString folder = home.notesFolder(), a = folder + "/A.md", b = folder + "/B.md";
    TestFiles::write(a, "a");
    TestFiles::write(b, "b");
    QCOMPARE(NoteFile::moveNoReplace(a, b), EEXIST);
    QCOMPARE(NoteFile::createExclusively(b, "new").error, EEXIST);
    QCOMPARE(TestFiles::read(a) + TestFiles::read(b), QByteArray("ab"));

    // What a save checks first: the same file, the same bytes, or another program's file.
    const NoteFile::Checked seen = NoteFile::check(b, {}, "b");
    QCOMPARE(seen.state, NoteFile::State::Unchanged);
    TestFiles::write(b, "b", tuesday);
    QCOMPARE(NoteFile::check(b, seen.identity, "b").state, NoteFile::State::Unchanged);
    TestFiles::write(b, "B", tuesday);
    QCOMPARE(NoteFile::check(b, seen.identity, "b").state, NoteFile::State::Changed);
    // Rewritten in place with the same size, its modification time set back: the change time
    // still tells (it moves on the kernel's coarse clock, hence the wait).
    const FileIdentity rewritten = NoteFile::check(b, {}, "B").identity;
    QTest::qWait(20);
    TestFiles::write(b, "C", tuesday);
    QCOMPARE(NoteFile::check(b, rewritten, "B").state, NoteFile::State::Changed);
    TestFiles::write(b, "B", tuesday);
    QCOMPARE(NoteFile::check(folder + "/gone.md", seen.identity, "b").state,
             NoteFile::State::Missing);

    // A version another program landed after the check: the swap puts it straight back.
    const NoteFile::Checked fresh = NoteFile::check(b, {}, "B");
    TestFiles::write(folder + "/.landing", "b from the phone");
    QVERIFY(QFile::remove(b) && QFile::rename(folder + "/.landing", b));
    QVERIFY(NoteFile::writeAtomically(b, "mine", NoteFile::Expected{fresh.identity, "B"})
                .changedElsewhere);
    QCOMPARE(TestFiles::read(b), QByteArray("b from the phone"));

    // A link is written through, and a file keeps its permissions.
    TestFiles::write(home.path() + "/real.txt", "Linked");
    QVERIFY(QFile::link(home.path() + "/real.txt", folder + "/Linked.md"));
    QCOMPARE(NoteFile::writeAtomically(folder + "/Linked.md", "through").error, 0);
    QCOMPARE(TestFiles::read(home.path() + "/real.txt"), QByteArray("through"));
    QVERIFY(QFileInfo(folder + "/Linked.md").isSymLink());
    TestFiles::setMode(a, 0640);
    QCOMPARE(NoteFile::writeAtomically(a, "private").error, 0);
    QCOMPARE(QFileInfo(a).permissions(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser |
                                             QFile::WriteUser | QFile::ReadGroup);
    QCOMPARE(TestFiles::entries(folder), QStringList({"A.md", "B.md", "Linked.md"}));
    // A file the user made read-only is not replaced through the folder.
    TestFiles::setReadOnly(a, true);
    QCOMPARE(NoteFile::writeAtomically(a, "forced").error, EACCES);
    QCOMPARE(TestFiles::read(a), QByteArray("private"));
}

void SavingTest::savesComeAfterThePauseOrWhenAsked()
{
    StoreFixture f;
    f.write("Groceries.md", "Groceries\nmilk", monday);
    f.write("Other.md", "Other", tuesday);
    f.write("Latin.md", "Latin", monday.addSecs(-1));
    NotesStore& store = f.start();
    QSignalSpy changes(&store, &NotesStore::notesChanged);

    // Keystrokes closer together than the pause: each one puts the save off again.
    store.setSaveDelay(150);
    for (const char* typed : {"Groceries\nmilk\ne", "Groceries\nmilk\neg"}) {
        store.editDraft(f.note("Groceries.md"), [typed] { return QString(typed); });
        QTest::qWait(100);
    }
    f.type("Groceries.md", "Groceries\nmilk\neggs");
    QCOMPARE(f.read("Groceries.md"), QByteArray("Groceries\nmilk"));
    QCOMPARE(store.unsavedTexts().value(f.path("Groceries.md")), "Groceries\nmilk\neggs");
    QTRY_COMPARE(f.read("Groceries.md"), QByteArray("Groceries\nmilk\neggs"));
    QCOMPARE(changes.size(), 1);
    // A saved note moves up without taking the selection; saving the selected one refreshes it.
    QCOMPARE(f.titles(), QStringList({"Groceries", "Other", "Latin"}));
    QCOMPARE(store.selectedNote()->url, f.path("Other.md"));
    f.type("Other.md", "Other\nedited");
    QVERIFY(store.saveDraftNow(f.path("Other.md")));
    QCOMPARE(store.selectedNote()->content(), QStringLiteral("Other\nedited"));
    QCOMPARE(store.selectedNote()->lastModified, f.clock.current);

    // One pause for all notes: typing in another note saves that one only.
    store.setSaveDelay(20);
    f.type("Groceries.md", "Groceries\nbread");
    f.type("Other.md", "Other\nfrom b");
    QTRY_COMPARE(f.read("Other.md"), QByteArray("Other\nfrom b"));
    QCOMPARE(f.read("Groceries.md"), QByteArray("Groceries\nmilk\neggs"));
    QCOMPARE(store.unsavedTexts().value(f.path("Groceries.md")),
             QStringLiteral("Groceries\nbread"));
    // Leaving the window saves the note last typed in, though another is selected.
    f.type("Groceries.md", "Groceries\npending");
    store.saveTyping();
    settle();
    QCOMPARE(f.read("Groceries.md"), QByteArray("Groceries\npending"));
    QVERIFY(!store.hasDraft(f.path("Groceries.md")));
}

void SavingTest::textWhoseFileVanishedIsWrittenAgain()
{
    StoreFixture f;
    f.write("Groceries.md", "Groceries\nmilk", monday);
    f.write("Other.md", "Other\nfrom b", tuesday);
    NotesStore& store = f.start();
    // A sync tool removes both files: the next save makes the note with unsaved text again...
    store.setSelectedNote(f.note("Groceries.md"));
    f.type("Groceries.md", "Groceries\nbread");
    f.type("Other.md", "Other\nfrom b"); // typed and undone: nothing unsaved
    QFile::remove(f.path("Groceries.md"));
    QFile::remove(f.path("Other.md"));
    QVERIFY(store.saveAllDrafts());
    QCOMPARE(f.files(), QStringList({"Groceries.md"}));
    QCOMPARE(f.read("Groceries.md"), QByteArray("Groceries\nbread"));
    // ...and so does a reload, which keeps the note and its selection.
    f.type("Groceries.md", "Groceries\nbutter");
    QFile::remove(f.path("Groceries.md"));
    f.reload();
    QCOMPARE(f.read("Groceries.md"), QByteArray("Groceries\nbutter"));
    QCOMPARE(store.selectedNote()->url, f.path("Groceries.md"));
    QVERIFY(f.failures.isEmpty());
}

// A note that is not valid UTF-8 is never written, whichever way a save comes.
void SavingTest::unreadableNotesAreNeverWritten()
{
    StoreFixture f;
    const QByteArray latin1 = "Caf\xE9\nbytes that are not UTF-8";
    f.write("Latin.md", latin1);
    NotesStore& store = f.start();
    store.setSaveDelay(20);
    QVERIFY(f.note("Latin.md").unreadable);
    f.type("Latin.md", "Replaced\ntext");
    QVERIFY(!store.saveDraftNow(f.path("Latin.md")));
    QVERIFY(!store.saveAllDrafts());
    QTest::qWait(2 * store.saveDelay());
    settle();
    QCOMPARE(f.files(), QStringList({"Latin.md"}));
    QCOMPARE(f.read("Latin.md"), latin1);
}

// Another program renames the note while the user types: when the pause ends, the text is
// written to the note where it is now, and nothing is left behind at either name.
void SavingTest::thePauseFollowsARenameElsewhere()
{
    StoreFixture f;
    f.write("Plan.md", "Plan\nday one", monday);
    NotesStore& store = f.start();
    store.setSaveDelay(60 * 1000);
    f.type("Plan.md", "Plan\nday one\nday two");
    QVERIFY(QFile::rename(f.path("Plan.md"), f.path("Old plan.md")));
    f.reload();
    QCOMPARE(f.files(), QStringList({"Old plan.md"}));
    // The pause, still running, ends sooner (a running timer restarts with the new interval).
    store.setSaveDelay(20);
    QTRY_VERIFY(!store.hasDraft(f.path("Old plan.md")));
    QCOMPARE(f.files(), QStringList({"Plan.md"}));
    QCOMPARE(f.read("Plan.md"), QByteArray("Plan\nday one\nday two"));
}

void SavingTest::savesFollowTheTitle_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("savedAs");
    QTest::addColumn<QString>("title"); // unsaved, the file's name; saved, the first line
    row("new first line renames", "Groceries.md", "Groceries\nmilk", "Groceries for Sunday\nmilk",
        "Groceries for Sunday.md", "Groceries for Sunday");
    row("edit below the title writes in place", "Groceries.md", "Groceries\nmilk",
        "Groceries\nmilk\neggs", "Groceries.md", "Groceries");
    row("first save renames to the first line", "Meeting.md", "Agenda\n- budget",
        "Agenda\n- budget\n- hires", "Agenda.md", "Agenda");
    row("cleared text goes back to the fallback name", "Plan.md", "Ideas", QString(), "Plan.md",
        "Plan");
    row("taken name gets a number", "Draft.md", "Draft", "Taken\ntext", "Taken (2).md", "Taken");
    // Canonically equal to what the file holds: nothing to write.
    row("decomposed, the same text", "Cafe.md", QString::fromUtf8("Café"), "Cafe\u0301", "Cafe.md",
        "Cafe");
}

void SavingTest::savesFollowTheTitle()
{
    QFETCH(QString, file);
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(QString, savedAs);
    QFETCH(QString, title);
    StoreFixture f;
    f.write(file, before.toUtf8());
    f.write("Taken.md", "someone else");
    NotesStore& store = f.start();
    QSignalSpy changes(&store, &NotesStore::notesChanged);
    f.type(file, after);
    f.commit(file);

    const bool same = after.normalized(QString::NormalizationForm_C) == before;
    QCOMPARE(f.read(savedAs), (same ? before : after).toUtf8());
    QCOMPARE(QFile::exists(f.path(file)), savedAs == file);
    QCOMPARE(f.read("Taken.md"), QByteArray("someone else"));
    QCOMPARE(changes.isEmpty(), same);
    QCOMPARE(f.note(savedAs).fallbackTitle, file.chopped(3));
    QCOMPARE(f.note(savedAs).title, title);
    QVERIFY(store.unsavedTexts().isEmpty());
}

void SavingTest::failedSavesKeepTheText_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("renamedTo"); // the rename failed; else the write
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("fileAfter");
    row("read-only folder refuses the rename", "read-only folder", "Shopping\nmilk", "Shopping.md",
        EACCES, "Groceries.md");
    row("read-only file, renamed first", "read-only file", "Shopping\nmilk", "", EACCES,
        "Shopping.md");
    row("full disk", "full", "Groceries\nwith a long entry that does not fit", "", EFBIG,
        "Groceries.md");
    row("folder vanished", "vanished", "Groceries\nmilk\neggs", "", ENOENT, "Groceries.md");
}

void SavingTest::failedSavesKeepTheText()
{
    QFETCH(QString, failure);
    QFETCH(QString, typed);
    QFETCH(QString, renamedTo);
    QFETCH(int, code);
    QFETCH(QString, fileAfter);
    StoreFixture f;
    f.write("Groceries.md", "Groceries");
    NotesStore& store = f.start();
    store.setSelectedNote(f.note("Groceries.md"));
    f.type("Groceries.md", typed);
    const QString moved = f.home.path() + "/Moved";
    QVERIFY(failure != "vanished" || QDir().rename(f.folder, moved));
    if (failure.startsWith("read-only"))
        TestFiles::setReadOnly(failure.endsWith("folder") ? f.folder : f.path("Groceries.md"),
                               true);
    {
        const ResourceLimit limit(RLIMIT_FSIZE, failure == "full" ? 4 : RLIM_INFINITY);
        f.commit("Groceries.md");
    }
    QVERIFY(failure != "vanished" || QDir().rename(moved, f.folder));
    TestFiles::setReadOnly(f.folder, false);

    QCOMPARE(f.failures.size(), 1);
    QCOMPARE(f.failures[0], renamedTo.isEmpty() ? FileError::fileNotSaved(f.path(fileAfter), code)
                                                : FileError::fileNotRenamed(
                                                      f.path(fileAfter), f.path(renamedTo), code));
    QCOMPARE(f.files(), QStringList({fileAfter}));
    QCOMPARE(f.read(fileAfter), QByteArray("Groceries"));
    // Everything follows the file to where it is now, so no later save looks for the old one.
    QCOMPARE(f.note(fileAfter).content(), QStringLiteral("Groceries"));
    QCOMPARE(store.selectedNote()->url, f.path(fileAfter));
    QCOMPARE(store.unsavedTexts(), (QHash<QString, QString>{{f.path(fileAfter), typed}}));
    // The failed save never marked the text saved: once the cause is gone, it is written.
    TestFiles::setReadOnly(f.path(fileAfter), false);
    f.commit(fileAfter);
    QCOMPARE(f.files(), QStringList({typed.section('\n', 0, 0) + ".md"}));
    QCOMPARE(f.read(f.files().value(0)), typed.toUtf8());
    QCOMPARE(f.failures.size(), 1);
}

void SavingTest::foreignChangesAreNeverOverwritten_data()
{
    QTest::addColumn<QString>("change");
    // Each but the merges ends in a conflict copy.
    for (const char* change : {"rename", "latin1", "reload", "watch", "merge", "merge on save"})
        QTest::newRow(change) << QString(change);
}

void SavingTest::foreignChangesAreNeverOverwritten()
{
    QFETCH(QString, change);
    StoreFixture f;
    const bool merge = change.startsWith("merge");
    f.write("Note.md", merge ? "Note\nv1\nv2\nv3\n" : "Note\nv1");
    NotesStore& store = f.start();
    store.setSaveDelay(60000);
    QSignalSpy conflicts(&store, &NotesStore::conflictCopySaved);
    QSignalSpy merges(&store, &NotesStore::draftMerged);
    const QString url = f.path("Note.md");
    store.setSelectedNote(f.note("Note.md"));
    f.type("Note.md", "Note\nmy typing");

    QByteArray theirs = "Note\nv2 from another device";
    if (change == "rename" || change == "reload") {
        f.write(".incoming", theirs);
        QVERIFY(::rename(QFile::encodeName(f.path(".incoming")), QFile::encodeName(url)) == 0);
    } else if (change == "latin1") {
        theirs = "Note\ncaf\xE9";
        f.write("Note.md", theirs, tuesday);
    } else if (merge) {
        // The other program's line 1 and the user's last line join, whichever comes first:
        // the refresh, or the save.
        f.type("Note.md", "Note\nv1\nv2\nv3\nmy typing\n");
        f.write(".incoming", "Note\nv1 from the phone\nv2\nv3\n", tuesday);
        QVERIFY(::rename(QFile::encodeName(f.path(".incoming")), QFile::encodeName(url)) == 0);
        theirs = "Note\nv1 from the phone\nv2\nv3\nmy typing\n";
    } else if (change == "watch") {
        store.setWatching(true);
        f.write("Note.md", theirs, tuesday);
        QTRY_COMPARE(conflicts.size(), 1);
    }
    if (change == "reload" || change == "merge")
        f.reload();
    else if (change != "watch")
        f.commit("Note.md");

    QVERIFY(f.failures.isEmpty() && store.unsavedTexts().isEmpty());
    QCOMPARE(TestFiles::read(url), theirs);
    QCOMPARE(merges.size(), merge ? 1 : 0);
    const QString copy = f.path("Note (conflict 2026-03-14 092653).md");
    QCOMPARE(QFile::exists(copy), !merge);
    if (merge) {
        QCOMPARE(f.note("Note.md").content().toUtf8(), theirs);
        return;
    }
    // Both versions are on disk, and the user's own is the one in front of them.
    QCOMPARE(TestFiles::read(copy), QByteArray("Note\nmy typing"));
    QCOMPARE(store.selectedNote()->url, copy);
    QCOMPARE(conflicts, QList<QVariantList>({{url, copy}}));
    QCOMPARE(f.note("Note.md").content().toUtf8(), change == "latin1" ? "" : theirs);
    if (change != "rename")
        return;
    // Typing goes on in the copy: it keeps the name that says what it is until its first
    // line changes.
    f.type(Naming::fileName(copy), "Note\nmy typing\nmore");
    f.commit(Naming::fileName(copy));
    QCOMPARE(TestFiles::read(copy), QByteArray("Note\nmy typing\nmore"));
    f.type(Naming::fileName(copy), "Mine\nmy typing\nmore");
    f.commit(Naming::fileName(copy));
    QCOMPARE(f.files(), QStringList({"Mine.md", "Note.md"}));
}

void SavingTest::unsavedTextIsKeptUntilItIsOnDisk_data()
{
    QTest::addColumn<QString>("ending");
    for (const char* ending : {"quit anyway", "signal"})
        QTest::newRow(ending) << QString(ending);
}

void SavingTest::unsavedTextIsKeptUntilItIsOnDisk()
{
    QFETCH(QString, ending);
    StoreFixture f;
    const QStringList names = {"L1.md", "O1.md", "L2.md", "O2.md", "L3.md", "O3.md"};
    for (const QString& name : names)
        f.write(name, Naming::baseName(name).toUtf8());
    const QString other = f.home.makeFolder("Other");
    NotesStore& store = f.start();
    for (const QString& name : names) {
        f.type(name, Naming::baseName(name) + "\nkeep me");
        if (name.startsWith('L'))
            TestFiles::setReadOnly(f.path(name), true);
    }
    f.type("O3.md", "Renamed\ntoo");

    // Leaving the folder saves everything at once; a failure stops no other, and its text stays.
    store.setFolderURL(other);
    QCOMPARE(f.failures.size(), 3);
    QCOMPARE(f.read("O1.md") + f.read("O2.md"), QByteArray("O1\nkeep meO2\nkeep me"));
    QCOMPARE(f.read("Renamed.md"), QByteArray("Renamed\ntoo"));
    settle();
    QVERIFY(store.notes().isEmpty() && TestFiles::entries(other).isEmpty());
    QCOMPARE(store.unsavedTexts().size(), 3);
    f.failures.clear();

    if (ending == "signal") {
        // One line each on standard error, the only voice left to a process the system ends.
        QCOMPARE(
            standardErrorOf(f.home.path() + "/stderr", [&] { store.saveBeforeExit(); }).count('\n'),
            3);
        QVERIFY(f.failures.isEmpty());
    } else {
        QCOMPARE(store.recoverUnsaved(), std::optional<FileError>());
    }
    QVERIFY(store.unsavedTexts().isEmpty());
    const QString recovered = RecoveryFolder::path();
    QCOMPARE(recovered, f.home.path() + "/.local/state/quillbox/recovered");
    QCOMPARE(TestFiles::entries(recovered), QStringList({"L1.md", "L1.md.origin", "L2.md",
                                                         "L2.md.origin", "L3.md", "L3.md.origin"}));
    QCOMPARE(TestFiles::read(recovered + "/L2.md"), QByteArray("L2\nkeep me"));
    QCOMPARE(TestFiles::read(recovered + "/L2.md.origin"),
             QFile::encodeName(f.folder) + "\nL2.md\n");
}

void SavingTest::aNoteBeingWrittenElsewhereWaitsForItsWriter()
{
    StoreFixture f;
    f.write("Note.md", "Note\nv1\nv2\nv3\n");
    NotesStore& store = f.start();
    store.setWatching(true);
    QSignalSpy merges(&store, &NotesStore::draftMerged);
    f.type("Note.md", "Note\nv1\nv2\nv3\nmy typing\n");
    // Another program rewrites the note in place, slowly (rsync --inplace).
    QFile writer(f.path("Note.md"));
    QVERIFY(writer.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QVERIFY(writer.write("Note\nv1 restored\n") > 0 && writer.flush());
    f.commit("Note.md");
    QCOMPARE(f.read("Note.md"), QByteArray("Note\nv1 restored\n"));
    QVERIFY(store.hasDraft(f.path("Note.md")));
    // Once it is done, the two join.
    QVERIFY(writer.write("v2\nv3\n") > 0);
    writer.close();
    QTRY_COMPARE(f.read("Note.md"), QByteArray("Note\nv1 restored\nv2\nv3\nmy typing\n"));
    QCOMPARE(merges.size(), 1);

    // Quitting cannot wait for a writer: the text goes beside its file.
    QVERIFY(writer.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QVERIFY(writer.write("Note\nhalf") > 0 && writer.flush());
    f.type("Note.md", "Note\nv1 restored\nv2\nv3\nmy typing\nlast words\n");
    QVERIFY(store.saveAllDrafts());
    QCOMPARE(f.read("Note.md"), QByteArray("Note\nhalf"));
    QCOMPARE(f.read("Note (conflict 2026-03-14 092653).md"),
             QByteArray("Note\nv1 restored\nv2\nv3\nmy typing\nlast words\n"));
    QVERIFY(f.failures.isEmpty());
}

void SavingTest::aFolderSwappedForALinkIsNeverWrittenThrough()
{
    StoreFixture f;
    f.write("Note.md", "Note");
    const QString other = f.home.makeFolder("Someone else");
    TestFiles::write(other + "/Theirs.md", "Theirs", monday);
    NotesStore& store = f.start();
    f.type("Note.md", "Note\ntyped");
    QVERIFY(QDir().rename(f.folder, f.home.path() + "/Moved"));
    QVERIFY(QFile::link(other, f.folder));
    f.commit("Note.md");
    f.reload();
    f.commit("Note.md");

    // Said once; nothing written there, nothing of it listed, the text kept.
    QCOMPARE(f.problems, QList<FileError>({FileError::folderReplaced(f.folder)}));
    QVERIFY(f.failures.isEmpty());
    QCOMPARE(TestFiles::entries(other), QStringList({"Theirs.md"}));
    QCOMPARE(f.titles(), QStringList({"Note"}));
    QCOMPARE(store.unsavedTexts().value(f.path("Note.md")), QStringLiteral("Note\ntyped"));
    // Chosen again, the path is the folder it leads to now.
    store.setFolderURL(f.folder);
    settle();
    QCOMPARE(f.titles(), QStringList({"Note", "Theirs"}));
    QCOMPARE(TestFiles::read(other + "/Note.md"), QByteArray("Note\ntyped"));
}

void SavingTest::textWithNowhereToGoIsNeverLost_data()
{
    QTest::addColumn<QString>("place");
    for (const char* place : {"recovery folder", "runtime folder", "temporary folder", "nowhere"})
        QTest::newRow(place) << QString(place);
}

void SavingTest::textWithNowhereToGoIsNeverLost()
{
    QFETCH(QString, place);
    const auto restore = qScopeGuard([saved = QProcessEnvironment::systemEnvironment()] {
        for (const char* name : {"TMPDIR", "XDG_RUNTIME_DIR"}) {
            if (saved.contains(name))
                qputenv(name, saved.value(name).toLocal8Bit());
            else
                qunsetenv(name);
        }
    });
    StoreFixture f;
    const QString home = f.home.path(), state = home + "/.local/state/quillbox";
    // Before the store starts: its history would make the folder.
    if (place != "recovery folder") {
        f.home.makeFolder(".local/state");
        TestFiles::write(state, "a file where the folder should be");
    }
    f.write("Plan.md", "Plan");
    NotesStore& store = f.start();
    const QString typed = "Plan\nmy words \\ here";
    f.type("Plan.md", typed);
    TestFiles::setReadOnly(f.path("Plan.md"), true);
    const QString temp =
        f.home.makeFolder("tmp") + "/quillbox-recovered-" + QString::number(::geteuid());
    qputenv("TMPDIR", QFile::encodeName(home + "/tmp"));
    qunsetenv("XDG_RUNTIME_DIR");
    if (place == "runtime folder")
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(f.home.makeFolder("run")));
    // Another user's link in the shared folder: followed, it would hand them the text.
    QVERIFY(place != "nowhere" || QFile::link(f.home.makeFolder("theirs"), temp));
    const QString keptIn = place == "recovery folder"    ? state + "/recovered"
                           : place == "runtime folder"   ? home + "/run/quillbox-recovered"
                           : place == "temporary folder" ? temp
                                                         : QString();

    if (place != "recovery folder") {
        // Asked first, the user can stay with the text on screen and is told the real cause.
        QCOMPARE(store.recoverUnsaved().value_or(FileError()).code, ENOTDIR);
        QCOMPARE(store.unsavedTexts().size(), 1);
    }
    const QByteArray said = standardErrorOf(home + "/stderr", [&] {
        const mode_t mask = ::umask(0);
        store.saveBeforeExit();
        ::umask(mask);
    });

    QCOMPARE(said.count('\n'), 1);
    QVERIFY2(place == "recovery folder" || said.contains("Not a directory"), said);
    QCOMPARE(store.unsavedTexts().size(), keptIn.isEmpty() ? 1 : 0);
    if (keptIn.isEmpty()) {
        QVERIFY2(said.contains("Plan\\nmy words \\\\ here"), said);
        QVERIFY(TestFiles::entries(home + "/theirs").isEmpty());
        return;
    }
    QVERIFY2(said.contains(QFile::encodeName(keptIn + "/Plan.md")), said);
    QCOMPARE(TestFiles::read(keptIn + "/Plan.md"), typed.toUtf8());
    QCOMPARE(TestFiles::read(keptIn + "/Plan.md.origin"),
             QFile::encodeName(f.folder) + "\nPlan.md\n");
    // Private text stays private, whatever the umask.
    QCOMPARE(modeOf(keptIn), mode_t(0700));
    QCOMPARE(modeOf(keptIn + "/Plan.md"), mode_t(0600));
    QCOMPARE(modeOf(keptIn + "/Plan.md.origin"), mode_t(0600));
    QVERIFY(place != "recovery folder" || modeOf(state) == 0700);
    // The next start offers it wherever it went.
    QCOMPARE(RecoveryFolder::placeWithFiles(), keptIn);
}

void SavingTest::recoveredTextsComeBackToTheirNotes_data()
{
    QTest::addColumn<QString>("folder"); // of the note, under the home
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("hasBom");
    row("a note of the folder", QString("Notes"), QString("Ideas.md"), false);
    row("numbered beside an earlier one, the note's own name", QString("Notes"), QString("Plan.md"),
        false);
    row("a name with a number of its own", QString("Notes"), QString("Plan (2).md"), false);
    row("without its byte-order mark", QString("Notes"), QString("Ideas.md"), true);
    row("another folder's", QString("Other"), QString("Ideas.md"), false);
}

void SavingTest::recoveredTextsComeBackToTheirNotes()
{
    QFETCH(QString, folder);
    QFETCH(QString, name);
    QFETCH(bool, hasBom);
    TestHome home;
    const QString notes = home.notesFolder();
    const RecoveryFolder::Kept earlier = RecoveryFolder::keep(notes + "/Plan.md", "earlier", false);
    const QString note = home.makeFolder(folder) + "/" + name;
    const RecoveryFolder::Kept kept = RecoveryFolder::keep(note, "Plan\nkeep me", hasBom);
    QVERIFY(earlier.error == 0 && kept.error == 0);
    QFile touched(kept.file);
    QVERIFY(touched.open(QIODevice::ReadWrite) &&
            touched.setFileTime(monday, QFileDevice::FileModificationTime));
    touched.close();

    QHash<QString, RecoveryFolder::Recovered> found;
    for (const RecoveryFolder::Recovered& recovered : RecoveryFolder::recoveredFrom(notes))
        found.insert(recovered.file, recovered);
    QCOMPARE(found.value(earlier.file).note, notes + "/Plan.md");
    QCOMPARE(found.value(earlier.file).text, QString("earlier"));
    QCOMPARE(found.size(), folder == "Notes" ? 2 : 1);
    if (folder != "Notes")
        return;
    QCOMPARE(found.value(kept.file).note, note);
    QCOMPARE(found.value(kept.file).text, QString("Plan\nkeep me"));
    QCOMPARE(found.value(kept.file).modified, monday);
}

QUILLBOX_TEST_MAIN(SavingTest)
#include "tst_saving.moc"
