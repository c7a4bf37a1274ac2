#include "folder/folder_access.h"
#include "store_fixture.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include <cerrno>

class FolderAccessTest : public QObject
{
    Q_OBJECT

private slots:
    void canWrite_data();
    void canWrite();
    void bookmark();
    void chooserStartFolder();
    void startUpKeepsTheFolder_data();
    void startUpKeepsTheFolder();
};

void FolderAccessTest::canWrite_data()
{
    QTest::addColumn<bool>("sandboxed"); // there only a probe file tells
    row("directly", false);
    row("through a probe", true);
}

void FolderAccessTest::canWrite()
{
    QFETCH(bool, sandboxed);
    TestHome home;
    const QString marker = home.path() + "/.flatpak-info";
    if (sandboxed)
        TestFiles::write(marker, "");
    QCOMPARE(FolderAccess::isSandboxed(marker), sandboxed);
    const QString folder = home.notesFolder(), probe = folder + "/.__sx_notes_write_test";
    if (sandboxed) // left by an earlier run: replaced, then removed
        TestFiles::write(probe, "stale");
    QVERIFY(FolderAccess::canWrite(folder, nullptr, sandboxed));
    QCOMPARE(TestFiles::entries(folder), QStringList());
    if (sandboxed) { // written but not removable: unusable, the probe left as written
        QVERIFY(!FolderAccess::canWrite(
            folder, [](const QString&) { return EPERM; }, true));
        QCOMPARE(TestFiles::read(probe), QByteArray("ok"));
        QFile::remove(probe);
    }
    TestFiles::setReadOnly(folder, true);
    QVERIFY(!FolderAccess::canWrite(folder, nullptr, sandboxed));
    TestFiles::write(home.path() + "/file", "x");
    for (const QString& path : {home.path() + "/missing", home.path() + "/file", QString()})
        QVERIFY(!FolderAccess::canWrite(path, nullptr, sandboxed));
    QCOMPARE(TestFiles::entries(folder), QStringList());
}

// The folder's own path, as bytes in the settings file. A path is kept whether or not a folder
// is there now (a drive not mounted yet); a value that is no path is forgotten, one that is not
// bytes is left alone.
void FolderAccessTest::bookmark()
{
    TestHome home;
    const QString folder = home.notesFolder(), key = FolderAccess::bookmarkKey;
    QSettings settings(TestFiles::settingsFile(), QSettings::IniFormat); // sees every write
    QVERIFY(!FolderAccess::saveBookmark(folder));
    const QByteArray file = TestFiles::read(TestFiles::settingsFile());
    QVERIFY(file.contains("NotesFolderBookmark=@ByteArray(" + folder.toUtf8() + ")"));
    QCOMPARE(FolderAccess::restoreFolder(), folder);
    FolderAccess::clearBookmark();
    QCOMPARE(FolderAccess::restoreFolder(), QString());
    QVERIFY(FolderAccess::saveBookmark(home.path() + "/missing")); // an error
    QVERIFY(!settings.contains(key));
    const QString unmounted = home.path() + "/Unmounted";
    struct Stored
    {
        QVariant value;
        QString restored;
        bool kept;
    };
    for (const auto& [value, restored, kept] :
         {Stored{QByteArray("Documents/Notes"), {}, false},
          Stored{QFile::encodeName(unmounted), unmounted, true}, Stored{"/tmp", {}, true}}) {
        settings.setValue(key, value);
        QCOMPARE(FolderAccess::restoreFolder(), restored);
        QCOMPARE(settings.contains(key), kept);
    }

    // A path through a link is renewed as the real one; while that cannot be written, the
    // stored one still leads to the folder. A refused folder is not stored by a later write,
    // and the refusal tells the system's reason.
    const QString other = home.makeFolder("Other");
    QVERIFY(QFile::link(folder, home.path() + "/Shortcut"));
    settings.setValue(key, QFile::encodeName(home.path() + "/Shortcut"));
    settings.sync();
    {
        ResourceLimit full(RLIMIT_FSIZE, 4);
        const std::optional<FileError> error = FolderAccess::saveBookmark(other);
        QCOMPARE(error.value_or(FileError()), FileError::folderNotRemembered(other, EFBIG));
        QCOMPARE(FolderAccess::restoreFolder(), folder);
        QVERIFY(TestFiles::read(TestFiles::settingsFile()).contains("/Shortcut)"));
    }
    settings.setValue("Window", 1);
    settings.sync();
    QCOMPARE(FolderAccess::restoreFolder(), folder);
    QCOMPARE(settings.value(key).toByteArray(), QFile::encodeName(folder));
}

// Nothing is made: a cancelled chooser leaves no trace.
void FolderAccessTest::chooserStartFolder()
{
    TestHome home;
    const QString sync = home.makeFolder("Sync"), documents = home.path() + "/Documents";
    QCOMPARE(FolderAccess::chooserStartFolder(sync), sync);
    QCOMPARE(FolderAccess::chooserStartFolder(home.path() + "/Gone"), home.path());
    QVERIFY(!QFileInfo::exists(documents));
    QDir().mkpath(documents);
    QCOMPARE(FolderAccess::chooserStartFolder(QString()), documents);
    QDir().mkpath(documents + "/Notes");
    QCOMPARE(FolderAccess::chooserStartFolder(QString()), documents + "/Notes");
}

void FolderAccessTest::startUpKeepsTheFolder_data()
{
    QTest::addColumn<bool>("mounted");
    row("read-only: listed", true);
    row("missing: reported, listed when it is back", false);
}

// A folder that cannot be written or reached for now stays chosen, silently when it can be read.
void FolderAccessTest::startUpKeepsTheFolder()
{
    QFETCH(bool, mounted);
    StoreFixture f;
    f.write("Plan.md", "Plan");
    FolderAccess::saveBookmark(f.folder);
    const QString away = f.folder + " (unmounted)";
    TestFiles::setReadOnly(f.folder, true);
    if (!mounted)
        QVERIFY(QDir().rename(f.folder, away));
    NotesStore& store = f.start();
    QCOMPARE(store.folderURL(), f.folder);
    QVERIFY(TestFiles::settingsHold(FolderAccess::bookmarkKey));
    if (mounted) {
        QVERIFY(f.problems.isEmpty());
    } else {
        QCOMPARE(f.problems, QList<FileError>({FileError::folderNotOpened(f.folder, ENOENT)}));
        QVERIFY(QDir().rename(away, f.folder));
        f.reload();
    }
    TestFiles::setReadOnly(f.folder, false);
    QCOMPARE(f.titles(), QStringList({"Plan"}));
}

QUILLBOX_TEST_MAIN(FolderAccessTest)
#include "tst_folder_access.moc"
