#include "store/text_diff.h"
#include "test_support.h"

#include <QTest>

class TextDiffTest : public QObject
{
    Q_OBJECT

private slots:
    void lines_data();
    void lines();
};

// Each expected line is its mark ("  " in both, "- " only before, "+ " only after), then its
// text.
void TextDiffTest::lines_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QStringList>("expected");
    row("a changed line between unchanged ones", QString("a\nb\nc\nd\n"), QString("a\nB\nc\nd\n"),
        QStringList{"  a", "- b", "+ B", "  c", "  d"});
    row("a line put in, one taken out", QString("a\nc\nd\ne"), QString("a\nb\nc\ne"),
        QStringList{"  a", "+ b", "  c", "- d", "  e"});
    row("a line added after a last line without a line feed", QString("milk\neggs"),
        QString("milk\neggs\nbread"), QStringList{"  milk", "  eggs", "+ bread"});
    row("lines added before the first", QString("c"), QString("a\nb\nc"),
        QStringList{"+ a", "+ b", "  c"});
    row("CR LF lines compared as they are", QString("a\r\nb\r\n"), QString("a\r\nB\r\nc\n"),
        QStringList{"  a\r", "- b\r", "+ B\r", "+ c"});
    row("from nothing", QString(), QString("a\n\nb"), QStringList{"+ a", "+ ", "+ b"});
    row("to nothing", QString("a\nb"), QString(), QStringList{"- a", "- b"});
    row("nothing both", QString(), QString(), QStringList{});
    row("a NUL byte does not make a note binary", QStringLiteral("x\0\ny\n"),
        QStringLiteral("x\0\nz\n"), QStringList{QStringLiteral("  x\0"), "- y", "+ z"});
    row("the same text", QString("x\ny"), QString("x\ny"), QStringList{"  x", "  y"});
}

void TextDiffTest::lines()
{
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(QStringList, expected);
    QStringList shown;
    for (const TextDiff::Line& line : TextDiff::lines(before, after))
        shown.append(QString(line.kind == TextDiff::Kind::Same      ? "  "
                             : line.kind == TextDiff::Kind::Removed ? "- "
                                                                    : "+ ") +
                     line.text);
    QCOMPARE(shown, expected);
}

QUILLBOX_TEST_MAIN(TextDiffTest)
#include "tst_text_diff.moc"
