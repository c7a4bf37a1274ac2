#include "store/conflict_copies.h"
#include "store/naming.h"
#include "test_support.h"

#include <QDir>

class NamingTest : public QObject
{
    Q_OBJECT

private slots:
    void derivedTitle_data();
    void derivedTitle();
    void sanitizedFileName_data();
    void sanitizedFileName();
    void namesAreUniqueWithinTheByteLimit();
    void fileNamesKeepTheirBytes_data();
    void fileNamesKeepTheirBytes();
    void conflictCopies_data();
    void conflictCopies();
    void conflictCopyKeepsItsDate();
};

void NamingTest::derivedTitle_data()
{
    QTest::addColumn<QString>("content");
    QTest::addColumn<QString>("title");
    row("leading blank lines, padded", "\n\n  Shopping list  \nmilk", "Shopping list");
    row("blank first line wins over later text", "   \nShopping list", "Fallback");
    row("only line breaks", "\r\n\n\u2028\u2029\v\f", "Fallback");
    row("CRLF", "a\r\nb", "a");
    row("NEL ends the line", QString::fromUtf8("one\u0085two"), "one");
    row("no-break spaces trimmed, inner kept", QString::fromUtf8("\u00a0\u3000two  words\u2003\t"),
        "two  words");
    row("byte-order mark", QString::fromUtf8("\uFEFFTitle\nbody"), "Title");
    row("heading marker", "# pampick\nbody", "pampick");
    row("sixth level, tab, indented", "  ######\tDeep  ", "Deep");
    row("marker with nothing after it", "#  \nlater", "Fallback");
    row("hashtag", "#hashtag", "#hashtag");
    row("hash alone", "#", "#");
    row("seven hashes are no heading", "####### seven", "####### seven");
}

void NamingTest::derivedTitle()
{
    QFETCH(QString, content);
    QFETCH(QString, title);
    QCOMPARE(Naming::derivedTitle(content, QStringLiteral("Fallback")), title);
}

void NamingTest::sanitizedFileName_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("name");
    row("all nine forbidden", "a/:?%*|\"<>b", "a---------b");
    row("white space runs", "  two   words\there ", "two words here");
    row("only white space", " \t\u3000 ", "Untitled");
    row("backslash stays", "a\\b", "a\\b");
    row("each leading full stop, after spaces", "  ...and so", "---and so");
    row("control characters", "Groceries" + QString(QChar(0)) + " list\u0007\u007F",
        "Groceries- list--");
    row("130 characters", QString(130, u'x'), QString(120, u'x'));
    row("cut keeps a space at the cut", QString(119, u'z') + " tail", QString(119, u'z') + " ");
    const QString accented = QStringLiteral("e\u0301"); // one character, two code points
    row("graphemes, not code points", QString(119, u'x') + accented + accented,
        QString(119, u'x') + accented);
    // 261 bytes of one character: cut between its code points, never to a hidden ".md".
    row("one character longer than a name", "e" + QString(130, QChar(0x301)),
        "e" + QString(119, QChar(0x301)));
}

void NamingTest::sanitizedFileName()
{
    QFETCH(QString, title);
    QFETCH(QString, name);
    QCOMPARE(Naming::sanitizedFileName(title), name);
}

void NamingTest::namesAreUniqueWithinTheByteLimit()
{
    TestHome home;
    const QString folder = home.notesFolder(), foo2 = folder + "/Foo (2).md";
    TestFiles::write(folder + "/Foo.md", "Foo");
    QCOMPARE(Naming::uniqueFileURL(folder, "Foo"), foo2);
    TestFiles::write(foo2, "Foo");
    QCOMPARE(Naming::uniqueFileURL(folder, "Foo"), folder + "/Foo (3).md");
    // A note keeps its own numbered file while the plain name belongs to another.
    QCOMPARE(Naming::uniqueFileURL(folder, "Foo", foo2), foo2);
    QCOMPARE(Naming::uniqueFileURL(folder, "Gone", folder + "/Gone.md"), folder + "/Gone.md");
    // A folder or a dangling link of that name is taken too.
    QVERIFY(QDir().mkdir(folder + "/Bar.md") &&
            QFile::link(folder + "/nowhere", folder + "/Baz.md"));
    QCOMPARE(Naming::uniqueFileURL(folder, "Bar"), folder + "/Bar (2).md");
    QCOMPARE(Naming::uniqueFileURL(folder, "Baz"), folder + "/Baz (2).md");

    // A title cut to fit leaves room for any number; the cut falls between characters.
    const QString family = QString::fromUtf8("\U0001F468\u200D\U0001F469\u200D\U0001F467");
    for (const QString& title :
         {QString(130, QChar(0x6F22)), QString::fromUtf8("\U0001F600").repeated(130),
          family.repeated(40), "note " + QString(118, QChar(0x00E9))}) {
        const QString base = Naming::sanitizedFileName(title);
        QVERIFY((base + QStringLiteral(" (4294967297).md")).toUtf8().size() <= 255);
        QVERIFY(!base.isEmpty() && title.startsWith(base));
        QCOMPARE(Naming::sanitizedFileName(base), base);
    }
    // A base that fills the name to the byte, then needs a number: the base gives way.
    const QString base = QString(84, QChar(0x6F22));
    const QString first = Naming::uniqueFileURL(folder, base);
    QCOMPARE(Naming::fileName(first).toUtf8().size(), 255);
    TestFiles::write(first, "x");
    const QString second = Naming::uniqueFileURL(folder, base);
    QCOMPARE(Naming::fileName(second), QString(82, QChar(0x6F22)) + " (2).md");
    TestFiles::write(second, "x"); // a name Linux takes
    // Cut to nothing, a base would name a hidden ".md"; a cut never splits a code point.
    QCOMPARE(Naming::uniqueFileURL(folder, QString()), folder + "/Untitled.md");
    const QString smile = QString::fromUtf8("\U0001F600");
    QCOMPARE(Naming::fitToBytes(smile + QString(9, QChar(0x301)), 5), smile);

    // A name taken a thousand times over ends the search instead of looping on.
    for (int n = 3; n <= Naming::maxNameAttempts + 1; ++n)
        TestFiles::write(folder + QStringLiteral("/Foo (%1).md").arg(n), "");
    QCOMPARE(Naming::uniqueFileURL(folder, "Foo"), QString());
}

