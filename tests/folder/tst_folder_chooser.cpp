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
    void usableFolderIsRememberedAndLoaded();
    void refusedFolderExplainsAndAsksAgain_data();
    void refusedFolderExplainsAndAsksAgain();
    void answerAfterTheStoreIsGoneDoesNothing();
};

void FolderChooserTest::usableFolderIsRememberedAndLoaded()
{
    StoreFixture f;
    NotesStore& store = f.start();
    // Offered only without a folder.
    f.chooser().chooseFolderIfNeeded();
    QCOMPARE(f.panel.presented, 0);
    store.setFolderURL(QString());
    settle();
    const QString chosen = f.home.makeFolder("Chosen");
    TestFiles::write(chosen + "/Hello.md", "Hello");
    f.chooser().chooseFolderIfNeeded();
    f.panel.answer(chosen);
    settle();
    QCOMPARE(store.folderURL(), chosen);
    QCOMPARE(storedFolder(), chosen);
    QCOMPARE(f.titles(), QStringList({"Hello"}));
    QCOMPARE(TestFiles::entries(chosen), QStringList({"Hello.md"}));
    QCOMPARE(f.panel.presented, 1);
    QVERIFY(f.alerts.shown.isEmpty());
}

void FolderChooserTest::refusedFolderExplainsAndAsksAgain_data()
{
    QTest::addColumn<bool>("writable"); // else the settings cannot take it
    row("a folder we may not write", false);
    row("a folder that cannot be remembered", true);
}

void FolderChooserTest::refusedFolderExplainsAndAsksAgain()
{
    QFETCH(bool, writable);
    StoreFixture f;
    NotesStore& store = f.start();
    const QString chosen = f.home.makeFolder("Chosen");
    const QString config = f.home.path() + "/config/quillbox";
    TestFiles::setReadOnly(writable ? config : chosen, true);
    if (writable)
        TestFiles::setReadOnly(FolderAccess::settingsFilePath(), true);
    f.chooser().chooseFolder();
    f.panel.answer(chosen);
    QCOMPARE(f.alerts.shown.size(), 1);
    if (writable) {
        QVERIFY(f.alerts.shown[0].isError);
        QCOMPARE(f.alerts.shown[0].message,
                 QStringLiteral("The notes folder couldn’t be remembered."));
    } else {
        f.alerts.expect(0, "Cannot use this folder",
                        "The app does not have permission to write to:\n" + chosen +
                            "\n\nChoose a different location (e.g., a folder under Documents).",
                        AlertService::Style::Warning, {"OK"});
    }
    // The chooser comes back after the alert; cancelling it changes nothing.
    QVERIFY(!f.panel.isOpen());
    settle();
    QCOMPARE(f.panel.presented, 2);
    f.panel.answer(QString());
    settle();
    TestFiles::setReadOnly(writable ? config : chosen, false);
    QCOMPARE(f.panel.presented, 2);
    QCOMPARE(store.folderURL(), f.folder);
    QCOMPARE(storedFolder(), writable ? QString() : f.folder);
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
    QVERIFY(!TestFiles::settingsHold(FolderAccess::bookmarkKey));
}

QUILLBOX_TEST_MAIN(FolderChooserTest)
#include "tst_folder_chooser.moc"
