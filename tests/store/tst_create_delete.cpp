#include "folder/folder_access.h"
#include "store/naming.h"
#include "store/trash_service.h"
#include "store_fixture.h"

#include <QSettings>
#include <QSignalSpy>

#include <cerrno>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

const QDateTime monday(QDate(2026, 3, 2), QTime(9, 0));
const QDateTime tuesday(QDate(2026, 3, 3), QTime(9, 0));
const QDateTime wednesday(QDate(2026, 3, 4), QTime(9, 0));

bool bookmarkStored()
{
    return QSettings(FolderAccess::settingsFilePath(), QSettings::IniFormat)
        .contains(FolderAccess::bookmarkKey);
}

QString trashFiles()
{
    return qEnvironmentVariable("XDG_DATA_HOME") + "/Trash/files";
}

} // namespace

class CreateDeleteTest : public QObject
{
    Q_OBJECT

private slots:
    void createWritesADatedNote();
    void twoNotesInOneSecond();
    void createCommitsTheNoteBeingLeft();
    void createWithoutAUsableFolder_data();
    void createWithoutAUsableFolder();
    void createFailureAddsNothing();
    void deleteAsksFirst();
    void deleteMovesToTheTrashAndSelectsTheNewest();
    void deleteTheOnlyNote();
    void trashRefused_data();
    void trashRefused();
    void unreadableNotesAreDeletedByTheirExactBytes();
    void queuedWorkWaitsWhileAnAlertIsOpen();
};

void CreateDeleteTest::createWritesADatedNote()
{
    StoreFixture f;
    TestFiles::write(f.path("Old.md"), "Old", monday);
    NotesStore& store = f.start();
    store.createNote();

    const QString name = QStringLiteral("Daily Notes - 2026-03-14 092653");
    QCOMPARE(TestFiles::read(f.path(name + ".md")), name.toUtf8());
    QCOMPARE(store.notes().size(), 2);
    const Note created = store.notes().last();
    QCOMPARE(created.url, f.path(name + ".md"));
    QCOMPARE(created.title, name);
    QCOMPARE(created.fallbackTitle, name);
    QCOMPARE(created.content, name);
    QCOMPARE(created.lastModified, f.clock.current);
    QCOMPARE(store.selectedNote()->url, created.url);
    QVERIFY(f.alerts.shown.isEmpty());
}

void CreateDeleteTest::twoNotesInOneSecond()
{
    StoreFixture f;
    NotesStore& store = f.start();
    store.createNote();
    store.createNote();

    const QString name = QStringLiteral("Daily Notes - 2026-03-14 092653");
    QCOMPARE(TestFiles::entries(f.folder), QStringList({name + " (2).md", name + ".md"}));
    const Note second = store.notes().last();
    QCOMPARE(second.title, name + " (2)");
    QCOMPARE(second.content, name);
    QCOMPARE(TestFiles::read(second.url), name.toUtf8());
    QCOMPARE(store.selectedNote()->url, second.url);
}

void CreateDeleteTest::createCommitsTheNoteBeingLeft()
{
    StoreFixture f;
    TestFiles::write(f.path("Draft.md"), "Draft", monday);
    NotesStore& store = f.start();
    store.setSaveDelay(60000);
    store.updateDraft(f.note("Draft.md"), "Draft\nunsaved");
    store.createNote();
    settle();
    QCOMPARE(TestFiles::read(f.path("Draft.md")), QByteArray("Draft\nunsaved"));
}

void CreateDeleteTest::createWithoutAUsableFolder_data()
{
    QTest::addColumn<bool>("hasFolder");
    QTest::addColumn<bool>("openPreferences");
    QTest::newRow("no folder, open preferences") << false << true;
    QTest::newRow("no folder, cancel") << false << false;
    QTest::newRow("read-only folder") << true << false;
}

void CreateDeleteTest::createWithoutAUsableFolder()
{
    QFETCH(bool, hasFolder);
    QFETCH(bool, openPreferences);
    StoreFixture f;
    NotesStore& store = f.start();
    if (!hasFolder)
        store.setFolderURL(QString());
    settle();
    QSignalSpy preferences(&store, &NotesStore::preferencesRequested);
    QSignalSpy changes(&store, &NotesStore::notesChanged);
    f.alerts.answerNext(openPreferences);
    TestFiles::setReadOnly(f.folder, true);
    store.createNote();
    TestFiles::setReadOnly(f.folder, false);

    QCOMPARE(f.alerts.shown.size(), 1);
    f.alerts.expect(0, "Select a notes folder",
                    "Open Preferences (Ctrl+,) and choose a writable folder, such as one in your "
                    "Documents.",
                    AlertService::Style::Informational, {"Open Preferences…", "Cancel"});
    QCOMPARE(preferences.size(), openPreferences ? 1 : 0);
    QCOMPARE(changes.size(), 0);
    QCOMPARE(TestFiles::entries(f.folder), QStringList());
    if (hasFolder) {
        QVERIFY(!bookmarkStored());
        QCOMPARE(store.folderURL(), f.folder);
    }
}

