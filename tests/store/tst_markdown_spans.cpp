#include "store/markdown_spans.h"

#include <QTest>

using namespace MarkdownSpans;

namespace {

QString kindName(Kind kind)
{
    static const char* const names[] = {"heading", "em",  "strong", "code", "block", "link",
                                        "target",  "url", "wiki",   "list", "quote", "rule"};
    return QString::fromLatin1(names[int(kind)]);
}

// Each line read after the lines before it, as an editor reads them: every span as its line,
// kind, column and text, and where a link leads.
QStringList spansOf(const QString& text)
{
    QStringList seen;
    State state;
    const QStringList lines = text.split(u'\n');
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const Line line = read(lines[n], state);
        if (next(lines[n], state) != line.next)
            seen.append(QStringLiteral("%1: the cheap pass disagrees").arg(n));
        for (const Span& span : line.spans) {
            QString entry = QStringLiteral("%1 %2@%3 %4")
                                .arg(n)
                                .arg(kindName(span.kind))
                                .arg(span.start)
                                .arg(lines[n].mid(span.start, span.length));
            if (span.isLink())
                entry += QStringLiteral(" → ") + lines[n].mid(span.targetStart, span.targetLength);
            seen.append(entry);
        }
        state = line.next;
    }
    return seen;
}

} // namespace

class MarkdownSpansTest : public QObject
{
    Q_OBJECT

private slots:
    void spans_data();
    void spans();
    void proseLeavesOutCodeAndAddresses();
    void linkUnderCursor();
};

void MarkdownSpansTest::spans_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected");
    const auto row = [](const char* name, const QString& text, const QStringList& expected) {
        QTest::newRow(name) << text << expected;
    };
    row("heading", "## Plan *now*", {"0 heading@0 ## Plan *now*", "0 em@8 *now*"});
    row("hashtag is no heading", "#tag and ####### seven", {});
    row("emphasis", "a *b* **c** _d_ snake_case_word 2*3*4",
        {"0 em@2 *b*", "0 strong@6 **c**", "0 em@12 _d_", "0 em@33 *3*"});
    row("both", "***both***", {"0 em@0 ***both***", "0 strong@1 **both**"});
    row("unpaired", "a * b ** c _d", {});
    row("inline code hides emphasis", "run `a*b*c` and ``x`y``",
        {"0 code@4 `a*b*c`", "0 code@16 ``x`y``"});
    row("unclosed code", "`a *b*", {"0 em@3 *b*"});
    row("escaped", "\\*not\\* \\`", {});
    row("inline link", "see [the docs](https://x.org/a \"T\") now",
        {"0 link@4 [the docs] → https://x.org/a",
         "0 target@14 (https://x.org/a \"T\") → https://x.org/a"});
    row("link in angle brackets", "[a](<b c>)", {"0 link@0 [a] → b c", "0 target@3 (<b c>) → b c"});
    row("autolinks", "<https://x.org> <ana@x.org> <not a link>",
        {"0 url@0 <https://x.org> → https://x.org", "0 url@16 <ana@x.org> → ana@x.org"});
    row("bare address", "Go to https://x.org/a_(b). Or mailto:ana@x.org, ok",
        {"0 url@6 https://x.org/a_(b) → https://x.org/a_(b)",
         "0 url@30 mailto:ana@x.org → mailto:ana@x.org"});
    row("no address inside a word", "xhttps://x.org", {});
    row("wiki links", "[[Groceries]] and [[ Plan | the plan ]] but [[]] [[a]b]]",
        {"0 wiki@0 [[Groceries]] → Groceries", "0 wiki@18 [[ Plan | the plan ]] → Plan"});
    row("list items", "- one\n12. *two*\n* three\n-no",
        {"0 list@0 -", "1 list@0 12.", "1 em@4 *two*", "2 list@0 *"});
    row("quote", "> said *so*", {"0 quote@0 > said *so*", "0 em@7 *so*"});
    row("rules", "---\n* * *\n__", {"0 rule@0 ---", "1 rule@0 * * *"});
    row("fence carried across lines", "```cpp\nint *a*;\n\n# no\n```\n*b*",
        {"0 block@0 ```cpp", "1 block@0 int *a*;", "3 block@0 # no", "4 block@0 ```",
         "5 em@0 *b*"});
    row("a fence closes only with its own kind, as long", "~~~~\n```\n~~~\n~~~~~\n*b*",
        {"0 block@0 ~~~~", "1 block@0 ```", "2 block@0 ~~~", "3 block@0 ~~~~~", "4 em@0 *b*"});
    row("backticks in the info string open nothing", "``` a`b\n*b*", {"1 em@0 *b*"});
    row("unclosed fence runs to the end", "```\n\n# a", {"0 block@0 ```", "2 block@0 # a"});
    row("indented code after a blank line", "para\n    not code\n\n    code\n\tcode\n\n    more",
        {"3 block@0     code", "4 block@0 \tcode", "6 block@0     more"});
    row("indented text in a list is no code", "- item\n\n    more *x*\n\nafter\n\n    code",
        {"0 list@0 -", "2 em@9 *x*", "6 block@0     code"});
}

void MarkdownSpansTest::spans()
{
    QFETCH(QString, text);
    QFETCH(QStringList, expected);
    QCOMPARE(spansOf(text), expected);
}

void MarkdownSpansTest::proseLeavesOutCodeAndAddresses()
{
    const QString line = "teh `teh` [teh](http://teh) [[teh]] https://teh.org teh";
    QStringList prose;
    for (const auto& [start, length] : proseRanges(line.size(), read(line, {}).spans))
        prose.append(line.mid(start, length));
    QCOMPARE(prose, QStringList({"teh ", " [teh]", " ", " ", " teh"}));
}

void MarkdownSpansTest::linkUnderCursor()
{
    const QList<Span> spans = read(QStringLiteral("a [[Plan]] b"), {}).spans;
    QVERIFY(!linkAt(spans, 1));
    QCOMPARE(linkAt(spans, 2)->kind, Kind::WikiLink);
    QCOMPARE(linkAt(spans, 10)->kind, Kind::WikiLink); // just after "]]"
    QVERIFY(!linkAt(spans, 11));
}

QTEST_GUILESS_MAIN(MarkdownSpansTest)
#include "tst_markdown_spans.moc"
