#include "folder/folder_access.h"
#include "store_fixture.h"

#include <QDir>
#include <QSettings>

#include <cerrno>

namespace {

QVariant storedBookmark()
{
    return QSettings(FolderAccess::settingsFilePath(), QSettings::IniFormat)
        .value(FolderAccess::bookmarkKey);
}

void storeBookmark(const QVariant& value)
{
    QSettings(FolderAccess::settingsFilePath(), QSettings::IniFormat)
        .setValue(FolderAccess::bookmarkKey, value);
}

int refuseRemoval(const QString&)
{
    return EPERM;
}

} // namespace

class FolderAccessTest : public QObject
{
    Q_OBJECT

private slots:
    void canWrite();
    void canWriteInTheSandboxUsesAProbe();
    void bookmarkIsTheFolderPathInTheSettingsFile();
    void restoreFolder_data();
    void restoreFolder();
    void chooserStartFolder_data();
    void chooserStartFolder();
    void startUpForgetsAnUnusableFolder();
};

void FolderAccessTest::canWrite()
{
    TestHome home;
    const QString folder = home.notesFolder();
    QVERIFY(FolderAccess::canWrite(folder));
    QCOMPARE(TestFiles::entries(folder), QStringList());
    TestFiles::setReadOnly(folder, true);
    QVERIFY(!FolderAccess::canWrite(folder));
    TestFiles::setReadOnly(folder, false);
    TestFiles::write(home.path() + "/file", "x");
    for (const QString& path : {home.path() + "/missing", home.path() + "/file", QString()})
        QVERIFY2(!FolderAccess::canWrite(path), qPrintable(path));
}

void FolderAccessTest::canWriteInTheSandboxUsesAProbe()
{
    TestHome home;
    const QString marker = home.path() + "/.flatpak-info";
    QVERIFY(!FolderAccess::isSandboxed(marker));
    TestFiles::write(marker, "");
    QVERIFY(FolderAccess::isSandboxed(marker));

    const QString folder = home.notesFolder();
    const QString probe = folder + "/.__sx_notes_write_test";
    // A probe left behind by an earlier run is replaced, then removed.
    TestFiles::write(probe, "stale");
    QVERIFY(FolderAccess::canWrite(folder, nullptr, true));
    QCOMPARE(TestFiles::entries(folder), QStringList());
    // Written but not removable: unusable, and the probe stays as it was written.
    QVERIFY(!FolderAccess::canWrite(folder, &refuseRemoval, true));
    QCOMPARE(TestFiles::read(probe), QByteArray("ok"));
    QFile::remove(probe);
    TestFiles::setReadOnly(folder, true);
    QVERIFY(!FolderAccess::canWrite(folder, nullptr, true));
    TestFiles::setReadOnly(folder, false);
    QCOMPARE(TestFiles::entries(folder), QStringList());
}

void FolderAccessTest::bookmarkIsTheFolderPathInTheSettingsFile()
{
    TestHome home;
    const QString folder = home.notesFolder();
    QCOMPARE(FolderAccess::settingsFilePath(), home.path() + "/config/quillbox/quillbox.conf");
    QVERIFY(!FolderAccess::saveBookmark(folder));
    const QByteArray file = TestFiles::read(FolderAccess::settingsFilePath());
    QVERIFY2(file.contains("NotesFolderBookmark=@ByteArray(" + folder.toUtf8() + ")"), file);
    QCOMPARE(FolderAccess::restoreFolder(), folder);
    FolderAccess::clearBookmark();
    QVERIFY(!storedBookmark().isValid());
    const std::optional<FileError> error = FolderAccess::saveBookmark(home.path() + "/missing");
    QCOMPARE(error ? error->message : QString(), "The folder “missing” couldn’t be opened.");
    QVERIFY(!storedBookmark().isValid());

    // A path through a link is renewed as the real one; when that cannot be stored, the
    // folder is forgotten.
    QVERIFY(QFile::link(folder, home.path() + "/Shortcut"));
    storeBookmark(QFile::encodeName(home.path() + "/Shortcut"));
    QCOMPARE(FolderAccess::restoreFolder(), folder);
    QCOMPARE(storedBookmark().toByteArray(), QFile::encodeName(folder));
    storeBookmark(QFile::encodeName(home.path() + "/Shortcut"));
    TestFiles::setReadOnly(FolderAccess::settingsFilePath(), true);
    TestFiles::setReadOnly(home.path() + "/config/quillbox", true);
    QCOMPARE(FolderAccess::restoreFolder(), QString());
    TestFiles::setReadOnly(home.path() + "/config/quillbox", false);
}

void FolderAccessTest::restoreFolder_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<bool>("keptAfterwards");
    row("nothing stored", QVariant(), false);
    row("not data", QVariant(QStringLiteral("/tmp")), true);
    row("empty", QVariant(QByteArray()), false);
    row("relative", QVariant(QByteArray("Documents/Notes")), false);
    row("gone", QVariant(QByteArray("/nonexistent/Notes")), false);
    row("a file", QVariant(QByteArray("/etc/hostname")), false);
}

void FolderAccessTest::restoreFolder()
{
    QFETCH(QVariant, stored);
    QFETCH(bool, keptAfterwards);
    TestHome home;
    if (stored.isValid())
        storeBookmark(stored);
    QCOMPARE(FolderAccess::restoreFolder(), QString());
    QCOMPARE(storedBookmark().isValid(), keptAfterwards);
}

void FolderAccessTest::chooserStartFolder_data()
{
    QTest::addColumn<QString>("inTheWay"); // a file where a folder would be
    QTest::addColumn<QString>("current");  // the folder in use
    QTest::addColumn<QString>("expected");
    row("default folder, made", QString(), QString(), "<home>/Documents/Notes");
    row("Documents", "Documents/Notes", QString(), "<home>/Documents");
    row("neither home nor here", "Documents", QString(), "/");
    row("the folder in use", "Documents", "<home>/Sync", "<home>/Sync");
    row("a folder in use that is gone", QString(), "<home>/Gone", "<home>/Documents/Notes");
}

// Launched from a menu the working directory is home: Enter there must not take it.
void FolderAccessTest::chooserStartFolder()
{
    QFETCH(QString, inTheWay);
    QFETCH(QString, current);
    QFETCH(QString, expected);
    TestHome home;
    home.makeFolder("Sync");
    if (inTheWay.contains('/'))
        home.makeFolder(inTheWay.section('/', 0, 0));
    if (!inTheWay.isEmpty())
        TestFiles::write(home.path() + '/' + inTheWay, "not a folder");
    const QString before = QDir::currentPath();
    QDir::setCurrent(home.path());
    const QString start =
        FolderAccess::chooserStartFolder(QString(current).replace("<home>", home.path()));
    QDir::setCurrent(before);
    QCOMPARE(start, QString(expected).replace("<home>", home.path()));
    QVERIFY(QFileInfo(start).isDir());
    QCOMPARE(FolderAccess::defaultFolderURL(), home.path() + "/Documents/Notes");
}

void FolderAccessTest::startUpForgetsAnUnusableFolder()
{
    StoreFixture f;
    f.write("Note.md", "text");
    TestFiles::setReadOnly(f.folder, true);
    NotesStore& store = f.start();
    TestFiles::setReadOnly(f.folder, false);
    QCOMPARE(store.folderURL(), QString());
    QVERIFY(store.notes().isEmpty() && !store.selectedNote());
    QVERIFY(!storedBookmark().isValid());
    QVERIFY(f.alerts.shown.isEmpty());
}

QUILLBOX_TEST_MAIN(FolderAccessTest)
#include "tst_folder_access.moc"
