#include "folder/folder_access.h"
#include "store_fixture.h"

#include <QDir>
#include <QSettings>

#include <cerrno>

namespace {} // namespace

class FolderAccessTest : public QObject
{
    Q_OBJECT

private slots:
    void canWrite_data();
    void canWrite();
    void bookmark();
    void chooserStartFolder();
    void startUpForgetsAnUnusableFolder();
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

// The folder's own path, as bytes in the settings file; a value that names no folder is
// forgotten, one that is not a path at all is left alone.
void FolderAccessTest::bookmark()
{
    TestHome home;
    const QString folder = home.notesFolder(), key = FolderAccess::bookmarkKey;
    QSettings settings(FolderAccess::settingsFilePath(), QSettings::IniFormat); // sees every write
    QVERIFY(!FolderAccess::saveBookmark(folder));
    const QByteArray file = TestFiles::read(FolderAccess::settingsFilePath());
    QVERIFY(file.contains("NotesFolderBookmark=@ByteArray(" + folder.toUtf8() + ")"));
    QCOMPARE(FolderAccess::restoreFolder(), folder);
    FolderAccess::clearBookmark();
    QCOMPARE(FolderAccess::restoreFolder(), QString());
    QVERIFY(FolderAccess::saveBookmark(home.path() + "/missing")); // an error
    QVERIFY(!settings.contains(key));
    for (const QVariant& stored : {QVariant(QByteArray("Documents/Notes")),
                                   QVariant(QByteArray("/etc/hostname")), QVariant("/tmp")}) {
        settings.setValue(key, stored);
        QCOMPARE(FolderAccess::restoreFolder(), QString());
        QCOMPARE(settings.contains(key), stored.typeId() == QMetaType::QString);
    }

    // A path through a link is renewed as the real one.
    QVERIFY(QFile::link(folder, home.path() + "/Shortcut"));
    settings.setValue(key, QFile::encodeName(home.path() + "/Shortcut"));
    QCOMPARE(FolderAccess::restoreFolder(), folder);
    QCOMPARE(settings.value(key).toByteArray(), QFile::encodeName(folder));
}

// Never empty: launched from a menu, the working directory is home, and Enter there would take it.
void FolderAccessTest::chooserStartFolder()
{
    TestHome home;
    const QString sync = home.makeFolder("Sync"), documents = home.path() + "/Documents";
    QCOMPARE(FolderAccess::chooserStartFolder(sync), sync);
    QCOMPARE(FolderAccess::chooserStartFolder(home.path() + "/Gone"), documents + "/Notes");
    QVERIFY(QDir().rmdir(documents + "/Notes")); // made
    TestFiles::write(documents + "/Notes", "");
    QCOMPARE(FolderAccess::chooserStartFolder(QString()), documents);
    QVERIFY(QDir(documents).removeRecursively());
    TestFiles::write(documents, "");
    QCOMPARE(FolderAccess::chooserStartFolder(QString()), "/");
}

void FolderAccessTest::startUpForgetsAnUnusableFolder()
{
    StoreFixture f;
    TestFiles::setReadOnly(f.folder, true);
    NotesStore& store = f.start();
    TestFiles::setReadOnly(f.folder, false);
    QCOMPARE(store.folderURL(), QString());
    QVERIFY(!TestFiles::settingsHold(FolderAccess::bookmarkKey));
    QVERIFY(f.alerts.shown.isEmpty());
}

QUILLBOX_TEST_MAIN(FolderAccessTest)
#include "tst_folder_access.moc"
