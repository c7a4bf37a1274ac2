#include "folder/folder_access.h"
#include "store_fixture.h"

class FolderChooserTest : public QObject
{
    Q_OBJECT

private slots:
    void chosenFolder_data();
    void chosenFolder();
    void answerAfterTheStoreIsGoneDoesNothing();
};

void FolderChooserTest::chosenFolder_data()
{
    QTest::addColumn<QString>("readOnly"); // under the home
    QTest::addColumn<QString>("alert");    // empty: the folder is taken
    row("usable", QString(), QString());
    row("a folder we may not write", "Chosen", "Cannot use this folder");
    row("a folder that cannot be remembered", "config/quillbox", "error");
}

// Taken, remembered and loaded; or refused with why, and offered again.
void FolderChooserTest::chosenFolder()
{
    QFETCH(QString, readOnly);
    QFETCH(QString, alert);
    StoreFixture f;
    NotesStore& store = f.start();
    f.chooser().chooseFolderIfNeeded(); // only without a folder
    QCOMPARE(f.panel.presented, 0);
    const QString chosen = f.home.makeFolder("Chosen");
    TestFiles::write(chosen + "/Hello.md", "Hello");
    if (!readOnly.isEmpty())
        TestFiles::setReadOnly(f.home.path() + '/' + readOnly, true);
    if (readOnly.startsWith("config"))
        TestFiles::setReadOnly(FolderAccess::settingsFilePath(), true);
    f.chooser().chooseFolder();
    f.panel.answer(chosen);
    settle();
    if (alert.isEmpty()) {
        QCOMPARE(store.folderURL(), chosen);
        QCOMPARE(FolderAccess::restoreFolder(), chosen);
        QCOMPARE(f.titles(), QStringList({"Hello"}));
        QVERIFY(f.alerts.shown.isEmpty());
        return;
    }
    QCOMPARE(f.alerts.shown.size(), 1);
    const ScriptedAlerts::Shown& shown = f.alerts.shown[0];
    QCOMPARE(shown.isError ? QStringLiteral("error") : shown.message, alert);
    QVERIFY(!shown.isError || shown.error.kind == FileError::Kind::FolderNotRemembered);
    // Offered again after the alert; cancelling it changes nothing.
    QCOMPARE(f.panel.presented, 2);
    f.panel.answer(QString());
    settle();
    TestFiles::setReadOnly(f.home.path() + '/' + readOnly, false);
    QCOMPARE(store.folderURL(), f.folder);
    QCOMPARE(FolderAccess::restoreFolder(), readOnly == "Chosen" ? f.folder : QString());
}

void FolderChooserTest::answerAfterTheStoreIsGoneDoesNothing()
{
    StoreFixture f;
    {
        NotesStore store(f.services());
        FolderChooser chooser(store, f.panel);
        chooser.chooseFolder();
    }
    f.panel.answer(f.folder);
    QVERIFY(f.alerts.shown.isEmpty() && !TestFiles::settingsHold(FolderAccess::bookmarkKey));
}

QUILLBOX_TEST_MAIN(FolderChooserTest)
#include "tst_folder_chooser.moc"
