#include "store/enchant_spell_checker.h"

#include <QLocale>
#include <QTextBoundaryFinder>

#include <enchant.h>

namespace {

constexpr QChar typographicApostrophe(0x2019);
// Every distinct word of a long note read from top to bottom would stay otherwise.
constexpr qsizetype mostVerdicts = 50000;

char32_t codePointAt(QStringView text, qsizetype i)
{
    if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
        return QChar::surrogateToUcs4(text[i], text[i + 1]);
    return text[i].unicode();
}

// Names, acronyms, code and numbers are not words a dictionary knows: "x2", "3rd", "HTML",
// "QString", "snake_case", "a".
bool worthChecking(QStringView word, QChar::Script script)
{
    int letters = 0;
    for (qsizetype i = 0; i < word.size(); ++i) {
        const QChar c = word[i];
        if (c.isDigit() || c == u'_')
            return false;
        // A capital inside the word: an acronym or a name from code.
        if (c.isUpper() && i > 0)
            return false;
        if (c.isLetter() || c.isSurrogate())
            ++letters;
    }
    if (letters < 2)
        return false;
    const QChar::Script first = QChar::script(codePointAt(word, 0));
    return script == QChar::Script_Unknown || first == script || first == QChar::Script_Common ||
           first == QChar::Script_Inherited;
}

// Parts of a file name, an address or a path: "notes.md", "ana@example", "src/views".
bool isJoined(QStringView text, qsizetype start, qsizetype end)
{
    const auto joins = [](QChar c) { return c == u'.' || c == u'@' || c == u'/' || c == u'\\'; };
    return (start >= 2 && joins(text[start - 1]) && text[start - 2].isLetterOrNumber()) ||
           (end + 1 < text.size() && joins(text[end]) && text[end + 1].isLetterOrNumber());
}

// The script of the dictionary's language, read from how that language writes its own name.
QChar::Script scriptOf(const QString& tag)
{
    const QString name = QLocale(tag).nativeLanguageName();
    return name.isEmpty() ? QChar::Script_Unknown : QChar::script(codePointAt(name, 0));
}

void collectTag(const char* tag, const char*, const char*, const char*, void* into)
{
    static_cast<QStringList*>(into)->append(QString::fromUtf8(tag));
}

} // namespace

EnchantSpellChecker::EnchantSpellChecker(const QString& wanted) : m_broker(enchant_broker_init())
{
    setLanguage(wanted);
}

EnchantSpellChecker::~EnchantSpellChecker()
{
    if (m_dict)
        enchant_broker_free_dict(m_broker, m_dict);
    if (m_broker)
        enchant_broker_free(m_broker);
}

QStringList EnchantSpellChecker::languages() const
{
    QStringList tags;
    if (m_broker)
        enchant_broker_list_dicts(m_broker, collectTag, &tags);
    tags.sort();
    tags.removeDuplicates();
    return tags;
}

void EnchantSpellChecker::setLanguage(const QString& wanted)
{
    const QString tag = chooseLanguage(languages(), wanted, QLocale().name());
    if (tag.isEmpty() || (m_dict && tag == m_language))
        return;
    EnchantDict* dict = enchant_broker_request_dict(m_broker, tag.toUtf8().constData());
    if (!dict)
        return;
    if (m_dict)
        enchant_broker_free_dict(m_broker, m_dict);
    m_dict = dict;
    m_language = tag;
    m_script = scriptOf(tag);
    m_verdicts.clear();
}

QString EnchantSpellChecker::chooseLanguage(const QStringList& installed, const QString& wanted,
                                            const QString& localeName)
{
    if (!wanted.isEmpty() && installed.contains(wanted))
        return wanted;
    const auto closest = [&installed](const QString& locale) -> QString {
        const QString language = locale.section(u'_', 0, 0);
        if (installed.contains(locale))
            return locale;
        if (installed.contains(language))
            return language;
        for (const QString& tag : installed) {
            if (tag.startsWith(language + u'_'))
                return tag;
        }
        return {};
    };
    if (QString tag = closest(localeName); !tag.isEmpty())
        return tag;
    if (QString tag = closest(QStringLiteral("en_US")); !tag.isEmpty())
        return tag;
    return installed.value(0);
}

QList<Misspelling> EnchantSpellChecker::misspellings(QStringView text) const
{
    QList<Misspelling> found;
    if (!m_dict || text.isEmpty())
        return found;
    QTextBoundaryFinder words(QTextBoundaryFinder::Word, text.data(), text.size());
    qsizetype start = -1;
    for (qsizetype at = words.position(); at != -1; at = words.toNextBoundary()) {
        const auto reasons = words.boundaryReasons();
        if (reasons.testFlag(QTextBoundaryFinder::EndOfItem) && start >= 0) {
            const QStringView word = text.sliced(start, at - start);
            if (worthChecking(word, m_script) && !isJoined(text, start, at) && !isCorrect(word))
                found.append({start, at - start});
            start = -1;
        }
        if (reasons.testFlag(QTextBoundaryFinder::StartOfItem))
            start = at;
    }
    return found;
}

bool EnchantSpellChecker::isCorrect(QStringView word) const
{
    const QString key = word.toString();
    if (const auto known = m_verdicts.constFind(key); known != m_verdicts.cend())
        return *known;
    const QByteArray utf8 = key.toUtf8();
    // An error is no reason to underline the word.
    const bool correct = enchant_dict_check(m_dict, utf8.constData(), utf8.size()) <= 0;
    if (m_verdicts.size() >= mostVerdicts)
        m_verdicts.clear();
    m_verdicts.insert(key, correct);
    return correct;
}

QStringList EnchantSpellChecker::suggestions(const QString& word, int most) const
{
    QStringList offered;
    if (!m_dict || word.isEmpty())
        return offered;
    const QByteArray utf8 = word.toUtf8();
    size_t count = 0;
    char** list = enchant_dict_suggest(m_dict, utf8.constData(), utf8.size(), &count);
    for (size_t i = 0; i < count && offered.size() < most; ++i) {
        QString suggestion = QString::fromUtf8(list[i]);
        // Dictionaries spell with the typewriter's apostrophe: offered as the user writes it.
        if (word.contains(typographicApostrophe))
            suggestion.replace(u'\'', typographicApostrophe);
        offered.append(suggestion);
    }
    if (list)
        enchant_dict_free_string_list(m_dict, list);
    return offered;
}

void EnchantSpellChecker::addToDictionary(const QString& word)
{
    if (!m_dict || word.isEmpty())
        return;
    const QByteArray utf8 = word.toUtf8();
    enchant_dict_add(m_dict, utf8.constData(), utf8.size());
    // Its other spellings ("Teh" as well as "teh") may pass now too.
    m_verdicts.clear();
}
