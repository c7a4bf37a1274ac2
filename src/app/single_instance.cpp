#include "app/single_instance.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>

SingleInstance::SingleInstance(const QDBusConnection& bus, QObject* parent)
    : QObject(parent), m_bus(bus)
{}

SingleInstance::Role SingleInstance::claim()
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
    QDBusMessage activate = QDBusMessage::createMethodCall(
        serviceName, objectPath, QStringLiteral("org.freedesktop.Application"),
        QStringLiteral("Activate"));
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
