#pragma once

#include <QObject>
#include <QString>

// The process's two menu messages. A message is its name alone; the main window answers.
class AppNotifier : public QObject
{
    Q_OBJECT

public:
    static inline const QString focusSearch = QStringLiteral("FocusSearch");
    static inline const QString printNote = QStringLiteral("PrintNote");

    using QObject::QObject;
    void post(const QString& name) { emit posted(name); }

signals:
    void posted(const QString& name);
};
