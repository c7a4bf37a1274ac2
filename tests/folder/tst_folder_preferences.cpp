#include "folder/clipboard_service.h"
#include "folder/file_manager_service.h"
#include "folder/folder_access.h"
#include "folder/folder_preferences.h"
#include "store_fixture.h"

#include <QDir>

namespace {

struct PreferencesFixture final : ClipboardService, FileManagerService
{
    PreferencesFixture()
    {
        prefs.messageDurationMs = 40;
        QObject::connect(&prefs, &FolderPreferences::failed,
                         [this](const FileError& error) { failures.append(error); });
    }
    void setText(const QString& text) override { copied.append(text); }
    void reveal(const QString& path) override { revealed.append(path); }
    StoreFixture f;
    QStringList copied, revealed;
    QList<FileError> failures;
    FolderPreferences prefs{f.start(), {*this, *this, f.chooser()}};
};

using Confirmation = FolderPreferences::Confirmation;

} // namespace

class FolderPreferencesTest : public QObject
{
    Q_OBJECT

private slots:
    void status_data();
    void status();
    void displayPath();
    void actions();
    void useDefaultFolder();
};

void FolderPreferencesTest::status_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<FolderPreferences::Status>("status");
    QTest::addColumn<FolderPreferences::StatusColor>("color");
    using Status = FolderPreferences::Status;
    using Color = FolderPreferences::StatusColor;
    row("no folder", "", Status::NotSet, Color::Secondary);
    row("writable", "Notes", Status::Writable, Color::Green);
    row("read-only", "Locked", Status::NoAccess, Color::Red);
}

void FolderPreferencesTest::status()
{
    QFETCH(QString, folder);
    QFETCH(FolderPreferences::Status, status);
    QFETCH(FolderPreferences::StatusColor, color);
    PreferencesFixture p;
    const QString path = folder.isEmpty() ? QString() : p.f.home.makeFolder(folder);
    p.f.store().setFolderURL(path);
    if (folder == "Locked")
        TestFiles::setReadOnly(path, true);
    p.prefs.checkFolder();
    QCOMPARE(p.prefs.status(), status);
    QCOMPARE(p.prefs.statusColor(), color);
}

// Inside home, home itself, a sibling that shares its prefix, outside, home repeated later.
void FolderPreferencesTest::displayPath()
{
    QStringList shown;
    for (const char* path :
         {"/home/a/Documents/Notes", "/home/a", "/home/ab/Notes", "/srv/notes", "/home/a/x/home/a"})
        shown.append(FolderPreferences::displayPath(path, "/home/a"));
    QCOMPARE(shown,
             QStringList({"~/Documents/Notes", "~", "/home/ab/Notes", "/srv/notes", "~/x/home/a"}));
}

// What each action does to the folder, the desktop and the store.
void FolderPreferencesTest::actions()
{
    PreferencesFixture p;
    FolderPreferences& prefs = p.prefs;
    prefs.revealFolder();
    QCOMPARE(p.revealed, QStringList({p.f.folder}));
    prefs.copyPath();
    QCOMPARE(p.copied, QStringList({p.f.folder})); // the full path, never "~"
    QCOMPARE(prefs.message(), (Confirmation{Confirmation::Kind::PathCopied, {}}));

    // Refreshed: the bookmark renewed and the folder read again.
    p.f.write("Later.md", "Later");
    FolderAccess::clearBookmark();
    prefs.refreshPermissions();
    settle();
    QVERIFY(TestFiles::settingsHold(FolderAccess::bookmarkKey));
    QCOMPARE(p.f.titles(), QStringList({"Later"}));
    QCOMPARE(prefs.message(), (Confirmation{Confirmation::Kind::PermissionsRefreshed, {}}));
    QTRY_VERIFY(!prefs.message());
    QVERIFY(QDir(p.f.folder).removeRecursively());
    prefs.refreshPermissions();
    QCOMPARE(p.failures.value(0), FileError::folderNotOpened(p.f.folder, ENOENT));
    QVERIFY(!prefs.message());

    // Cleared: the bookmark goes and the chooser opens.
    prefs.clearAndReselect();
    QVERIFY(!TestFiles::settingsHold(FolderAccess::bookmarkKey));
    QCOMPARE(p.f.store().folderURL(), QString());
    QCOMPARE(prefs.message(), (Confirmation{Confirmation::Kind::FolderCleared, {}}));
    QVERIFY(p.f.panel.isOpen());
}

// Refused with the system's reason when it cannot be made; made, or taken as it is, otherwise.
void FolderPreferencesTest::useDefaultFolder()
{
    PreferencesFixture p;
    FolderPreferences& prefs = p.prefs;
    TestFiles::setReadOnly(p.f.home.path(), true);
    prefs.useDefaultFolder();
    TestFiles::setReadOnly(p.f.home.path(), false);
    QCOMPARE(p.failures.value(0),
             FileError::folderNotCreated(p.f.home.path() + "/Documents/Notes", EACCES));
    QCOMPARE(p.f.store().folderURL(), p.f.folder);
    QVERIFY(!prefs.message());
    const QString documentsNotes = p.f.home.path() + "/Documents/Notes";
    for (int time = 0; time < 2; ++time) { // missing, then already there
        prefs.useDefaultFolder();
        QCOMPARE(p.f.store().folderURL(), documentsNotes);
        QCOMPARE(FolderAccess::restoreFolder(), documentsNotes);
        QCOMPARE(prefs.message(), (Confirmation{Confirmation::Kind::UsingFolder, documentsNotes}));
    }
    QCOMPARE(p.failures.size(), 1);
}

QUILLBOX_TEST_MAIN(FolderPreferencesTest)
#include "tst_folder_preferences.moc"
