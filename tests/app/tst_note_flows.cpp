#include "app/note_flows.h"
#include "store/recovery_folder.h"
#include "store_fixture.h"

#include <QDir>
#include <QSignalSpy>

namespace {

// A store on the given notes ("Plan" is Plan.md holding "Plan") and the flows that speak for
// it, with scripted alerts.
struct FlowsFixture
{
    explicit FlowsFixture(const QStringList& notes = {}) : flows(start(notes), f.alerts) {}
    NotesStore& start(const QStringList& notes)
    {
        for (const QString& name : notes)
            f.write(name + ".md", name.toUtf8());
        return f.start();
    }
    NotesStore& store() { return f.store(); }

    StoreFixture f;
    NoteFlows flows;
};

const QStringList openPreferences = {"Open Preferences…", "Cancel"};

} // namespace

class NoteFlowsTest : public QObject
{
    Q_OBJECT

private slots:
    void folderProblemOffersThePreferences();
    void createWithoutAFolderOffersThePreferences();
    void deleteAsksBeforeEachStep();
    void undoAfterTheTrashWasEmptiedSaysSo();
    void quittingWithUnsavedTextAsks();
    void failingSaveIsAlertedOncePerNoteAndReason();
    void refusedFolderIsExplained();
};

void NoteFlowsTest::folderProblemOffersThePreferences()
{
    FlowsFixture p;
    QSignalSpy preferences(&p.flows, &NoteFlows::preferencesRequested);
    TestFiles::setMode(p.f.folder, 0300);
    p.f.alerts.answerNext(true);
    p.f.reload();
    TestFiles::setMode(p.f.folder, 0700);
    QCOMPARE(p.f.alerts.shown.size(), 1);
    p.f.alerts.expect(0, "The folder “Notes” couldn’t be opened.", "Permission denied",
                      AlertService::Style::Warning, openPreferences);
    QCOMPARE(preferences.size(), 1);
}

void NoteFlowsTest::createWithoutAFolderOffersThePreferences()
{
    FlowsFixture p;
    QSignalSpy preferences(&p.flows, &NoteFlows::preferencesRequested);
    p.store().setFolderURL(QString());
    settle();
    p.flows.createNote(); // Cancel
    p.f.alerts.answerNext(true);
    p.flows.createNote();
    QCOMPARE(preferences.size(), 1);

    // While the user is asked, the store's queued work waits: here a load.
    p.store().setFolderURL(p.f.folder);
    settle();
    p.f.write("Queued.md", "Queued");
    p.store().loadNotes();
    qsizetype listedWhileAsking = -1;
    p.f.alerts.whileShown = [&] {
        settle();
        listedWhileAsking = p.store().notes().size();
    };
    TestFiles::setReadOnly(p.f.folder, true);
    p.flows.createNote();
    TestFiles::setReadOnly(p.f.folder, false);
    p.f.alerts.whileShown = nullptr;
    QCOMPARE(listedWhileAsking, 0);
    settle();
    QCOMPARE(p.store().notes().size(), 1);

    QCOMPARE(p.f.alerts.shown.size(), 3);
    for (int i = 0; i < 3; ++i)
        p.f.alerts.expect(i, "Select a notes folder",
                          "Open Preferences (Ctrl+,) and choose a writable folder, such as one "
                          "in your Documents.",
                          AlertService::Style::Informational, openPreferences);
    // A file that cannot be written is reported.
    {
        ResourceLimit full(RLIMIT_FSIZE, 4);
        p.flows.createNote();
    }
    QCOMPARE(p.f.alerts.shown.value(3).error.kind, FileError::Kind::FileNotCreated);
}

void NoteFlowsTest::deleteAsksBeforeEachStep()
{
    FlowsFixture p({"Plan"});
    Note plan = p.f.note("Plan.md");
    plan.title = QStringLiteral("He said \"hi\" “twice”");
    p.store().setSelectedNote(plan);
    p.flows.deleteSelectedNote(); // Cancel
    p.f.alerts.expect(0, "Delete “He said \"hi\" “twice””?",
                      "This will move the file to the Trash. You can restore it until the Trash "
                      "is emptied.",
                      AlertService::Style::Warning, {"Move to Trash", "Cancel"});

    // The Trash refuses: asked again, naming the file; Cancel keeps it, and so does a
    // permanent deletion the folder refuses, which is reported.
    const QString trash = p.f.home.makeFolder("data/Trash/files");
    TestFiles::setReadOnly(trash, true);
    for (const QString answer : {"Cancel", "Delete in a read-only folder", "Delete"}) {
        p.f.alerts.answerNext(true);
        p.f.alerts.answerNext(answer != "Cancel");
        TestFiles::setReadOnly(p.f.folder, answer.contains("read-only"));
        p.flows.deleteSelectedNote();
        TestFiles::setReadOnly(p.f.folder, false);
        p.f.alerts.expect(p.f.alerts.shown.size() - (answer.contains("read-only") ? 2 : 1),
                          "Can’t move to Trash",
                          "“Plan.md” couldn’t be moved to the Trash. You can delete it "
                          "permanently instead.",
                          AlertService::Style::Warning, {"Delete Permanently", "Cancel"});
        QCOMPARE(p.f.files().size(), answer == "Delete" ? 0 : 1);
    }
    QCOMPARE(p.f.alerts.shown.value(5).error,
             FileError::fileNotRemoved(p.f.path("Plan.md"), EACCES));
    QVERIFY(!p.store().selectedNote());
    // Nothing selected: nothing asked.
    p.flows.deleteSelectedNote();
    QCOMPARE(p.f.alerts.shown.size(), 8);
}

