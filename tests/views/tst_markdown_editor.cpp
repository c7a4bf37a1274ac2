#include "app/note_flows.h"
#include "store/spell_checker.h"
#include "store_fixture.h"
#include "views/content_view.h"
#include "views/markdown_highlighter.h"
#include "views/note_editor.h"
#include "views/note_links.h"
#include "views/url_service.h"
#include "views/wiki_link_completer.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>

namespace {

// Every "teh" is misspelled.
class FakeSpellChecker final : public SpellChecker
{
public:
    QList<Misspelling> misspellings(QStringView text) const override
    {
        QList<Misspelling> found;
        for (qsizetype at = text.indexOf(u"teh"); flagsTeh && at >= 0;
             at = text.indexOf(u"teh", at + 3))
            found.append({at, 3});
        return found;
    }
    bool flagsTeh = true;
};

class FakeUrls final : public UrlService
{
public:
    void open(const QUrl& url) override { opened.append(url.toString()); }
    QStringList opened;
};

// The window with its editor's links wired as the application wires them, on a few notes.
class EditorFixture
{
public:
    // The note Links.md, shown, holds text.
    explicit EditorFixture(const QByteArray& text = "Links")
    {
        f.write("Groceries.md", "Groceries\nmilk", Day::monday);
        f.write("Plan.md", "Plan", Day::monday);
        f.write("plan.md", "plan", Day::tuesday);
        f.write("Links.md", text, Day::wednesday);
        f.start();
        window = std::make_unique<ContentView>(f.store(), f.printer);
        flows = std::make_unique<NoteFlows>(f.store(), f.alerts);
        links = new NoteLinks(*window->editor(), f.store(), urls);
        QObject::connect(links, &NoteLinks::missingNote, flows.get(), &NoteFlows::offerNote);
        window->show();
        QApplication::setActiveWindow(window.get());
        (void)QTest::qWaitForWindowActive(window.get());
        f.store().setSelectedNote(f.note("Links.md"));
        settle();
    }
    QPlainTextEdit* edit() const { return window->editor()->textEdit(); }
    MarkdownHighlighter* highlighter() const { return window->editor()->highlighter(); }
    void place(int line, int column)
    {
        QTextCursor cursor(edit()->document()->findBlockByNumber(line));
        cursor.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, column);
        edit()->setTextCursor(cursor);
    }
    // The formats shown at column of line that test has.
    bool shows(int line, int column, const std::function<bool(const QTextCharFormat&)>& test)
    {
        const QTextBlock block = edit()->document()->findBlockByNumber(line);
        const QList<QTextLayout::FormatRange> ranges = block.layout()->formats();
        return std::any_of(ranges.begin(), ranges.end(), [&](const QTextLayout::FormatRange& r) {
            return r.start <= column && column < r.start + r.length && test(r.format);
        });
    }
    bool misspelled(int line, int column)
    {
        return shows(line, column, [](const QTextCharFormat& format) {
            return format.underlineStyle() == QTextCharFormat::SpellCheckUnderline;
        });
    }
    bool shownAs(int line, int column, MarkdownSpans::Kind kind)
    {
        const QTextCharFormat expected = MarkdownFormats(edit()->palette()).format(kind);
        return shows(line, column, [&](const QTextCharFormat& format) {
            return format.foreground() == expected.foreground() &&
                   format.fontItalic() == expected.fontItalic();
        });
    }

    StoreFixture f;
    FakeUrls urls;
    std::unique_ptr<ContentView> window;
    std::unique_ptr<NoteFlows> flows;
    NoteLinks* links = nullptr;
};

} // namespace

class MarkdownEditorTest : public QObject
{
    Q_OBJECT

private slots:
    void spellingOnlyInProse();
    void fenceTypedRestylesTheLinesBelow();
    void onlyLinesShownAreFormatted();
    void turnedOffLeavesTextAlone();
    void addressOpens_data();
    void addressOpens();
    void wikiLinkShowsNewestNoteOfThatTitle();
    void wikiLinkToMissingNoteAsks_data();
    void wikiLinkToMissingNoteAsks();
    void completerOffersTitles();
};

void MarkdownEditorTest::spellingOnlyInProse()
{
    EditorFixture e("Links teh `teh` [[teh]]\n```\nteh\n```");
    FakeSpellChecker spelling;
    QVERIFY(!e.misspelled(0, 6));
    e.highlighter()->setSpellChecker(&spelling);
    QVERIFY(e.misspelled(0, 6));
    QVERIFY(!e.misspelled(0, 11)); // code
    QVERIFY(!e.misspelled(0, 19)); // a link between notes
    QVERIFY(!e.misspelled(2, 0));  // a code block
    // The word was added to the dictionary: the same checker says so.
    spelling.flagsTeh = false;
    e.highlighter()->setSpellChecker(&spelling);
    QVERIFY(!e.misspelled(0, 6));
    spelling.flagsTeh = true;
    e.highlighter()->setSpellChecker(&spelling);
    QVERIFY(e.misspelled(0, 6));
    e.highlighter()->setSpellChecker(nullptr);
    QVERIFY(!e.misspelled(0, 6));
}

