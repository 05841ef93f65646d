#include "AtSpiTree.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>

namespace {

const QString AccessibleInterface = QStringLiteral("org.a11y.atspi.Accessible");
const QString RootPath = QStringLiteral("/org/a11y/atspi/accessible/root");
const int CallTimeoutMs = 2000;

} // namespace

AtSpiTree::AtSpiTree(const QString &busAddress, QObject *parent)
    : QObject(parent)
    , m_address(busAddress)
    , m_bus(QDBusConnection::connectToBus(busAddress, QStringLiteral("notavo-atspi-reader")))
{
    m_serving = m_bus.isConnected()
        && m_bus.registerObject(QStringLiteral("/org/a11y/bus"), this,
                                QDBusConnection::ExportAllSlots)
        && m_bus.registerService(QStringLiteral("org.a11y.Bus"));
}

AtSpiTree::~AtSpiTree()
{
    QDBusConnection::disconnectFromBus(QStringLiteral("notavo-atspi-reader"));
}

QString AtSpiTree::property(const QString &service, const QString &path, const QString &name) const
{
    QDBusMessage get = QDBusMessage::createMethodCall(
        service, path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << AccessibleInterface << name;
    const QDBusMessage reply = m_bus.call(get, QDBus::Block, CallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return QString();
    return reply.arguments().constFirst().value<QDBusVariant>().variant().toString();
}

void AtSpiTree::collect(const QString &service, const QString &path, QList<Object> *into,
                        int depth) const
{
    if (depth > 20)
        return;
    QDBusMessage roleCall = QDBusMessage::createMethodCall(service, path, AccessibleInterface,
                                                           QStringLiteral("GetRoleName"));
    const QDBusMessage role = m_bus.call(roleCall, QDBus::Block, CallTimeoutMs);
    into->append(
        { role.arguments().value(0).toString(), property(service, path, QStringLiteral("Name")) });

    QDBusMessage childrenCall = QDBusMessage::createMethodCall(service, path, AccessibleInterface,
                                                               QStringLiteral("GetChildren"));
    const QDBusMessage reply = m_bus.call(childrenCall, QDBus::Block, CallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return;
    // An array of (bus name, object path) references.
    const QDBusArgument children = reply.arguments().constFirst().value<QDBusArgument>();
    QList<QPair<QString, QString>> references;
    children.beginArray();
    while (!children.atEnd()) {
        QString childService;
        QDBusObjectPath childPath;
        children.beginStructure();
        children >> childService >> childPath;
        children.endStructure();
        references.append({ childService, childPath.path() });
    }
    children.endArray();
    for (const auto &[childService, childPath] : std::as_const(references))
        collect(childService.isEmpty() ? service : childService, childPath, into, depth + 1);
}

QList<AtSpiTree::Object> AtSpiTree::objects(const QString &applicationName) const
{
    QList<Object> found;
    if (!m_bus.isConnected())
        return found;
    const QStringList names = m_bus.interface()->registeredServiceNames().value();
    for (const QString &service : names) {
        if (!service.startsWith(QLatin1Char(':')) || service == m_bus.baseService())
            continue;
        if (property(service, RootPath, QStringLiteral("Name")) != applicationName)
            continue;
        collect(service, RootPath, &found, 0);
        break;
    }
    return found;
}
