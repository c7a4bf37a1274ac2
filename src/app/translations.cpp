#include "app/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>

namespace {

const QString resourceFolder = QStringLiteral(":/i18n");

} // namespace

Translations::Translations(const QLocale& locale)
{
    // Where no translation fits, the texts stay English, yet a count still needs its English
    // plural ("1 note", never "1 notes"), which the source's single form cannot give.
    if (!m_quillbox.load(locale, QStringLiteral("quillbox"), QStringLiteral("_"), resourceFolder))
        (void)m_quillbox.load(QStringLiteral("quillbox_en"), resourceFolder);
    QCoreApplication::installTranslator(&m_quillbox);

    // Qt's texts follow ours, not the first of the user's languages Qt happens to have: a
    // dialog half in another language than the window around it reads as a fault.
    const QLocale shown(language());
    if (shown.language() != QLocale::English &&
        m_qt.load(shown, QStringLiteral("qtbase"), QStringLiteral("_"),
                  QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&m_qt);
}

QString Translations::language() const
{
    const QString language = m_quillbox.language();
    return language.isEmpty() ? QStringLiteral("en") : QLocale(language).name().section(u'_', 0, 0);
}
