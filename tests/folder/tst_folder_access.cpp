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
    const QString folder = home.notesFolder();
    const QString probe = folder + "/.__sx_notes_write_test";
    if (sandboxed) // left by an earlier run: replaced, then removed
        TestFiles::write(probe, "stale");
    QVERIFY(FolderAccess::canWrite(folder, nullptr, sandboxed));
    QCOMPARE(TestFiles::entries(folder), QStringList());
    if (sandboxed) { // written but not removable: unusable, the probe left as written
        QVERIFY(!FolderAccess::canWrite(folder, &refuseRemoval, true));
        QCOMPARE(TestFiles::read(probe), QByteArray("ok"));
        QFile::remove(probe);
    }
    TestFiles::setReadOnly(folder, true);
    QVERIFY(!FolderAccess::canWrite(folder, nullptr, sandboxed));
    TestFiles::setReadOnly(folder, false);
    TestFiles::write(home.path() + "/file", "x");
    for (const QString& path : {home.path() + "/missing", home.path() + "/file", QString()})
        QVERIFY2(!FolderAccess::canWrite(path, nullptr, sandboxed), qPrintable(path));
    QCOMPARE(TestFiles::entries(folder), QStringList());
}

// The folder's own path, as bytes in the settings file; a value that names no folder is
// forgotten, one that is not a path at all is left alone.
void FolderAccessTest::bookmark()
{
    TestHome home;
    const QString folder = home.notesFolder();
    QCOMPARE(FolderAccess::settingsFilePath(), home.path() + "/config/quillbox/quillbox.conf");
    QVERIFY(!FolderAccess::saveBookmark(folder));
    const QByteArray file = TestFiles::read(FolderAccess::settingsFilePath());
    QVERIFY2(file.contains("NotesFolderBookmark=@ByteArray(" + folder.toUtf8() + ")"), file);
    QCOMPARE(FolderAccess::restoreFolder(), folder);
    FolderAccess::clearBookmark();
    QCOMPARE(FolderAccess::restoreFolder(), QString());
    const std::optional<FileError> error = FolderAccess::saveBookmark(home.path() + "/missing");
    QCOMPARE(error ? error->message : QString(), "The folder “missing” couldn’t be opened.");
    QVERIFY(!storedBookmark().isValid());
    for (const QVariant& stored :
         {QVariant(QByteArray()), QVariant(QByteArray("Documents/Notes")),
          QVariant(QByteArray("/nonexistent/Notes")), QVariant(QByteArray("/etc/hostname")),
          QVariant(QStringLiteral("/tmp"))}) {
        storeBookmark(stored);
        QCOMPARE(FolderAccess::restoreFolder(), QString());
        QCOMPARE(storedBookmark().isValid(), stored.typeId() == QMetaType::QString);
    }

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

// Launched from a menu the working directory is home: Enter there must not take it.
void FolderAccessTest::chooserStartFolder()
{
    // A file where a folder would be, the folder in use, the folder the chooser starts in.
    const QList<std::array<QString, 3>> cases{
        {"", "", "<home>/Documents/Notes"}, // the default folder, made
        {"Documents/Notes", "", "<home>/Documents"},
        {"Documents", "", "/"}, // neither home nor the working directory
        {"Documents", "<home>/Sync", "<home>/Sync"},
        {"", "<home>/Gone", "<home>/Documents/Notes"}};
    QStringList starts, expected;
    for (const auto& [inTheWay, current, start] : cases) {
        TestHome home;
        home.makeFolder("Sync");
        if (inTheWay.contains('/'))
            home.makeFolder(inTheWay.section('/', 0, 0));
        if (!inTheWay.isEmpty())
            TestFiles::write(home.path() + '/' + inTheWay, "not a folder");
        const QString before = QDir::currentPath();
        QDir::setCurrent(home.path());
        const QString chosen =
            FolderAccess::chooserStartFolder(QString(current).replace("<home>", home.path()));
        QDir::setCurrent(before);
        QVERIFY(QFileInfo(chosen).isDir());
        starts.append(QString(chosen).replace(home.path(), "<home>"));
        expected.append(start);
    }
    QCOMPARE(starts, expected);
}

void FolderAccessTest::startUpForgetsAnUnusableFolder()
{
    StoreFixture f;
    TestFiles::setReadOnly(f.folder, true);
    NotesStore& store = f.start();
    TestFiles::setReadOnly(f.folder, false);
    QCOMPARE(store.folderURL(), QString());
    QVERIFY(!storedBookmark().isValid());
    QVERIFY(f.alerts.shown.isEmpty());
}

QUILLBOX_TEST_MAIN(FolderAccessTest)
#include "tst_folder_access.moc"
