#include "store/text_merge.h"
#include "test_support.h"

class TextMergeTest : public QObject
{
    Q_OBJECT

private slots:
    void merge_data();
    void merge();
};

void TextMergeTest::merge_data()
{
    QTest::addColumn<QString>("base");
    QTest::addColumn<QString>("ours");
    QTest::addColumn<QString>("theirs");
    QTest::addColumn<bool>("merges");
    QTest::addColumn<QString>("merged");

    const QString base = "Groceries\nmilk\nbread\neggs\napples\ntea";
    QTest::newRow("edits at both ends") << base << "Shopping\nmilk\nbread\neggs\napples\ntea"
                                        << "Groceries\nmilk\nbread\neggs\napples\ngreen tea" << true
                                        << "Shopping\nmilk\nbread\neggs\napples\ngreen tea";
    QTest::newRow("lines added at both ends")
        << base << "Groceries\nmilk\nbread\neggs\napples\ntea\nrice"
        << "Monday\nGroceries\nmilk\nbread\neggs\napples\ntea" << true
        << "Monday\nGroceries\nmilk\nbread\neggs\napples\ntea\nrice";
    QTest::newRow("the same edit on both sides, others apart")
        << base << "Groceries\noat milk\nbread\neggs\napples\ngreen tea\n"
        << "Groceries\noat milk\nbread\nsix eggs\napples\ntea" << true
        << "Groceries\noat milk\nbread\nsix eggs\napples\ngreen tea\n";
    QTest::newRow("the same line edited differently")
        << base << "Groceries\nmilk\nrye bread\neggs\napples\ntea"
        << "Groceries\nmilk\nwhite bread\neggs\napples\ntea" << false << QString();
    QTest::newRow("adjacent lines edited")
        << base << "Groceries\nmilk\nrye bread\neggs\napples\ntea"
        << "Groceries\nmilk\nbread\nsix eggs\napples\ntea" << false << QString();
    QTest::newRow("ours emptied, theirs unchanged") << base << "" << base << true << "";
    QTest::newRow("theirs emptied, ours edited")
        << base << "Shopping\nmilk\nbread\neggs\napples\ntea"
        << "" << false << QString();
    QTest::newRow("ours emptied, theirs edited")
        << base << ""
        << "Groceries\nmilk\nbread\neggs\napples\ngreen tea" << false << QString();
    QTest::newRow("ours is the base") << base << base << "Other\ntext" << true << "Other\ntext";
    QTest::newRow("theirs is the base") << base << "Mine\ntext" << base << true << "Mine\ntext";
    QTest::newRow("empty base, both wrote") << ""
                                            << "mine"
                                            << "theirs" << false << QString();

    QTest::newRow("CRLF kept") << "a\r\nb\r\nc\r\nd\r\n"
                               << "A\r\nb\r\nc\r\nd\r\n"
                               << "a\r\nb\r\nc\r\nD\r\n"
                               << true << "A\r\nb\r\nc\r\nD\r\n";
    QTest::newRow("mixed line ends of a file kept") << "a\r\nb\nc\r\nd\n"
                                                    << "A\r\nb\nc\r\nd\n"
                                                    << "a\r\nb\nc\r\nD\n"
                                                    << true << "A\r\nb\nc\r\nD\n";
    QTest::newRow("another program converted to CRLF") << "a\nb\nc\nd\n"
                                                       << "A\nb\nc\nd\n"
                                                       << "a\r\nb\r\nc\r\nD\r\n"
                                                       << true << "A\r\nb\r\nc\r\nD\r\n";
    QTest::newRow("we converted to LF") << "a\r\nb\r\nc\r\nd\r\n"
                                        << "A\nb\nc\nd\n"
                                        << "a\r\nb\r\nc\r\nD\r\n"
                                        << true << "A\nb\nc\nD\n";
    QTest::newRow("non-ASCII")
        << QString::fromUtf8("Café\nnaïve\nstraße\n日本語\n🙂 smile\nend")
        << QString::fromUtf8("Café crème\nnaïve\nstraße\n日本語\n🙂 smile\nend")
        << QString::fromUtf8("Café\nnaïve\nstraße\n日本語\n🙃 upside down\nend") << true
        << QString::fromUtf8("Café crème\nnaïve\nstraße\n日本語\n🙃 upside down\nend");
    QTest::newRow("non-ASCII, same line")
        << QString::fromUtf8("Ünïcode") << QString::fromUtf8("Ünïcodé")
        << QString::fromUtf8("Ünicode") << false << QString();
}

void TextMergeTest::merge()
{
    QFETCH(QString, base);
    QFETCH(QString, ours);
    QFETCH(QString, theirs);
    QFETCH(bool, merges);
    QFETCH(QString, merged);
    const std::optional<QString> result = TextMerge::merge(base, ours, theirs);
    QCOMPARE(result.has_value(), merges);
    if (merges)
        QCOMPARE(*result, merged);
}

QUILLBOX_TEST_MAIN(TextMergeTest)
#include "tst_text_merge.moc"
