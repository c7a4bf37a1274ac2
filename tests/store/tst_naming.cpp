#include "store/conflict_copies.h"
#include "store/naming.h"
#include "store/note.h"
#include "test_support.h"

#include <QSet>

class NamingTest : public QObject
{
    Q_OBJECT

private slots:
    void derivedTitle_data();
    void derivedTitle();
    void sanitizedFileName_data();
    void sanitizedFileName();
    void fileNamesFitTheByteLimit_data();
    void fileNamesFitTheByteLimit();
    void uniqueFileURL();
    void uniqueFileURLNeverExceedsTheByteLimit();
    void fileNamesKeepTheirBytes_data();
    void fileNamesKeepTheirBytes();
    void noteFiles_data();
    void noteFiles();
    void notesAreEqualByFile();
    void conflictCopies_data();
    void conflictCopies();
};

void NamingTest::derivedTitle_data()
{
    QTest::addColumn<QString>("content");
    QTest::addColumn<QString>("title");
    const QString fallback = QStringLiteral("Fallback");
    Q_UNUSED(fallback);

    QTest::newRow("leading blank lines, padded") << "\n\n  Shopping list  \nmilk"
                                                 << "Shopping list";
    QTest::newRow("blank first line wins over later text") << "   \nShopping list"
                                                           << "Fallback";
    QTest::newRow("empty") << ""
                           << "Fallback";
    QTest::newRow("only line breaks") << "\r\n\n\u2028\u2029\v\f"
                                      << "Fallback";
    QTest::newRow("CRLF") << "a\r\nb"
                          << "a";
    QTest::newRow("NEL ends the line") << QString::fromUtf8("one\u0085two") << "one";
    QTest::newRow("line separator ends the line") << QString::fromUtf8("one\u2028two") << "one";
    QTest::newRow("no-break spaces trimmed")
        << QString::fromUtf8("\u00a0\u3000Title\u2003\t") << "Title";
    QTest::newRow("inner spaces kept") << "  two  words "
                                       << "two  words";
    QTest::newRow("byte-order mark is no part of it")
        << QString::fromUtf8("\uFEFFTitle\nbody") << "Title";
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

    QTest::newRow("slash and colon") << "a/b:c"
                                     << "a-b-c";
    QTest::newRow("question mark") << "Why?"
                                   << "Why-";
    QTest::newRow("only forbidden characters") << "???"
                                               << "---";
    QTest::newRow("all nine") << "/:?%*|\"<>"
                              << "---------";
    QTest::newRow("white space runs") << "  two   words\there "
                                      << "two words here";
    QTest::newRow("only white space") << " \t\u3000 "
                                      << "Untitled";
    QTest::newRow("backslash stays") << "a\\b"
                                     << "a\\b";
    QTest::newRow("leading full stop") << ".plan"
                                       << "-plan";
    QTest::newRow("each leading full stop") << "...and so"
                                            << "---and so";
    QTest::newRow("full stop after spaces") << "  .plan"
                                            << "-plan";
    QTest::newRow("inner full stops stay") << "v1.2.md"
                                           << "v1.2.md";
    QTest::newRow("control characters") << "Groceries" + QString(QChar(0)) + " list\u0007\u007F"
                                        << "Groceries- list--";
    QTest::newRow("leading byte-order mark") << QString::fromUtf8("\uFEFFPlan") << "Plan";
    QTest::newRow("130 characters") << QString(130, u'x') << QString(120, u'x');
    QTest::newRow("exactly 120") << QString(120, u'y') << QString(120, u'y');
    QTest::newRow("cut keeps a space at the cut")
        << QString(119, u'z') + " tail" << QString(119, u'z') + " ";
    const QString accented = QStringLiteral("e\u0301"); // one character, two code points
    QTest::newRow("graphemes, not code points")
        << QString(119, u'x') + accented + accented << QString(119, u'x') + accented;
}

void NamingTest::sanitizedFileName()
{
    QFETCH(QString, title);
    QFETCH(QString, name);
    QCOMPARE(Naming::sanitizedFileName(title), name);
}

void NamingTest::fileNamesFitTheByteLimit_data()
{
    QTest::addColumn<QString>("title");
    QTest::newRow("CJK") << QString(130, QChar(0x6F22));
    QTest::newRow("emoji") << QString::fromUtf8("\U0001F600").repeated(130);
    QTest::newRow("family emoji sequences")
        << QString::fromUtf8("\U0001F468\u200D\U0001F469\u200D\U0001F467").repeated(40);
    QTest::newRow("mixed") << QStringLiteral("note ") + QString(118, QChar(0x00E9));
}

