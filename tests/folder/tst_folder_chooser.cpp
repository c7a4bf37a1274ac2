#include "folder/folder_access.h"
#include "store_fixture.h"

#include <QSettings>

namespace {

QString storedFolder()
{
    return QFile::decodeName(QSettings(FolderAccess::settingsFilePath(), QSettings::IniFormat)
                                 .value(FolderAccess::bookmarkKey)
                                 .toByteArray());
}

} // namespace

class FolderChooserTest : public QObject
{
    Q_OBJECT

private slots:
    void offeredOnlyWithoutAFolder();
    void usableFolderIsRememberedAndLoaded();
    void refusedFolderExplainsAndAsksAgain();
    void unrememberableFolderAsksAgain();
    void answerAfterTheStoreIsGoneDoesNothing();
};

void FolderChooserTest::offeredOnlyWithoutAFolder()
{
    StoreFixture f;
    NotesStore& store = f.start();
    f.chooser().chooseFolderIfNeeded();
    QCOMPARE(f.panel.presented, 0);
    store.setFolderURL(QString());
    f.chooser().chooseFolderIfNeeded();
    QCOMPARE(f.panel.presented, 1);
}

void FolderChooserTest::usableFolderIsRememberedAndLoaded()
{
    StoreFixture f;
    NotesStore& store = f.start();
    store.setFolderURL(QString());
    settle();
    const QString chosen = f.home.makeFolder("Chosen");
    TestFiles::write(chosen + "/Hello.md", "Hello");

    f.chooser().chooseFolder();
    f.panel.answer(chosen);
    settle();
    QCOMPARE(store.folderURL(), chosen);
    QCOMPARE(storedFolder(), chosen);
    QCOMPARE(f.titles(), QStringList({"Hello"}));
    QCOMPARE(TestFiles::entries(chosen), QStringList({"Hello.md"}));
    QCOMPARE(f.panel.presented, 1);
    QVERIFY(f.alerts.shown.isEmpty());
}

void FolderChooserTest::refusedFolderExplainsAndAsksAgain()
{
    StoreFixture f;
    NotesStore& store = f.start();
    const QString locked = f.home.makeFolder("Locked");
    TestFiles::setReadOnly(locked, true);

    f.chooser().chooseFolder();
    f.panel.answer(locked);
    QCOMPARE(f.alerts.shown.size(), 1);
    f.alerts.expect(0, "Cannot use this folder",
                    "The app does not have permission to write to:\n" + locked +
                        "\n\nChoose a different location (e.g., a folder under Documents).",
                    AlertService::Style::Warning, {"OK"});

    // The chooser comes back after the alert; cancelling it changes nothing.
    QVERIFY(!f.panel.isOpen());
    settle();
    QCOMPARE(f.panel.presented, 2);
    f.panel.answer(QString());
    settle();
    QCOMPARE(f.panel.presented, 2);
    QCOMPARE(store.folderURL(), f.folder);
    QCOMPARE(storedFolder(), f.folder);
    TestFiles::setReadOnly(locked, false);
}

void FolderChooserTest::unrememberableFolderAsksAgain()
{
    StoreFixture f;
    NotesStore& store = f.start();
    const QString chosen = f.home.makeFolder("Chosen");
    const QString config = f.home.path() + "/config/quillbox";
    TestFiles::setReadOnly(FolderAccess::settingsFilePath(), true);
    TestFiles::setReadOnly(config, true);

    f.chooser().chooseFolder();
    f.panel.answer(chosen);
    settle();
    TestFiles::setReadOnly(config, false);

    QCOMPARE(f.alerts.shown.size(), 1);
    QVERIFY(f.alerts.shown[0].isError);
    QCOMPARE(f.alerts.shown[0].message, QStringLiteral("The notes folder couldn’t be remembered."));
    QCOMPARE(f.panel.presented, 2);
    QCOMPARE(store.folderURL(), f.folder);
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
    QVERIFY(f.alerts.shown.isEmpty());
    QVERIFY(!QSettings(FolderAccess::settingsFilePath(), QSettings::IniFormat)
                 .contains(FolderAccess::bookmarkKey));
}

QUILLBOX_TEST_MAIN(FolderChooserTest)
#include "tst_folder_chooser.moc"
