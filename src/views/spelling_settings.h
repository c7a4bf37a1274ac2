#pragma once

#include "store/spell_checker.h"

#include <QFutureWatcher>
#include <QObject>
#include <QStringList>

#include <memory>

class EnchantSpellChecker;

// Whether spelling is checked and in which language, remembered across launches, and the one
// checker that does it. The dictionary takes about a tenth of a second to read, so it is read
// on the thread pool while the window opens; whoever draws the underlines follows changed().
class SpellingSettings : public QObject
{
    Q_OBJECT

public:
    explicit SpellingSettings(QObject* parent = nullptr);
    ~SpellingSettings() override;

    // The user's choice (on unless turned off).
    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    // Whether the installed dictionaries have been looked at yet.
    bool isLoaded() const { return m_checker != nullptr; }
    // The installed dictionaries' language tags; empty when there are none.
    QStringList languages() const;
    // The language in use: the one chosen, else the locale's; empty without dictionaries.
    QString language() const;
    void setLanguage(const QString& tag);
    // The checker to draw with: nullptr while spelling is off, still loading, or no dictionary
    // is installed.
    SpellChecker* checker() const;
    QStringList suggestions(const QString& word) const;
    void addToDictionary(const QString& word);

    static inline const QString enabledKey = QStringLiteral("CheckSpelling");
    static inline const QString languageKey = QStringLiteral("SpellingLanguage");

signals:
    // The dictionary was read, spelling was turned on or off, the language changed or a word
    // was added: draw again, even when the pointer is the same.
    void changed(SpellChecker* checkerOrNull);

private:
    QFutureWatcher<std::shared_ptr<EnchantSpellChecker>> m_loading;
    std::shared_ptr<EnchantSpellChecker> m_checker;
    bool m_enabled = true;
};
