#pragma once

#include <QLocale>
#include <QTranslator>

// The application's texts in the user's language, and Qt's own (the standard dialogs, the
// editor's context menu) in the same one. Installed while this object lives.
class Translations
{
public:
    // QLocale()'s UI languages come from LANGUAGE ("de:en", tried in order), else from
    // LC_ALL, LC_MESSAGES or LANG; the first of them we have a translation for wins.
    explicit Translations(const QLocale& locale = QLocale());
    Translations(const Translations&) = delete;
    Translations& operator=(const Translations&) = delete;

    // The language the texts are shown in: "de", or "en" when the source's own words stand.
    QString language() const;

private:
    QTranslator m_quillbox;
    QTranslator m_qt;
};
