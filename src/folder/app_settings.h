#pragma once

#include <QString>
#include <QVariant>

// The application's one settings file: the remembered folder, the windows' places, the
// editor's text size. Every call reads or writes the file itself, so nothing holds a copy
// that another launch could make stale.
class AppSettings
{
public:
    // $XDG_CONFIG_HOME/quillbox/quillbox.conf, in INI form.
    static QString filePath();
    static QVariant value(const QString& key, const QVariant& fallback = {});
    // Stores value under key: 0, or the errno of the step that failed. A refused value is
    // taken back, so no later write stores it after all.
    static int setValue(const QString& key, const QVariant& value);
    static void remove(const QString& key);
};
