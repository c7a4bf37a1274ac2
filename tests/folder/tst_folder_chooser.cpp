#include "folder/folder_access.h"
#include "store_fixture.h"

#include <QSignalSpy>

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
    QTest::addColumn<QString>("refusal");  // empty: the folder is taken
    row("usable", QString(), QString());
    row("a folder we may not write", "Chosen", "cannot write");
    row("a folder that cannot be remembered", "config/quillbox", "cannot remember");
}

// Taken, remembered and loaded; or refused with why, and offered again.
void FolderChooserTest::chosenFolder()
{
    QFETCH(QString, readOnly);
    QFETCH(QString, refusal);
    StoreFixture f;
    NotesStore& store = f.start();
    QSignalSpy cannotWrite(&f.chooser(), &FolderChooser::folderRefused);
    QSignalSpy cannotRemember(&f.chooser(), &FolderChooser::folderNotRemembered);
    f.chooser().chooseFolderIfNeeded(); // only without a folder
    QCOMPARE(f.panel.presented, 0);
    const QString chosen = f.home.makeFolder("Chosen");
    TestFiles::write(chosen + "/Hello.md", "Hello");
    if (!readOnly.isEmpty())
        TestFiles::setReadOnly(f.home.path() + '/' + readOnly, true);
    if (readOnly.startsWith("config"))
        TestFiles::setReadOnly(TestFiles::settingsFile(), true);
    f.chooser().chooseFolder();
    f.panel.answer(chosen);
    settle();
    QCOMPARE(cannotWrite.size(), refusal == "cannot write" ? 1 : 0);
    QCOMPARE(cannotRemember.size(), refusal == "cannot remember" ? 1 : 0);
    if (refusal.isEmpty()) {
        QCOMPARE(store.folderURL(), chosen);
        QCOMPARE(FolderAccess::restoreFolder(), chosen);
        QCOMPARE(f.titles(), QStringList({"Hello"}));
        return;
    }
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
    QVERIFY(!TestFiles::settingsHold(FolderAccess::bookmarkKey));
}

QUILLBOX_TEST_MAIN(FolderChooserTest)
#include "tst_folder_chooser.moc"
