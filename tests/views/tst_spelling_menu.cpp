#include "app/note_flows.h"
#include "app/notes_app_commands.h"
#include "folder/app_settings.h"
#include "store/spell_checker.h"
#include "views/content_view.h"
#include "views/note_editor.h"
#include "views/spelling_settings.h"
#include "window_fixture.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>

namespace {

// The window and its commands as the application builds them, showing one note.
class SpellingFixture : public WindowFixture
{
public:
    explicit SpellingFixture(const QByteArray& text = "Typos\nI saw teh cat")
    {
        f.write("Typos.md", text);
        open();
        f.store().setSelectedNote(f.note("Typos.md"));
        settle();
    }
    // Right-clicks the word that starts at position, as a user does, and returns the menu.
    QMenu* menuOn(int position)
    {
        QTextCursor cursor(edit()->document());
        cursor.setPosition(position + 1);
        const QPoint at = edit()->cursorRect(cursor).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, edit()->viewport()->mapToGlobal(at));
        QApplication::sendEvent(edit()->viewport(), &event);
        return qobject_cast<QMenu*>(QApplication::activePopupWidget());
    }
    // The menu's texts above its first separator.
    static QStringList spellingItems(const QMenu* menu)
    {
        QStringList texts;
        for (const QAction* action : menu->actions()) {
            if (action->isSeparator())
                break;
            texts.append(action->text());
        }
        return texts;
    }
    static QAction* item(const QMenu* menu, const QString& text)
    {
        for (QAction* action : menu->actions()) {
            if (action->text() == text)
                return action;
        }
        return nullptr;
    }
};

const int tehAt = 12; // in "Typos\nI saw teh cat"

} // namespace

class SpellingMenuTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { delete QApplication::activePopupWidget(); }
    void correctingIsOneUndoStepAndSaved();
    void noSuggestionsForACorrectWord_data();
    void noSuggestionsForACorrectWord();
    void wordChangedUnderTheMenuStays();
    void addedWordRedrawn();
    void checkSpellingRemembered();
};

void SpellingMenuTest::correctingIsOneUndoStepAndSaved()
{
    SpellingFixture w;
    QMenu* menu = w.menuOn(tehAt);
    QVERIFY(menu);
    const QStringList items = SpellingFixture::spellingItems(menu);
    QVERIFY2(items.contains(QStringLiteral("the")), qPrintable(items.join(u',')));
    QCOMPARE(items.last(), QStringLiteral("Add to Dictionary"));
    QVERIFY(items.size() <= 9);
    // The editor's own commands follow.
    QVERIFY(menu->actions().size() > items.size() + 3);

    SpellingFixture::item(menu, QStringLiteral("the"))->trigger();
    QCOMPARE(w.edit()->toPlainText(), QStringLiteral("Typos\nI saw the cat"));
    w.f.commit("Typos.md");
    QCOMPARE(w.f.read("Typos.md"), QByteArray("Typos\nI saw the cat"));
    w.edit()->undo();
    QCOMPARE(w.edit()->toPlainText(), QStringLiteral("Typos\nI saw teh cat"));
}

void SpellingMenuTest::noSuggestionsForACorrectWord_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("at");
    QTest::newRow("a correct word") << QByteArray("Typos\nI saw teh cat") << tehAt + 4;
    // Not prose: a correction would break the code.
    QTest::newRow("code") << QByteArray("Typos\nI saw `teh` cat") << tehAt + 1;
}

void SpellingMenuTest::noSuggestionsForACorrectWord()
{
    QFETCH(QByteArray, text);
    QFETCH(int, at);
    SpellingFixture w(text);
    QMenu* menu = w.menuOn(at);
    QVERIFY(menu);
    const std::unique_ptr<QMenu> plain(w.edit()->createStandardContextMenu());
    QCOMPARE(menu->actions().size(), plain->actions().size());
}

void SpellingMenuTest::wordChangedUnderTheMenuStays()
{
    SpellingFixture w;
    QMenu* menu = w.menuOn(tehAt);
    QVERIFY(menu);
    // Another program rewrote the note while the menu was open.
    w.edit()->setPlainText(QStringLiteral("Typos\nWe saw teh cat"));
    SpellingFixture::item(menu, QStringLiteral("the"))->trigger();
    QCOMPARE(w.edit()->toPlainText(), QStringLiteral("Typos\nWe saw teh cat"));
}

void SpellingMenuTest::addedWordRedrawn()
{
    // Enchant reads the configuration home once per process: the user's word list goes where
    // this test says, away from the other tests.
    const QTemporaryDir words;
    qputenv("ENCHANT_CONFIG_DIR", words.path().toUtf8());
    const auto unset = qScopeGuard([] { qunsetenv("ENCHANT_CONFIG_DIR"); });
    SpellingFixture again;
    QSignalSpy redraw(again.commands->spelling(), &SpellingSettings::changed);
    QMenu* menu = again.menuOn(tehAt);
    QVERIFY(menu);
    SpellingFixture::item(menu, QStringLiteral("Add to Dictionary"))->trigger();
    QCOMPARE(redraw.size(), 1);
    const auto* checker = redraw.first().first().value<SpellChecker*>();
    QVERIFY(checker);
    QCOMPARE(checker->misspellings(QStringLiteral("teh")), QList<Misspelling>());
    QCOMPARE(again.edit()->toPlainText(), QStringLiteral("Typos\nI saw teh cat"));
}

void SpellingMenuTest::checkSpellingRemembered()
{
    SpellingFixture w;
    QAction* check = w.commands->checkSpelling();
    QVERIFY(check->isChecked());
    QVERIFY(w.commands->spelling()->checker());
    QSignalSpy redraw(w.commands->spelling(), &SpellingSettings::changed);
    check->trigger();
    QCOMPARE(redraw.size(), 1);
    QCOMPARE(redraw.first().first().value<SpellChecker*>(), nullptr);
    // Nothing to offer while it is off.
    QMenu* menu = w.menuOn(tehAt);
    QVERIFY(menu);
    QVERIFY(!SpellingFixture::item(menu, QStringLiteral("Add to Dictionary")));

    const SpellingSettings nextLaunch;
    QVERIFY(!nextLaunch.isEnabled());
    QCOMPARE(nextLaunch.checker(), nullptr);
}

QUILLBOX_GUI_TEST_MAIN(SpellingMenuTest)
#include "tst_spelling_menu.moc"
