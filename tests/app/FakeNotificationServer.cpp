#include "FakeNotificationServer.h"

#include <QDBusArgument>

namespace {
const QString ConnectionName = QStringLiteral("notification-server");
}

FakeNotificationServer::FakeNotificationServer(const QString &busAddress, QObject *parent)
    : QObject(parent)
    , m_bus(QDBusConnection::connectToBus(busAddress, ConnectionName))
{
    m_serving = m_bus.isConnected()
        && m_bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), this,
                                QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals)
        && m_bus.registerService(QStringLiteral("org.freedesktop.Notifications"));
}

FakeNotificationServer::~FakeNotificationServer()
{
    QDBusConnection::disconnectFromBus(ConnectionName);
}

void FakeNotificationServer::click(uint id)
{
    emit ActionInvoked(id, QStringLiteral("default"));
}

uint FakeNotificationServer::Notify(const QString &, uint replacesId, const QString &,
                                    const QString &summary, const QString &body,
                                    const QStringList &actions, const QVariantMap &hints, int)
{
    const uint id = replacesId != 0 ? replacesId : m_next++;
    const QDBusArgument image = hints.value(QStringLiteral("image-data")).value<QDBusArgument>();
    shown.append({ id, replacesId, summary, body, actions,
                   image.currentSignature() == QLatin1String("(iiibiiay)") });
    return id;
}

void FakeNotificationServer::CloseNotification(uint id)
{
    closed.append(id);
    emit NotificationClosed(id, 3);
}

QStringList FakeNotificationServer::GetCapabilities() const
{
    return { QStringLiteral("actions"), QStringLiteral("body") };
}

QString FakeNotificationServer::GetServerInformation(QString &vendor, QString &version,
                                                     QString &specVersion) const
{
    vendor = QStringLiteral("Notavo tests");
    version = QStringLiteral("1");
    specVersion = QStringLiteral("1.2");
    return QStringLiteral("fake");
}