void NamingTest::fileNamesFitTheByteLimit()
{
    QFETCH(QString, title);
    const QString base = Naming::sanitizedFileName(title);
    const QString longest = base + QStringLiteral(" (4294967297).md");
    QVERIFY(longest.toUtf8().size() <= 255);
    QVERIFY(!base.isEmpty());
    QVERIFY(title.startsWith(base));
    // The cut falls between characters: an emoji sequence is never split.
    QCOMPARE(Naming::sanitizedFileName(base), base);

    // And the file can really be made.
    TestHome home;
    const QString path = Naming::uniqueFileURL(home.notesFolder(), base);
    TestFiles::write(path, "x");
    QVERIFY(QFile::exists(path));
}

void NamingTest::uniqueFileURL()
{
    TestHome home;
    const QString folder = home.notesFolder();
    const QString foo = folder + "/Foo.md";
    const QString foo2 = folder + "/Foo (2).md";

    QCOMPARE(Naming::uniqueFileURL(folder, "Foo"), foo);
    TestFiles::write(foo, "Foo");
    QCOMPARE(Naming::uniqueFileURL(folder, "Foo"), foo2);
    TestFiles::write(foo2, "Foo");
    QCOMPARE(Naming::uniqueFileURL(folder, "Foo"), folder + "/Foo (3).md");

    // A note keeps its own numbered file while the plain name belongs to another.
    QCOMPARE(Naming::uniqueFileURL(folder, "Foo", foo2), foo2);
    // Its own name is returned without looking at the disk at all.
    QCOMPARE(Naming::uniqueFileURL(folder, "Gone", folder + "/Gone.md"), folder + "/Gone.md");

    // A folder or a dangling link of that name is taken too.
    QDir().mkdir(folder + "/Bar.md");
    QCOMPARE(Naming::uniqueFileURL(folder, "Bar"), folder + "/Bar (2).md");
    QVERIFY(QFile::link(folder + "/nowhere", folder + "/Baz.md"));
    QCOMPARE(Naming::uniqueFileURL(folder, "Baz"), folder + "/Baz (2).md");

    // A name taken a thousand times over ends the search instead of looping on.
    for (int n = 3; n <= Naming::maxNameAttempts + 1; ++n)
        QVERIFY(QFile(folder + QStringLiteral("/Foo (%1).md").arg(n)).open(QIODevice::WriteOnly));
    QCOMPARE(Naming::uniqueFileURL(folder, "Foo"), QString());
}

void NamingTest::fileNamesKeepTheirBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("valid");
    QTest::newRow("UTF-8") << QByteArray("caf\xC3\xA9.md") << true;
    QTest::newRow("Latin-1") << QByteArray("caf\xE9.md") << false;
    QTest::newRow("cut sequence at the end") << QByteArray("note\xE2\x82") << false;
    QTest::newRow("overlong slash") << QByteArray("a\xC0\xAF.md") << false;
    QTest::newRow("encoded surrogate") << QByteArray("\xED\xA0\x80.md") << false;
    QTest::newRow("emoji") << QByteArray("\xF0\x9F\x98\x80.md") << true;
}

void NamingTest::fileNamesKeepTheirBytes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, valid);
    const QString path = Naming::pathFromBytes(bytes);
    QCOMPARE(Naming::pathBytes(path), bytes);
    QCOMPARE(Naming::isValidUtf8Name(path), valid);
    // Never the same as the name a lossy decoding would give, which may exist too.
    if (!valid)
        QVERIFY(path != QString::fromUtf8(bytes));
    QVERIFY(!Naming::readableName(path).contains(QChar(0xDCE9)));
}

void NamingTest::uniqueFileURLNeverExceedsTheByteLimit()
{
    TestHome home;
    const QString folder = home.notesFolder();
    // A base that fills the name exactly, as no sanitised title would.
    const QString base = QString(84, QChar(0x6F22));
    const QString first = Naming::uniqueFileURL(folder, base);
    QCOMPARE(Naming::fileName(first).toUtf8().size(), 255);
    TestFiles::write(first, "x");
    const QString second = Naming::uniqueFileURL(folder, base);
    QVERIFY(second != first);
    QVERIFY(Naming::fileName(second).toUtf8().size() <= 255);
    QVERIFY(Naming::fileName(second).endsWith(" (2).md"));
    TestFiles::write(second, "x");
}

