#include "QtTrayHost.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QSystemTrayIcon>

namespace {

// Asked the way Qt asks it when the first tray icon is made: with a StatusNotifier host, Qt
// speaks that protocol for the whole run; without one, XEmbed (on X11).
bool statusNotifierHostRegistered()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
    QDBusMessage get = QDBusMessage::createMethodCall(
        watcher, QStringLiteral("/StatusNotifierWatcher"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get.setArguments({ watcher, QStringLiteral("IsStatusNotifierHostRegistered") });
    get.setAutoStartService(false);
    const QDBusMessage reply = bus.call(get, QDBus::Block, 1000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return false;
    return reply.arguments().constFirst().value<QDBusVariant>().variant().toBool();
}

} // namespace

QtTrayHost::QtTrayHost()
{
    const bool x11 = QGuiApplication::platformName() == QLatin1String("xcb");
    m_host = x11 && !statusNotifierHostRegistered() ? QtGlint::Host::XEmbed
                                                    : QtGlint::Host::StatusNotifier;
}

Glint *QtTrayHost::createGlint(QObject *parent)
{
    return new QtGlint(m_host, parent);
}

bool QtTrayHost::isSystemTrayAvailable() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}
