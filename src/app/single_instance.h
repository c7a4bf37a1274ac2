#pragma once

#include "app/command_line.h"
#include "build_config.h"

#include <QDBusConnection>
#include <QObject>
#include <QVariantMap>

// One Quillbox per session: two windows on one folder would each save over the other's text.
// The first launch owns the application's name on the session bus; a later one asks it to
// come forward (org.freedesktop.Application.Activate, or ActivateAction and Open for what the
// command line asked) and leaves. Without a bus, every launch runs.
class SingleInstance : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")

public:
    static inline const QString serviceName = QStringLiteral(QUILLBOX_APP_ID);
    static inline const QString objectPath = QStringLiteral("/io/github/quillbox/Quillbox");

    enum class Role
    {
        First,
        AlreadyRunning
    };

    explicit SingleInstance(const QDBusConnection& bus = QDBusConnection::sessionBus(),
                            QObject* parent = nullptr);

    // Takes the name, or hands the request to the instance that holds it.
    Role claim(const CommandLine::Request& request = {});

    static inline const QString newNoteAction = QStringLiteral("new-note");
    static inline const QString searchAction = QStringLiteral("search");

public slots:
    Q_SCRIPTABLE void Activate(const QVariantMap& platformData);
    Q_SCRIPTABLE void ActivateAction(const QString& name, const QVariantList& parameter,
                                     const QVariantMap& platformData);
    Q_SCRIPTABLE void Open(const QStringList& uris, const QVariantMap& platformData);

signals:
    // activationToken: the new launch's Wayland activation token, empty when it had none.
    void activationRequested(const QString& activationToken);
    // A later launch asked for more than the window: a new note, a search, a file.
    void launchRequested(const CommandLine::Request& request);

private:
    QDBusConnection m_bus;
};