void NoteFlowsTest::undoAfterTheTrashWasEmptiedSaysSo()
{
    FlowsFixture p({"Plan"});
    p.store().setSelectedNote(p.f.note("Plan.md"));
    p.f.alerts.answerNext(true);
    p.flows.deleteSelectedNote();
    QVERIFY(p.store().trashedNote());
    QVERIFY(QDir(qEnvironmentVariable("XDG_DATA_HOME") + "/Trash").removeRecursively());
    p.flows.undoDelete();
    QCOMPARE(p.f.alerts.shown.size(), 2);
    QCOMPARE(p.f.alerts.shown[1].error, FileError::notInTrash(p.f.path("Plan.md")));
    QVERIFY(p.f.files().isEmpty() && !p.store().trashedNote());
}

void NoteFlowsTest::quittingWithUnsavedTextAsks()
{
    FlowsFixture p({"Plan"});
    p.f.type("Plan.md", "Plan\nkept");
    TestFiles::setReadOnly(p.f.path("Plan.md"), true);
    p.f.alerts.answerNext(true); // Don't Quit
    QVERIFY(!p.flows.prepareToQuit());
    // One question speaks for every note that failed: no alert of each before it.
    QCOMPARE(p.f.alerts.shown.size(), 1);
    p.f.alerts.expect(0, "Some notes couldn’t be saved",
                      "Their text is still here. If you quit anyway, it is kept in “" +
                          RecoveryFolder::path() + "”.",
                      AlertService::Style::Warning, {"Don’t Quit", "Quit Anyway"});
    QCOMPARE(p.store().unsavedTexts().size(), 1);
    QVERIFY(p.flows.prepareToQuit()); // Quit Anyway
    QCOMPARE(TestFiles::read(RecoveryFolder::path() + "/Plan.md"), QByteArray("Plan\nkept"));
    QVERIFY(p.store().unsavedTexts().isEmpty());
}

// Every pause in typing and every note left saves again: the same alert each time would stop
// the user at every turn.
void NoteFlowsTest::failingSaveIsAlertedOncePerNoteAndReason()
{
    FlowsFixture p({"Plan", "Trip"});
    QSignalSpy quietly(&p.flows, &NoteFlows::saveStillFailing);
    const auto alerted = [&] { return p.f.alerts.shown.size(); };
    p.store().setSelectedNote(p.f.note("Plan.md"));
    p.f.type("Plan.md", "Plan\nkept");
    TestFiles::setReadOnly(p.f.path("Plan.md"), true);
    p.f.commit("Plan.md");
    p.f.commit("Plan.md");
    QCOMPARE(alerted(), 1);
    QCOMPARE(p.f.alerts.shown[0].error, FileError::fileNotSaved(p.f.path("Plan.md"), EACCES));
    QCOMPARE(quietly.size(), 1);
    QCOMPARE(quietly[0].value(0).toString(), p.f.path("Plan.md"));
    QCOMPARE(quietly[0].value(1).toString(),
             QString("“Plan” still can't be saved: Permission denied. Your text is kept."));
    // A new note leaves this one, whose save fails again: said quietly, not alerted first.
    p.flows.createNote();
    QCOMPARE(alerted(), 1);
    QCOMPARE(quietly.size(), 2);

    // Another note, or another reason, is alerted.
    p.f.type("Trip.md", "Trip\nkept");
    TestFiles::setReadOnly(p.f.path("Trip.md"), true);
    p.f.commit("Trip.md");
    QCOMPARE(alerted(), 2);
    TestFiles::setReadOnly(p.f.path("Plan.md"), false);
    {
        ResourceLimit full(RLIMIT_FSIZE, 4);
        p.f.commit("Plan.md");
    }
    QCOMPARE(alerted(), 3);
    QCOMPARE(p.f.alerts.shown[2].error.code, EFBIG);
    // Saved, then failing again for the same reason: alerted again.
    p.f.commit("Plan.md");
    QVERIFY(!p.store().hasDraft(p.f.path("Plan.md")));
    p.f.type("Plan.md", "Plan\nkept again");
    {
        ResourceLimit full(RLIMIT_FSIZE, 4);
        p.f.commit("Plan.md");
    }
    QCOMPARE(alerted(), 4);
    QCOMPARE(quietly.size(), 2);
}

void NoteFlowsTest::refusedFolderIsExplained()
{
    FlowsFixture p;
    p.flows.speakFor(p.f.chooser());
    const QString chosen = p.f.home.makeFolder("Chosen");
    TestFiles::setReadOnly(chosen, true);
    p.f.chooser().chooseFolder();
    p.f.panel.answer(chosen);
    TestFiles::setReadOnly(chosen, false);
    QCOMPARE(p.f.alerts.shown.size(), 1);
    p.f.alerts.expect(0, "Cannot use this folder",
                      "Quillbox does not have permission to write to:\n" + chosen +
                          "\n\nChoose a different location (e.g., a folder under Documents).",
                      AlertService::Style::Warning, {"OK"});
}

QUILLBOX_TEST_MAIN(NoteFlowsTest)
#include "tst_note_flows.moc"
