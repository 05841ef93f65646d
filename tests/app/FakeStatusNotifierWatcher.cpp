#include "FakeStatusNotifierWatcher.h"

#include <QDBusMessage>
#include <QDBusVariant>

namespace {
const QString ConnectionName = QStringLiteral("status-notifier-watcher");
}

FakeStatusNotifierWatcher::FakeStatusNotifierWatcher(const QString &busAddress, QObject *parent)
    : QObject(parent)
    , m_bus(QDBusConnection::connectToBus(busAddress, ConnectionName))
{
    m_serving = m_bus.isConnected()
        && m_bus.registerObject(QStringLiteral("/StatusNotifierWatcher"), this,
                                QDBusConnection::ExportAllSlots
                                    | QDBusConnection::ExportAllProperties)
        && m_bus.registerService(QStringLiteral("org.kde.StatusNotifierWatcher"));
}

FakeStatusNotifierWatcher::~FakeStatusNotifierWatcher()
{
    m_bus.unregisterService(QStringLiteral("org.kde.StatusNotifierWatcher"));
    QDBusConnection::disconnectFromBus(ConnectionName);
}

void FakeStatusNotifierWatcher::RegisterStatusNotifierItem(const QString &service)
{
    // An item may name itself by bus name or by object path (then its sender is the name).
    items.append(service.startsWith(QLatin1Char('/')) ? message().service() : service);
}

void FakeStatusNotifierWatcher::RegisterStatusNotifierHost(const QString &) { }

QVariant FakeStatusNotifierWatcher::itemProperty(const QString &service, const QString &name) const
{
    QDBusMessage get = QDBusMessage::createMethodCall(
        service, QStringLiteral("/StatusNotifierItem"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get.setArguments({ QStringLiteral("org.kde.StatusNotifierItem"), name });
    const QDBusMessage reply = m_bus.call(get, QDBus::Block, 5000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return QVariant();
    return reply.arguments().constFirst().value<QDBusVariant>().variant();
}
