#include "folder/clipboard_service.h"
#include "folder/file_manager_service.h"
#include "folder/folder_access.h"
#include "folder/folder_preferences.h"
#include "store_fixture.h"

#include <QDir>
#include <QElapsedTimer>

namespace {

// Records what reaches the desktop; the preferences over the store, made on first use.
struct PreferencesFixture final : ClipboardService, FileManagerService
{
    PreferencesFixture() { f.start(); }
    void setText(const QString& text) override { copied.append(text); }
    void reveal(const QString& path) override { revealed.append(path); }
    FolderPreferences& prefs()
    {
        if (!model) {
            model = std::make_unique<FolderPreferences>(
                f.store(), FolderPreferences::Services{*this, *this, f.chooser()});
            model->messageDurationMs = 40;
            model->recheckDelayMs = 10;
        }
        return *model;
    }

    StoreFixture f;
    QStringList copied, revealed;
    std::unique_ptr<FolderPreferences> model;
};

} // namespace

class FolderPreferencesTest : public QObject
{
    Q_OBJECT

private slots:
    void status_data();
    void status();
    void displayPath();
    void actions();
    void useDefaultFolder_data();
    void useDefaultFolder();
};

void FolderPreferencesTest::status_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<QString>("text");
    QTest::addColumn<FolderPreferences::StatusColor>("color");
    using enum FolderPreferences::StatusColor;
    row("no folder", "", true, "Not set", Secondary);
    row("not checked yet", "Notes", false, "Checking…", Secondary);
    row("writable", "Notes", true, "Writable", Green);
    row("read-only", "Locked", true, "No access to Locked", Red);
}

void FolderPreferencesTest::status()
{
    QFETCH(QString, folder);
    QFETCH(bool, checked);
    QFETCH(QString, text);
    QFETCH(FolderPreferences::StatusColor, color);
    PreferencesFixture p;
    const QString path = folder.isEmpty() ? QString() : p.f.home.makeFolder(folder);
    p.f.store().setFolderURL(path); // checks, through the change signal
    FolderPreferences& prefs = p.prefs();
    if (folder == "Locked")
        TestFiles::setReadOnly(path, true);
    if (checked)
        prefs.checkFolder();
    QCOMPARE(prefs.statusText(), text);
    QCOMPARE(prefs.statusColor(), color);
    if (folder == "Locked")
        TestFiles::setReadOnly(path, false);
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

// Each action with a folder, and none of them without one; each message stays its own time.
void FolderPreferencesTest::actions()
{
    PreferencesFixture p;
    FolderPreferences& prefs = p.prefs();
    QCOMPARE(prefs.displayPath(), QStringLiteral("~/Notes"));
    prefs.revealFolder();
    QCOMPARE(p.revealed, QStringList({p.f.folder}));
    prefs.messageDurationMs = 300;
    prefs.copyPath();
    QCOMPARE(p.copied, QStringList({p.f.folder})); // the full path, never "~"
    QCOMPARE(prefs.message(), std::optional<QString>("Path copied to clipboard"));
    QTest::qWait(150);

    // Refreshed: the bookmark renewed and the folder read again.
    p.f.write("Later.md", "Later");
    FolderAccess::clearBookmark();
    prefs.refreshPermissions();
    QElapsedTimer clock;
    clock.start();
    settle();
    QVERIFY(TestFiles::settingsHold(FolderAccess::bookmarkKey));
    QCOMPARE(p.f.titles(), QStringList({"Later"}));
    QCOMPARE(prefs.statusText(), QStringLiteral("Writable"));
    QCOMPARE(prefs.message(), std::optional<QString>("Permissions refreshed"));
    QTRY_VERIFY(!prefs.message());
    QVERIFY2(clock.elapsed() >= 280, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(QDir(p.f.folder).removeRecursively());
    prefs.refreshPermissions();
    QCOMPARE(p.f.alerts.shown.size(), 1);
    QVERIFY(p.f.alerts.shown[0].isError);
    QCOMPARE(p.f.alerts.shown[0].message, QStringLiteral("The folder “Notes” couldn’t be opened."));
    QVERIFY(!prefs.message());

    // Cleared: the bookmark goes and the chooser opens.
    prefs.clearAndReselect();
    QVERIFY(!TestFiles::settingsHold(FolderAccess::bookmarkKey));
    QCOMPARE(p.f.store().folderURL(), QString());
    QCOMPARE(prefs.statusText(), QStringLiteral("Not set"));
    QCOMPARE(prefs.message(),
             std::optional<QString>("Folder cleared — please choose a new folder"));
    QVERIFY(p.f.panel.isOpen());
    settle();
    QVERIFY(p.f.store().notes().isEmpty());
    QCOMPARE(prefs.displayPath(), QStringLiteral("No folder selected"));
    prefs.revealFolder();
    prefs.copyPath();
    prefs.refreshPermissions();
    QCOMPARE(p.revealed.size(), 1);
    QCOMPARE(p.copied.size(), 1);
    QCOMPARE(p.f.alerts.shown.size(), 1);
}

void FolderPreferencesTest::useDefaultFolder_data()
{
    QTest::addColumn<QString>("file"); // where the folder should be
    QTest::addColumn<bool>("readOnlyHome");
    QTest::addColumn<QString>("reason");
    row("missing, then already there", QString(), false, QString());
    row("Documents is a file", "Documents", false, "Not a directory");
    row("Notes is a file", "Documents/Notes", false, "File exists");
    row("home is read-only", QString(), true, "Permission denied");
}

void FolderPreferencesTest::useDefaultFolder()
{
    QFETCH(QString, file);
    QFETCH(bool, readOnlyHome);
    QFETCH(QString, reason);
    PreferencesFixture p;
    FolderPreferences& prefs = p.prefs();
    if (file.contains('/'))
        p.f.home.makeFolder(file.section('/', 0, 0));
    if (!file.isEmpty())
        TestFiles::write(p.f.home.path() + '/' + file, "a file where the folder should be");
    TestFiles::setReadOnly(p.f.home.path(), readOnlyHome);
    prefs.useDefaultFolder();
    TestFiles::setReadOnly(p.f.home.path(), false);
    QCOMPARE(prefs.statusText(), QStringLiteral("Writable"));
    if (!reason.isEmpty()) {
        QCOMPARE(p.f.alerts.shown.size(), 1);
        QCOMPARE(p.f.alerts.shown[0].message,
                 QStringLiteral("The folder “Notes” couldn’t be created."));
        QCOMPARE(p.f.alerts.shown[0].informativeText, reason);
        QCOMPARE(p.f.store().folderURL(), p.f.folder);
        QVERIFY(!prefs.message());
        return;
    }
    const QString documentsNotes = p.f.home.path() + "/Documents/Notes";
    prefs.useDefaultFolder();
    QCOMPARE(p.f.store().folderURL(), documentsNotes);
    QCOMPARE(FolderAccess::restoreFolder(), documentsNotes);
    QCOMPARE(prefs.message(), std::optional<QString>("Using ~/Documents/Notes"));
    QVERIFY(p.f.alerts.shown.isEmpty());
}

QUILLBOX_TEST_MAIN(FolderPreferencesTest)
#include "tst_folder_preferences.moc"
