#include "app/command_line.h"

#include <QDir>
#include <QTest>

// What each command line asks for, or what the terminal is told instead.
class CommandLineTest : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
};

using Kind = CommandLine::Request::Kind;

void CommandLineTest::parse_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode"); // -1: starts
    QTest::addColumn<QStringList>("told");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("text"); // "<none>": no text
    QTest::addColumn<bool>("fromInput");

    const QString none = QStringLiteral("<none>");
    const QStringList nothing;
    QTest::newRow("nothing") << QStringList{} << -1 << nothing << int(Kind::Show) << none << false;
    QTest::newRow("version") << QStringList{"--version"} << 0 << QStringList{"quillbox 1.2.3\n"}
                             << 0 << none << false;
    QTest::newRow("help lists ours, not the toolkit's")
        << QStringList{"--help"} << 0
        << QStringList{"Usage: quillbox [options] [FILE]", "--new", "--search <query>",
                       "!-platform"}
        << 0 << none << false;
    QTest::newRow("help-all lists the toolkit's")
        << QStringList{"--help-all"} << 0 << QStringList{"--new", "-platform", "-stylesheet <file>"}
        << 0 << none << false;
    QTest::newRow("unknown option")
        << QStringList{"--bogus"} << 2 << QStringList{"Unknown option: bogus\nUsage: quillbox"} << 0
        << none << false;
    QTest::newRow("unknown beside known") << QStringList{"--new", "-x", "text"} << 2
                                          << QStringList{"Unknown option: x"} << 0 << none << false;
    QTest::newRow("new and search")
        << QStringList{"--new", "--search", "x"} << 2
        << QStringList{"cannot be used together", "Usage:"} << 0 << none << false;
    QTest::newRow("toolkit options let through")
        << QStringList{"-platform", "offscreen", "--style=Fusion", "-reverse"} << -1 << nothing
        << int(Kind::Show) << none << false;
    QTest::newRow("new, empty") << QStringList{"--new"} << -1 << nothing << int(Kind::NewNote)
                                << none << false;
    QTest::newRow("new with words") << QStringList{"--new", "Buy", "milk"} << -1 << nothing
                                    << int(Kind::NewNote) << "Buy milk" << false;
    QTest::newRow("new from standard input")
        << QStringList{"--new", "-"} << -1 << nothing << int(Kind::NewNote) << none << true;
    QTest::newRow("new, text after the toolkit's option")
        << QStringList{"--new", "-platform", "offscreen", "Buy milk"} << -1 << nothing
        << int(Kind::NewNote) << "Buy milk" << false;
    QTest::newRow("search") << QStringList{"--search", "tent"} << -1 << nothing << int(Kind::Search)
                            << "tent" << false;
    QTest::newRow("search, blank (the launcher's action)")
        << QStringList{"--search", ""} << -1 << nothing << int(Kind::Search) << "" << false;
    QTest::newRow("search, two words unquoted")
        << QStringList{"--search", "pack", "tent"} << 2 << QStringList{"put it in quotes"} << 0
        << none << false;
    QTest::newRow("file") << QStringList{"Notes/Trip.md"} << -1 << nothing << int(Kind::Open)
                          << none << false;
}

void CommandLineTest::parse()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QStringList, told);
    QFETCH(int, kind);
    QFETCH(QString, text);
    QFETCH(bool, fromInput);
    const CommandLine::Parsed parsed = CommandLine::parse(
        QStringList{QStringLiteral("/usr/bin/quillbox")} + arguments, QStringLiteral("1.2.3"));
    QCOMPARE(parsed.answer ? parsed.answer->exitCode : -1, exitCode);
    for (const QString& part : told) {
        if (part.startsWith(QLatin1Char('!')))
            QVERIFY2(!parsed.answer->text.contains(part.mid(1)), qPrintable(part));
        else
            QVERIFY2(parsed.answer->text.contains(part), qPrintable(parsed.answer->text));
    }
    if (parsed.answer)
        return;
    QCOMPARE(int(parsed.request.kind), kind);
    QCOMPARE(parsed.request.text.value_or(QStringLiteral("<none>")), text);
    QCOMPARE(parsed.request.textFromStandardInput, fromInput);
    // A file is named absolutely: the running instance may have another working folder.
    if (parsed.request.kind == Kind::Open)
        QCOMPARE(parsed.request.files,
                 QStringList{QDir::current().absoluteFilePath(arguments.first())});
}

QTEST_GUILESS_MAIN(CommandLineTest)
#include "tst_command_line.moc"
