#include "QtTrayHost.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QMetaMethod>
#include <QSystemTrayIcon>

namespace {

const QString Watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
// Within a second of a panel stopping, the count is in the title.
constexpr int XEmbedCheckMs = 250;

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
    m_qtSpeaksStatusNotifier = statusNotifierHostRegistered();
    m_host
        = x11 && !m_qtSpeaksStatusNotifier ? QtGlint::Host::XEmbed : QtGlint::Host::StatusNotifier;
    if (x11 && !m_qtSpeaksStatusNotifier) {
        // Qt's own answer about the XEmbed tray; with Qt on StatusNotifier it would ask the bus.
        // (This first answer also starts Qt's tracker of the tray selection.)
        m_xembedTray = QSystemTrayIcon::isSystemTrayAvailable();
        QObject::connect(&m_xembedCheck, &QTimer::timeout, [this] { xembedChecked(); });
        followXEmbedTray();
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        m_watcher = std::make_unique<QDBusServiceWatcher>(Watcher, bus,
                                                          QDBusServiceWatcher::WatchForOwnerChange);
        QObject::connect(m_watcher.get(), &QDBusServiceWatcher::serviceOwnerChanged,
                         m_watcher.get(),
                         [this](const QString &, const QString &, const QString &owner) {
                             watcherChanged(owner);
                         });
        // A watcher whose panel has not registered yet (the panel is still starting) hands
        // the items to the panel when it does.
        m_watcherPresent
            = m_qtSpeaksStatusNotifier || !bus.interface()->serviceOwner(Watcher).value().isEmpty();
    }
    follow();
}

QtTrayHost::~QtTrayHost() = default;

void QtTrayHost::watcherChanged(const QString &owner)
{
    m_watcherPresent = !owner.isEmpty();
    if (!m_qtSpeaksStatusNotifier) {
        // A new watcher knows nothing of the items registered with the old one.
        m_glints.removeAll(nullptr);
        for (const QPointer<QtGlint> &glint : std::as_const(m_glints))
            glint->setStatusNotifier(false);
        m_ownItems = false;
    }
    follow();
}

void QtTrayHost::followXEmbedTray()
{
    // Qt's xcb platform tracks the tray selection (the tray's window going away, a new tray's
    // MANAGER message) and says so: a look is taken then, and no time otherwise.
    auto *native = reinterpret_cast<QObject *>(QGuiApplication::platformNativeInterface());
    const QMetaObject *meta = native ? native->metaObject() : nullptr;
    const int changed = meta ? meta->indexOfSignal("systemTrayWindowChanged(QScreen*)") : -1;
    const int look = m_xembedCheck.metaObject()->indexOfSlot("start()");
    if (changed >= 0 && look >= 0) {
        m_xembedCheck.setSingleShot(true);
        m_xembedCheck.setInterval(0);
        QObject::connect(native, meta->method(changed), &m_xembedCheck,
                         m_xembedCheck.metaObject()->method(look));
        return;
    }
    // A Qt without that signal: a look a few times a second.
    m_xembedCheck.setInterval(XEmbedCheckMs);
    m_xembedCheck.start();
}

void QtTrayHost::xembedChecked()
{
    const bool tray = QSystemTrayIcon::isSystemTrayAvailable();
    if (tray == m_xembedTray)
        return;
    m_xembedTray = tray;
    follow();
}

void QtTrayHost::follow()
{
    if (!m_qtSpeaksStatusNotifier) {
        // A tray that Qt reaches holds the icons: no second copy of them.
        const bool ownItems = m_watcherPresent && !m_xembedTray;
        if (ownItems != m_ownItems) {
            m_ownItems = ownItems;
            m_glints.removeAll(nullptr);
            for (const QPointer<QtGlint> &glint : std::as_const(m_glints))
                glint->setStatusNotifier(m_ownItems);
        }
    }
    const bool available = m_qtSpeaksStatusNotifier ? m_watcherPresent : m_xembedTray || m_ownItems;
    if (available == m_available)
        return;
    m_available = available;
    if (availabilityChanged)
        availabilityChanged(available);
}

Glint *QtTrayHost::createGlint(QObject *parent)
{
    auto *glint = new QtGlint(m_host, parent);
    m_glints.append(glint);
    glint->setStatusNotifier(m_ownItems);
    return glint;
}
