#include "QtTrayHost.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QSystemTrayIcon>

namespace {

const QString Watcher = QStringLiteral("org.kde.StatusNotifierWatcher");

// Asked the way Qt asks it when the first tray icon is made: with a StatusNotifier host, Qt
// speaks that protocol for the whole run; without one, XEmbed (on X11).
bool statusNotifierHostRegistered()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    const QString watcher = Watcher;
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
    const bool qtSpeaksStatusNotifier = statusNotifierHostRegistered();
    m_host = x11 && !qtSpeaksStatusNotifier ? QtGlint::Host::XEmbed : QtGlint::Host::StatusNotifier;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (qtSpeaksStatusNotifier || !bus.isConnected())
        return;
    m_watcher = std::make_unique<QDBusServiceWatcher>(Watcher, bus,
                                                      QDBusServiceWatcher::WatchForOwnerChange);
    QObject::connect(
        m_watcher.get(), &QDBusServiceWatcher::serviceOwnerChanged, m_watcher.get(),
        [this](const QString &, const QString &, const QString &owner) { watcherChanged(owner); });
    // A watcher whose panel has not registered yet (the panel is still starting) hands the
    // items to the panel when it does.
    const QString owner = bus.interface()->serviceOwner(Watcher).value();
    if (!owner.isEmpty())
        watcherChanged(owner);
}

QtTrayHost::~QtTrayHost() = default;

void QtTrayHost::watcherChanged(const QString &owner)
{
    // A tray that Qt reaches already holds the icons: no second copy of them.
    m_ownItems = !owner.isEmpty() && !QSystemTrayIcon::isSystemTrayAvailable();
    m_glints.removeAll(nullptr);
    for (const QPointer<QtGlint> &glint : std::as_const(m_glints)) {
        // A new watcher knows nothing of the items registered with the old one.
        glint->setStatusNotifier(false);
        glint->setStatusNotifier(m_ownItems);
    }
}

Glint *QtTrayHost::createGlint(QObject *parent)
{
    auto *glint = new QtGlint(m_host, parent);
    m_glints.append(glint);
    glint->setStatusNotifier(m_ownItems);
    return glint;
}

bool QtTrayHost::isSystemTrayAvailable() const
{
    return m_ownItems || QSystemTrayIcon::isSystemTrayAvailable();
}