void MarkdownEditorTest::fenceTypedRestylesTheLinesBelow()
{
    EditorFixture e("Links\n*a*\nend");
    e.place(0, 0);
    QVERIFY(e.shownAs(1, 1, MarkdownSpans::Kind::Emphasis));
    QTest::keyClicks(e.edit(), "```");
    settle();
    QVERIFY(e.shownAs(1, 1, MarkdownSpans::Kind::CodeBlock));
    QVERIFY(e.shownAs(2, 1, MarkdownSpans::Kind::CodeBlock));
    QTest::keyClick(e.edit(), Qt::Key_Backspace);
    settle();
    QVERIFY(e.shownAs(1, 1, MarkdownSpans::Kind::Emphasis));
    QVERIFY(!e.shownAs(2, 1, MarkdownSpans::Kind::CodeBlock));
}

void MarkdownEditorTest::onlyLinesShownAreFormatted()
{
    EditorFixture e("Links\n" + QByteArray("a *b*\n").repeated(5000));
    QVERIFY(e.shownAs(1, 2, MarkdownSpans::Kind::Emphasis));
    QVERIFY(!e.shownAs(4000, 2, MarkdownSpans::Kind::Emphasis));
    e.edit()->verticalScrollBar()->setValue(3990);
    QVERIFY(e.shownAs(4000, 2, MarkdownSpans::Kind::Emphasis));
}

void MarkdownEditorTest::turnedOffLeavesTextAlone()
{
    EditorFixture e("Links\n# Head *a*");
    QVERIFY(e.shownAs(1, 0, MarkdownSpans::Kind::Heading));
    e.highlighter()->setEnabled(false);
    QVERIFY(!e.shownAs(1, 0, MarkdownSpans::Kind::Heading));
    QVERIFY(!e.shownAs(1, 8, MarkdownSpans::Kind::Emphasis));
    e.highlighter()->setEnabled(true);
    QVERIFY(e.shownAs(1, 8, MarkdownSpans::Kind::Emphasis));
    // Formats are no edit: nothing to save.
    QVERIFY(!e.f.store().hasDraft(e.f.path("Links.md")));
}

void MarkdownEditorTest::addressOpens_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("column");
    QTest::addColumn<bool>("byMouse");
    QTest::addColumn<QStringList>("opened");
    QTest::newRow("bare, Ctrl+Enter")
        << "see https://x.org/a now" << 8 << false << QStringList{"https://x.org/a"};
    QTest::newRow("bare, Ctrl+click")
        << "see https://x.org/a now" << 8 << true << QStringList{"https://x.org/a"};
    QTest::newRow("link text") << "[write](mailto:ana@x.org)" << 2 << false
                               << QStringList{"mailto:ana@x.org"};
    QTest::newRow("beside the link") << "see https://x.org/a now" << 1 << false << QStringList{};
    QTest::newRow("a script") << "[x](javascript:alert(1))" << 1 << false << QStringList{};
    QTest::newRow("another scheme") << "<ftp://x.org/a>" << 3 << true << QStringList{};
}

void MarkdownEditorTest::addressOpens()
{
    QFETCH(QString, line);
    QFETCH(int, column);
    QFETCH(bool, byMouse);
    QFETCH(QStringList, opened);
    EditorFixture e("Links\n" + line.toUtf8());
    e.place(1, column);
    if (byMouse) {
        QTest::mouseClick(e.edit()->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          e.edit()->cursorRect().center() + QPoint(2, 0));
    } else {
        QTest::keyClick(e.edit(), Qt::Key_Return, Qt::ControlModifier);
    }
    QCOMPARE(e.urls.opened, opened);
}

void MarkdownEditorTest::wikiLinkShowsNewestNoteOfThatTitle()
{
    EditorFixture e("Links [[PLAN]]");
    e.place(0, 9);
    QTest::keyClick(e.edit(), Qt::Key_Return, Qt::ControlModifier);
    settle();
    QCOMPARE(e.f.store().selectedNote()->url, e.f.path("plan.md"));
    QVERIFY(e.f.alerts.shown.isEmpty());
}

void MarkdownEditorTest::wikiLinkToMissingNoteAsks_data()
{
    QTest::addColumn<bool>("create");
    QTest::newRow("yes") << true;
    QTest::newRow("no") << false;
}

void MarkdownEditorTest::wikiLinkToMissingNoteAsks()
{
    QFETCH(bool, create);
    EditorFixture e("Links [[New idea]]");
    e.place(0, 9);
    e.f.alerts.answerNext(create);
    QTest::keyClick(e.edit(), Qt::Key_Return, Qt::ControlModifier);
    settle();
    e.f.alerts.expect(0, "Create a note named “New idea”?", "No note has this title yet.",
                      AlertService::Style::Informational, {"Create Note", "Cancel"});
    QCOMPARE(e.f.files().contains("New idea.md"), create);
    QCOMPARE(e.f.store().selectedNote()->title, create ? "New idea" : "Links");
    if (create)
        QCOMPARE(e.f.read("New idea.md"), "New idea\n");
}

void MarkdownEditorTest::completerOffersTitles()
{
    EditorFixture e("Links ");
    e.edit()->moveCursor(QTextCursor::End);
    QCompleter* completer = e.links->completer()->completer();
    QTest::keyClicks(e.edit(), "[[");
    QTRY_VERIFY(completer->popup()->isVisible());
    QCOMPARE(completer->completionCount(), 4); // Groceries, Links, Plan, plan
    QTest::keyClicks(completer->popup(), "RO");
    QCOMPARE(completer->completionCount(), 1);
    QTest::keyClick(completer->popup(), Qt::Key_Return);
    QCOMPARE(e.edit()->toPlainText(), "Links [[Groceries]]");
    QVERIFY(!completer->popup()->isVisible());
}

QTEST_MAIN(MarkdownEditorTest)
#include "tst_markdown_editor.moc"
