#include "store/text_merge.h"
#include "test_support.h"

class TextMergeTest : public QObject
{
    Q_OBJECT

private slots:
    void merge_data();
    void merge();
};

// An empty "merged" column: the texts cannot be merged.
void TextMergeTest::merge_data()
{
    QTest::addColumn<QString>("base");
    QTest::addColumn<QString>("ours");
    QTest::addColumn<QString>("theirs");
    QTest::addColumn<QString>("merged");
    const QString base = "a\nb\nc\nd\ne\nf";
    row("edits at both ends", base, "A\nb\nc\nd\ne\nf", "a\nb\nc\nd\ne\nF", "A\nb\nc\nd\ne\nF");
    row("lines added at both ends", base, base + "\ng", "0\n" + base, "0\n" + base + "\ng");
    row("the same edit on both sides, others apart", base, "a\nB\nc\nd\ne\nF\n", "a\nB\nc\nD\ne\nf",
        "a\nB\nc\nD\ne\nF\n");
    row("the same line edited differently", base, "a\nb\nC\nd\ne\nf", "a\nb\nc!\nd\ne\nf", "");
    row("adjacent lines edited", base, "a\nb\nC\nd\ne\nf", "a\nb\nc\nD\ne\nf", "");
    row("theirs emptied, ours edited", base, "A\nb\nc\nd\ne\nf", "", "");
    row("ours is the base", base, base, "Other\ntext", "Other\ntext");
    row("empty base, both wrote", "", "mine", "theirs", "");
    row("mixed line ends of a file kept", "a\r\nb\nc\r\nd\n", "A\r\nb\nc\r\nd\n",
        "a\r\nb\nc\r\nD\n", "A\r\nb\nc\r\nD\n");
    row("another program converted to CRLF", "a\nb\nc\nd\n", "A\nb\nc\nd\n", "a\r\nb\r\nc\r\nD\r\n",
        "A\r\nb\r\nc\r\nD\r\n");
    row("we converted to LF", "a\r\nb\r\nc\r\nd\r\n", "A\nb\nc\nd\n", "a\r\nb\r\nc\r\nD\r\n",
        "A\nb\nc\nD\n");
    row("non-ASCII", QString::fromUtf8("Café\nnaïve\n日本語\n🙂"),
        QString::fromUtf8("Café crème\nnaïve\n日本語\n🙂"),
        QString::fromUtf8("Café\nnaïve\n日本語\n🙃"),
        QString::fromUtf8("Café crème\nnaïve\n日本語\n🙃"));
}

void TextMergeTest::merge()
{
    QFETCH(QString, base);
    QFETCH(QString, ours);
    QFETCH(QString, theirs);
    QFETCH(QString, merged);
    QCOMPARE(TextMerge::merge(base, ours, theirs).value_or(QString()), merged);
}

QUILLBOX_TEST_MAIN(TextMergeTest)
#include "tst_text_merge.moc"