void NamingTest::fileNamesKeepTheirBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("valid");
    row("UTF-8", QByteArray("caf\xC3\xA9.md"), true);
    row("Latin-1", QByteArray("caf\xE9.md"), false);
    row("overlong slash", QByteArray("a\xC0\xAF.md"), false);
    row("encoded surrogate", QByteArray("\xED\xA0\x80.md"), false);
}

void NamingTest::fileNamesKeepTheirBytes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, valid);
    const QString path = Naming::pathFromBytes(bytes);
    QCOMPARE(Naming::pathBytes(path), bytes);
    QCOMPARE(Naming::isValidUtf8Name(path), valid);
    // Never the same as the name a lossy decoding would give, which may exist too.
    QCOMPARE(path == QString::fromUtf8(bytes), valid);
    QVERIFY(!Naming::readableName(path).contains(QChar(0xDCE9)));
}

void NamingTest::conflictCopies_data()
{
    QTest::addColumn<QString>("baseName");
    QTest::addColumn<QString>("original");
    row("Syncthing, dotted name", "v1.2 notes.sync-conflict-20261206-101500-7QXZ4RT", "v1.2 notes");
    row("Nextcloud with the user", "Plan (conflicted copy ana 2026-12-06 101500)", "Plan");
    row("Dropbox, second copy", "Plan (Ana's MacBook's conflicted copy 2026-12-06) (1)", "Plan");
    row("ours, numbered", "Plan (conflict 2026-12-06 101500) (2)", "Plan");
    row("parentheses in the name", "Plan (draft) (conflict 2026-12-06 101500)", "Plan (draft)");
    row("non-ASCII name", QString::fromUtf8("Café ☕.sync-conflict-20261206-101500-ABCDEFG"),
        QString::fromUtf8("Café ☕"));
    row("a copy of a copy", "Plan (conflict 2026-12-06 101500) (conflict 2026-12-07 090000)",
        "Plan (conflict 2026-12-06 101500)");
    row("numbered note", "Plan (2)", "");
    row("time cut short", "Plan (conflict 2026-12-06 1015)", "");
    row("text after the copy", "Plan.sync-conflict-20261206-101500-ABCDEFG old", "");
}

void NamingTest::conflictCopies()
{
    QFETCH(QString, baseName);
    QFETCH(QString, original);
    QCOMPARE(ConflictCopies::originalOf(baseName), original);
    // The copies we make are recognised as what they are.
    const QString ours = ConflictCopies::ourCopyName(
        baseName, QDateTime(QDate(2026, 12, 6), QTime(7, 5, 9)), Naming::maxFileNameBytes);
    QCOMPARE(ConflictCopies::originalOf(ours), baseName);
    QVERIFY(ours.endsWith(QStringLiteral(" (conflict 2026-12-06 070509)")));
}

// A long name is cut to make room, whole characters only: the date marks the copy.
void NamingTest::conflictCopyKeepsItsDate()
{
    const QString ours = ConflictCopies::ourCopyName(
        QString(60, u'é'), QDateTime(QDate(2026, 12, 6), QTime(7, 5, 9)), 100);
    QCOMPARE(ours, QString(35, u'é') + " (conflict 2026-12-06 070509)");
}

QUILLBOX_TEST_MAIN(NamingTest)
#include "tst_naming.moc"
