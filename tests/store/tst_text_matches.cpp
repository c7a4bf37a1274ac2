#include "store/text_matches.h"

#include <QTest>

using Match = TextMatches::Match;

class TextMatchesTest : public QObject
{
    Q_OBJECT

private slots:
    void matches_data();
    void matches();
    void nextIndex_data();
    void nextIndex();
};

// Each match as "start+length", in the positions of the text given.
void TextMatchesTest::matches_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("expected");
    QTest::newRow("any case") << "Milk, MILK and milk"
                              << "mIlK"
                              << "0+4 6+4 15+4";
    QTest::newRow("overlapping: one at a time") << "aaaaa"
                                                << "aa"
                                                << "0+2 2+2";
    QTest::newRow("adjacent") << "abab"
                              << "ab"
                              << "0+2 2+2";
    QTest::newRow("empty query") << "anything"
                                 << ""
                                 << "";
    QTest::newRow("not there") << "anything"
                               << "nothing"
                               << "";
    QTest::newRow("accents count") << "café cafe"
                                   << "cafe"
                                   << "5+4";
    QTest::newRow("accented, any case") << "ÉCOLE école"
                                        << "école"
                                        << "0+5 6+5";
    QTest::newRow("full folding") << "Straße"
                                  << "STRASSE"
                                  << "0+6";
    QTest::newRow("inside a longer fold") << "Maße"
                                          << "ss"
                                          << "2+1";
    QTest::newRow("after a longer fold") << "ß milk"
                                         << "MILK"
                                         << "2+4";
    QTest::newRow("beyond the BMP") << "😀 Note 😀 note"
                                    << "note"
                                    << "3+4 11+4";
}

void TextMatchesTest::matches()
{
    QFETCH(QString, text);
    QFETCH(QString, query);
    QFETCH(QString, expected);
    TextMatches matches;
    matches.setText(text);
    QStringList found;
    for (const Match& match : matches.matches(query))
        found << QStringLiteral("%1+%2").arg(match.start).arg(match.length);
    QCOMPARE(found.join(' '), expected);
}

// Matches at 2, 10 and 20, three long; the selection is [from, to).
void TextMatchesTest::nextIndex_data()
{
    QTest::addColumn<QList<Match>>("matches");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<bool>("backward");
    QTest::addColumn<int>("expected");
    const QList<Match> three = {{2, 3}, {10, 3}, {20, 3}};
    QTest::newRow("from the start") << three << 0 << 0 << false << 0;
    QTest::newRow("cursor on a match's start") << three << 10 << 10 << false << 1;
    QTest::newRow("past the selected match") << three << 2 << 5 << false << 1;
    QTest::newRow("past the last: around") << three << 20 << 23 << false << 0;
    QTest::newRow("back from the second") << three << 10 << 13 << true << 0;
    QTest::newRow("back from the first: around") << three << 2 << 5 << true << 2;
    QTest::newRow("back from the end") << three << 30 << 30 << true << 2;
    QTest::newRow("none") << QList<Match>() << 0 << 0 << false << -1;
}

void TextMatchesTest::nextIndex()
{
    QFETCH(QList<Match>, matches);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(bool, backward);
    QFETCH(int, expected);
    QCOMPARE(TextMatches::nextIndex(matches, from, to, backward), expected);
}

QTEST_GUILESS_MAIN(TextMatchesTest)
#include "tst_text_matches.moc"
