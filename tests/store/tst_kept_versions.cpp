#include "store/recovery_folder.h"
#include "store_fixture.h"

#include <QSignalSpy>
#include <QTest>

using Kind = HistoryStore::Kind;

// What the store puts into the history as the user and other programs change a note.
class KeptVersionsTest : public QObject
{
    Q_OBJECT

private slots:
    void whatIsKept_data();
    void whatIsKept();
    void aDeletedNoteComesBackUnderAFreeName();
    void historyThatCannotBeKeptNeverStopsASave();
    void recoveredTextComesHomeOnce();
};

namespace {

// In the order of the kinds.
QString kindName(Kind kind)
{
    static const QStringList names{
        "saved",         "before-merge",  "before-copy",    "replaced", "theirs",
        "before-rename", "before-delete", "before-restore", "merged",   "restored",
        "recovered",     "before-save",   "conflict-copy"};
    return names.value(int(kind));
}

} // namespace

// Steps, each "<verb> <file> [text]" with \n for a line break in text: "type" and "save" are
// the user's, "write", "move" and "remove" another program's (seen at the next "reload"),
// "tick" lets a minute pass, "trash" deletes, "restore" brings the text back. Then the
// versions of the last step's file, newest first.
void KeptVersionsTest::whatIsKept_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("kept");
    QTest::newRow("loading keeps nothing") << QStringList{"reload Plan.md"} << QStringList{};
    QTest::newRow("typing on is one version; the text found first is kept too")
        << QStringList{"type Plan.md Plan\\na", "save Plan.md", "type Plan.md Plan\\nab",
                       "save Plan.md"}
        << QStringList{"saved Plan\nab", "before-save Plan"};
    QTest::newRow("a new title renames: the history follows")
        << QStringList{"type Plan.md Goals", "save Goals.md"}
        << QStringList{"saved Goals", "before-rename Plan"};
    QTest::newRow("another program's version, and ours before it")
        << QStringList{"type Plan.md Plan\\nmine", "save Plan.md", "write Plan.md Plan\\ntheirs",
                       "reload Plan.md"}
        << QStringList{"theirs Plan\ntheirs", "saved Plan\nmine", "before-save Plan"};
    QTest::newRow("their lines joined into ours")
        << QStringList{"type Plan.md Plan\\nmine\\n\\nend", "save Plan.md",
                       "type Plan.md Plan\\nmine\\n\\nend\\nmore",
                       "write Plan.md Plan\\ntheirs\\n\\nend", "save Plan.md"}
        << QStringList{"merged Plan\ntheirs\n\nend\nmore", "before-merge Plan\ntheirs\n\nend",
                       "saved Plan\nmine\n\nend", "before-save Plan"};
    QTest::newRow("ours went beside theirs: both kept, to compare")
        << QStringList{"type Plan.md Plan\\nmine",
                       "save Plan.md",
                       "type Plan.md Plan\\nmine too",
                       "write Plan.md Plan\\ntheirs",
                       "save Plan.md",
                       "reload Plan.md"}
        << QStringList{"theirs Plan\ntheirs", "replaced Plan\nmine", "conflict-copy Plan\nmine too",
                       "saved Plan\nmine", "before-save Plan"};
    QTest::newRow("renamed by another program")
        << QStringList{"type Plan.md Plan\\nmine", "save Plan.md", "move Plan.md Old plan.md",
                       "reload Old plan.md"}
        << QStringList{"saved Plan\nmine", "before-save Plan"};
    QTest::newRow("deleted by another program")
        << QStringList{"remove Plan.md", "reload Plan.md"} << QStringList{"before-delete Plan"};
    QTest::newRow("deleted here") << QStringList{"trash Plan.md"}
                                  << QStringList{"before-delete Plan"};
    QTest::newRow("a restore keeps what it replaces")
        << QStringList{"type Plan.md Plan\\nnew", "save Plan.md", "tick",
                       "type Plan.md Plan\\nnewer", "restore Plan.md Plan\\nold"}
        << QStringList{"restored Plan\nold", "before-restore Plan\nnewer", "saved Plan\nnew",
                       "before-save Plan"};
}

