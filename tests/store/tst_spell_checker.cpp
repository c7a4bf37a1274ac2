#include "store/enchant_spell_checker.h"
#include "test_support.h"

namespace {

// The misspelled words of text, each with where it starts: "teh@0".
QStringList misspelled(const EnchantSpellChecker& checker, const QString& text)
{
    QStringList found;
    for (const Misspelling& wrong : checker.misspellings(text))
        found.append(text.mid(wrong.start, wrong.length) + u'@' + QString::number(wrong.start));
    return found;
}

} // namespace

// Against the en_US dictionary the build's packages install. Enchant reads the configuration
// home once per process, so every test shares the one home made first.
class SpellCheckerTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void misspellings_data();
    void misspellings();
    void suggestions();
    void addedWordsStayTheUsers();
    void chooseLanguage_data();
    void chooseLanguage();
    void unknownLanguageFallsBack();

private:
    TestHome m_home;
};

void SpellCheckerTest::initTestCase()
{
    const EnchantSpellChecker checker;
    QVERIFY2(checker.languages().contains(QStringLiteral("en_US")), "hunspell-en-us is needed");
    QCOMPARE(checker.language(), QStringLiteral("en_US"));
}

void SpellCheckerTest::misspellings_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected");
    row("a typo", QStringLiteral("teh cat"), QStringList{"teh@0"});
    row("one among words", QStringLiteral("We recieve mail."), QStringList{"recieve@3"});
    row("capitalised", QStringLiteral("Teh end"), QStringList{"Teh@0"});
    row("two, with punctuation", QStringLiteral("Hello wrld, hello wolrd."),
        QStringList{"wrld@6", "wolrd@18"});
    row("apostrophes", QStringLiteral("I don't know, you don’t either"), QStringList{});
    row("acronyms, code, names",
        QStringLiteral("HTML QString snake_case e.g notes.md ana@exmple.org src/vews"),
        QStringList{});
    row("numbers and letters", QStringLiteral("x2 3rd 42 1.5kg"), QStringList{});
    row("single letters", QStringLiteral("a b c q"), QStringList{});
    row("other scripts", QStringLiteral("Здравствуй мир 日本語のテキスト 😀 mispelt"),
        QStringList{"mispelt@27"});
    row("nothing", QString(), QStringList{});
}

void SpellCheckerTest::misspellings()
{
    QFETCH(QString, text);
    QFETCH(QStringList, expected);
    const EnchantSpellChecker checker;
    QCOMPARE(misspelled(checker, text), expected);
    // The same again, from what the first call learned.
    QCOMPARE(misspelled(checker, text), expected);
}

void SpellCheckerTest::suggestions()
{
    const EnchantSpellChecker checker;
    const QStringList offered = checker.suggestions(QStringLiteral("teh"));
    QVERIFY2(offered.contains(QStringLiteral("the")), qPrintable(offered.join(u',')));
    QVERIFY(offered.size() <= 8);
    QVERIFY(checker.suggestions(QStringLiteral("dont’")).contains(QStringLiteral("don’t")));
}

void SpellCheckerTest::addedWordsStayTheUsers()
{
    const QString text = QStringLiteral("my quillboxy notes");
    {
        EnchantSpellChecker checker;
        QCOMPARE(misspelled(checker, text), QStringList{"quillboxy@3"});
        checker.addToDictionary(QStringLiteral("quillboxy"));
        QCOMPARE(misspelled(checker, text), QStringList());
    }
    QVERIFY(TestFiles::read(m_home.path() + "/config/enchant/en_US.dic").contains("quillboxy"));
    const EnchantSpellChecker later;
    QCOMPARE(misspelled(later, text), QStringList());
}

void SpellCheckerTest::chooseLanguage_data()
{
    QTest::addColumn<QStringList>("installed");
    QTest::addColumn<QString>("wanted");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("expected");
    const QStringList deEn{"de_DE", "en_GB", "en_US"};
    row("the chosen one", deEn, QStringLiteral("de_DE"), QStringLiteral("en_US"), "de_DE");
    row("the locale's", deEn, QString(), QStringLiteral("en_GB"), "en_GB");
    row("the locale's language", deEn, QString(), QStringLiteral("de_AT"), "de_DE");
    row("chosen one gone", deEn, QStringLiteral("fr_FR"), QStringLiteral("en_GB"), "en_GB");
    row("no locale: English", deEn, QString(), QStringLiteral("C"), "en_US");
    row("language alone", QStringList{"en", "fr"}, QString(), QStringLiteral("fr_CA"), "fr");
    row("any English", QStringList{"de_DE", "en_AU"}, QString(), QStringLiteral("C"), "en_AU");
    row("whatever there is", QStringList{"de_DE", "fr_FR"}, QString(), QStringLiteral("C"),
        "de_DE");
    row("none", QStringList{}, QStringLiteral("en_US"), QStringLiteral("en_US"), "");
}

void SpellCheckerTest::chooseLanguage()
{
    QFETCH(QStringList, installed);
    QFETCH(QString, wanted);
    QFETCH(QString, locale);
    QFETCH(QString, expected);
    QCOMPARE(EnchantSpellChecker::chooseLanguage(installed, wanted, locale), expected);
}

void SpellCheckerTest::unknownLanguageFallsBack()
{
    EnchantSpellChecker checker(QStringLiteral("xx_YY"));
    QCOMPARE(checker.language(), QStringLiteral("en_US"));
    checker.setLanguage(QStringLiteral("zz"));
    QCOMPARE(checker.language(), QStringLiteral("en_US"));
    QCOMPARE(misspelled(checker, QStringLiteral("teh")), QStringList{"teh@0"});
}

QUILLBOX_TEST_MAIN(SpellCheckerTest)
#include "tst_spell_checker.moc"
