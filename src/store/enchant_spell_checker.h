#pragma once

#include "store/spell_checker.h"

#include <QChar>
#include <QHash>
#include <QString>
#include <QStringList>

struct str_enchant_broker;
struct str_enchant_dict;

// Checks words against one of the dictionaries Enchant has installed, plus the user's own
// words (Enchant keeps those in $XDG_CONFIG_HOME/enchant). Without any dictionary it finds
// nothing wrong. Used from one thread: the verdicts are cached without a lock.
class EnchantSpellChecker final : public SpellChecker
{
public:
    // Opens the dictionary that chooseLanguage() picks from wanted and the locale.
    explicit EnchantSpellChecker(const QString& wanted = {});
    ~EnchantSpellChecker() override;
    EnchantSpellChecker(const EnchantSpellChecker&) = delete;
    EnchantSpellChecker& operator=(const EnchantSpellChecker&) = delete;

    // Language tags such as "en_US", sorted, each once.
    QStringList languages() const;
    // The tag of the dictionary in use; empty when none could be opened.
    QString language() const { return m_language; }
    bool hasDictionary() const { return m_dict != nullptr; }
    // Switches to chooseLanguage(wanted); the previous dictionary stays when none opens.
    void setLanguage(const QString& wanted);

    QList<Misspelling> misspellings(QStringView text) const override;
    QStringList suggestions(const QString& word, int most = 8) const;
    // Into the user's word list for this language, kept across launches.
    void addToDictionary(const QString& word);

    // wanted when installed, else the locale's language ("en_US", then "en", then any
    // "en_…"), else English, else the first installed; empty when nothing is installed.
    static QString chooseLanguage(const QStringList& installed, const QString& wanted,
                                  const QString& localeName);

private:
    bool isCorrect(QStringView word) const;

    str_enchant_broker* m_broker = nullptr;
    str_enchant_dict* m_dict = nullptr;
    QString m_language;
    // Words of other scripts than the dictionary's are not its business.
    QChar::Script m_script = QChar::Script_Unknown;
    mutable QHash<QString, bool> m_verdicts;
};