void CreateDeleteTest::createFailureAddsNothing()
{
    StoreFixture f;
    NotesStore& store = f.start();
    rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limited = saved;
    limited.rlim_cur = 4;
    setrlimit(RLIMIT_FSIZE, &limited);
    store.createNote();
    setrlimit(RLIMIT_FSIZE, &saved);

    QCOMPARE(f.alerts.shown.size(), 1);
    QCOMPARE(f.alerts.shown[0].message,
             QStringLiteral("The file “Daily Notes - 2026-03-14 092653.md” couldn’t be created in "
                            "the folder “Notes”."));
    QCOMPARE(f.alerts.shown[0].informativeText, QStringLiteral("File too large"));
    QVERIFY(store.notes().isEmpty());
    QCOMPARE(TestFiles::entries(f.folder), QStringList());
}

void CreateDeleteTest::deleteAsksFirst()
{
    StoreFixture f;
    TestFiles::write(f.path("Quote.md"), "Quote", monday);
    NotesStore& store = f.start();
    store.setSaveDelay(60000);
    Note note = f.note("Quote.md");
    note.title = QStringLiteral("He said \"hi\" “twice”");
    store.setSelectedNote(note);
    store.updateDraft(note, "Quote\nunsaved");
    store.deleteSelectedNote(); // Cancel
    settle();

    QCOMPARE(f.alerts.shown.size(), 1);
    f.alerts.expect(0, "Delete “He said \"hi\" “twice””?",
                    "This will move the file to the Trash. You can restore it until the Trash is "
                    "emptied.",
                    AlertService::Style::Warning, {"Move to Trash", "Cancel"});
    QCOMPARE(TestFiles::read(f.path("Quote.md")), QByteArray("Quote"));
    QCOMPARE(store.notes().size(), 1);
    QCOMPARE(store.drafts().value(note.url), QStringLiteral("Quote\nunsaved"));
    QCOMPARE(store.selectedNote()->url, note.url);

    // Nothing selected: nothing asked, nothing done.
    store.setSelectedNote(std::nullopt);
    store.deleteSelectedNote();
    QCOMPARE(f.alerts.shown.size(), 1);
}

void CreateDeleteTest::deleteMovesToTheTrashAndSelectsTheNewest()
{
    StoreFixture f;
    TestFiles::write(f.path("Old.md"), "Old", monday);
    TestFiles::write(f.path("Middle.md"), "Middle", tuesday);
    TestFiles::write(f.path("New.md"), "New", wednesday);
    NotesStore& store = f.start();
    store.setSelectedNote(f.note("Old.md"));
    store.updateDraft(f.note("Old.md"), "Old\ntyped");
    f.alerts.answerNext(true);
    store.deleteSelectedNote();
    settle();

    QCOMPARE(TestFiles::entries(f.folder), QStringList({"Middle.md", "New.md"}));
    QCOMPARE(TestFiles::entries(trashFiles()), QStringList({"Old.md"}));
    // The last typing went into the file before it went to the Trash.
    QCOMPARE(TestFiles::read(trashFiles() + "/Old.md"), QByteArray("Old\ntyped"));
    QCOMPARE(f.titles(), QStringList({"New", "Middle"}));
    QVERIFY(!store.drafts().contains(f.path("Old.md")));
    QCOMPARE(store.selectedNote()->title, QStringLiteral("New"));
    QCOMPARE(f.alerts.shown.size(), 1);

    // Not a neighbour: the newest remaining note.
    store.setSelectedNote(f.note("Middle.md"));
    f.alerts.answerNext(true);
    store.deleteSelectedNote();
    QCOMPARE(store.selectedNote()->title, QStringLiteral("New"));
}

void CreateDeleteTest::deleteTheOnlyNote()
{
    StoreFixture f;
    TestFiles::write(f.path("Only.md"), "Only", monday);
    NotesStore& store = f.start();
    f.alerts.answerNext(true);
    store.deleteSelectedNote();
    QVERIFY(store.notes().isEmpty());
    QVERIFY(!store.selectedNote());
    QCOMPARE(TestFiles::entries(f.folder), QStringList());
}

void CreateDeleteTest::trashRefused_data()
{
    QTest::addColumn<QString>("answer");
    QTest::newRow("cancel") << "cancel";
    QTest::newRow("delete permanently") << "delete";
    QTest::newRow("permanent delete refused too") << "delete, refused";
}

