#include "app/single_instance.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>
#include <QUrl>

SingleInstance::SingleInstance(const QDBusConnection& bus, QObject* parent)
    : QObject(parent), m_bus(bus)
{}

SingleInstance::Role SingleInstance::claim(const CommandLine::Request& request)
{
    if (!m_bus.isConnected() || !m_bus.interface())
        return Role::First;
    m_bus.registerObject(objectPath, this, QDBusConnection::ExportScriptableSlots);
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
        m_bus.interface()->registerService(serviceName, QDBusConnectionInterface::DontQueueService,
                                           QDBusConnectionInterface::DontAllowReplacement);
    // A bus that cannot answer is no reason to refuse to start.
    if (!reply.isValid() || reply.value() == QDBusConnectionInterface::ServiceRegistered)
        return Role::First;
    m_bus.unregisterObject(objectPath);

    QVariantMap platformData;
    // Lets the desktop hand the focus over as it would to the launch the user made.
    for (const auto& [variable, key] : {std::pair{"DESKTOP_STARTUP_ID", "desktop-startup-id"},
                                        std::pair{"XDG_ACTIVATION_TOKEN", "activation-token"}}) {
        if (qEnvironmentVariableIsSet(variable))
            platformData.insert(QLatin1String(key), qEnvironmentVariable(variable));
    }
    const auto call = [](const char* method) {
        return QDBusMessage::createMethodCall(serviceName, objectPath,
                                              QStringLiteral("org.freedesktop.Application"),
                                              QLatin1String(method));
    };
    QDBusMessage activate = call("Activate");
    using Kind = CommandLine::Request::Kind;
    if (request.kind == Kind::NewNote || request.kind == Kind::Search) {
        activate = call("ActivateAction");
        QVariantList parameter;
        if (request.text)
            parameter.append(*request.text); // each item goes as a variant of its own
        activate << (request.kind == Kind::NewNote ? newNoteAction : searchAction) << parameter;
    } else if (request.kind == Kind::Open) {
        activate = call("Open");
        QStringList uris;
        for (const QString& file : request.files)
            uris.append(QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded));
        activate << uris;
    }
    activate << platformData;
    // Waits for the answer so the window is up before this launch ends; the name is owned
    // even when the answer does not come, so this launch leaves either way.
    m_bus.call(activate, QDBus::BlockWithGui, 5000);
    return Role::AlreadyRunning;
}

void SingleInstance::Activate(const QVariantMap& platformData)
{
    emit activationRequested(platformData.value(QStringLiteral("activation-token")).toString());
}

void SingleInstance::ActivateAction(const QString& name, const QVariantList& parameter,
                                    const QVariantMap& platformData)
{
    Activate(platformData);
    if (name != searchAction && name != newNoteAction)
        return;
    CommandLine::Request request;
    request.kind = name == searchAction ? CommandLine::Request::Kind::Search
                                        : CommandLine::Request::Kind::NewNote;
    if (!parameter.isEmpty()) {
        const QVariant value = parameter.first();
        request.text = value.canConvert<QDBusVariant>()
                           ? value.value<QDBusVariant>().variant().toString()
                           : value.toString();
    }
    emit launchRequested(request);
}

void SingleInstance::Open(const QStringList& uris, const QVariantMap& platformData)
{
    Activate(platformData);
    CommandLine::Request request;
    request.kind = CommandLine::Request::Kind::Open;
    for (const QString& uri : uris) {
        const QUrl url(uri);
        // A plain path is taken too: what a script is likely to send.
        request.files.append(url.isLocalFile() ? url.toLocalFile() : uri);
    }
    emit launchRequested(request);
}
