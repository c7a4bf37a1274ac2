#include "views/spelling_settings.h"

#include "folder/app_settings.h"
#include "store/enchant_spell_checker.h"

#include <QtConcurrent>

SpellingSettings::SpellingSettings(QObject* parent)
    : QObject(parent), m_enabled(AppSettings::value(enabledKey, true).toBool())
{
    connect(&m_loading, &QFutureWatcherBase::finished, this, [this] {
        m_checker = m_loading.result();
        emit changed(checker());
    });
    m_loading.setFuture(QtConcurrent::run([wanted = AppSettings::value(languageKey).toString()] {
        return std::make_shared<EnchantSpellChecker>(wanted);
    }));
}

SpellingSettings::~SpellingSettings()
{
    // Its broker and dictionary are freed with the result, not while they are being read.
    m_loading.waitForFinished();
}

void SpellingSettings::setEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    AppSettings::setValue(enabledKey, enabled);
    emit changed(checker());
}

QStringList SpellingSettings::languages() const
{
    return m_checker ? m_checker->languages() : QStringList();
}

QString SpellingSettings::language() const
{
    return m_checker ? m_checker->language() : QString();
}

void SpellingSettings::setLanguage(const QString& tag)
{
    AppSettings::setValue(languageKey, tag);
    if (!m_checker || tag == m_checker->language())
        return;
    m_checker->setLanguage(tag);
    emit changed(checker());
}

SpellChecker* SpellingSettings::checker() const
{
    return m_enabled && m_checker && m_checker->hasDictionary() ? m_checker.get() : nullptr;
}

QStringList SpellingSettings::suggestions(const QString& word) const
{
    return m_checker ? m_checker->suggestions(word) : QStringList();
}

void SpellingSettings::addToDictionary(const QString& word)
{
    if (!m_checker)
        return;
    m_checker->addToDictionary(word);
    emit changed(checker());
}
