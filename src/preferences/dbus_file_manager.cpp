#include "preferences/dbus_file_manager.h"

#include "store/naming.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDesktopServices>

DbusFileManager::DbusFileManager(Opener opener) : m_opener(std::move(opener))
{
    if (!m_opener)
        m_opener = [](const QUrl& url) { QDesktopServices::openUrl(url); };
}

void DbusFileManager::reveal(const QString& path)
{
    const QUrl parent = QUrl::fromLocalFile(Naming::folderOf(path));
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        m_opener(parent);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(path).toString()} << QString();
    // Never blocks the window: the answer, or its absence, is handled when it comes.
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, timeoutMs));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [watcher, parent, opener = m_opener] {
                         if (watcher->isError())
                             opener(parent);
                         watcher->deleteLater();
                     });
}
