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
    const QString base = "Groceries\nmilk\nbread\neggs\napples\ntea";
    row("edits at both ends", base, "Shopping\nmilk\nbread\neggs\napples\ntea",
        "Groceries\nmilk\nbread\neggs\napples\ngreen tea",
        "Shopping\nmilk\nbread\neggs\napples\ngreen tea");
    row("lines added at both ends", base, "Groceries\nmilk\nbread\neggs\napples\ntea\nrice",
        "Monday\nGroceries\nmilk\nbread\neggs\napples\ntea",
        "Monday\nGroceries\nmilk\nbread\neggs\napples\ntea\nrice");
    row("the same edit on both sides, others apart", base,
        "Groceries\noat milk\nbread\neggs\napples\ngreen tea\n",
        "Groceries\noat milk\nbread\nsix eggs\napples\ntea",
        "Groceries\noat milk\nbread\nsix eggs\napples\ngreen tea\n");
    row("the same line edited differently", base, "Groceries\nmilk\nrye bread\neggs\napples\ntea",
        "Groceries\nmilk\nwhite bread\neggs\napples\ntea", "");
    row("adjacent lines edited", base, "Groceries\nmilk\nrye bread\neggs\napples\ntea",
        "Groceries\nmilk\nbread\nsix eggs\napples\ntea", "");
    row("theirs emptied, ours edited", base, "Shopping\nmilk\nbread\neggs\napples\ntea", "", "");
    row("ours emptied, theirs edited", base, "", "Groceries\nmilk\nbread\neggs\napples\ngreen tea",
        "");
    row("ours is the base", base, base, "Other\ntext", "Other\ntext");
    row("theirs is the base", base, "Mine\ntext", base, "Mine\ntext");
    row("empty base, both wrote", "", "mine", "theirs", "");
    row("CRLF kept", "a\r\nb\r\nc\r\nd\r\n", "A\r\nb\r\nc\r\nd\r\n", "a\r\nb\r\nc\r\nD\r\n",
        "A\r\nb\r\nc\r\nD\r\n");
    row("mixed line ends of a file kept", "a\r\nb\nc\r\nd\n", "A\r\nb\nc\r\nd\n",
        "a\r\nb\nc\r\nD\n", "A\r\nb\nc\r\nD\n");
    row("another program converted to CRLF", "a\nb\nc\nd\n", "A\nb\nc\nd\n", "a\r\nb\r\nc\r\nD\r\n",
        "A\r\nb\r\nc\r\nD\r\n");
    row("we converted to LF", "a\r\nb\r\nc\r\nd\r\n", "A\nb\nc\nd\n", "a\r\nb\r\nc\r\nD\r\n",
        "A\nb\nc\nD\n");
    row("non-ASCII", QString::fromUtf8("Café\nnaïve\nstraße\n日本語\n🙂 smile\nend"),
        QString::fromUtf8("Café crème\nnaïve\nstraße\n日本語\n🙂 smile\nend"),
        QString::fromUtf8("Café\nnaïve\nstraße\n日本語\n🙃 upside down\nend"),
        QString::fromUtf8("Café crème\nnaïve\nstraße\n日本語\n🙃 upside down\nend"));
    row("non-ASCII, same line", QString::fromUtf8("Ünïcode"), QString::fromUtf8("Ünïcodé"),
        QString::fromUtf8("Ünicode"), "");
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