void KeptVersionsTest::whatIsKept()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, kept);
    StoreFixture f;
    f.write("Plan.md", "Plan");
    NotesStore& store = f.start();
    store.setWatching(false);
    QString last;
    for (const QString& step : std::as_const(steps)) {
        const QString verb = step.section(' ', 0, 0);
        QString rest = step.section(' ', 1);
        // File names here have at most one space, texts none before their first line break.
        const qsizetype md = rest.indexOf(".md");
        last = rest.left(md + 3);
        const QString text = rest.mid(md + 4).replace("\\n", "\n");
        if (verb == "move")
            last = text;
        f.clock.current = f.clock.current.addSecs(1);
        if (verb == "type")
            f.type(last, text);
        else if (verb == "save")
            f.commit(f.note(last).url.isEmpty() ? "Plan.md" : last);
        else if (verb == "tick")
            f.clock.current = f.clock.current.addSecs(300);
        else if (verb == "write")
            f.write(last, text.toUtf8(), Day::wednesday);
        else if (verb == "move")
            QVERIFY(QFile::rename(f.path("Plan.md"), f.path(text)));
        else if (verb == "remove")
            QVERIFY(QFile::remove(f.path(last)));
        else if (verb == "reload")
            f.reload();
        else if (verb == "trash")
            QVERIFY(store.moveToTrash(*store.saveBeforeDelete(f.path(last))));
        else if (verb == "restore")
            QVERIFY(store.restoreVersion(f.path(last), text));
        settle();
    }
    if (steps.last().startsWith("restore"))
        QCOMPARE(f.read(last), steps.last().section(".md ", 1).replace("\\n", "\n").toUtf8());
    QStringList found;
    History& history = store.history();
    for (const HistoryStore::Version& version : history.versions(f.path(last)))
        found.append(kindName(version.kind) + ' ' + history.text(version.id).value_or("?"));
    QCOMPARE(found.join(" | "), kept.join(" | "));
}

void KeptVersionsTest::aDeletedNoteComesBackUnderAFreeName()
{
    StoreFixture f;
    f.write("Plan.md", "Plan\nold");
    NotesStore& store = f.start();
    QVERIFY(store.moveToTrash(f.path("Plan.md")));
    f.write("Plan.md", "Plan\nsomeone else's");
    f.reload();

    const NotesStore::Restored restored = store.restoreDeleted(f.path("Plan.md"), "Plan\nold");
    QCOMPARE(restored.url.value_or(""), f.path("Plan (2).md"));
    QCOMPARE(f.read("Plan (2).md"), QByteArray("Plan\nold"));
    QCOMPARE(f.read("Plan.md"), QByteArray("Plan\nsomeone else's"));
    QCOMPARE(store.selectedNote()->url, f.path("Plan (2).md"));
    // Its earlier versions came with it.
    QCOMPARE(store.history().versions(f.path("Plan (2).md")).size(), 1);

    // Deleted for good, a note comes back from its history.
    f.clock.current = f.clock.current.addSecs(60);
    QVERIFY(!store.removePermanently(f.path("Plan.md")));
    QVERIFY(!store.deletedNoteInTrash());
    QVERIFY(!store.undoDelete());
    QCOMPARE(f.read("Plan.md"), QByteArray("Plan\nsomeone else's"));
    QCOMPARE(store.selectedNote()->url, f.path("Plan.md"));
}

void KeptVersionsTest::historyThatCannotBeKeptNeverStopsASave()
{
    StoreFixture f;
    f.home.makeFolder(".local/state");
    TestFiles::write(f.home.path() + "/.local/state/quillbox", "a file where the folder should be");
    f.write("Plan.md", "Plan");
    NotesStore& store = f.start();
    QSignalSpy problems(&store.history(), &History::problem);
    // Said at the start, before anyone could listen here; choosing the folder tries again.
    store.setFolderURL(f.folder);
    for (const char* text : {"Plan\none", "Plan\ntwo"}) {
        f.type("Plan.md", text);
        f.commit("Plan.md");
        QCOMPARE(f.read("Plan.md"), QByteArray(text));
    }
    QVERIFY(store.history().flush());
    QTRY_COMPARE(problems.size(), 1);
    QCOMPARE(problems.first().at(0).value<History::Problem>(), History::Problem::NotKept);
    QVERIFY(store.history().versions(f.path("Plan.md")).isEmpty());
}

void KeptVersionsTest::recoveredTextComesHomeOnce()
{
    StoreFixture f;
    f.write("Plan.md", "Plan");
    QVERIFY(!RecoveryFolder::keep(f.path("Plan.md"), "Plan\nunsaved", false).file.isEmpty());
    NotesStore& store = f.start();
    f.type("Plan.md", "Plan\nlater");
    f.commit("Plan.md");
    store.setFolderURL(f.folder); // opened again: nothing more
    QStringList found;
    for (const HistoryStore::Version& version : store.history().versions(f.path("Plan.md")))
        found.append(kindName(version.kind) + ' ' + store.history().text(version.id).value_or("?"));
    QCOMPARE(found,
             QStringList({"saved Plan\nlater", "before-save Plan", "recovered Plan\nunsaved"}));
}

QTEST_GUILESS_MAIN(KeptVersionsTest)
#include "tst_kept_versions.moc"