void NamingTest::noteFiles_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("isNote");
    QTest::addColumn<QString>("base");
    QTest::newRow("md") << "Plan.md" << true << "Plan";
    QTest::newRow("upper case extension") << "Plan.MD" << true << "Plan";
    QTest::newRow("mixed case extension") << "Plan.mD" << true << "Plan";
    QTest::newRow("txt") << "plan.txt" << false << "plan";
    QTest::newRow("no extension") << "plan" << false << "plan";
    QTest::newRow("md inside the name") << "plan.md.txt" << false << "plan.md";
    QTest::newRow("two dots") << "v1.2.md" << true << "v1.2";
}

void NamingTest::noteFiles()
{
    QFETCH(QString, name);
    QFETCH(bool, isNote);
    QFETCH(QString, base);
    QCOMPARE(Naming::isNoteFileName(name), isNote);
    QCOMPARE(Naming::baseName("/notes/" + name), base);
}

void NamingTest::notesAreEqualByFile()
{
    Note a;
    a.url = "/n/A.md";
    a.content = "one";
    Note sameFile = a;
    sameFile.content = "two";
    sameFile.id = QUuid::createUuid();
    Note otherFile = a;
    otherFile.url = "/n/B.md";

    QCOMPARE(a, sameFile);
    QCOMPARE(qHash(a), qHash(sameFile));
    QVERIFY(!(a == otherFile));
    QCOMPARE(QSet<Note>({a, sameFile, otherFile}).size(), 2);
}

void NamingTest::conflictCopies_data()
{
    QTest::addColumn<QString>("baseName");
    QTest::addColumn<QString>("original");

    QTest::newRow("Syncthing") << "Plan.sync-conflict-20261206-101500-ABC2DEF"
                               << "Plan";
    QTest::newRow("Syncthing, dotted name") << "v1.2 notes.sync-conflict-20261206-101500-7QXZ4RT"
                                            << "v1.2 notes";
    QTest::newRow("Nextcloud") << "Plan (conflicted copy 2026-12-06 101500)"
                               << "Plan";
    QTest::newRow("Nextcloud with the user") << "Plan (conflicted copy ana 2026-12-06 101500)"
                                             << "Plan";
    QTest::newRow("Dropbox") << "Plan (Ana’s conflicted copy 2026-12-06)"
                             << "Plan";
    QTest::newRow("Dropbox, second copy") << "Plan (Ana's MacBook's conflicted copy 2026-12-06) (1)"
                                          << "Plan";
    QTest::newRow("ours") << "Plan (conflict 2026-12-06 101500)"
                          << "Plan";
    QTest::newRow("ours, numbered") << "Plan (conflict 2026-12-06 101500) (2)"
                                    << "Plan";
    QTest::newRow("parentheses in the name") << "Plan (draft) (conflict 2026-12-06 101500)"
                                             << "Plan (draft)";
    QTest::newRow("non-ASCII name")
        << QString::fromUtf8("Café ☕.sync-conflict-20261206-101500-ABCDEFG")
        << QString::fromUtf8("Café ☕");
    QTest::newRow("a copy of a copy")
        << "Plan (conflict 2026-12-06 101500) (conflict 2026-12-07 090000)"
        << "Plan (conflict 2026-12-06 101500)";
    QTest::newRow("plain note") << "Plan"
                                << "";
    QTest::newRow("numbered note") << "Plan (2)"
                                   << "";
    QTest::newRow("words only") << "Handling a conflicted copy"
                                << "";
    QTest::newRow("date missing") << "Plan (conflicted copy)"
                                  << "";
    QTest::newRow("time cut short") << "Plan (conflict 2026-12-06 1015)"
                                    << "";
    QTest::newRow("Syncthing without the name") << ".sync-conflict-20261206-101500-ABCDEFG"
                                                << "";
    QTest::newRow("text after the copy") << "Plan.sync-conflict-20261206-101500-ABCDEFG old"
                                         << "";
}

void NamingTest::conflictCopies()
{
    QFETCH(QString, baseName);
    QFETCH(QString, original);
    QCOMPARE(ConflictCopies::originalOf(baseName), original);
    QCOMPARE(ConflictCopies::isConflictCopy(baseName), !original.isEmpty());
    // The copies we make are recognised as what they are.
    const QString ours =
        ConflictCopies::ourCopyName(baseName, QDateTime(QDate(2026, 12, 6), QTime(7, 5, 9)));
    QCOMPARE(ConflictCopies::originalOf(ours), baseName);
    QVERIFY(ours.endsWith(QStringLiteral(" (conflict 2026-12-06 070509)")));
}

QUILLBOX_TEST_MAIN(NamingTest)
#include "tst_naming.moc"