void CreateDeleteTest::trashRefused()
{
    QFETCH(QString, answer);
    StoreFixture f;
    TestFiles::write(f.path("Stuck.md"), "Stuck", tuesday);
    TestFiles::write(f.path("Other.md"), "Other", monday);
    // A file where the trash folder should be.
    QDir().mkpath(qEnvironmentVariable("XDG_DATA_HOME") + "/Trash");
    TestFiles::write(trashFiles(), "not a folder");
    NotesStore& store = f.start();
    store.setSaveDelay(60000);
    const bool refused = answer.endsWith("refused");
    // Typing would be saved before the Trash is tried, which a read-only folder refuses.
    if (!refused)
        store.updateDraft(f.note("Stuck.md"), "Stuck\ntyped");
    f.alerts.answerNext(true);
    f.alerts.answerNext(answer != "cancel");
    TestFiles::setReadOnly(f.folder, refused);
    store.deleteSelectedNote();
    TestFiles::setReadOnly(f.folder, false);

    QCOMPARE(f.alerts.shown.size(), refused ? 3 : 2);
    f.alerts.expect(1, "Can’t move to Trash",
                    "“Stuck.md” couldn’t be moved to the Trash. You can delete it permanently "
                    "instead.",
                    AlertService::Style::Warning, {"Delete Permanently", "Cancel"});
    QCOMPARE(TestFiles::read(trashFiles()), QByteArray("not a folder"));
    QVERIFY(!QFile::exists("files") && !QFile::exists("info"));
    if (refused) {
        QCOMPARE(f.alerts.shown[2].message,
                 QStringLiteral("The file “Stuck.md” couldn’t be deleted."));
        QCOMPARE(f.alerts.shown[2].informativeText, QStringLiteral("Permission denied"));
    }

    settle();
    if (answer == "delete") {
        QCOMPARE(TestFiles::entries(f.folder), QStringList({"Other.md"}));
        QCOMPARE(f.titles(), QStringList({"Other"}));
        QCOMPARE(store.selectedNote()->title, QStringLiteral("Other"));
        QVERIFY(store.drafts().isEmpty());
    } else {
        // Still listed and selected; the text was saved before the Trash was tried.
        QCOMPARE(store.selectedNote()->title, QStringLiteral("Stuck"));
        QCOMPARE(TestFiles::read(f.path("Stuck.md")), refused ? "Stuck" : "Stuck\ntyped");
    }
}

void CreateDeleteTest::unreadableNotesAreDeletedByTheirExactBytes()
{
    StoreFixture f;
    TestFiles::write(f.path("Latin.md"), "Caf\xE9", monday);
    // Two names that a lossy decoding would make one: "caf\xE9.md" and "caf\uFFFD.md".
    const QByteArray rawName = QFile::encodeName(f.folder) + "/caf\xE9.md";
    const int fd = ::open(rawName.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    QVERIFY(fd >= 0 && ::write(fd, "raw", 3) == 3 && ::close(fd) == 0);
    TestFiles::write(f.path("caf\uFFFD.md"), "valid", tuesday);
    NotesStore& store = f.start();
    QCOMPARE(store.notes().size(), 3);
    const auto noteAt = [&](const QString& url) {
        for (const Note& note : store.notes()) {
            if (note.url == url)
                return note;
        }
        return Note();
    };
    const Note raw = noteAt(Naming::pathFromBytes(rawName));
    QVERIFY(raw.unreadable);
    QCOMPARE(raw.title, QStringLiteral("caf\uFFFD"));
    QVERIFY(!f.note("caf\uFFFD.md").unreadable);

    for (const QString& url : {raw.url, f.path("Latin.md")}) {
        store.setSelectedNote(noteAt(url));
        f.alerts.answerNext(true);
        store.deleteSelectedNote();
    }
    QCOMPARE(f.titles(), QStringList({"caf\uFFFD"}));
    QCOMPARE(TestFiles::read(f.path("caf\uFFFD.md")), QByteArray("valid"));
    QCOMPARE(TestFiles::read(trashFiles() + "/Latin.md"), QByteArray("Caf\xE9"));
    char trashed[8] = {};
    const int in = ::open((QFile::encodeName(trashFiles()) + "/caf\xE9.md").constData(), O_RDONLY);
    QVERIFY(in >= 0 && ::read(in, trashed, sizeof trashed) == 3 && ::close(in) == 0);
    QCOMPARE(QByteArray(trashed), QByteArray("raw"));
}

void CreateDeleteTest::queuedWorkWaitsWhileAnAlertIsOpen()
{
    StoreFixture f;
    TestFiles::write(f.path("A.md"), "A", monday);
    NotesStore& store = f.start();
    TestFiles::write(f.path("B.md"), "B", tuesday);
    store.loadNotes();
    qsizetype notesWhileAsking = -1;
    f.alerts.whileShown = [&] {
        settle();
        notesWhileAsking = store.notes().size();
    };
    store.deleteSelectedNote(); // answered with Cancel
    QCOMPARE(notesWhileAsking, 1);
    f.alerts.whileShown = nullptr;
    settle();
    QCOMPARE(store.notes().size(), 2);
}

QUILLBOX_TEST_MAIN(CreateDeleteTest)
#include "tst_create_delete.moc"
